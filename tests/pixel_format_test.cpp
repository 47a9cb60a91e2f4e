// The Windows programs' choice among a device's pixel formats, on tables that model the
// devices people have. Pure: runs natively and under Wine.

#include <gtest/gtest.h>

#include <vector>

#include "platform/windows/pixel_format.h"

namespace {

constexpr unsigned Window = FormatDrawToWindow | FormatSupportOpenGl | FormatDoubleBuffer;
constexpr PixelFormatFacts Driver{Window, FormatTypeRgba, 32, 0, 0, 0, 24};
constexpr PixelFormatFacts DriverWithAccumulation{Window, FormatTypeRgba, 32, 16, 16, 16, 24};
// Microsoft's software OpenGL 1.1: 64 accumulation bits, 16 a channel, 16-bit depth.
constexpr PixelFormatFacts Software{Window | FormatGeneric, FormatTypeRgba, 32, 16, 16, 16, 16};

// As a device describes them: one format at a time, 1-based.
int Choose(const std::vector<PixelFormatFacts>& formats)
{
    const auto describe = [](int format, PixelFormatFacts& facts, void* device) {
        facts = (*static_cast<const std::vector<PixelFormatFacts>*>(device))[std::size_t(format - 1)];
        return true;
    };
    return ChoosePixelFormatFrom(int(formats.size()), describe, const_cast<std::vector<PixelFormatFacts>*>(&formats));
}

TEST(PixelFormat, PrefersTheDriverOverTheSoftwareRenderer)
{
    // A driver whose formats have no accumulation bits, then the software formats: the driver's
    // first usable format (the CPU then averages the passes), never the software one.
    PixelFormatFacts single = Driver;
    single.flags &= ~FormatDoubleBuffer;
    EXPECT_EQ(Choose({single, Driver, Driver, Software, Software}), 2);
    // A driver with accumulation among its formats: that one.
    EXPECT_EQ(Choose({Driver, DriverWithAccumulation, Software}), 2);
    // An accelerated generic format counts as the driver's.
    PixelFormatFacts accelerated = Software;
    accelerated.flags |= FormatGenericAccelerated;
    EXPECT_EQ(Choose({Software, accelerated}), 2);
    // Within a rank, a format with depth first (Wine lists depthless formats first).
    PixelFormatFacts depthless = DriverWithAccumulation;
    depthless.depthBits = 0;
    EXPECT_EQ(Choose({depthless, Driver, DriverWithAccumulation}), 3);
    EXPECT_EQ(Choose({depthless, Driver}), 1);
}

TEST(PixelFormat, SoftwareOnlyWhereThereIsNoDriver)
{
    EXPECT_EQ(Choose({Software, Software}), 1);
}

TEST(PixelFormat, NoneWhereNothingIsUsable)
{
    PixelFormatFacts palette = DriverWithAccumulation, shallow = DriverWithAccumulation, bitmap = Software;
    palette.pixelType = 1;  // PFD_TYPE_COLORINDEX
    shallow.colourBits = 16;
    bitmap.flags &= ~FormatDrawToWindow;
    EXPECT_EQ(Choose({palette, shallow, bitmap}), 0);
    EXPECT_EQ(Choose({}), 0);
}

}  // namespace
