// The OpenGL 1.1 calls of the picture and the pipeline, computed on the CPU.
//
// A browser's WebGL snaps vertices to 1/16 pixel, so an edge that a pass's shift brings within
// 1/32 pixel of a pixel centre may fall on the other side of it than on Linux, and over 255
// passes the edges of the picture come out a few levels apart. The browser entry draws here
// instead, to the rules of the Linux programs' rasteriser (Mesa's llvmpipe), and its picture
// is the same to the last bit:
// - vertices go through the model-view matrix in single precision, one rounding after every
//   product and sum, in the order of Mesa's vertex program; the viewport is applied with a
//   fused multiply-add, as Mesa's compiled vertex stage does on processors that have one;
// - a triangle that reaches past the window is first cut at its edges in clip space (the
//   new vertices computed in plain single precision, as Mesa's clipper does);
// - window positions are snapped to 1/256 pixel, rounding half to even, with pixel centres
//   on whole numbers;
// - a polygon is a fan of triangles from its first vertex, a quad two triangles; a pixel is
//   drawn when its centre lies inside a triangle, or on a left or bottom edge, decided with
//   exact integer edge functions;
// - colours are bytes, and blending is done in bytes as the rasteriser's blend stage does it.
// The colour buffer has no alpha channel (every pixel reads back with alpha 255) and no other
// buffer is ever tested, so depth and accumulation requests do nothing.

#include "gl/soft_gl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/buffers.h"
#include "gl/opengl.h"

namespace {

constexpr int StackDepth  = 32;
constexpr int MaxVertices = 8;
constexpr int SubPixel    = 256;  // vertex positions in 1/256 pixel

// RGBA bytes, bottom row first, a word a pixel so that runs of one colour are stored whole.
alignas(64) std::uint32_t colourBuffer[ScreenPixels];
std::uint8_t* const colourBytes = reinterpret_cast<std::uint8_t*>(colourBuffer);

GLfloat matrices[StackDepth][16] = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};  // column-major
int top;

std::uint8_t current[4] = {255, 255, 255, 255};
std::uint8_t clearColour[4] = {0, 0, 0, 255};
bool blending;
GLenum sourceFactor = GL_ONE, destinationFactor = GL_ZERO;

GLenum primitive;
int vertexCount;
struct Clip {
    GLfloat x, y;  // clip coordinates; z is 0 and w is 1 throughout
    bool cut;      // made by clipping
} vertices[MaxVertices];
struct Fixed {
    long long x, y;  // window position, 1/256 pixel, rows counted down from the top
};

std::uint8_t Byte(GLfloat c)
{
    return std::uint8_t(std::lrint(std::clamp(c, 0.0f, 1.0f) * 255.0f));
}

// a x b / 255 for bytes as the blend stage approximates it: t / 255 as (t + t / 256) / 256,
// rounded. It is round(a x b / 255) but for a few products, which come out one low.
unsigned MultiplyBytes(unsigned a, unsigned b)
{
    const unsigned t = a * b;
    return (t + (t >> 8) + 128) >> 8;
}

// One source pixel over the pixel in the buffer, under the blend state: source alpha over
// what lies beneath (the wash, and the composite at alpha 255), or the screen blend of the
// grain; any other pair of factors is not used and copies.
void Blend(std::uint8_t* d, const std::uint8_t* s)
{
    const bool over = sourceFactor == GL_SRC_ALPHA && destinationFactor == GL_ONE_MINUS_SRC_ALPHA;
    const bool screen = sourceFactor == GL_ONE && destinationFactor == GL_ONE_MINUS_SRC_COLOR;
    for (int k = 0; k < 3; ++k) {
        unsigned out = s[k];
        if (blending && over) out = MultiplyBytes(s[k], s[3]) + MultiplyBytes(d[k], 255u - s[3]);
        if (blending && screen) out = s[k] + MultiplyBytes(d[k], 255u - s[k]);
        d[k] = std::uint8_t(std::min(255u, out));
    }
}

// current = current x m, both column-major, each element summed in the order k = 0..3 with
// one rounding per step.
void MultiplyCurrent(const GLfloat* m)
{
    GLfloat* c = matrices[top];
    GLfloat product[16];
    for (std::size_t column = 0; column < 4; ++column)
        for (std::size_t row = 0; row < 4; ++row) {
            GLfloat sum = c[row] * m[column * 4];
            for (std::size_t k = 1; k < 4; ++k) sum = sum + c[k * 4 + row] * m[column * 4 + k];
            product[column * 4 + row] = sum;
        }
    std::memcpy(c, product, sizeof product);
}

long long FloorDivide(long long a, long long b)  // b > 0
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The viewport over the whole window with rows counted down, then the snap of the position
// less half a pixel, so that pixel centres fall on whole numbers.
Fixed Snap(Clip c)
{
    const GLfloat halfWidth = GLfloat(ScreenWidth) / 2, halfHeight = GLfloat(ScreenHeight) / 2;
    const GLfloat windowX = c.cut ? c.x * halfWidth + halfWidth : std::fma(c.x, halfWidth, halfWidth);
    const GLfloat windowY = c.cut ? c.y * -halfHeight + halfHeight : std::fma(c.y, -halfHeight, halfHeight);
    return {std::lrint((windowX - 0.5f) * SubPixel), std::lrint((windowY - 0.5f) * SubPixel)};
}

// Fills one triangle of snapped window positions with the current colour.
void Fill(Fixed v0, Fixed v1, Fixed v2)
{
    long long area = (v0.x - v1.x) * (v2.y - v0.y) - (v2.x - v0.x) * (v0.y - v1.y);
    if (area == 0) return;
    if (area < 0) std::swap(v0, v1);
    const Fixed v[3] = {v0, v1, v2};

    // Edge i runs from v[i] to v[i + 1]; E(p) = dy (x_i - p.x) - dx (y_i - p.y) is positive
    // inside. A centre on the edge (E = 0) is inside for left edges (dy < 0, the inside
    // towards larger x) and bottom edges (dy = 0, dx < 0, the inside above), so that a pixel
    // on an edge shared by two triangles is drawn once.
    long long dy[3], dx[3], least[3];
    for (int i = 0; i < 3; ++i) {
        const Fixed& a = v[i];
        const Fixed& b = v[(i + 1) % 3];
        dy[i] = a.y - b.y;
        dx[i] = a.x - b.x;
        least[i] = dy[i] < 0 || (dy[i] == 0 && dx[i] < 0) ? 0 : 1;
    }

    // The current colour as a word, or blended over each byte that can lie beneath it.
    std::uint32_t opaque;
    const std::uint8_t bytes[4] = {current[0], current[1], current[2], 255};
    std::memcpy(&opaque, bytes, 4);
    std::uint8_t blended[3][256];
    if (blending)
        for (int beneath = 0; beneath < 256; ++beneath) {
            std::uint8_t pixel[4] = {std::uint8_t(beneath), std::uint8_t(beneath), std::uint8_t(beneath), 255};
            Blend(pixel, current);
            for (int k = 0; k < 3; ++k) blended[k][beneath] = pixel[k];
        }

    const long long yLow = std::min({v0.y, v1.y, v2.y}), yHigh = std::max({v0.y, v1.y, v2.y});
    const int firstRow = int(std::max(0LL, -FloorDivide(-yLow, SubPixel)));
    const int lastRow = int(std::min<long long>(ScreenHeight - 1, FloorDivide(yHigh, SubPixel)));
    for (int row = firstRow; row <= lastRow; ++row) {
        const long long py = static_cast<long long>(row) * SubPixel;
        long long left = 0, right = ScreenWidth - 1;
        for (int i = 0; i < 3 && left <= right; ++i) {
            // E at column X is k - dy x 256 X, and must be at least least[i].
            const long long k = dy[i] * v[i].x - dx[i] * (v[i].y - py) - least[i];
            const long long step = dy[i] * SubPixel;
            if (step == 0) {
                if (k < 0) left = right + 1;
            } else if (step > 0) {
                right = std::min(right, FloorDivide(k, step));
            } else {
                left = std::max(left, -FloorDivide(k, -step));
            }
        }
        const std::size_t first = std::size_t(ScreenHeight - 1 - row) * ScreenWidth + std::size_t(left);
        if (!blending) {
            std::fill_n(colourBuffer + first, right - left + 1, opaque);
        } else {
            std::uint8_t* pixel = colourBytes + 4 * first;
            for (long long x = left; x <= right; ++x, pixel += 4)
                for (int k = 0; k < 3; ++k) pixel[k] = blended[k][pixel[k]];
        }
    }
}

// How far inside clip plane `plane` a vertex lies (negative outside): the planes x = w,
// x = -w, y = w, y = -w in that order.
GLfloat Inside(Clip c, int plane)
{
    switch (plane) {
    case 0: return 1 - c.x;
    case 1: return c.x + 1;
    case 2: return 1 - c.y;
    default: return c.y + 1;
    }
}

// A triangle that reaches past the window is cut at its edges first, one plane after the
// other, into a convex polygon with new vertices interpolated in clip space; the polygon is
// then filled as a fan from its first vertex. A triangle wholly outside one plane is dropped.
void Triangle(Clip a, Clip b, Clip c)
{
    unsigned outside[3] = {}, any = 0, all = ~0u;
    const Clip corners[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        for (int plane = 0; plane < 4; ++plane)
            if (Inside(corners[i], plane) < 0) outside[i] |= 1u << plane;
        any |= outside[i];
        all &= outside[i];
    }
    if (all) return;
    if (!any) {
        Fill(Snap(a), Snap(b), Snap(c));
        return;
    }

    Clip lists[2][3 + 4 + 1] = {{a, b, c}};
    int n = 3, in = 0;
    for (int plane = 0; plane < 4 && n >= 3; ++plane) {
        if (!(any & (1u << plane))) continue;
        const Clip* from = lists[in];
        Clip* to = lists[1 - in];
        int count = 0;
        GLfloat previousInside = Inside(from[0], plane);
        for (int i = 1; i <= n; ++i) {
            const Clip& previous = from[i - 1];
            const Clip& vertex = from[i % n];
            const GLfloat inside = Inside(vertex, plane);
            if (previousInside >= 0) to[count++] = previous;
            if ((previousInside >= 0) != (inside >= 0)) {
                // The new vertex lies on the plane: out + t (in - out), t = d_out / (d_out - d_in).
                const bool goingOut = inside < 0;
                const Clip& out = goingOut ? vertex : previous;
                const Clip& into = goingOut ? previous : vertex;
                const GLfloat dOut = goingOut ? inside : previousInside;
                const GLfloat dIn = goingOut ? previousInside : inside;
                const GLfloat t = dOut / (dOut - dIn);
                to[count++] = {out.x + t * (into.x - out.x), out.y + t * (into.y - out.y), true};
            }
            previousInside = inside;
        }
        n = count;
        in = 1 - in;
    }
    const Clip* polygon = lists[in];
    for (int i = 2; i < n; ++i) Fill(Snap(polygon[i - 1]), Snap(polygon[i]), Snap(polygon[0]));
}

}  // namespace

const std::uint8_t* SoftGlPixels() { return colourBytes; }

extern "C" {

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top_, GLdouble near, GLdouble far)
{
    // Single precision throughout, from the arguments rounded to float.
    const GLfloat l = GLfloat(left), r = GLfloat(right), b = GLfloat(bottom), t = GLfloat(top_);
    const GLfloat n = GLfloat(near), f = GLfloat(far);
    const GLfloat m[16] = {2.0f / (r - l), 0, 0, 0,
                           0, 2.0f / (t - b), 0, 0,
                           0, 0, -2.0f / (f - n), 0,
                           -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
    MultiplyCurrent(m);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    GLfloat* m = matrices[top];
    for (int row = 0; row < 4; ++row) m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
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
    current[0] = r;
    current[1] = g;
    current[2] = b;
    current[3] = a;
}

void glBegin(GLenum mode)
{
    primitive = mode;
    vertexCount = 0;
}

void glVertex2s(GLshort x, GLshort y)
{
    if (vertexCount == MaxVertices) return;
    // Clip coordinates: the model-view column sums for (x, y, 0, 1).
    const GLfloat* m = matrices[top];
    vertices[vertexCount++] = {GLfloat(GLfloat(x * m[0]) + y * m[4]) + m[12], GLfloat(GLfloat(x * m[1]) + y * m[5]) + m[13], false};
}

void glEnd()
{
    if (primitive == GL_QUADS) {
        for (int i = 0; i + 3 < vertexCount; i += 4) {
            Triangle(vertices[i], vertices[i + 1], vertices[i + 3]);
            Triangle(vertices[i + 1], vertices[i + 2], vertices[i + 3]);
        }
    } else {
        for (int i = 1; i + 1 < vertexCount; ++i) Triangle(vertices[0], vertices[i], vertices[i + 1]);
    }
}

void glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat)
{
    clearColour[0] = Byte(r);
    clearColour[1] = Byte(g);
    clearColour[2] = Byte(b);
}

void glClear(GLbitfield mask)
{
    if (!(mask & GL_COLOR_BUFFER_BIT)) return;
    std::uint32_t word;
    std::memcpy(&word, clearColour, 4);
    std::fill_n(colourBuffer, ScreenPixels, word);
}

void glEnable(GLenum capability)
{
    if (capability == GL_BLEND) blending = true;
}

void glDisable(GLenum capability)
{
    if (capability == GL_BLEND) blending = false;
}

void glBlendFunc(GLenum source, GLenum destination)
{
    sourceFactor = source;
    destinationFactor = destination;
}

// RGBA bytes, tightly packed, at the window's origin (the raster position is never moved).
void glDrawPixels(GLsizei width, GLsizei height, GLenum, GLenum, const void* pixels)
{
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    const std::size_t w = std::min(width, ScreenWidth), h = std::min(height, ScreenHeight);
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) Blend(colourBytes + 4 * (y * ScreenWidth + x), source + 4 * (y * width + x));
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum, GLenum, void* pixels)
{
    auto* out = static_cast<std::uint8_t*>(pixels);
    const std::size_t w = std::clamp(width, 0, ScreenWidth - x), h = std::clamp(height, 0, ScreenHeight - y);
    for (std::size_t row = 0; row < h; ++row)
        std::memcpy(out + 4 * row * width, colourBytes + 4 * ((y + row) * ScreenWidth + x), 4 * w);
}

// Asked only for the accumulation buffer's bits: there is none, and the render then averages
// its passes on the CPU.
void glGetIntegerv(GLenum, GLint* value) { *value = 0; }

GLenum glGetError() { return GL_NO_ERROR; }
void glAccum(GLenum, GLfloat) {}
void glClearAccum(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glPushAttrib(GLbitfield) {}
void glPopAttrib() {}
void glScissor(GLint, GLint, GLsizei, GLsizei) {}
// The canvas is always ScreenWidth x ScreenHeight, so the frame is never zoomed or moved here.
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glPixelZoom(GLfloat, GLfloat) {}
void glBitmap(GLsizei, GLsizei, GLfloat, GLfloat, GLfloat, GLfloat, const GLubyte*) {}
void glPixelStorei(GLenum, GLint) {}
void glFlush() {}
void glFinish() {}

}  // extern "C"
