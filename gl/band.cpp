// The edge band: the pixels near the edges of a drawing, the only ones that a repeat of it
// under small shifts can change. While it is in force, clears and triangles reach only those
// pixels, kept packed so that a row's band pixels between two columns are one run.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "gl/context.h"
#include "gl/soft_gl.h"

namespace softgl {

// The band's colours into the colour buffer, for what reads it whole, and back.
void ScatterBand(Framebuffer& framebuffer)
{
    const Band& band = framebuffer.band;
    if (band.only)
        for (int i = 0; i < band.size; ++i) framebuffer.colour[band.pixels[i]] = band.colour[i];
}
void GatherBand(Framebuffer& framebuffer)
{
    Band& band = framebuffer.band;
    if (band.only)
        for (int i = 0; i < band.size; ++i) band.colour[i] = framebuffer.colour[band.pixels[i]];
}

// Marks every pixel whose centre lies within the reach of the edge from a to b (a square's
// reach around each point of it, which holds the round one).
void MarkEdge(Band& band, Fixed a, Fixed b)
{
    if (a.y > b.y) std::swap(a, b);
    const long long r = band.reach;
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
        for (long long x = first; x <= last; ++x)
            band.bits[ScreenHeight - 1 - row][x >> 6] |= std::uint64_t(1) << (x & 63);
    }
}

}  // namespace softgl

using namespace softgl;

int SoftGlLimitToEdgeBand(void (*draw)(), float reach)
{
    SoftGlDrawEverywhere();
    Framebuffer& framebuffer = context.framebuffer;
    Band& band = framebuffer.band;
    std::memset(band.bits, 0, sizeof band.bits);
    // The reach, and 1/16 pixel more for the snap to 1/256 pixel and the single-precision
    // roundings of the vertices, which move an edge by far less.
    band.reach = (long long)std::ceil(reach * SubPixel) + SubPixel / 16;
    band.marking = true;
    draw();
    band.marking = false;

    int size = 0;
    for (int row = 0; row < ScreenHeight; ++row)
        for (int word = 0; word < BandWords; ++word) {
            band.before[row][word] = std::uint32_t(size);
            size += std::popcount(band.bits[row][word]);
        }
    band.before[ScreenHeight][0] = std::uint32_t(size);
    if (size > BandCapacity) return band.size = 0;
    for (int row = 0, i = 0; row < ScreenHeight; ++row)
        for (int word = 0; word < BandWords; ++word)
            for (std::uint64_t bits = band.bits[row][word]; bits; bits &= bits - 1)
                band.pixels[i++] = std::uint32_t(row * ScreenWidth + 64 * word + std::countr_zero(bits));
    band.size = size;
    std::fill_n(band.sums, 4 * band.size, 0);
    band.only = true;
    GatherBand(framebuffer);
    SplitIntoStripes();
    return band.size;
}

void SoftGlDrawEverywhere()
{
    Finish();
    Framebuffer& framebuffer = context.framebuffer;
    Settle(framebuffer);
    ScatterBand(framebuffer);
    framebuffer.band.only = false;
    SplitIntoStripes();
}
