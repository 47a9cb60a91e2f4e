// The Windows programs' choice of pixel format (see pixel_format.h).

#include "platform/windows/pixel_format.h"

// The ranks, 0 the best: a driver's format with accumulation, a driver's, software; each with
// depth first. Ranks where the format will not do.
constexpr int Ranks = 6;
static int Rank(const PixelFormatFacts& f)
{
    constexpr unsigned needed = FormatDrawToWindow | FormatSupportOpenGl | FormatDoubleBuffer;
    if ((f.flags & needed) != needed || f.pixelType != FormatTypeRgba || f.colourBits < 24) return Ranks;
    const bool driver = !(f.flags & FormatGeneric) || (f.flags & FormatGenericAccelerated);
    const bool accumulates = f.accumRedBits >= 8 && f.accumGreenBits >= 8 && f.accumBlueBits >= 8;
    return 2 * (!driver ? 2 : accumulates ? 0 : 1) + (f.depthBits < 16);
}

int ChoosePixelFormatFrom(int count, bool (*describe)(int format, PixelFormatFacts& facts, void* device), void* device)
{
    int best = 0, bestRank = Ranks;
    for (int format = 1; format <= count && bestRank > 0; ++format) {
        PixelFormatFacts facts;
        if (!describe(format, facts, device)) continue;
        if (const int rank = Rank(facts); rank < bestRank) {
            best = format;
            bestRank = rank;
        }
    }
    return best;
}
