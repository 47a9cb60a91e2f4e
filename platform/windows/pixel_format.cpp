// The Windows programs' choice of pixel format (see pixel_format.h).

#include "platform/windows/pixel_format.h"

int ChoosePixelFormatFrom(const PixelFormatFacts* formats, int count)
{
    constexpr unsigned needed = FormatDrawToWindow | FormatSupportOpenGl | FormatDoubleBuffer;
    // The first format of each rank: a driver's with accumulation, a driver's, software; each
    // with depth first.
    int best[6] = {};
    for (int i = count - 1; i >= 0; --i) {
        const PixelFormatFacts& f = formats[i];
        if ((f.flags & needed) != needed || f.pixelType != FormatTypeRgba || f.colourBits < 24) continue;
        const bool driver = !(f.flags & FormatGeneric) || (f.flags & FormatGenericAccelerated);
        const bool accumulates = f.accumRedBits >= 8 && f.accumGreenBits >= 8 && f.accumBlueBits >= 8;
        best[2 * (!driver ? 2 : accumulates ? 0 : 1) + (f.depthBits < 16)] = i + 1;
    }
    for (int format : best)
        if (format) return format;
    return 0;
}
