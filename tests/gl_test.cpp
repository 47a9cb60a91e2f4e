// The still render on a real GLX context at this build's resolution.

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "form.h"
#include "pins.h"
#include "platform/linux/glfw_host.h"
#include "render/render.h"

namespace {

GLFWwindow* window;
std::vector<std::uint8_t> frame;  // the back buffer after one PresentFrame

class Still : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartGlfw("gl_test");
        RequestFramebuffer();
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(ScreenWidth, ScreenHeight, "gl_test", nullptr, nullptr);
        if (!window) FailWithGlfw("no OpenGL window");
        glfwMakeContextCurrent(window);
        openGl = &systemGl;
        RenderStill();
        PresentFrame();
        frame.resize(std::size_t(ScreenPixels) * 4);
        glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    }
    static void TearDownTestSuite()
    {
        glfwDestroyWindow(window);
        glfwTerminate();
    }
};

// The render's pixel under a point of design space.
const std::uint8_t* RenderAt(double x, double y)
{
    const int column = int(x * ScreenWidth / 1920);
    const int row = ScreenHeight - 1 - int(y * ScreenHeight / 1080);  // bottom row first
    return renderImage + 4 * (std::size_t(row) * ScreenWidth + column);
}

void ExpectNear(const std::uint8_t* pixel, int r, int g, int b, const char* what)
{
    EXPECT_NEAR(pixel[0], r, 2) << what;
    EXPECT_NEAR(pixel[1], g, 2) << what;
    EXPECT_NEAR(pixel[2], b, 2) << what;
}

int Brightness(int column, int row)
{
    const std::uint8_t* p = renderImage + 4 * (std::size_t(row) * ScreenWidth + column);
    return p[0] + p[1] + p[2];
}

TEST_F(Still, ContextHasAnAccumulationBuffer)
{
    GLint bits[4];
    glGetIntegerv(GL_ACCUM_RED_BITS, &bits[0]);
    glGetIntegerv(GL_ACCUM_GREEN_BITS, &bits[1]);
    glGetIntegerv(GL_ACCUM_BLUE_BITS, &bits[2]);
    glGetIntegerv(GL_ACCUM_ALPHA_BITS, &bits[3]);
    for (GLint b : bits) EXPECT_GT(b, 0);
    GLint depth;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 16);
    GLint doubleBuffered;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
}

TEST_F(Still, RenderIsOpaqueAndOnlyTheScreenIsRead)
{
    for (int i = 0; i < ScreenPixels; ++i) ASSERT_EQ(renderImage[4 * i + 3], 255) << "pixel " << i;
    EXPECT_EQ(renderImage[4 * ScreenPixels + 3], 0);
}

TEST_F(Still, WashTonesTheBackgroundOnly)
{
    ExpectNear(RenderAt(100, 100), 255, 237, 210, "white ground under the wash");
    ExpectNear(RenderAt(1462, 182), 125, 107, 80, "inside the first castle polygon");
}

TEST_F(Still, EdgesExposedByTheShiftsAreDarker)
{
    const int midRow = ScreenHeight * 7 / 8, midColumn = ScreenWidth / 10;  // both in open sky
    EXPECT_LT(Brightness(0, midRow), Brightness(3, midRow)) << "left edge";
    EXPECT_LT(Brightness(ScreenWidth - 1, midRow), Brightness(ScreenWidth - 4, midRow)) << "right edge";
    EXPECT_LT(Brightness(midColumn, ScreenHeight - 1), Brightness(midColumn, ScreenHeight - 4)) << "top edge";
    EXPECT_LT(Brightness(midColumn, 0), Brightness(midColumn, 3)) << "bottom edge";
}

// The share of the render in each of the picture's tones, within the artwork's bounds.
TEST_F(Still, PictureToneShares)
{
    const form::Form expected = form::Read();
    ASSERT_FALSE(expected.tones.empty()) << "picture/form.txt could not be read";
    for (const form::Tone& tone : expected.tones) {
        int count = 0;
        for (int i = 0; i < ScreenPixels; ++i) {
            const std::uint8_t* p = renderImage + 4 * i;
            count += std::abs(p[0] - tone.r) <= tone.tolerance && std::abs(p[1] - tone.g) <= tone.tolerance &&
                     std::abs(p[2] - tone.b) <= tone.tolerance;
        }
        const double share = double(count) / ScreenPixels;
        EXPECT_GE(share, tone.least) << tone.name;
        EXPECT_LE(share, tone.most) << tone.name;
    }
}

TEST_F(Still, FrameIsTheCompositeScreenedWithTheGrain)
{
    for (std::size_t i = 0; i < std::size_t(ScreenPixels) * 4; ++i) {
        if (i % 4 == 3) continue;
        const double g = grainImage[i], x = compositeImage[i];
        const double screened = g + x * (1 - g / 255);
        ASSERT_LE(std::abs(frame[i] - screened), 1.0) << "byte " << i;
    }
}

// Without an accumulation buffer the passes are drawn by Vellum's own OpenGL, so the render is
// the pinned one whatever this OpenGL's rasteriser (softpipe, say, places edges differently),
// and the frame is still shown by this OpenGL.
class StillWithoutAccumulationBuffer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartGlfw("gl_test");
        RequestFramebuffer();
        for (int hint : {GLFW_ACCUM_RED_BITS, GLFW_ACCUM_GREEN_BITS, GLFW_ACCUM_BLUE_BITS, GLFW_ACCUM_ALPHA_BITS})
            glfwWindowHint(hint, 0);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(ScreenWidth, ScreenHeight, "gl_test", nullptr, nullptr);
        if (!window) FailWithGlfw("no OpenGL window");
        glfwMakeContextCurrent(window);
        openGl = &systemGl;
        RandomState = 1;
        RenderStill();
        PresentFrame();
        frame.resize(std::size_t(ScreenPixels) * 4);
        glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    }
    static void TearDownTestSuite()
    {
        glfwDestroyWindow(window);
        glfwTerminate();
    }
};

TEST_F(StillWithoutAccumulationBuffer, VellumsOwnOpenGlDrawsThePinnedRender)
{
    GLint bits = -1;
    glGetIntegerv(GL_ACCUM_RED_BITS, &bits);
    ASSERT_EQ(bits, 0) << "the framebuffer has an accumulation buffer";
    EXPECT_FALSE(passesDrawnByHost);
    std::vector<std::uint8_t> topFirst;
    for (int y = 0; y < ScreenHeight; ++y)
        topFirst.insert(topFirst.end(), ScreenRow(renderImage, y), ScreenRow(renderImage, y) + 4 * ScreenWidth);
    EXPECT_EQ(harness::Sha256(topFirst.data(), topFirst.size()), harness::PinnedHash("render-" + std::to_string(ScreenHeight)));
}

}  // namespace
