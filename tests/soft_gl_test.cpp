// The CPU's OpenGL, linked in place of the GL library: it must compute the pinned picture, every
// stage of it bit for bit, on whatever processor it runs (the tests also run it built for i686
// and aarch64, under an emulator). No display.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/buffers.h"
#include "core/stages.h"
#include "gl/opengl.h"
#include "gl/soft_gl.h"
#include "render/render.h"
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

// The render as a program's first: from the generator's first state, and with the model-view
// matrix it multiplies its projection onto put back after.
void Render()
{
    RandomState = 1;
    glPushMatrix();
    RenderStill();
    glPopMatrix();
}

void ExpectPinned()
{
    EXPECT_EQ(Hash(grainImage), harness::PinnedHash("grain-" + suffix));
    EXPECT_EQ(Hash(vignetteMask), harness::PinnedHash("vignette-" + suffix));
    EXPECT_EQ(Hash(renderImage), harness::PinnedHash("render-" + suffix));
    EXPECT_EQ(Hash(compositeImage), harness::PinnedHash("composite-" + suffix));
    EXPECT_EQ(Hash(SoftGlPixels()), harness::PinnedHash("frame-" + suffix));
}

// Every pass drawn whole, averaged in this OpenGL's accumulation buffer, which the render's
// start-up check must accept.
TEST(SoftGl, DrawsThePinnedPicture)
{
    renderPassDone = nullptr;
    Render();
    PresentFrame();
    EXPECT_TRUE(passesAccumulatedByDriver) << AccumulationFault(accumulationAnswers);
    ExpectPinned();
}

// As the page draws it: the passes after the first only inside the band around the edges. The
// pins prove the band wide enough; it must also leave most of the picture out.
TEST(SoftGl, DrawsThePinnedPictureWithLaterPassesOnlyNearEdges)
{
    static int band;
    renderPassDone = [](int pass) {
        if (pass == 0) band = SoftGlDrawLaterPassesNearEdges();
    };
    Render();
    SoftGlDrawEverywhere();
    PresentFrame();
    renderPassDone = nullptr;
    ExpectPinned();
    EXPECT_GT(band, 0);
    EXPECT_LT(band, ScreenPixels / 2);
    std::printf("the band holds %d of %d pixels (%.1f%%)\n", band, ScreenPixels, 100.0 * band / ScreenPixels);
}

}  // namespace
