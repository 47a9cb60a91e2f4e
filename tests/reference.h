// The numeric stages written straight from their definitions, with no shortcut: what the tests
// hold the shipped versions to, and what the benchmarks time them against.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/buffers.h"
#include "core/numerics.h"

namespace reference {

// Soft light of channel a under mask c: double arithmetic, float at the three marked points.
inline int SoftLight(int a, int c)
{
    const double t = float(a + (2.0 * c / 255) * (255 - a));
    const double s = float(a / 255.0);
    return int(std::clamp(double(float(t * s)), 0.0, 255.0));
}

// The composite over the buffers' whole capacity, channel by channel.
inline void Composite()
{
    for (int i = 0; i < BufferPixels; ++i) {
        for (int k = 0; k < 3; ++k)
            compositeImage[4 * i + k] = std::uint8_t(SoftLight(renderImage[4 * i + k], vignetteMask[4 * i + k]));
        compositeImage[4 * i + 3] = 255;
    }
}

// The square root as defined: always 500 bisection steps.
inline float BisectSqrt(float v)
{
    float lo = 0, hi = v, mid = 0;
    for (int step = 0; step < 500; ++step) {
        mid = float((double(hi) + lo) * 0.5);
        if (double(mid) * mid > v) hi = mid;
        else lo = mid;
    }
    return mid;
}

// The mask's grey level at (x, y) from the centre.
inline int VignetteLevel(int x, int y)
{
    const float d = BisectSqrt(float(x * x + y * y));
    const float f = float(d / 587);
    float m = float(double(0.3f) / f);
    if (m > 1) m = 1;
    return int(float(m * 255.0));
}

// The whole mask, pixel by pixel.
inline void Vignette()
{
    std::uint8_t* out = vignetteMask;
    for (int y = ScreenHeight / 2; y > -ScreenHeight / 2; --y)
        for (int x = -ScreenWidth / 2; x < ScreenWidth / 2; ++x, out += 4) {
            out[0] = out[1] = out[2] = std::uint8_t(VignetteLevel(x, y));
            out[3] = 255;
        }
}

// The grain over the whole capacity, three draws a pixel in the order R, G, B.
inline void Grain()
{
    BuildGrainTable();
    std::uint8_t* out = grainImage;
    for (int i = 0; i < BufferPixels; ++i, out += 4) {
        out[0] = grainTable[NextRandom() % 12313];
        out[1] = grainTable[NextRandom() % 12313];
        out[2] = grainTable[NextRandom() % 12313];
        out[3] = 255;
    }
}

}  // namespace reference
