// The soft-light composite of the rendered image with the vignette mask.
//
// On normalised values (x / 255) the blend is a' * (a' + 2c' * (1 - a')): a mask near 127.5
// leaves a channel as it is, brighter masks lighten and darker ones darken. The arithmetic is
// double precision rounded to float at three fixed points, and those roundings decide the
// result of some (a, c) pairs (a = 187 under c = 240 gives 231, not the 230 of pure double
// arithmetic). The build turns contraction and fast-math off so that every operation below
// rounds exactly as written.

#include <cstring>

#include "pipeline/buffers.h"
#include "pipeline/numerics.h"

std::uint8_t SoftLight(int a, int c)
{
    const float t = float(a + (2.0 * c / 255) * (255 - a));
    const float s = float(a / 255.0);
    float v = float(double(t) * double(s));
    if (v < 0) v = 0;
    if (v > 255) v = 255;
    return std::uint8_t(v);
}

// softLight[c][a]: one 256-byte row per mask value, so that the three channels of a pixel
// under a smooth mask read from the same row, which stays in the first-level cache.
alignas(64) static std::uint8_t softLight[256][256];

void BuildSoftLightTable()
{
    for (int c = 0; c < 256; ++c)
        for (int a = 0; a < 256; ++a)
            softLight[c][a] = SoftLight(a, c);
}

void ComposeFrame()
{
    const std::uint8_t* render = renderImage;
    const std::uint8_t* mask = vignetteMask;
    std::uint8_t* out = compositeImage;
    for (int i = 0; i < ScreenPixels; ++i, render += 4, mask += 4, out += 4) {
        out[0] = softLight[mask[0]][render[0]];
        out[1] = softLight[mask[1]][render[1]];
        out[2] = softLight[mask[2]][render[2]];
        out[3] = 255;
    }
}
