// The canvas, through WebGL: one texture the size of the canvas on a quad over the whole
// viewport, sampled at the nearest texel, so that each pixel shows exactly its own texel.
// WebGL's calls go by their emscripten_gl names, as the gl names are the CPU's OpenGL here.

#include "platform/web/web_gl.h"

#include <webgl/webgl1.h>

#include <initializer_list>

#include "core/buffers.h"

namespace {

const char* const pixelsVertex = R"(
attribute vec2 corner;
varying vec2 texel;
void main() { texel = corner * 0.5 + 0.5; gl_Position = vec4(corner, 0.0, 1.0); })";
const char* const pixelsFragment = R"(
precision highp float;
uniform sampler2D pixels;
varying vec2 texel;
void main() { gl_FragColor = texture2D(pixels, texel); })";

GLuint Compile(GLenum kind, const char* source)
{
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

}  // namespace

void StartWebGl()
{
    const GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, Compile(GL_VERTEX_SHADER, pixelsVertex));
    emscripten_glAttachShader(program, Compile(GL_FRAGMENT_SHADER, pixelsFragment));
    emscripten_glBindAttribLocation(program, 0, "corner");
    emscripten_glLinkProgram(program);
    emscripten_glUseProgram(program);

    GLuint quad, texture;
    static const GLfloat corners[] = {-1, -1, 1, -1, 1, 1, -1, 1};
    emscripten_glGenBuffers(1, &quad);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, quad);
    emscripten_glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    emscripten_glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    emscripten_glEnableVertexAttribArray(0);

    emscripten_glGenTextures(1, &texture);
    emscripten_glBindTexture(GL_TEXTURE_2D, texture);
    for (GLenum parameter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        emscripten_glTexParameteri(GL_TEXTURE_2D, parameter, GL_NEAREST);
    for (GLenum parameter : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        emscripten_glTexParameteri(GL_TEXTURE_2D, parameter, GL_CLAMP_TO_EDGE);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, ScreenWidth, ScreenHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

void ShowOnCanvas(const std::uint8_t* pixels)
{
    emscripten_glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    emscripten_glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    emscripten_glFinish();
}
