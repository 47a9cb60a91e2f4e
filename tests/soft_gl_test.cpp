// The CPU's OpenGL, linked in place of the GL library: it must compute the pinned picture, every
// stage of it bit for bit, on whatever processor it runs (the tests also run it built for i686
// and aarch64, under an emulator). No display.

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
    EXPECT_EQ(Hash(grainImage), harness::PinnedHash("grain-" + suffix));
    EXPECT_EQ(Hash(vignetteMask), harness::PinnedHash("vignette-" + suffix));
    EXPECT_EQ(Hash(renderImage), harness::PinnedHash("render-" + suffix));
    EXPECT_EQ(Hash(compositeImage), harness::PinnedHash("composite-" + suffix));
    EXPECT_EQ(Hash(SoftGlPixels()), harness::PinnedHash("frame-" + suffix));
}

}  // namespace
