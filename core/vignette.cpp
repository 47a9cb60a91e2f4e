// The vignette mask: full white within about 176 pixels of the centre, falling off as the
// inverse of the distance beyond it.

#include <cstring>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"

// Bisection for the square root, up to 500 steps. Once a step leaves lo and hi as they were,
// every later step would compute the same mid and leave them again, so it stops there with
// the result the 500th step would give.
float BisectSqrt(float v)
{
    float lo = 0, hi = v, mid = 0;
    for (int step = 0; step < 500; ++step) {
        mid = float((double(hi) + lo) * 0.5);
        if (double(mid) * mid > v) {
            if (hi == mid) break;
            hi = mid;
        } else {
            if (lo == mid) break;
            lo = mid;
        }
    }
    return mid;
}

std::uint8_t VignetteLevel(std::int32_t q)
{
    const float d = BisectSqrt(float(q));
    const float f = float(d / 587);
    float m = float(double(0.3f) / f);  // +infinity at the centre
    if (m > 1) m = 1;
    return std::uint8_t(float(m * 255.0));
}

// The level of every squared distance the screen reaches. Levels never rise as the distance
// grows, so each run of equal levels is found by bisecting for where it ends.
constexpr int MaxSquaredDistance = (ScreenWidth / 2) * (ScreenWidth / 2) + (ScreenHeight / 2) * (ScreenHeight / 2);
alignas(64) static std::uint8_t levelBySquaredDistance[MaxSquaredDistance + 1];

static void BuildLevels()
{
    for (int q = 0; q <= MaxSquaredDistance;) {
        const std::uint8_t level = VignetteLevel(q);
        int below = q + 1, above = MaxSquaredDistance + 1;  // first q with a lower level
        while (below < above) {
            const int probe = below + (above - below) / 2;
            if (VignetteLevel(probe) < level) above = probe;
            else below = probe + 1;
        }
        std::memset(levelBySquaredDistance + q, level, below - q);
        q = below;
    }
}

void BuildVignette()
{
    BuildLevels();

    // Memory rows run from y = H/2 down to -(H/2 - 1), columns from x = -W/2 to W/2 - 1, so
    // the centre sits at row H/2, column W/2. Row -y repeats row y.
    constexpr std::size_t RowBytes = 4 * std::size_t(ScreenWidth);
    for (int y = ScreenHeight / 2; y >= 0; --y) {
        std::uint8_t* pixel = vignetteMask + (ScreenHeight / 2 - y) * RowBytes;
        for (int x = -ScreenWidth / 2; x < ScreenWidth / 2; ++x, pixel += 4) {
            const std::uint8_t g = levelBySquaredDistance[x * x + y * y];
            pixel[0] = pixel[1] = pixel[2] = g;
            pixel[3] = 255;
        }
    }
    for (int y = 1; y < ScreenHeight / 2; ++y)
        std::memcpy(vignetteMask + (ScreenHeight / 2 + y) * RowBytes, vignetteMask + (ScreenHeight / 2 - y) * RowBytes,
                    RowBytes);
}
