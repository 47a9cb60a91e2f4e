// The grain and vignette stages of this build, against straightforward versions of their
// definitions and the values they must give.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "reference.h"

namespace {

// The mask pixel at (x, y) from the centre: memory row H/2 - y, column x + W/2.
const std::uint8_t* MaskAt(int x, int y)
{
    return vignetteMask + 4 * (std::size_t(ScreenHeight / 2 - y) * ScreenWidth + x + ScreenWidth / 2);
}

class Stages : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RandomState = 1;
        BuildGrain();
        stateAfterGrain = RandomState;
        BuildVignette();
    }
    static inline std::uint32_t stateAfterGrain;
};

TEST(GrainHelpers, PowerByMultiplyAndFactorial)
{
    for (float x : {-0.5f, 0.0f, 3.25f}) {
        EXPECT_EQ(PowerByMultiply(x, 0), x);
        EXPECT_EQ(PowerByMultiply(x, 1), x);
        EXPECT_EQ(PowerByMultiply(x, 3), float(float(x * x) * x));
    }
    EXPECT_EQ(Factorial(0), 1.0f);
    EXPECT_EQ(Factorial(2), 2.0f);
    EXPECT_EQ(Factorial(3), 6.0f);
    EXPECT_EQ(Factorial(4), 24.0f);
    EXPECT_EQ(Factorial(5), 120.0f);
}

TEST_F(Stages, GrainTableRuns)
{
    const int runs[] = {6493, 204, 203, 202, 201, 200, 198, 196, 193, 190, 187, 184, 181, 177, 173, 169, 165, 160,
                        155,  151, 146, 141, 136, 131, 126, 121, 116, 111, 106, 101, 96,  91,  86,  82,  77,  73,
                        68,   64,  60,  56,  52,  48,  44,  40,  36,  32,  28,  23,  18,  13,  7,   1};
    int pos = 0;
    for (int value = 0; value < 52; ++value)
        for (int k = 0; k < runs[value]; ++k, ++pos) ASSERT_EQ(grainTable[pos], value) << "entry " << pos;
    EXPECT_EQ(pos, 12312);
    for (; pos < GrainTableSize; ++pos) EXPECT_EQ(grainTable[pos], 0) << "entry " << pos;
    EXPECT_EQ(grainTable[6492], 0);
    EXPECT_EQ(grainTable[6493], 1);
    EXPECT_EQ(grainTable[6696], 1);
    EXPECT_EQ(grainTable[12311], 51);
    EXPECT_EQ(grainTable[12312], 0);
}

// Every drawn pixel against the fill as defined: three draws per pixel over the whole
// capacity; the drawn pixels come first, the rest only advance the generator.
TEST_F(Stages, GrainIsTheStraightforwardFill)
{
    std::uint32_t saved = RandomState;
    RandomState = 1;
    for (int i = 0; i < BufferPixels; ++i) {
        const int r = grainTable[NextRandom() % 12313];
        const int g = grainTable[NextRandom() % 12313];
        const int b = grainTable[NextRandom() % 12313];
        if (i < ScreenPixels) {
            const std::uint8_t* p = grainImage + 4 * i;
            ASSERT_TRUE(p[0] == r && p[1] == g && p[2] == b && p[3] == 255) << "pixel " << i;
        }
    }
    EXPECT_EQ(RandomState, stateAfterGrain);
    RandomState = saved;

    EXPECT_EQ((std::vector<int>(grainImage, grainImage + 4)), (std::vector<int>{0, 0, 20, 255}));
}

TEST_F(Stages, GrainStatistics)
{
    long zeros = 0;
    for (int i = 0; i < 4 * ScreenPixels; ++i) {
        if (i % 4 == 3) continue;
        ASSERT_LE(grainImage[i], 51) << "byte " << i;
        zeros += grainImage[i] == 0;
    }
    // 6494 of the 12313 reachable entries hold zero, but draws are 16-bit, and 65536 = 5 x 12313
    // + 3971, so entries 0 to 3970 (all zeros) come up six times in 65536 and the rest five:
    // zero has weight (3971 x 6 + 2522 x 5 + 5) / 65536. With 3 x W x H samples the standard
    // error of the share is below 0.0004.
    const double share = double(zeros) / (3.0 * ScreenPixels);
    EXPECT_NEAR(share, 36441.0 / 65536, 0.002);
    EXPECT_NEAR(share, 6494.0 / 12313, 0.03);
}

TEST_F(Stages, FirstPassShiftFollowsTheGrainDraws)
{
    std::uint32_t saved = RandomState;
    RandomState = stateAfterGrain;
    const float dy = PassShift(NextRandom()), dx = PassShift(NextRandom());
    RandomState = saved;
    if (ScreenWidth == 1920) {
        EXPECT_NEAR(dx, 0.45583838, 1e-7);
        EXPECT_NEAR(dy, 0.56204605, 1e-7);
    } else {
        EXPECT_NEAR(dx, -0.10217909, 1e-7);
        EXPECT_NEAR(dy, 0.32075933, 1e-7);
    }
}

TEST_F(Stages, VignetteValues)
{
    EXPECT_EQ(MaskAt(0, 0)[0], 255);
    for (int x = 0; x <= 176; ++x) EXPECT_EQ(MaskAt(x, 0)[0], 255) << x;
    EXPECT_EQ(MaskAt(124, 124)[0], 255);  // distance 175.4
    EXPECT_EQ(MaskAt(177, 0)[0], 253);
    EXPECT_EQ(MaskAt(0, 200)[0], 224);
    EXPECT_EQ(MaskAt(-300, 0)[0], 149);
    // Only the float roundings and the bisection give these (exact arithmetic: 147 and 73).
    EXPECT_EQ(MaskAt(75, 294)[0], 148);
    EXPECT_EQ(MaskAt(588, 150)[0], 74);
    if (ScreenWidth == 1920) {
        EXPECT_EQ(MaskAt(-960, 540)[0], 40);
        EXPECT_EQ(MaskAt(-960, 0)[0], 46);
        EXPECT_EQ(MaskAt(959, 0)[0], 46);
        EXPECT_EQ(MaskAt(0, 540)[0], 83);
        EXPECT_EQ(MaskAt(0, -539)[0], 83);
    } else {
        EXPECT_EQ(MaskAt(-640, 360)[0], 61);
    }
    // The first memory row is one unit farther from the centre than the last.
    EXPECT_EQ(vignetteMask[0], reference::VignetteLevel(-ScreenWidth / 2, ScreenHeight / 2));
    EXPECT_LE(MaskAt(0, ScreenHeight / 2)[0], MaskAt(0, -(ScreenHeight / 2 - 1))[0]);
    // Nothing past the drawn pixels.
    EXPECT_EQ(vignetteMask[4 * ScreenPixels + 3], 0);
}

// Every drawn pixel against the definition. The level depends on the squared distance alone,
// so each distance's 500 bisection steps are taken once.
TEST_F(Stages, VignetteIsTheStraightforwardMask)
{
    std::vector<int> level(ScreenWidth / 2 * ScreenWidth / 2 + ScreenHeight / 2 * ScreenHeight / 2 + 1, -1);
    const std::uint8_t* p = vignetteMask;
    for (int y = ScreenHeight / 2; y > -ScreenHeight / 2; --y)
        for (int x = -ScreenWidth / 2; x < ScreenWidth / 2; ++x, p += 4) {
            int& g = level[x * x + y * y];
            if (g < 0) g = reference::VignetteLevel(x, y);
            ASSERT_TRUE(p[0] == g && p[1] == g && p[2] == g && p[3] == 255) << "(" << x << ", " << y << ")";
        }
}

// The early-stopping square root against the 500-step one, for every squared distance either
// build reaches (the 1280 x 720 screen lies within the 1920 x 1080 one).
TEST(BisectSqrt, EarlyStopIsExactForEveryReachedDistance)
{
    std::vector<bool> reached(960 * 960 + 540 * 540 + 1);
    for (int x = 0; x <= 960; ++x)
        for (int y = 0; y <= 540; ++y) reached[x * x + y * y] = true;
    int checked = 0;
    for (int q = 0; q < int(reached.size()); ++q) {
        if (!reached[q]) continue;
        const float fast = BisectSqrt(float(q)), defined = reference::BisectSqrt(float(q));
        ASSERT_EQ(std::memcmp(&fast, &defined, sizeof fast), 0) << "q = " << q;
        ++checked;
    }
    EXPECT_GT(checked, 100000);
}

}  // namespace
