// Inside Vellum's OpenGL: its one context, and the stages, which each take what they work on
// as arguments. Only gl/ includes this.
//
// A call goes through the stages in this order: soft_gl.cpp takes it (state, matrices,
// vertices, clears, pixels); clip.cpp cuts each triangle at the window's edges and snaps its
// corners to window positions; raster.cpp sets the triangle up and finds the pixels it covers;
// blend.cpp writes them; accumulation.cpp keeps the accumulation buffer; band.cpp limits all
// of it to the pixels near a drawing's edges when the render asks. Clears, triangles and
// accumulations are queued as commands and drawn by stripes of rows, one stripe a thread
// (stripes.cpp), each stage told its stripe; everything else waits for the queue to drain.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/buffers.h"
#include "gl/opengl.h"

namespace softgl {

constexpr int StackDepth     = 32;
constexpr int MaxVertices    = 8;
constexpr int AttributeDepth = 4;
constexpr int SubPixel       = 256;  // vertex positions in 1/256 pixel
constexpr int BandWords      = ScreenWidth / 64 + 1;
// The most pixels a band keeps: a quarter of the window. The picture's is under a tenth; a
// wider one is not kept, and everything is drawn instead.
constexpr int BandCapacity   = ScreenPixels / 4;
// The most threads that draw: past 8, a pass's share of a thread is too little to pay for
// waking it (a 1280 x 720 pass takes under a millisecond on one).
constexpr int MaxThreads     = 8;

struct Clip {
    GLfloat x, y;  // clip coordinates; z is 0 and w is 1 throughout
    bool cut;      // made by clipping
};
struct Fixed {
    long long x, y;  // window position, 1/256 pixel, rows counted down from the top
};
// Pixels as [x0, x1) x [y0, y1), rows bottom first.
struct Box {
    int x0, y0, x1, y1;
};
// The rows [y0, y1), bottom first, that one thread draws.
struct Stripe {
    int y0, y1;
};
// Where the columns first..last of a row are kept, as one run of words.
struct Run {
    std::uint32_t* words;
    std::size_t count;
};

// How a source colour meets the pixel beneath: replacing it (blending off, or GL_ONE over
// GL_ZERO), source alpha over it (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA), or the screen blend
// (GL_ONE, GL_ONE_MINUS_SRC_COLOR).
enum class BlendKind : std::uint8_t { Copy, Over, Screen };

// What a triangle's pixels become, made once from the current colour and blend state: the
// word that replaces them, or for each channel k, min(255, add[k] + beneath x factor[k] / 255)
// (blend.cpp), with the 256 results of each channel in `table` where the processor has no
// vectors.
struct Paint {
    std::uint32_t word;
    BlendKind kind;
    std::uint16_t add[4], factor[4];
    std::uint8_t table[3][256];
};

// A triangle set up for filling (raster.cpp): its rows, counted down from the top, the columns
// it may touch, and its sloped edges, each bounding a row's columns on one side.
struct Edge {
    // At row r the bound is floor((constant + growth x r) / divisor), a last column where
    // `right`, a first column's negation otherwise; growth / divisor as a quotient and a
    // remainder steps it from row to row.
    long long constant, growth, divisor, stepQuotient, stepRemainder;
    bool right;
};
struct Triangle {
    Edge edges[3];
    int edgeCount;
    int firstRow, lastRow;      // top first
    int firstColumn, lastColumn;
};

// What glPushAttrib saved, and which groups to put back.
struct Attributes {
    GLbitfield mask;
    bool blending, scissoring;
    GLenum sourceFactor, destinationFactor;
    std::uint8_t clearColour[4];
    GLint scissorBox[4];
};

// The edge band: the pixels near the edges of a drawing, the only ones a repeat of it under
// small shifts can change. `bits` holds a bit for each of its pixels: bit x % 64 of word
// x / 64 of the pixel's row (rows bottom first, with a spare word at the end of each).
//
// While the band is in force (`only`), clears and triangles reach only its pixels, whose
// colours live packed in `colour`, row after row, so that the band pixels of one row between
// two columns are one run, and a stripe's rows one run too: a pixel's position there is
// `before`'s entry for its word plus the band pixels before it in that word, and `pixels`
// takes a position back to its pixel. Accumulations add the packed colours into the band's
// `sums` and only count themselves (`pendingAccumulations`) for the pixels outside, whose
// colour does not change. So the framebuffer's `colour` and `sums` are stale for the band's
// pixels, and these rules keep them true:
// - Settle (accumulation.cpp) adds the counted accumulations and the band's sums into `sums`;
//   whatever reads or replaces the sums settles first (a return, a clear under a scissor, an
//   accumulation that is not the band's).
// - ScatterBand (band.cpp) copies the packed colours out to `colour`, for whatever reads the
//   colour buffer whole (reading pixels, accumulating or drawing pixels over it);
// - GatherBand copies them back in after anything that wrote the colour buffer whole (a
//   return, drawing pixels), since the band's colours are the ones the drawing keeps.
// While `marking`, triangles mark the pixels within `reach` (1/256 pixel) of their edges
// instead of being drawn.
struct Band {
    alignas(64) std::uint64_t bits[ScreenHeight][BandWords];
    alignas(64) std::uint32_t pixels[BandCapacity];
    alignas(64) std::uint32_t colour[BandCapacity];
    alignas(64) std::uint16_t sums[4 * BandCapacity];
    std::uint32_t before[ScreenHeight + 1][BandWords];  // the last row's entry is the size
    long long reach;
    int size, pendingAccumulations;
    bool only, marking;
};

// The buffers the stages draw in.
struct Framebuffer {
    // RGBA bytes, bottom row first, a word a pixel so that runs of one colour are stored whole.
    alignas(64) std::uint32_t colour[ScreenPixels];
    // The accumulation buffer: per channel, the sum of the bytes accumulated since the clear,
    // at the context's `weight`. 16 bits hold 257 accumulations of 255.
    alignas(64) std::uint16_t sums[4 * ScreenPixels];
    Band band;
};

// Everything the OpenGL keeps. It lies in the program's zero-initialised static data, so the
// buffers cost nothing until they are drawn in; the few states whose initial value is not zero
// are set before main (soft_gl.cpp).
struct Context {
    Framebuffer framebuffer;
    GLfloat matrices[StackDepth][16];  // model-view, column-major; matrices[top] is in force
    Attributes attributes[AttributeDepth];
    Clip vertices[MaxVertices];        // between glBegin and glEnd
    GLint scissorBox[4];               // x, y, width, height from the bottom-left corner
    GLfloat weight;                    // of the accumulations since the last clear
    GLenum sourceFactor, destinationFactor, error, primitive;
    int top, attributeTop, vertexCount;
    std::uint8_t current[4];  // the colour of the next vertices
    std::uint8_t clearColour[4];
    bool blending, scissoring, weighted;
};
extern Context context;

inline std::uint8_t* Bytes(std::uint32_t* words) { return reinterpret_cast<std::uint8_t*>(words); }

// A call outside the supported subset (gl/soft_gl.h): in debug and sanitizer builds it ends the
// program with a line naming it; otherwise it sets GL_INVALID_OPERATION and is ignored.
void Unsupported(const char* what);

// The pixels that clears, triangles and accumulations may touch: the window, or the part of it
// in the scissor box.
Box Drawable();

// clip.cpp: a triangle in clip coordinates, cut at the window's edges and queued (or, while
// the band is being marked, its edges marked).
void CutTriangle(Clip a, Clip b, Clip c);

// raster.cpp: a triangle of snapped window positions set up over the box's pixels (false where
// it covers none of them), and filled with a paint on the rows of a stripe.
long long FloorDivide(long long a, long long b);
bool SetUpTriangle(Fixed v0, Fixed v1, Fixed v2, Box box, Triangle* triangle);
void Fill(const Triangle& triangle, const Paint& paint, Stripe stripe, Framebuffer& framebuffer);

// blend.cpp: the paint of a colour under a blend; a run of pixels painted; source pixels over
// the colour buffer's rows from its origin.
BlendKind Blend(bool blending, GLenum sourceFactor, GLenum destinationFactor);
void MakePaint(const std::uint8_t colour[4], BlendKind kind, Paint* paint);
void PaintRun(Run run, const Paint& paint);
void BlendPixels(std::uint32_t* colour, const std::uint8_t* source, int width, int height, BlendKind kind);

// accumulation.cpp: the accumulation buffer over a box, or the band's part of a stripe.
void ClearAccumulation(Framebuffer& framebuffer, Box box, bool scissored);
void Accumulate(Framebuffer& framebuffer, Box box, Stripe stripe);
void AccumulateBand(Band& band, Stripe stripe);
void ReturnAccumulation(Framebuffer& framebuffer, Box box, float weight);
void Settle(Framebuffer& framebuffer);

// band.cpp
void MarkEdge(Band& band, Fixed a, Fixed b);
void ScatterBand(Framebuffer& framebuffer);
void GatherBand(Framebuffer& framebuffer);

// The band's pixels of a row before column x (x at most ScreenWidth).
inline std::uint32_t BandPosition(const Band& band, int row, long long x)
{
    const std::uint64_t before = (std::uint64_t(1) << (x & 63)) - 1;
    return band.before[row][x >> 6] + std::uint32_t(__builtin_popcountll(band.bits[row][x >> 6] & before));
}

// The columns first..last of a row in the colour buffer, or, while the band is in force, the
// run of the band's pixels among them.
inline Run RowRun(Framebuffer& framebuffer, int row, long long first, long long last)
{
    const Band& band = framebuffer.band;
    if (!band.only) return {framebuffer.colour + std::size_t(row) * ScreenWidth + first, std::size_t(last - first + 1)};
    const std::uint32_t from = BandPosition(band, row, first);
    return {framebuffer.band.colour + from, BandPosition(band, row, last + 1) - from};
}
inline bool InBand(const Band& band, int row, int x) { return band.bits[row][x >> 6] >> (x & 63) & 1; }

// stripes.cpp: the queue of clears, triangles and accumulations, drawn by stripes of rows on
// the drawing threads. Submit hands what is queued to the threads and returns while they draw
// it; Finish returns when everything queued is drawn, as whatever reads or writes the buffers
// other than through the queue must wait for first.
void QueueClear(Box box, std::uint32_t word);
void QueueTriangle(Fixed a, Fixed b, Fixed c, Box box);
void QueueAccumulation(Box box, bool band);  // the colour buffer over the box, or the whole band
void Submit();
void Finish();
void SplitIntoStripes();

}  // namespace softgl
