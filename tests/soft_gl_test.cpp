// The browser's OpenGL, which computes the picture on the CPU, built natively: it must draw the
// Linux programs' pinned picture, the averaged render and the frame, bit for bit. No display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/buffers.h"
#include "core/stages.h"
#include "gl/soft_gl.h"
#include "pins.h"

namespace {

const std::string suffix = std::to_string(ScreenHeight);

// SHA-256 of the pixels with the rows top first, as the pins are kept.
std::string Hash(const std::uint8_t* bottomFirst)
{
    std::vector<std::uint8_t> topFirst;
    for (int y = 0; y < ScreenHeight; ++y)
        topFirst.insert(topFirst.end(), ScreenRow(bottomFirst, y), ScreenRow(bottomFirst, y) + 4 * ScreenWidth);
    return harness::Sha256(topFirst.data(), topFirst.size());
}

TEST(SoftGl, DrawsThePinnedPicture)
{
    RenderStill();
    PresentFrame();
    EXPECT_EQ(Hash(renderImage), harness::PinnedHash("render-" + suffix));
    EXPECT_EQ(Hash(SoftGlPixels()), harness::PinnedHash("frame-" + suffix));
}

}  // namespace
