// Vellum's own OpenGL: the render drawn in it must be the pinned picture, every stage of it bit
// for bit, on whatever processor it runs (the tests also run it built for i686 and aarch64,
// under an emulator). No display.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "gl/opengl.h"
#include "picture/picture.h"
#include "gl/soft_gl.h"
#include "render/render.h"
#include "pins.h"

namespace {

const std::string suffix = std::to_string(ScreenHeight);

// How many threads draw where a test does not say: as many as the processor has, or as the
// test's runner says (VELLUM_TEST_THREADS), as for an emulator that cannot start threads.
const int defaultThreads = [] {
    const char* threads = std::getenv("VELLUM_TEST_THREADS");
    SoftGlUseThreads(threads ? std::atoi(threads) : 0);
    return threads ? std::atoi(threads) : 0;
}();

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
    openGl = &softGl;
    glPushMatrix();
    RenderStill();
    glPopMatrix();
}

// As every program draws where the system's accumulation buffer strays, and as the page draws:
// the passes after the first only inside the band around the edges. The render's start-up check
// must accept this OpenGL's accumulation buffer.
TEST(SoftGl, DrawsThePinnedPicture)
{
    Render();
    PresentFrame();
    EXPECT_TRUE(passesDrawnByHost) << AccumulationFault(accumulationAnswers);
    EXPECT_EQ(Hash(grainImage), harness::PinnedHash("grain-" + suffix));
    EXPECT_EQ(Hash(vignetteMask), harness::PinnedHash("vignette-" + suffix));
    EXPECT_EQ(Hash(renderImage), harness::PinnedHash("render-" + suffix));
    EXPECT_EQ(Hash(compositeImage), harness::PinnedHash("composite-" + suffix));
    EXPECT_EQ(Hash(SoftGlPixels()), harness::PinnedHash("frame-" + suffix));
}

// The drawing shared by any number of threads, each on its stripes of rows, gives the same
// pixels: one thread, two, a count that divides no stripe evenly, and more than the processor
// has (here, where the threads take turns on it). The default was drawn above. Each count's
// render and frame are held to one thread's, and those to the pins (which the Windows build
// reads from its programs' frames instead: under Wine there is no sha256sum to run).
TEST(SoftGl, DrawsThePinnedPictureOnAnyNumberOfThreads)
{
    std::vector<std::uint8_t> oneThread[2];
    for (const int threads : {1, 2, 3, 8}) {
        SoftGlUseThreads(threads);
        Render();
        PresentFrame();
        const std::uint8_t* drawn[2] = {renderImage, SoftGlPixels()};
        for (int i = 0; i < 2; ++i) {
            if (threads == 1) oneThread[i].assign(drawn[i], drawn[i] + 4 * std::size_t(ScreenPixels));
            EXPECT_TRUE(std::equal(oneThread[i].begin(), oneThread[i].end(), drawn[i]))
                << (i ? "frame" : "render") << " on " << threads << " threads";
        }
    }
#if !defined(_WIN32)
    EXPECT_EQ(Hash(oneThread[0].data()), harness::PinnedHash("render-" + suffix));
    EXPECT_EQ(Hash(oneThread[1].data()), harness::PinnedHash("frame-" + suffix));
#endif
    SoftGlUseThreads(defaultThreads);
}

// A host whose accumulation buffer the check accepts (Vellum's own OpenGL in the host's place),
// in a window of another size than the picture: one twice as large, as on a scaled desktop,
// whose viewport starts at the window's size, draws the passes itself at the picture's size;
// one too small to hold them leaves the passes to Vellum's own. Either way the render is the
// pinned one.
GLsizei hostViewport[2];
long passesOutsideThePicture;
OpenGl WindowOfAnotherSize()
{
    OpenGl host = softGl;
    host.Viewport = [](GLint x, GLint y, GLsizei width, GLsizei height) {
        hostViewport[0] = width;
        hostViewport[1] = height;
        softGl.Viewport(x, y, width, height);
    };
    host.Begin = [](GLenum mode) {
        passesOutsideThePicture += hostViewport[0] != ScreenWidth || hostViewport[1] != ScreenHeight;
        softGl.Begin(mode);
    };
    return host;
}

TEST(SoftGl, InTheHostsPlaceInAWindowOfAnotherSize)
{
    static const OpenGl host = WindowOfAnotherSize();
    for (const int scale : {2, -2}) {
        framebufferWidth = scale > 0 ? ScreenWidth * scale : ScreenWidth / -scale;
        framebufferHeight = scale > 0 ? ScreenHeight * scale : ScreenHeight / -scale;
        hostViewport[0] = framebufferWidth;
        hostViewport[1] = framebufferHeight;
        passesOutsideThePicture = 0;
        RandomState = 1;
        openGl = &host;
        glPushMatrix();
        RenderStill();
        glPopMatrix();
        EXPECT_EQ(passesDrawnByHost, scale > 0) << "framebuffer " << framebufferWidth << " x " << framebufferHeight;
        EXPECT_EQ(passesOutsideThePicture, 0) << "polygons drawn with the window's viewport";
        EXPECT_EQ(Hash(renderImage), harness::PinnedHash("render-" + suffix)) << "framebuffer scale " << scale;
    }
    framebufferWidth = framebufferHeight = 0;
}

// The straightforward render the band and the accumulation buffer must equal: every pass drawn
// whole, read back, and averaged as OpenGL defines it (the sum of weight x colour on [0, 1],
// clamped and rounded to the nearest byte), in double precision. The band must also leave most
// of the picture out.
TEST(SoftGl, TheBandAndTheSumsAreTheDefinedAverageOfWholePasses)
{
    Render();
    const std::vector<std::uint8_t> rendered(renderImage, renderImage + 4 * std::size_t(ScreenPixels));

    RandomState = 1;
    BuildGrain();
    glPushMatrix();
    glOrtho(0, 1920, 1080, 0, 1, -1);
    std::vector<double> sum(4 * std::size_t(ScreenPixels));
    std::vector<std::uint8_t> pass(sum.size());
    for (int k = 0; k < Passes; ++k) {
        DrawShiftedPass();
        glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, pass.data());
        for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += double(PassWeight) * (pass[i] / 255.0);
    }
    const int band = SoftGlLimitToEdgeBand(DrawPicture, LargestPassShift * float(ScreenWidth) / DesignWidth);
    SoftGlDrawEverywhere();
    // A band wider than the OpenGL keeps is refused, and a clear then reaches every pixel.
    EXPECT_EQ(SoftGlLimitToEdgeBand(DrawPicture, 100), 0);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, pass.data());
    EXPECT_EQ(std::count(pass.begin(), pass.end(), 255), 2 * ScreenPixels) << "red and alpha everywhere";
    glPopMatrix();
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const int expected = int(std::lround(std::clamp(sum[i], 0.0, 1.0) * 255));
        ASSERT_EQ(rendered[i], expected) << "byte " << i;
    }
    EXPECT_GT(band, 0);
    EXPECT_LT(band, ScreenPixels / 2);
    std::printf("the band holds %d of %d pixels (%.1f%%)\n", band, ScreenPixels, 100.0 * band / ScreenPixels);
}

}  // namespace
