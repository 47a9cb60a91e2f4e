// Vellum's OpenGL: its entry points (state, matrices, vertices, clears and pixels) and its
// table. The subset and the rules it draws by are in soft_gl.h.

#include "gl/soft_gl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gl/context.h"

namespace softgl {

Context context;

// The initial states that are not zero: the identity matrix, a white current colour, an opaque
// black clear colour, the copy blend and a scissor box over the window.
static bool SetInitialState()
{
    Context& c = context;
    for (int i = 0; i < 16; i += 5) c.matrices[0][i] = 1;
    std::fill_n(c.current, 4, 255);
    c.clearColour[3] = 255;
    c.sourceFactor = GL_ONE;
    c.destinationFactor = GL_ZERO;
    c.scissorBox[2] = ScreenWidth;
    c.scissorBox[3] = ScreenHeight;
    return true;
}
[[maybe_unused]] static const bool initialStateSet = SetInitialState();

void Unsupported(const char* what)
{
#if defined(VELLUM_GL_STRICT)
    std::fprintf(stderr, "Vellum's OpenGL does not support %s\n", what);
    std::abort();
#else
    (void)what;
    context.error = GL_INVALID_OPERATION;
#endif
}

Box Drawable()
{
    if (!context.scissoring) return {0, 0, ScreenWidth, ScreenHeight};
    const GLint* b = context.scissorBox;
    return {std::clamp(b[0], 0, ScreenWidth), std::clamp(b[1], 0, ScreenHeight),
            std::clamp(b[0] + b[2], 0, ScreenWidth), std::clamp(b[1] + b[3], 0, ScreenHeight)};
}

static std::uint8_t Byte(GLfloat c)
{
    return std::uint8_t(std::lrint(std::clamp(c, 0.0f, 1.0f) * 255.0f));
}

// current = current x m, both column-major, each element summed in the order k = 0..3 with
// one rounding per step.
static void MultiplyCurrent(const GLfloat* m)
{
    GLfloat* c = context.matrices[context.top];
    GLfloat product[16];
    for (std::size_t column = 0; column < 4; ++column)
        for (std::size_t row = 0; row < 4; ++row) {
            GLfloat sum = c[row] * m[column * 4];
            for (std::size_t k = 1; k < 4; ++k) sum = sum + c[k * 4 + row] * m[column * 4 + k];
            product[column * 4 + row] = sum;
        }
    std::memcpy(c, product, sizeof product);
}

static bool RgbaBytes(GLenum format, GLenum type) { return format == GL_RGBA && type == GL_UNSIGNED_BYTE; }

// ---- drawing

static void APIENTRY Begin(GLenum mode)
{
    if (mode != GL_POLYGON && mode != GL_QUADS) Unsupported("a primitive other than GL_POLYGON and GL_QUADS");
    context.primitive = mode;
    context.vertexCount = 0;
}

static void APIENTRY Vertex2s(GLshort x, GLshort y)
{
    Context& c = context;
    if (c.vertexCount == MaxVertices) return Unsupported("more than 8 vertices in a primitive");
    // Clip coordinates: the model-view column sums for (x, y, 0, 1).
    const GLfloat* m = c.matrices[c.top];
    c.vertices[c.vertexCount++] = {GLfloat(GLfloat(x * m[0]) + y * m[4]) + m[12],
                                   GLfloat(GLfloat(x * m[1]) + y * m[5]) + m[13], false};
}

static void APIENTRY End()
{
    const Context& c = context;
    const Clip* v = c.vertices;
    if (c.primitive == GL_QUADS) {
        for (int i = 0; i + 3 < c.vertexCount; i += 4) {
            CutTriangle(v[i], v[i + 1], v[i + 3]);
            CutTriangle(v[i + 1], v[i + 2], v[i + 3]);
        }
    } else if (c.primitive == GL_POLYGON) {
        for (int i = 1; i + 1 < c.vertexCount; ++i) CutTriangle(v[0], v[i], v[i + 1]);
    }
}

static void APIENTRY Color4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    const GLubyte colour[4] = {r, g, b, a};
    std::memcpy(context.current, colour, 4);
}

static void APIENTRY Color3ub(GLubyte r, GLubyte g, GLubyte b) { Color4ub(r, g, b, 255); }

// ---- state

static bool* Capability(GLenum capability)
{
    if (capability == GL_BLEND) return &context.blending;
    if (capability == GL_SCISSOR_TEST) return &context.scissoring;
    return nullptr;
}

static void APIENTRY Enable(GLenum capability)
{
    if (bool* on = Capability(capability)) *on = true;
    else Unsupported("glEnable of a capability other than GL_BLEND and GL_SCISSOR_TEST");
}

// Dithering is never done, so turning it off is allowed and changes nothing.
static void APIENTRY Disable(GLenum capability)
{
    if (bool* on = Capability(capability)) *on = false;
    else if (capability != GL_DITHER) Unsupported("glDisable of a capability other than GL_BLEND, GL_SCISSOR_TEST and GL_DITHER");
}

static void APIENTRY BlendFunc(GLenum source, GLenum destination)
{
    const bool over = source == GL_SRC_ALPHA && destination == GL_ONE_MINUS_SRC_ALPHA;
    const bool screen = source == GL_ONE && destination == GL_ONE_MINUS_SRC_COLOR;
    const bool copy = source == GL_ONE && destination == GL_ZERO;
    if (!over && !screen && !copy) return Unsupported("that pair of blend factors");
    context.sourceFactor = source;
    context.destinationFactor = destination;
}

static void APIENTRY Scissor(GLint x, GLint y, GLsizei width, GLsizei height)
{
    const GLint box[4] = {x, y, width, height};
    std::memcpy(context.scissorBox, box, sizeof box);
}

static void APIENTRY PushAttrib(GLbitfield mask)
{
    Context& c = context;
    if (mask & ~GLbitfield(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT | GL_SCISSOR_BIT))
        return Unsupported("glPushAttrib of groups other than the colour, accumulation and scissor ones");
    if (c.attributeTop == AttributeDepth) return Unsupported("glPushAttrib more than 4 deep");
    Attributes& a = c.attributes[c.attributeTop++];
    a = {mask, c.blending, c.scissoring, c.sourceFactor, c.destinationFactor, {}, {}};
    std::memcpy(a.clearColour, c.clearColour, sizeof c.clearColour);
    std::memcpy(a.scissorBox, c.scissorBox, sizeof c.scissorBox);
}

// The colour group (blending, its factors, the clear colour) and the scissor group; the
// accumulation group's one state, its clear value, is always zero.
static void APIENTRY PopAttrib()
{
    Context& c = context;
    if (c.attributeTop == 0) return Unsupported("glPopAttrib with nothing pushed");
    const Attributes& a = c.attributes[--c.attributeTop];
    if (a.mask & GL_COLOR_BUFFER_BIT) {
        c.blending = a.blending;
        c.sourceFactor = a.sourceFactor;
        c.destinationFactor = a.destinationFactor;
        std::memcpy(c.clearColour, a.clearColour, sizeof c.clearColour);
    }
    if (a.mask & GL_SCISSOR_BIT) {
        c.scissoring = a.scissoring;
        std::memcpy(c.scissorBox, a.scissorBox, sizeof c.scissorBox);
    }
}

// The bits of the buffers: 8 a colour channel, no alpha, no depth, and 16 an accumulation
// channel (exact sums of up to 257 bytes).
static void APIENTRY GetIntegerv(GLenum name, GLint* value)
{
    switch (name) {
    case GL_RED_BITS: case GL_GREEN_BITS: case GL_BLUE_BITS: *value = 8; break;
    case GL_ALPHA_BITS: case GL_DEPTH_BITS: *value = 0; break;
    case GL_ACCUM_RED_BITS: case GL_ACCUM_GREEN_BITS: case GL_ACCUM_BLUE_BITS: case GL_ACCUM_ALPHA_BITS: *value = 16; break;
    default: Unsupported("glGetIntegerv of that state");
    }
}

static GLenum APIENTRY GetError()
{
    const GLenum last = context.error;
    context.error = GL_NO_ERROR;
    return last;
}

// ---- buffers

static void APIENTRY ClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat)
{
    const std::uint8_t colour[3] = {Byte(r), Byte(g), Byte(b)};
    std::memcpy(context.clearColour, colour, 3);
}

static void APIENTRY ClearAccum(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    if (r != 0 || g != 0 || b != 0 || a != 0) Unsupported("an accumulation clear value other than zero");
}

static void APIENTRY Clear(GLbitfield mask)
{
    Context& c = context;
    if (c.framebuffer.band.marking) return;
    const Box box = Drawable();
    if (mask & GL_COLOR_BUFFER_BIT) {
        std::uint32_t word;
        std::memcpy(&word, c.clearColour, 4);
        QueueClear(box, word);
    }
    if (mask & GL_ACCUM_BUFFER_BIT) {
        // To zero, the only value the render clears it to; a new weight may follow.
        Finish();
        ClearAccumulation(c.framebuffer, box, c.scissoring);
        c.weighted = false;
    }
}

// GL_ACCUM adds value x the colour buffer, and ends a pass: what was queued goes to the drawing
// threads, and the next pass's calls are taken while they draw it. Only one weight is kept
// between clears: an accumulation at another one is refused with GL_INVALID_OPERATION, as
// OpenGL's own errors are (the render's check reads it). GL_RETURN writes value x the sums
// back to the colour buffer.
static void APIENTRY Accum(GLenum operation, GLfloat value)
{
    Context& c = context;
    Framebuffer& framebuffer = c.framebuffer;
    if (operation == GL_ACCUM) {
        if (c.weighted && value != c.weight) {
            c.error = GL_INVALID_OPERATION;
            return;
        }
        c.weighted = true;
        c.weight = value;
        const bool band = framebuffer.band.only && !c.scissoring;
        if (band) {
            ++framebuffer.band.pendingAccumulations;
        } else {
            Finish();
            Settle(framebuffer);
            ScatterBand(framebuffer);
        }
        QueueAccumulation(Drawable(), band);
        Submit();
    } else if (operation == GL_RETURN) {
        Finish();
        ReturnAccumulation(framebuffer, Drawable(), c.weight * value);
    } else {
        Unsupported("glAccum operations other than GL_ACCUM and GL_RETURN");
    }
}

// ---- matrices and the window

static void APIENTRY Ortho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near, GLdouble far)
{
    // Single precision throughout, from the arguments rounded to float.
    const GLfloat l = GLfloat(left), r = GLfloat(right), b = GLfloat(bottom), t = GLfloat(top);
    const GLfloat n = GLfloat(near), f = GLfloat(far);
    const GLfloat m[16] = {2.0f / (r - l), 0, 0, 0,
                           0, 2.0f / (t - b), 0, 0,
                           0, 0, -2.0f / (f - n), 0,
                           -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
    MultiplyCurrent(m);
}

static void APIENTRY Translatef(GLfloat x, GLfloat y, GLfloat z)
{
    GLfloat* m = context.matrices[context.top];
    for (int row = 0; row < 4; ++row) m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

static void APIENTRY PushMatrix()
{
    Context& c = context;
    if (c.top + 1 == StackDepth) return Unsupported("glPushMatrix more than 32 deep");
    std::memcpy(c.matrices[c.top + 1], c.matrices[c.top], sizeof c.matrices[0]);
    ++c.top;
}

static void APIENTRY PopMatrix()
{
    if (context.top == 0) return Unsupported("glPopMatrix with nothing pushed");
    --context.top;
}

static void APIENTRY Viewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (x != 0 || y != 0 || width != ScreenWidth || height != ScreenHeight) Unsupported("a viewport other than the window");
}

// ---- pixels

static void APIENTRY PixelStorei(GLenum name, GLint value)
{
    const bool packed = value == 1 || value == 2 || value == 4;
    if ((name != GL_PACK_ALIGNMENT && name != GL_UNPACK_ALIGNMENT) || !packed) Unsupported("that pixel store");
}

static void APIENTRY PixelZoom(GLfloat x, GLfloat y)
{
    if (x != 1 || y != 1) Unsupported("a pixel zoom");
}

// Only as the empty bitmap that moves nothing (or to the window's origin and back, when the
// frame fills the window already).
static void APIENTRY Bitmap(GLsizei width, GLsizei height, GLfloat, GLfloat, GLfloat moveX, GLfloat moveY, const GLubyte*)
{
    if (width != 0 || height != 0 || moveX != 0 || moveY != 0) Unsupported("glBitmap other than the empty one that moves nothing");
}

static void APIENTRY DrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const void* pixels)
{
    if (!RgbaBytes(format, type)) return Unsupported("glDrawPixels of other than RGBA bytes");
    Context& c = context;
    Finish();
    Settle(c.framebuffer);
    ScatterBand(c.framebuffer);
    BlendPixels(c.framebuffer.colour, static_cast<const std::uint8_t*>(pixels), width, height,
                Blend(c.blending, c.sourceFactor, c.destinationFactor));
    GatherBand(c.framebuffer);
}

static void APIENTRY ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels)
{
    if (!RgbaBytes(format, type)) return Unsupported("glReadPixels of other than RGBA bytes");
    Finish();
    ScatterBand(context.framebuffer);
    auto* out = static_cast<std::uint8_t*>(pixels);
    const std::size_t w = std::clamp(width, 0, ScreenWidth - x), h = std::clamp(height, 0, ScreenHeight - y);
    for (std::size_t row = 0; row < h; ++row)
        std::memcpy(out + 4 * row * width, Bytes(context.framebuffer.colour) + 4 * ((y + row) * ScreenWidth + x), 4 * w);
}

// glFlush and glFinish: what is queued is drawn before they return.
static void APIENTRY FlushQueue() { Finish(); }

}  // namespace softgl

using namespace softgl;

const OpenGl softGl = {
    .Begin = Begin, .Vertex2s = Vertex2s, .End = End, .Color3ub = Color3ub, .Color4ub = Color4ub,
    .Enable = Enable, .Disable = Disable, .BlendFunc = BlendFunc, .Scissor = Scissor,
    .PushAttrib = PushAttrib, .PopAttrib = PopAttrib, .GetIntegerv = GetIntegerv, .GetError = GetError,
    .ClearColor = ClearColor, .ClearAccum = ClearAccum, .Clear = Clear, .Accum = Accum,
    .Ortho = Ortho, .PushMatrix = PushMatrix, .PopMatrix = PopMatrix,
    .Translatef = Translatef, .Viewport = Viewport,
    .PixelStorei = PixelStorei, .PixelZoom = PixelZoom, .Bitmap = Bitmap,
    .DrawPixels = DrawPixels, .ReadPixels = ReadPixels,
    .Flush = FlushQueue, .Finish = FlushQueue,
};

const std::uint8_t* SoftGlPixels()
{
    Finish();
    ScatterBand(context.framebuffer);
    return Bytes(context.framebuffer.colour);
}
