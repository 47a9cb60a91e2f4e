// The OpenGL 1.1 calls of the picture and the pipeline that WebGL lacks, supplied over WebGL:
// immediate-mode polygons in a flat colour, the model-view matrix and its stack, and pixel
// draws. Everything else (blending, read-back, flushes) is WebGL's own call of the same name.
// WebGL has no accumulation buffer, so the render averages its passes on the CPU and never
// reaches the accumulation calls, which are empty here.

// OpenGL 1.1 with the prototypes of the later calls (shaders, buffers) that WebGL offers.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>

#include <cstring>
#include <initializer_list>

#include "host/web_gl.h"

namespace {

// Polygons are drawn as triangle fans from their first vertex, which covers a convex polygon
// exactly as the polygon itself does. Vertices are transformed in the shader, in single
// precision as OpenGL's own vertex stage does.
const char* const flatVertex = R"(
attribute vec2 vertex;
uniform mat4 modelView;
void main() { gl_Position = modelView * vec4(vertex, 0.0, 1.0); })";
const char* const flatFragment = R"(
precision highp float;
uniform vec4 colour;
void main() { gl_FragColor = colour; })";

// A pixel draw is one texture the size of the window on a quad over the whole viewport, so
// that each fragment takes exactly its own texel; the first row of the data is the bottom one.
const char* const pixelsVertex = R"(
attribute vec2 corner;
varying vec2 texel;
void main() { texel = corner * 0.5 + 0.5; gl_Position = vec4(corner, 0.0, 1.0); })";
const char* const pixelsFragment = R"(
precision highp float;
uniform sampler2D pixels;
varying vec2 texel;
void main() { gl_FragColor = texture2D(pixels, texel); })";

constexpr int MaxVertices = 8;
constexpr int StackDepth = 32;

GLuint flatProgram, pixelsProgram, vertexBuffer, cornerBuffer, pixelTexture;
GLint modelViewUniform, colourUniform;
int textureWidth, textureHeight;

GLfloat matrices[StackDepth][16] = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};  // column-major
int top;
GLfloat colour[4] = {1, 1, 1, 1};
GLfloat vertices[2 * MaxVertices];
int vertexCount;

GLuint Compile(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

GLuint Link(const char* vertex, const char* fragment, const char* attribute)
{
    const GLuint program = glCreateProgram();
    glAttachShader(program, Compile(GL_VERTEX_SHADER, vertex));
    glAttachShader(program, Compile(GL_FRAGMENT_SHADER, fragment));
    glBindAttribLocation(program, 0, attribute);
    glLinkProgram(program);
    return program;
}

// current = current x m, both column-major.
void MultiplyCurrent(const GLfloat* m)
{
    GLfloat* c = matrices[top];
    GLfloat product[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            GLfloat sum = 0;
            for (int k = 0; k < 4; ++k) sum += c[k * 4 + row] * m[column * 4 + k];
            product[column * 4 + row] = sum;
        }
    std::memcpy(c, product, sizeof product);
}

}  // namespace

void StartWebGl()
{
    flatProgram = Link(flatVertex, flatFragment, "vertex");
    pixelsProgram = Link(pixelsVertex, pixelsFragment, "corner");
    modelViewUniform = glGetUniformLocation(flatProgram, "modelView");
    colourUniform = glGetUniformLocation(flatProgram, "colour");
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &cornerBuffer);
    static const GLfloat corners[] = {-1, -1, 1, -1, 1, 1, -1, 1};
    glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glGenTextures(1, &pixelTexture);
    glBindTexture(GL_TEXTURE_2D, pixelTexture);
    for (GLenum parameter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        glTexParameteri(GL_TEXTURE_2D, parameter, GL_NEAREST);
    for (GLenum parameter : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        glTexParameteri(GL_TEXTURE_2D, parameter, GL_CLAMP_TO_EDGE);
    textureWidth = textureHeight = 0;
    glEnableVertexAttribArray(0);
}

extern "C" {

void glLoadIdentity()
{
    static const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(matrices[top], identity, sizeof identity);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top_, GLdouble near, GLdouble far)
{
    const GLfloat m[16] = {GLfloat(2 / (right - left)), 0, 0, 0,
                           0, GLfloat(2 / (top_ - bottom)), 0, 0,
                           0, 0, GLfloat(-2 / (far - near)), 0,
                           GLfloat(-(right + left) / (right - left)), GLfloat(-(top_ + bottom) / (top_ - bottom)),
                           GLfloat(-(far + near) / (far - near)), 1};
    MultiplyCurrent(m);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    const GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    MultiplyCurrent(m);
}

void glPushMatrix()
{
    if (top + 1 < StackDepth) {
        std::memcpy(matrices[top + 1], matrices[top], sizeof matrices[0]);
        ++top;
    }
}

void glPopMatrix()
{
    if (top > 0) --top;
}

void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { glColor4ub(r, g, b, 255); }

void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    colour[0] = r / 255.0f;
    colour[1] = g / 255.0f;
    colour[2] = b / 255.0f;
    colour[3] = a / 255.0f;
}

void glBegin(GLenum) { vertexCount = 0; }

void glVertex2s(GLshort x, GLshort y)
{
    if (vertexCount == MaxVertices) return;
    vertices[2 * vertexCount] = x;
    vertices[2 * vertexCount + 1] = y;
    ++vertexCount;
}

void glEnd()
{
    glUseProgram(flatProgram);
    glUniformMatrix4fv(modelViewUniform, 1, GL_FALSE, matrices[top]);
    glUniform4fv(colourUniform, 1, colour);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(GLfloat) * 2 * vertexCount), vertices, GL_STREAM_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLE_FAN, 0, vertexCount);
}

void glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const void* pixels)
{
    glBindTexture(GL_TEXTURE_2D, pixelTexture);
    if (width != textureWidth || height != textureHeight) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, format, type, pixels);
        textureWidth = width;
        textureHeight = height;
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, type, pixels);
    }
    glUseProgram(pixelsProgram);
    glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

// WebGL's own calls, under the names that the two below take over.
void emscripten_glClear(GLbitfield mask);
void emscripten_glGetIntegerv(GLenum name, GLint* value);

// No accumulation buffer: it has no bits, clearing it does nothing, and so there is nothing
// to keep or restore around it. (WebGL would count both as errors.)
void glClear(GLbitfield mask)
{
    if (mask & ~GL_ACCUM_BUFFER_BIT) emscripten_glClear(mask & ~GL_ACCUM_BUFFER_BIT);
}

void glGetIntegerv(GLenum name, GLint* value)
{
    if (name >= GL_ACCUM_RED_BITS && name <= GL_ACCUM_ALPHA_BITS) *value = 0;
    else emscripten_glGetIntegerv(name, value);
}

void glAccum(GLenum, GLfloat) {}
void glClearAccum(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glPushAttrib(GLbitfield) {}
void glPopAttrib() {}

}  // extern "C"
