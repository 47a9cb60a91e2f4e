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
void Settle(Framebuffer& framebuffer)
{
    Band& band = framebuffer.band;
    if (band.pendingAccumulations == 0) return;
    const std::uint8_t* colour = Bytes(framebuffer.colour);
    for (int row = 0; row < ScreenHeight; ++row)
        for (int x = 0; x < ScreenWidth; ++x) {
            if (InBand(band, row, x)) continue;
            const std::size_t i = 4 * (std::size_t(row) * ScreenWidth + x);
            for (int k = 0; k < 4; ++k)
                framebuffer.sums[i + k] = std::uint16_t(framebuffer.sums[i + k] + band.pendingAccumulations * colour[i + k]);
        }
    for (int i = 0; i < band.size; ++i)
        for (int k = 0; k < 4; ++k) {
            std::uint16_t& sum = framebuffer.sums[4 * band.pixels[i] + k];
            sum = std::uint16_t(sum + band.sums[4 * i + k]);
        }
    std::fill_n(band.sums, 4 * band.size, 0);
    band.pendingAccumulations = 0;
}

// To zero, the only value the render clears it to. Unscissored, every sum goes, the band's too.
void ClearAccumulation(Framebuffer& framebuffer, Box box, bool scissored)
{
    Band& band = framebuffer.band;
    if (scissored) {
        Settle(framebuffer);
    } else {
        std::fill_n(band.sums, 4 * band.size, 0);
        band.pendingAccumulations = 0;
    }
    for (int row = box.y0; row < box.y1; ++row)
        std::fill_n(framebuffer.sums + 4 * (std::size_t(row) * ScreenWidth + box.x0), 4 * (box.x1 - box.x0), 0);
}

// The colour buffer added into the sums over the box's rows in a stripe.
void Accumulate(Framebuffer& framebuffer, Box box, Stripe stripe)
{
    const std::uint8_t* colour = Bytes(framebuffer.colour);
    for (int row = std::max(box.y0, stripe.y0); row < std::min(box.y1, stripe.y1); ++row)
        for (std::size_t i = 4 * (std::size_t(row) * ScreenWidth + box.x0); i < 4 * (std::size_t(row) * ScreenWidth + box.x1); ++i)
            framebuffer.sums[i] = std::uint16_t(framebuffer.sums[i] + colour[i]);
}

// The band's colours added into its sums, for its pixels in a stripe's rows: one run of them.
void AccumulateBand(Band& band, Stripe stripe)
{
    const std::size_t from = 4 * std::size_t(band.before[stripe.y0][0]), to = 4 * std::size_t(band.before[stripe.y1][0]);
    const std::uint8_t* colour = Bytes(band.colour);
    for (std::size_t i = from; i < to; ++i) band.sums[i] = std::uint16_t(band.sums[i] + colour[i]);
}

void ReturnAccumulation(Framebuffer& framebuffer, Box box, float weight)
{
    Settle(framebuffer);
    ScatterBand(framebuffer);
    // A sum is a whole number below 65536, so a table of the byte each one returns serves the
    // whole buffer.
    static std::uint8_t returned[65536];
    for (unsigned sum = 0; sum < 65536; ++sum) returned[sum] = ReturnedByte(sum, weight);
    std::uint8_t* colour = Bytes(framebuffer.colour);
    for (int row = box.y0; row < box.y1; ++row)
        for (std::size_t i = 4 * (std::size_t(row) * ScreenWidth + box.x0); i < 4 * (std::size_t(row) * ScreenWidth + box.x1); i += 4) {
            for (int k = 0; k < 3; ++k) colour[i + k] = returned[framebuffer.sums[i + k]];
            colour[i + 3] = 255;
        }
    GatherBand(framebuffer);
}

}  // namespace softgl
