// The frame shown smaller than it was rendered, by box averages (numerics.h).

#include <algorithm>

#include "core/buffers.h"
#include "core/numerics.h"

// The first frame column (or row) under shown column x, of `shown` over `frame`: the least u
// with u x shown / frame >= x, that is x x frame / shown rounded up.
static int FirstUnder(int x, int frame, int shown)
{
    return int((std::int64_t(x) * frame + shown - 1) / shown);
}

void ShrinkFrame(const std::uint8_t* frame, int width, int height, std::uint8_t* shown)
{
    // The channel sums of one shown row, its frame rows read once, in order.
    static unsigned sums[4 * ScreenWidth];
    for (int y = 0; y < height; ++y) {
        std::fill_n(sums, 4 * width, 0u);
        const int top = FirstUnder(y, ScreenHeight, height), bottom = FirstUnder(y + 1, ScreenHeight, height);
        for (int v = top; v < bottom; ++v) {
            const std::uint8_t* in = frame + 4 * std::size_t(v) * ScreenWidth;
            for (int x = 0, u = 0; x < width; ++x)
                for (const int end = FirstUnder(x + 1, ScreenWidth, width); u < end; ++u)
                    for (int c = 0; c < 4; ++c) sums[4 * x + c] += in[4 * u + c];
        }
        std::uint8_t* out = shown + 4 * std::size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            const unsigned count = unsigned((bottom - top) * (FirstUnder(x + 1, ScreenWidth, width) - FirstUnder(x, ScreenWidth, width)));
            for (int c = 0; c < 4; ++c) out[4 * x + c] = std::uint8_t((sums[4 * x + c] + count / 2) / count);
        }
    }
}
