// The browser's OpenGL, which computes the picture on the CPU, built natively: it must draw the
// Linux programs' pinned picture, the averaged render and the frame, bit for bit. No display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/soft_gl.h"
#include "pins.h"
#include "pipeline/buffers.h"
#include "pipeline/stages.h"

namespace {

const std::string suffix = std::to_string(ScreenHeight);

// SHA-256 of the pixels with the rows top first, as the pins are kept.
std::string Hash(const std::uint8_t* bottomFirst)
{
    std::vector<std::uint8_t> topFirst;
    for (int y = ScreenHeight - 1; y >= 0; --y)
        topFirst.insert(topFirst.end(), bottomFirst + 4 * ScreenWidth * y, bottomFirst + 4 * ScreenWidth * (y + 1));
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
