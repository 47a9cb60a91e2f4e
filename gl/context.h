// Inside Vellum's OpenGL: its one context and the stages that share it. Only gl/ includes this.
//
// A call goes through the stages in this order: soft_gl.cpp takes it (state, matrices,
// vertices, clears, pixels); clip.cpp cuts each triangle at the window's edges and snaps its
// corners to window positions; raster.cpp finds the pixels each triangle covers; blend.cpp
// writes them; accumulation.cpp keeps the accumulation buffer; band.cpp limits all of it to
// the pixels near a drawing's edges when the render asks.
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
// Where the columns first..last of a row are kept, as one run of words.
struct Run {
    std::uint32_t* words;
    std::size_t count;
};

// What glPushAttrib saved, and which groups to put back.
struct Attributes {
    GLbitfield mask;
    bool blending, scissoring;
    GLenum sourceFactor, destinationFactor;
    std::uint8_t clearColour[4];
    GLint scissorBox[4];
};

// Everything the OpenGL keeps. It lies in the program's zero-initialised static data, so the
// buffers cost nothing until they are drawn in; the few states whose initial value is not zero
// are set before main (soft_gl.cpp).
struct Context {
    // RGBA bytes, bottom row first, a word a pixel so that runs of one colour are stored whole.
    alignas(64) std::uint32_t colour[ScreenPixels];

    // The accumulation buffer: per channel, the sum of the bytes accumulated since the clear,
    // at `weight` (set by the first accumulation, below). 16 bits hold 257 accumulations of 255.
    alignas(64) std::uint16_t sums[4 * ScreenPixels];

    // The edge band. `bits` holds a bit for each of its pixels: bit x % 64 of word x / 64 of
    // the pixel's row (rows bottom first, with a spare word at the end of each). While it is
    // in force (`only`) their colours live packed in `colour`, row after row, so that the band
    // pixels of one row between two columns are a single run: a pixel's position there is
    // `before`'s entry for its word plus the band pixels before it in that word, and `pixels`
    // takes a position back to its pixel. `sums` holds what accumulations have added there
    // since the sums were last settled, and `pendingAccumulations` counts them for the pixels
    // outside the band. While `marking`, triangles mark the pixels within `reach` (1/256
    // pixel) of their edges instead of being drawn.
    struct {
        alignas(64) std::uint64_t bits[ScreenHeight][BandWords];
        alignas(64) std::uint32_t pixels[BandCapacity];
        alignas(64) std::uint32_t colour[BandCapacity];
        alignas(64) std::uint16_t sums[4 * BandCapacity];
        std::uint32_t before[ScreenHeight][BandWords];
        long long reach;
        int size, pendingAccumulations;
        bool only, marking;
    } band;

    GLfloat matrices[StackDepth][16];  // model-view, column-major; matrices[top] is in force
    Attributes attributes[AttributeDepth];
    Clip vertices[MaxVertices];        // between glBegin and glEnd
    GLint scissorBox[4];               // x, y, width, height from the bottom-left corner
    GLfloat weight;
    GLenum sourceFactor, destinationFactor, error, primitive;
    int top, attributeTop, vertexCount;
    std::uint8_t current[4];  // the colour of the next vertices
    std::uint8_t clearColour[4];
    bool blending, scissoring, weighted;
};
extern Context context;

inline std::uint8_t* ColourBytes() { return reinterpret_cast<std::uint8_t*>(context.colour); }

// A call outside the supported subset (gl/soft_gl.h): in debug and sanitizer builds it ends the
// program with a line naming it; otherwise it sets GL_INVALID_OPERATION and is ignored.
void Unsupported(const char* what);

// The pixels that clears, triangles and accumulations may touch: the window, or the part of it
// in the scissor box.
Box Drawable();

// clip.cpp: a triangle in clip coordinates, cut at the window's edges and filled (or, while
// the band is being marked, its edges marked).
void Triangle(Clip a, Clip b, Clip c);

// raster.cpp
long long FloorDivide(long long a, long long b);
void Fill(Fixed v0, Fixed v1, Fixed v2);

// blend.cpp: a run of pixels under the current colour and blend state; source pixels over the
// colour buffer's rows from its origin.
void BlendRun(std::uint8_t* bytes, std::size_t pixels);
void BlendPixels(const std::uint8_t* source, int width, int height);

// accumulation.cpp
void ClearAccumulation(Box box);
void Accumulate(Box box, GLfloat value);
void ReturnAccumulation(Box box, GLfloat value);
void Settle();

// band.cpp
Run RowRun(int row, long long first, long long last);
void MarkEdge(Fixed a, Fixed b);
void ScatterBand();
void GatherBand();
bool InBand(int row, int x);

}  // namespace softgl
