// The generator, the pass shifts and the soft-light composite, against the numbers they must
// give and against straightforward references.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "core/buffers.h"
#include "core/numerics.h"
#include "edges.h"
#include "reference.h"
#include "render/render.h"

namespace {

// The composite with no float roundings at all, for contrast.
int AllDoubleSoftLight(int a, int c)
{
    return int(std::clamp((a + (2.0 * c / 255) * (255 - a)) * (a / 255.0), 0.0, 255.0));
}

TEST(NextRandom, StartsFromOneAndReturnsTheUpperSixteenBits)
{
    RandomState = 1;
    EXPECT_EQ(NextRandom(), 16838u);
    EXPECT_EQ(NextRandom(), 38526u);  // above 32767: the result is not masked to 15 bits
    EXPECT_EQ(NextRandom(), 10113u);
    std::uint32_t state = 1;
    for (int i = 0; i < 3; ++i) state = state * 1103515245u + 12345u;
    EXPECT_EQ(RandomState, state);
    RandomState = 0xFFFFFFFFu;  // wraps modulo 2^32
    EXPECT_EQ(NextRandom(), ((0xFFFFFFFFu * 1103515245u + 12345u) >> 16));
    RandomState = 1;
}

TEST(PassShift, SpansMinusOneToJustBelowOne)
{
    EXPECT_EQ(PassShift(0), -1.0f);
    EXPECT_EQ(PassShift(16383), 0.0f);
    EXPECT_EQ(PassShift(32765), float(16382.0 / 16383));
    EXPECT_EQ(PassShift(32766), -1.0f);  // the modulus wraps
    EXPECT_EQ(PassShift(65535), PassShift(65535 - 32766));
}

// The definition, with its three float roundings, against hand-worked values and against the
// exact rational floor(a(255a + 2c(255 - a)) / 255^2) in integers, which it equals for every
// pair; in pure double arithmetic exactly one pair differs.
TEST(SoftLight, TheDefinitionIsTheExactRationalWhereDoublesMissOnePair)
{
    EXPECT_EQ(reference::SoftLight(128, 255), 191);
    EXPECT_EQ(reference::SoftLight(128, 128), 128);
    EXPECT_EQ(reference::SoftLight(128, 0), 64);
    EXPECT_EQ(reference::SoftLight(200, 40), 170);
    EXPECT_EQ(reference::SoftLight(187, 240), 231);
    EXPECT_EQ(AllDoubleSoftLight(187, 240), 230);
    int differing = 0;
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            const long exact = long(a) * (255 * a + 2 * c * (255 - a)) / (255 * 255);
            ASSERT_EQ(reference::SoftLight(a, c), exact) << a << ", " << c;
            differing += exact != AllDoubleSoftLight(a, c);
        }
    EXPECT_EQ(differing, 1);
}

// The fast composite against the formula, over every (a, c) pair on every channel, and with
// each channel of a pixel under a different mask value.
TEST(ComposeFrame, MatchesTheFormulaForEveryPairAndChannel)
{
    static_assert(ScreenPixels >= 3 * 65536);
    std::mt19937 random(7);
    for (int i = 0; i < ScreenPixels; ++i) {
        const int pair = i % 65536, round = i / 65536;
        std::uint8_t* render = renderImage + 4 * i;
        std::uint8_t* mask = vignetteMask + 4 * i;
        for (int k = 0; k < 3; ++k) {
            // Round r puts pair p on channel r % 3; the other channels get random values.
            const bool exhaustive = k == round % 3;
            render[k] = exhaustive ? pair & 255 : random() & 255;
            mask[k] = exhaustive ? pair >> 8 : random() & 255;
        }
        render[3] = random() & 255;
        mask[3] = random() & 255;
    }
    for (void (*compose)() : {ComposeFramePlain, ComposeFrame}) {
        std::memset(compositeImage, 0, 4 * std::size_t(ScreenPixels));
        compose();
        for (int i = 0; i < ScreenPixels; ++i) {
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(compositeImage[4 * i + k],
                          reference::SoftLight(renderImage[4 * i + k], vignetteMask[4 * i + k]))
                    << "pixel " << i << " channel " << k;
            ASSERT_EQ(compositeImage[4 * i + 3], 255) << "pixel " << i;
        }
    }
    // Nothing past the drawn pixels is written.
    EXPECT_EQ(compositeImage[4 * ScreenPixels], 0);
}

// A frame shown smaller is the box average of the frame pixels under each shown pixel, as its
// definition reads: each frame pixel added into the one shown pixel it falls under, each sum
// divided by its count and rounded. At the frame's own size it is the frame.
TEST(ShrinkFrame, IsTheBoxAverageOfThePixelsUnderEachShownPixel)
{
    std::mt19937 generator(7);
    std::vector<std::uint8_t> frame(4 * std::size_t(ScreenPixels));
    for (auto& byte : frame) byte = std::uint8_t(generator());
    for (const auto& [width, height] : {std::pair{ScreenWidth, ScreenHeight}, std::pair{ScreenWidth / 2, ScreenHeight / 2},
                                       std::pair{853, 480}, std::pair{ScreenWidth - 1, 7}, std::pair{1, 1}}) {
        std::vector<std::uint64_t> sums(4 * std::size_t(width) * height), counts(sums.size());
        for (int v = 0; v < ScreenHeight; ++v)
            for (int u = 0; u < ScreenWidth; ++u) {
                const std::size_t at = 4 * (std::size_t(std::int64_t(v) * height / ScreenHeight) * width +
                                            std::size_t(std::int64_t(u) * width / ScreenWidth));
                for (int c = 0; c < 4; ++c) {
                    sums[at + c] += frame[4 * (std::size_t(v) * ScreenWidth + u) + c];
                    ++counts[at + c];
                }
            }
        std::vector<std::uint8_t> shown(sums.size());
        ShrinkFrame(frame.data(), width, height, shown.data());
        for (std::size_t i = 0; i < shown.size(); ++i)
            ASSERT_EQ(shown[i], std::uint8_t(std::lround(double(sums[i]) / double(counts[i]))))
                << width << " x " << height << ", byte " << i;
        if (width == ScreenWidth && height == ScreenHeight) {
            EXPECT_EQ(shown, frame);
        }
    }
}

}  // namespace

// The start-up check's verdict on what the accumulation buffer returned: the average of two
// passes (255|0 and 128|64) and the levels 0, 1, 64, 128, 254, 255 after 255 additions.
TEST(AccumulationFault, AcceptsOnlyTheDefinedAverage)
{
    const AccumulationAnswers conforming{16, false, {127, 96}, {0, 1, 64, 128, 254, 255}};
    EXPECT_EQ(AccumulationFault(conforming), nullptr);
    AccumulationAnswers other = conforming;
    other.mix[0] = 128;           // either neighbour of 127.5
    other.levels[3] = 127;        // a level within 1
    EXPECT_EQ(AccumulationFault(other), nullptr);

    const AccumulationAnswers linearLight{16, false, {188, 102}, {0, 0, 61, 126, 254, 255}};
    const AccumulationAnswers truncating{16, false, {127, 96}, {0, 0, 64, 127, 252, 254}};
    const AccumulationAnswers shallow{16, false, {127, 96}, {0, 1, 64, 126, 254, 255}};
    const AccumulationAnswers none{0, false, {0, 0}, {0, 0, 0, 0, 0, 0}};
    AccumulationAnswers error = conforming;
    error.glError = true;
    for (const AccumulationAnswers& answers : {linearLight, truncating, shallow, none, error})
        EXPECT_NE(AccumulationFault(answers), nullptr) << int(answers.mix[0]) << " " << int(answers.levels[4]);
}

// What another OpenGL's picture may be: edges moved by a few levels, a tone's blend rounded one
// level the other way; not a wide flat area off by one, nor a flat pixel off by more than two.
TEST(EdgeBounds, TellEdgesFromRoundingFaults)
{
    // A 40 x 40 reference: a dark square on a light ground, its edges one pixel soft.
    constexpr int Size = 40;
    std::vector<std::uint8_t> reference(4 * Size * Size, 200);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x)
            for (int k = 0; k < 3; ++k) reference[4 * (y * Size + x) + k] = x == 10 || y == 10 ? 120 : 40;
    auto changed = [&](auto change) {
        std::vector<std::uint8_t> shown = reference;
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x) change(x, y, &shown[4 * (y * Size + x)]);
        return edges::Compare(shown.data(), reference.data(), reference.data(), Size, Size);
    };

    const edges::Verdict same = changed([](int, int, std::uint8_t*) {});
    EXPECT_TRUE(same.edgesOnly);
    EXPECT_EQ(same.differing, 0);
    const edges::Verdict movedEdge = changed([](int x, int y, std::uint8_t* p) {
        if (x == 10 && y >= 10 && y < 30) p[0] += 12;  // the soft left edge, 12 levels lighter
        if (x == 9 && y == 20) p[1] -= 5;               // and a pixel just outside it
    });
    EXPECT_TRUE(movedEdge.edgesOnly);
    EXPECT_EQ(movedEdge.differing, 21);
    EXPECT_EQ(movedEdge.most, 12);
    const edges::Verdict blendRounding = changed([](int x, int y, std::uint8_t* p) {
        if (x >= 15 && x < 20 && y >= 15 && y < 20) p[1] += 1;  // a patch of one tone, one level off
    });
    EXPECT_TRUE(blendRounding.edgesOnly);

    const edges::Verdict wideFlatArea = changed([](int, int y, std::uint8_t* p) {
        if (y < 5) p[2] += 1;  // an eighth of the picture, one level off
    });
    EXPECT_FALSE(wideFlatArea.edgesOnly);
    const edges::Verdict flatPixel = changed([](int x, int y, std::uint8_t* p) {
        if (x == 20 && y == 20) p[0] += 3;
    });
    EXPECT_FALSE(flatPixel.edgesOnly);
    EXPECT_EQ(flatPixel.offEdge, 1);
    const edges::Verdict farEdge = changed([](int x, int y, std::uint8_t* p) {
        if (x == 10 && y == 20) p[0] += 17;
    });
    EXPECT_FALSE(farEdge.edgesOnly);
}
