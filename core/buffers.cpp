// The shared image buffers, the generator's state and the shift a draw of it gives a pass.

#include "core/buffers.h"
#include "core/numerics.h"

alignas(64) ImageBuffer renderImage;
alignas(64) ImageBuffer grainImage;
alignas(64) ImageBuffer vignetteMask;
alignas(64) ImageBuffer compositeImage;

std::uint32_t RandomState = 1;

float PassShift(unsigned draw)
{
    // 32766 = 2 x 16383: the remainder, recentred and scaled, spans [-1, 16382/16383].
    return float((double(float(draw % 32766)) - 16383) / 16383);
}
