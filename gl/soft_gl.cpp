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
// The colour buffer has no alpha channel (every pixel reads back with alpha 255) and there is
// no depth buffer, as nothing is ever depth-tested. The accumulation buffer keeps exact sums of
// the accumulated bytes, all at one weight between clears, and returns OpenGL's average,
// round(weight x sum), with a single rounding at the end: the average the render defines.
//
// The edge band (SoftGlLimitToEdgeBand) restricts clears and triangles to the pixels near the
// edges of a drawing. Accumulations still cover every pixel: those outside the band keep their
// colour, so their additions are counted and made once, when something needs the sums.

#include "gl/soft_gl.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "gl/opengl.h"
#include "picture/picture.h"

namespace {

constexpr int StackDepth     = 32;
constexpr int MaxVertices    = 8;
constexpr int AttributeDepth = 4;
constexpr int SubPixel       = 256;  // vertex positions in 1/256 pixel

// RGBA bytes, bottom row first, a word a pixel so that runs of one colour are stored whole.
alignas(64) std::uint32_t colourBuffer[ScreenPixels];
std::uint8_t* const colourBytes = reinterpret_cast<std::uint8_t*>(colourBuffer);

GLfloat matrices[StackDepth][16] = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};  // column-major
int top;

std::uint8_t current[4] = {255, 255, 255, 255};
std::uint8_t clearColour[4] = {0, 0, 0, 255};
bool blending;
GLenum sourceFactor = GL_ONE, destinationFactor = GL_ZERO;

// The scissor box (x, y, width, height from the bottom-left corner) and whether it is in force.
bool scissoring;
GLint scissorBox[4] = {0, 0, ScreenWidth, ScreenHeight};
GLenum error = GL_NO_ERROR;

// What glPushAttrib saved, and which groups to put back.
struct Attributes {
    GLbitfield mask;
    bool blending, scissoring;
    GLenum sourceFactor, destinationFactor;
    std::uint8_t clearColour[4];
    GLint scissorBox[4];
} attributeStack[AttributeDepth];
int attributeTop;

// The accumulation buffer: per channel, the sum of the bytes accumulated since the clear, at
// accumulationWeight (set by the first accumulation). 16 bits hold 257 accumulations of 255.
alignas(64) std::uint16_t sums[4 * ScreenPixels];
bool weighted;
GLfloat accumulationWeight;

// The edge band. bandBits holds a bit for each of its pixels: bit x % 64 of word x / 64 of the
// pixel's row (rows bottom first, with a spare word at the end of each). While it is in force
// their colours live packed in bandColour, row after row, so that the band pixels of one row
// between two columns are a single run: a pixel's position there is bandBefore's entry for
// its word plus the band pixels before it in that word, and bandPixels takes a position back
// to its pixel. bandSums holds what accumulations have added there since the sums were last
// settled, and pendingAccumulations counts them for the pixels outside the band.
constexpr int BandWords = ScreenWidth / 64 + 1;
alignas(64) std::uint64_t bandBits[ScreenHeight][BandWords];
std::uint32_t bandBefore[ScreenHeight][BandWords];
alignas(64) std::uint32_t bandPixels[ScreenPixels];
alignas(64) std::uint32_t bandColour[ScreenPixels];
alignas(64) std::uint16_t bandSums[4 * ScreenPixels];
std::uint8_t* const bandBytes = reinterpret_cast<std::uint8_t*>(bandColour);
int bandSize, pendingAccumulations;
bool bandOnly, marking;
long long markReach;  // in 1/256 pixel

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

// Under the blend state a source channel s turns the channel d beneath it into
// min(255, add + d x factor / 255): source alpha over what lies beneath (the wash, and the
// composite at alpha 255) adds s x a and keeps 255 - a of d; the screen blend of the grain adds
// s and keeps 255 - s of d; without blending (or with any other pair of factors, which is not
// used) s replaces d.
enum class BlendKind { Copy, Over, Screen };
BlendKind CurrentBlend()
{
    if (blending && sourceFactor == GL_SRC_ALPHA && destinationFactor == GL_ONE_MINUS_SRC_ALPHA) return BlendKind::Over;
    if (blending && sourceFactor == GL_ONE && destinationFactor == GL_ONE_MINUS_SRC_COLOR) return BlendKind::Screen;
    return BlendKind::Copy;
}

std::uint8_t Blended(unsigned d, unsigned add, unsigned factor)
{
    return std::uint8_t(std::min(255u, add + MultiplyBytes(d, factor)));
}

// One source pixel over the pixel in the buffer; its alpha stays 255.
template <BlendKind kind>
void Blend(std::uint8_t* d, const std::uint8_t* s)
{
    for (int k = 0; k < 3; ++k) {
        if (kind == BlendKind::Over) d[k] = Blended(d[k], MultiplyBytes(s[k], s[3]), 255u - s[3]);
        if (kind == BlendKind::Screen) d[k] = Blended(d[k], s[k], 255u - s[k]);
        if (kind == BlendKind::Copy) d[k] = s[k];
    }
}

// Where the processor has 128-bit vectors (SSE2, NEON, WebAssembly SIMD), a run of pixels is
// blended with the current colour in 16-bit lanes: t = d x factor is at most 255 x 255, and
// t + t / 256 + 128 stays below 65536. Elsewhere a table of the 256 results of each channel
// is quicker.
#if defined(__SSE2__) || defined(__ARM_NEON) || defined(__wasm_simd128__)
constexpr bool Vectors = true;
#else
constexpr bool Vectors = false;
#endif
using Lanes = std::uint16_t __attribute__((vector_size(16)));
using LaneBytes = std::uint8_t __attribute__((vector_size(8)));

// Blended() on eight channels: the eight bytes at d.
[[maybe_unused]] void BlendLanes(std::uint8_t* d, Lanes add, Lanes factor)
{
    LaneBytes in;
    std::memcpy(&in, d, 8);
    const Lanes t = __builtin_convertvector(in, Lanes) * factor;
    Lanes out = add + ((t + (t >> 8) + 128) >> 8);
    out -= (out > 255) & (out - 255);
    const LaneBytes result = __builtin_convertvector(out, LaneBytes);
    std::memcpy(d, &result, 8);
}

void BlendRun(std::uint8_t* bytes, std::size_t pixels)
{
    // The current colour's terms for each channel; the alpha channel comes out 255.
    using u16 = std::uint16_t;
    u16 add[4] = {current[0], current[1], current[2], 255}, factor[4] = {0, 0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        if (CurrentBlend() == BlendKind::Over) {
            add[k] = u16(MultiplyBytes(current[k], current[3]));
            factor[k] = u16(255 - current[3]);
        }
        if (CurrentBlend() == BlendKind::Screen) factor[k] = u16(255 - current[k]);
    }
    const std::size_t count = 4 * pixels;
    std::size_t i = 0;
    if constexpr (Vectors) {
        // Two pixels at a time.
        Lanes addLanes = {}, factorLanes = {};
        for (int j = 0; j < 8; ++j) {
            addLanes[j] = add[j % 4];
            factorLanes[j] = factor[j % 4];
        }
        for (; i + 8 <= count; i += 8) BlendLanes(bytes + i, addLanes, factorLanes);
        for (; i < count; ++i) bytes[i] = Blended(bytes[i], add[i % 4], factor[i % 4]);
    } else {
        // Kept while the colour and the blend function stay the same, as they do for a layer.
        static std::uint8_t table[4][256];
        static u16 tableAdd[4] = {1}, tableFactor[4];
        if (std::memcmp(tableAdd, add, sizeof add) != 0 || std::memcmp(tableFactor, factor, sizeof factor) != 0) {
            for (int k = 0; k < 4; ++k)
                for (unsigned beneath = 0; beneath < 256; ++beneath) table[k][beneath] = Blended(beneath, add[k], factor[k]);
            std::memcpy(tableAdd, add, sizeof add);
            std::memcpy(tableFactor, factor, sizeof factor);
        }
        for (; i < count; i += 4)
            for (int k = 0; k < 3; ++k) bytes[i + k] = table[k][bytes[i + k]];
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

// floor(a / b) for b > 0 and |a| < 2^53: the quotient of the doubles (each exact) cut to a
// whole number, which can be one off, then set right exactly. Far cheaper than a 64-bit
// integer division, here and in WebAssembly.
long long FloorDivide(long long a, long long b)
{
    long long q = (long long)(double(a) / double(b));
    while (q * b > a) --q;
    while ((q + 1) * b <= a) ++q;
    return q;
}

// The pixels that clears, triangles and accumulations may touch: the window, or the part of it
// in the scissor box; as [x0, x1) x [y0, y1), rows bottom first.
struct Box {
    int x0, y0, x1, y1;
};
Box Drawable()
{
    if (!scissoring) return {0, 0, ScreenWidth, ScreenHeight};
    const GLint* b = scissorBox;
    return {std::clamp(b[0], 0, ScreenWidth), std::clamp(b[1], 0, ScreenHeight),
            std::clamp(b[0] + b[2], 0, ScreenWidth), std::clamp(b[1] + b[3], 0, ScreenHeight)};
}

// Where the columns first..last of a row (bottom first) are kept, as one run of words: in the
// colour buffer, or, while the band is in force, the run of the band's pixels among them.
struct Run {
    std::uint32_t* words;
    std::size_t count;
};
std::uint32_t BandPosition(int row, long long x)
{
    const std::uint64_t before = (std::uint64_t(1) << (x & 63)) - 1;
    return bandBefore[row][x >> 6] + std::uint32_t(std::popcount(bandBits[row][x >> 6] & before));
}
bool InBand(int row, int x) { return bandBits[row][x >> 6] >> (x & 63) & 1; }

Run RowRun(int row, long long first, long long last)
{
    if (!bandOnly) return {colourBuffer + std::size_t(row) * ScreenWidth + first, std::size_t(last - first + 1)};
    const std::uint32_t from = BandPosition(row, first);
    return {bandColour + from, BandPosition(row, last + 1) - from};
}

// The band's colours into the colour buffer, for what reads it whole, and back.
void ScatterBand()
{
    if (bandOnly)
        for (int i = 0; i < bandSize; ++i) colourBuffer[bandPixels[i]] = bandColour[i];
}
void GatherBand()
{
    if (bandOnly)
        for (int i = 0; i < bandSize; ++i) bandColour[i] = colourBuffer[bandPixels[i]];
}

// Brings the sums up to date: the accumulations counted for the pixels outside the band, whose
// colour has not changed since, and those of the band's pixels kept in bandSums.
void Settle()
{
    if (pendingAccumulations == 0) return;
    for (int row = 0; row < ScreenHeight; ++row)
        for (int x = 0; x < ScreenWidth; ++x) {
            if (InBand(row, x)) continue;
            const std::size_t i = 4 * (std::size_t(row) * ScreenWidth + x);
            for (int k = 0; k < 4; ++k) sums[i + k] = std::uint16_t(sums[i + k] + pendingAccumulations * colourBytes[i + k]);
        }
    for (int i = 0; i < bandSize; ++i)
        for (int k = 0; k < 4; ++k) sums[4 * bandPixels[i] + k] = std::uint16_t(sums[4 * bandPixels[i] + k] + bandSums[4 * i + k]);
    std::fill_n(bandSums, 4 * bandSize, 0);
    pendingAccumulations = 0;
}

// Marks every pixel whose centre lies within markReach of the edge from a to b (a square's
// reach around each point of it, which holds the round one).
void MarkEdge(Fixed a, Fixed b)
{
    if (a.y > b.y) std::swap(a, b);
    const long long r = markReach;
    const long long firstRow = std::max(0LL, -FloorDivide(-(a.y - r), SubPixel));
    const long long lastRow = std::min<long long>(ScreenHeight - 1, FloorDivide(b.y + r, SubPixel));
    for (long long row = firstRow; row <= lastRow; ++row) {
        // The part of the edge within r of the row's centres, and the columns within r of it
        // (one more 1/256 pixel either way for the rounding of the interpolation).
        const long long py = row * SubPixel;
        const long long y0 = std::max(a.y, py - r), y1 = std::min(b.y, py + r);
        double x0 = double(a.x), x1 = double(b.x);
        if (b.y != a.y) {
            const double slope = double(b.x - a.x) / double(b.y - a.y);
            x0 = double(a.x) + slope * double(y0 - a.y);
            x1 = double(a.x) + slope * double(y1 - a.y);
        }
        const double low = std::min(x0, x1) - double(r + 1), high = std::max(x0, x1) + double(r + 1);
        const long long first = std::max(0LL, (long long)std::ceil(low / SubPixel));
        const long long last = std::min<long long>(ScreenWidth - 1, (long long)std::floor(high / SubPixel));
        for (long long x = first; x <= last; ++x) bandBits[ScreenHeight - 1 - row][x >> 6] |= std::uint64_t(1) << (x & 63);
    }
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

    std::uint32_t opaque;
    const std::uint8_t bytes[4] = {current[0], current[1], current[2], 255};
    std::memcpy(&opaque, bytes, 4);

    // Rows here count down from the top; the box's count up.
    const Box box = Drawable();
    const long long yLow = std::min({v0.y, v1.y, v2.y}), yHigh = std::max({v0.y, v1.y, v2.y});
    const int firstRow = int(std::max<long long>(ScreenHeight - box.y1, -FloorDivide(-yLow, SubPixel)));
    const int lastRow = int(std::min<long long>(ScreenHeight - 1 - box.y0, FloorDivide(yHigh, SubPixel)));

    // E at column X of a row is k - dy x 256 X, and must be at least least[i]. For a
    // horizontal edge (dy = 0) that holds on whole rows or none, and k grows by dx x 256 a row:
    // it bounds the rows. Otherwise, with s = |dy| x 256, it bounds the columns: up to
    // floor(k / s) where dy > 0, from -floor(k / s) where dy < 0; from one row to the next k
    // grows by dx x 256 too, so floor(k / s) is stepped exactly with its remainder instead of
    // divided anew.
    const auto kAt = [&](int i, long long row) { return dy[i] * v[i].x - dx[i] * (v[i].y - row * SubPixel) - least[i]; };
    long long rowLow = firstRow, rowHigh = lastRow;
    for (int i = 0; i < 3; ++i) {
        if (dy[i] != 0) continue;
        const long long growth = dx[i] * SubPixel, k = kAt(i, firstRow);
        if (growth > 0) rowLow = std::max(rowLow, firstRow - FloorDivide(k, growth));
        else rowHigh = std::min(rowHigh, firstRow + FloorDivide(k, -growth));
    }
    struct Bound {
        long long quotient, remainder, s, stepQuotient, stepRemainder;
        long long Next()
        {
            const long long now = quotient;
            remainder += stepRemainder;
            const long long carry = remainder >= s;
            remainder -= carry * s;
            quotient += stepQuotient + carry;
            return now;
        }
    } rights[2], lefts[2];
    int rightCount = 0, leftCount = 0;
    for (int i = 0; i < 3; ++i) {
        if (dy[i] == 0) continue;
        Bound b;
        b.s = std::abs(dy[i]) * SubPixel;
        const long long k = kAt(i, rowLow);
        b.quotient = FloorDivide(k, b.s);
        b.remainder = k - b.quotient * b.s;
        b.stepQuotient = FloorDivide(dx[i] * SubPixel, b.s);
        b.stepRemainder = dx[i] * SubPixel - b.stepQuotient * b.s;
        if (dy[i] > 0) rights[rightCount++] = b;
        else lefts[leftCount++] = b;
    }
    for (long long row = rowLow; row <= rowHigh; ++row) {
        long long left = box.x0, right = box.x1 - 1;
        for (int i = 0; i < rightCount; ++i) right = std::min(right, rights[i].Next());
        for (int i = 0; i < leftCount; ++i) left = std::max(left, -lefts[i].Next());
        if (left > right) continue;
        const Run run = RowRun(ScreenHeight - 1 - int(row), left, right);
        if (!blending) std::fill_n(run.words, run.count, opaque);
        else BlendRun(reinterpret_cast<std::uint8_t*>(run.words), run.count);
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
    if (marking) {
        const Fixed corners[3] = {Snap(a), Snap(b), Snap(c)};
        for (int i = 0; i < 3; ++i) MarkEdge(corners[i], corners[(i + 1) % 3]);
        return;
    }
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

const std::uint8_t* SoftGlPixels()
{
    ScatterBand();
    return colourBytes;
}

int SoftGlLimitToEdgeBand(void (*draw)(), float reach)
{
    SoftGlDrawEverywhere();
    std::memset(bandBits, 0, sizeof bandBits);
    // The reach, and 1/16 pixel more for the snap to 1/256 pixel and the single-precision
    // roundings of the vertices, which move an edge by far less.
    markReach = (long long)std::ceil(reach * SubPixel) + SubPixel / 16;
    marking = true;
    draw();
    marking = false;

    std::uint32_t size = 0;
    for (int row = 0; row < ScreenHeight; ++row)
        for (int word = 0; word < BandWords; ++word) {
            bandBefore[row][word] = size;
            for (std::uint64_t bits = bandBits[row][word]; bits; bits &= bits - 1)
                bandPixels[size++] = std::uint32_t(row * ScreenWidth + 64 * word + std::countr_zero(bits));
        }
    bandSize = int(size);
    std::fill_n(bandSums, 4 * bandSize, 0);
    bandOnly = true;
    GatherBand();
    return bandSize;
}

void SoftGlDrawEverywhere()
{
    Settle();
    ScatterBand();
    bandOnly = false;
}

int SoftGlDrawLaterPassesNearEdges()
{
    const float pixelsPerUnit = std::max(float(ScreenWidth) / DesignWidth, float(ScreenHeight) / DesignHeight);
    return SoftGlLimitToEdgeBand(DrawPicture, LargestPassShift * pixelsPerUnit);
}

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
    if (marking) return;
    const Box box = Drawable();
    if (mask & GL_COLOR_BUFFER_BIT) {
        std::uint32_t word;
        std::memcpy(&word, clearColour, 4);
        for (int row = box.y0; row < box.y1 && box.x0 < box.x1; ++row) {
            const Run run = RowRun(row, box.x0, box.x1 - 1);
            std::fill_n(run.words, run.count, word);
        }
    }
    if (mask & GL_ACCUM_BUFFER_BIT) {
        // To zero, the only value the render clears it to; a new weight may follow.
        if (scissoring) {
            Settle();
        } else {
            std::fill_n(bandSums, 4 * bandSize, 0);
            pendingAccumulations = 0;
        }
        for (int row = box.y0; row < box.y1; ++row)
            std::fill_n(sums + 4 * (std::size_t(row) * ScreenWidth + box.x0), 4 * (box.x1 - box.x0), 0);
        weighted = false;
    }
}

void glEnable(GLenum capability)
{
    if (capability == GL_BLEND) blending = true;
    if (capability == GL_SCISSOR_TEST) scissoring = true;
}

void glDisable(GLenum capability)
{
    if (capability == GL_BLEND) blending = false;
    if (capability == GL_SCISSOR_TEST) scissoring = false;
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height)
{
    const GLint box[4] = {x, y, width, height};
    std::memcpy(scissorBox, box, sizeof box);
}

// GL_ACCUM adds value x the colour buffer, GL_RETURN writes value x the sums back to it. Only
// one weight is kept between clears: an accumulation at another one is refused with
// GL_INVALID_OPERATION, as are the other operations, which the render does not use.
void glAccum(GLenum operation, GLfloat value)
{
    const Box box = Drawable();
    if (operation == GL_ACCUM) {
        if (weighted && value != accumulationWeight) {
            error = GL_INVALID_OPERATION;
            return;
        }
        weighted = true;
        accumulationWeight = value;
        if (bandOnly && !scissoring) {
            // Outside the band the colour has not changed since the last pass: counted, added
            // when the sums are next needed.
            ++pendingAccumulations;
            for (int i = 0; i < 4 * bandSize; ++i) bandSums[i] = std::uint16_t(bandSums[i] + bandBytes[i]);
            return;
        }
        Settle();
        ScatterBand();
        for (int row = box.y0; row < box.y1; ++row)
            for (std::size_t i = 4 * (std::size_t(row) * ScreenWidth + box.x0); i < 4 * (std::size_t(row) * ScreenWidth + box.x1); ++i)
                sums[i] = std::uint16_t(sums[i] + colourBytes[i]);
    } else if (operation == GL_RETURN) {
        Settle();
        ScatterBand();
        // A sum is a whole number below 65536, so a table of the byte each one returns serves
        // the whole buffer.
        static std::uint8_t returned[65536];
        for (unsigned sum = 0; sum < 65536; ++sum) returned[sum] = ReturnedByte(sum, accumulationWeight * value);
        for (int row = box.y0; row < box.y1; ++row)
            for (std::size_t i = 4 * (std::size_t(row) * ScreenWidth + box.x0); i < 4 * (std::size_t(row) * ScreenWidth + box.x1); i += 4) {
                for (int k = 0; k < 3; ++k) colourBytes[i + k] = returned[sums[i + k]];
                colourBytes[i + 3] = 255;
            }
        GatherBand();
    } else {
        error = GL_INVALID_OPERATION;
    }
}

void glBlendFunc(GLenum source, GLenum destination)
{
    sourceFactor = source;
    destinationFactor = destination;
}

// RGBA bytes, tightly packed, at the window's origin (the raster position is never moved).
void glDrawPixels(GLsizei width, GLsizei height, GLenum, GLenum, const void* pixels)
{
    Settle();
    ScatterBand();
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    const std::size_t w = std::min(width, ScreenWidth), h = std::min(height, ScreenHeight);
    const BlendKind kind = CurrentBlend();
    for (std::size_t y = 0; y < h; ++y) {
        std::size_t x = 0;
        std::uint8_t* d = colourBytes + 4 * y * ScreenWidth;
        const std::uint8_t* s = source + 4 * y * width;
        // Two pixels at a time where the processor has vectors: the screen blend's terms are
        // each channel's own (and give 255 on the alpha channel, 255 beneath), those of source
        // alpha over come from the pixel's alpha (and the alpha channel is set).
        if constexpr (Vectors)
            for (; x + 2 <= w && kind != BlendKind::Copy; x += 2) {
                LaneBytes in;
                std::memcpy(&in, s + 4 * x, 8);
                const Lanes lanes = __builtin_convertvector(in, Lanes);
                if (kind == BlendKind::Screen) {
                    BlendLanes(d + 4 * x, lanes, 255 - lanes);
                } else {
                    const Lanes alpha = __builtin_shufflevector(lanes, lanes, 3, 3, 3, 3, 7, 7, 7, 7);
                    const Lanes t = lanes * alpha;
                    BlendLanes(d + 4 * x, (t + (t >> 8) + 128) >> 8, 255 - alpha);
                    d[4 * x + 3] = d[4 * x + 7] = 255;
                }
            }
        for (; x < w; ++x) {
            if (kind == BlendKind::Over) Blend<BlendKind::Over>(d + 4 * x, s + 4 * x);
            else if (kind == BlendKind::Screen) Blend<BlendKind::Screen>(d + 4 * x, s + 4 * x);
            else Blend<BlendKind::Copy>(d + 4 * x, s + 4 * x);
        }
    }
    GatherBand();
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum, GLenum, void* pixels)
{
    ScatterBand();
    auto* out = static_cast<std::uint8_t*>(pixels);
    const std::size_t w = std::clamp(width, 0, ScreenWidth - x), h = std::clamp(height, 0, ScreenHeight - y);
    for (std::size_t row = 0; row < h; ++row)
        std::memcpy(out + 4 * row * width, colourBytes + 4 * ((y + row) * ScreenWidth + x), 4 * w);
}

// Asked for the bits of the buffers: 8 a colour channel, no alpha, and 16 an accumulation
// channel (exact sums of up to 257 bytes).
void glGetIntegerv(GLenum name, GLint* value)
{
    switch (name) {
    case GL_RED_BITS: case GL_GREEN_BITS: case GL_BLUE_BITS: *value = 8; break;
    case GL_ACCUM_RED_BITS: case GL_ACCUM_GREEN_BITS: case GL_ACCUM_BLUE_BITS: case GL_ACCUM_ALPHA_BITS: *value = 16; break;
    default: *value = 0;
    }
}

GLenum glGetError()
{
    const GLenum last = error;
    error = GL_NO_ERROR;
    return last;
}

// The colour group (blending, its factors, the clear colour) and the scissor group.
void glPushAttrib(GLbitfield mask)
{
    if (attributeTop == AttributeDepth) return;
    Attributes& a = attributeStack[attributeTop++];
    a = {mask, blending, scissoring, sourceFactor, destinationFactor, {}, {}};
    std::memcpy(a.clearColour, clearColour, sizeof clearColour);
    std::memcpy(a.scissorBox, scissorBox, sizeof scissorBox);
}

void glPopAttrib()
{
    if (attributeTop == 0) return;
    const Attributes& a = attributeStack[--attributeTop];
    if (a.mask & GL_COLOR_BUFFER_BIT) {
        blending = a.blending;
        sourceFactor = a.sourceFactor;
        destinationFactor = a.destinationFactor;
        std::memcpy(clearColour, a.clearColour, sizeof clearColour);
    }
    if (a.mask & GL_SCISSOR_BIT) {
        scissoring = a.scissoring;
        std::memcpy(scissorBox, a.scissorBox, sizeof scissorBox);
    }
}

// The accumulation buffer clears to zero, the only value the render asks for.
void glClearAccum(GLfloat, GLfloat, GLfloat, GLfloat) {}
// The canvas is always ScreenWidth x ScreenHeight, so the frame is never zoomed or moved here.
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glPixelZoom(GLfloat, GLfloat) {}
void glBitmap(GLsizei, GLsizei, GLfloat, GLfloat, GLfloat, GLfloat, const GLubyte*) {}
void glPixelStorei(GLenum, GLint) {}
void glFlush() {}
void glFinish() {}

}  // extern "C"
