// The accumulation buffer: exact per-channel sums of the accumulated bytes, all at one weight
// between clears, returned as OpenGL's average, round(weight x sum), with a single rounding at
// the end. While the edge band is in force, pixels outside it keep their colour from pass to
// pass, so their accumulations are only counted, and added when something needs the sums.

#include <algorithm>

#include "core/numerics.h"
#include "gl/context.h"

namespace softgl {

// Brings the sums up to date: the accumulations counted for the pixels outside the band, whose
// colour has not changed since, and those of the band's pixels kept in the band's sums.
void Settle()
{
    auto& band = context.band;
    if (band.pendingAccumulations == 0) return;
    const std::uint8_t* colour = ColourBytes();
    for (int row = 0; row < ScreenHeight; ++row)
        for (int x = 0; x < ScreenWidth; ++x) {
            if (InBand(row, x)) continue;
            const std::size_t i = 4 * (std::size_t(row) * ScreenWidth + x);
            for (int k = 0; k < 4; ++k)
                context.sums[i + k] = std::uint16_t(context.sums[i + k] + band.pendingAccumulations * colour[i + k]);
        }
    for (int i = 0; i < band.size; ++i)
        for (int k = 0; k < 4; ++k) {
            std::uint16_t& sum = context.sums[4 * band.pixels[i] + k];
            sum = std::uint16_t(sum + band.sums[4 * i + k]);
        }
    std::fill_n(band.sums, 4 * band.size, 0);
    band.pendingAccumulations = 0;
}

// To zero, the only value the render clears it to; a new weight may follow.
void ClearAccumulation(Box box)
{
    auto& band = context.band;
    if (context.scissoring) {
        Settle();
    } else {
        std::fill_n(band.sums, 4 * band.size, 0);
        band.pendingAccumulations = 0;
    }
    for (int row = box.y0; row < box.y1; ++row)
        std::fill_n(context.sums + 4 * (std::size_t(row) * ScreenWidth + box.x0), 4 * (box.x1 - box.x0), 0);
    context.weighted = false;
}

// Only one weight is kept between clears: an accumulation at another one is refused with
// GL_INVALID_OPERATION, as OpenGL's own errors are (the render's check reads it).
void Accumulate(Box box, GLfloat value)
{
    Context& c = context;
    if (c.weighted && value != c.weight) {
        c.error = GL_INVALID_OPERATION;
        return;
    }
    c.weighted = true;
    c.weight = value;
    if (c.band.only && !c.scissoring) {
        ++c.band.pendingAccumulations;
        const auto* bandBytes = reinterpret_cast<const std::uint8_t*>(c.band.colour);
        for (int i = 0; i < 4 * c.band.size; ++i) c.band.sums[i] = std::uint16_t(c.band.sums[i] + bandBytes[i]);
        return;
    }
    Settle();
    ScatterBand();
    const std::uint8_t* colour = ColourBytes();
    for (int row = box.y0; row < box.y1; ++row)
        for (std::size_t i = 4 * (std::size_t(row) * ScreenWidth + box.x0); i < 4 * (std::size_t(row) * ScreenWidth + box.x1); ++i)
            c.sums[i] = std::uint16_t(c.sums[i] + colour[i]);
}

void ReturnAccumulation(Box box, GLfloat value)
{
    Settle();
    ScatterBand();
    // A sum is a whole number below 65536, so a table of the byte each one returns serves the
    // whole buffer.
    static std::uint8_t returned[65536];
    for (unsigned sum = 0; sum < 65536; ++sum) returned[sum] = ReturnedByte(sum, context.weight * value);
    std::uint8_t* colour = ColourBytes();
    for (int row = box.y0; row < box.y1; ++row)
        for (std::size_t i = 4 * (std::size_t(row) * ScreenWidth + box.x0); i < 4 * (std::size_t(row) * ScreenWidth + box.x1); i += 4) {
            for (int k = 0; k < 3; ++k) colour[i + k] = returned[context.sums[i + k]];
            colour[i + 3] = 255;
        }
    GatherBand();
}

}  // namespace softgl
