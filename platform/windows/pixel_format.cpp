// The Windows programs' choice of pixel format (see pixel_format.h).

#include "platform/windows/pixel_format.h"

// The ranks: a driver's format with accumulation, a driver's, software; each with depth first.
int PixelFormatRank(const PixelFormatFacts& f)
{
    constexpr unsigned needed = FormatDrawToWindow | FormatSupportOpenGl | FormatDoubleBuffer;
    if ((f.flags & needed) != needed || f.pixelType != FormatTypeRgba || f.colourBits < 24) return PixelFormatRanks;
    const bool driver = !(f.flags & FormatGeneric) || (f.flags & FormatGenericAccelerated);
    const bool accumulates = f.accumRedBits >= 8 && f.accumGreenBits >= 8 && f.accumBlueBits >= 8;
    return 2 * (!driver ? 2 : accumulates ? 0 : 1) + (f.depthBits < 16);
}

int ChoosePixelFormatFrom(const PixelFormatFacts* formats, int count)
{
    int best = 0, bestRank = PixelFormatRanks;
    for (int i = 0; i < count; ++i)
        if (const int rank = PixelFormatRank(formats[i]); rank < bestRank) {
            best = i + 1;
            bestRank = rank;
        }
    return best;
}
