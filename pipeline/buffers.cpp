#include "pipeline/buffers.h"

alignas(64) ImageBuffer renderImage;
alignas(64) ImageBuffer grainImage;
alignas(64) ImageBuffer vignetteMask;
alignas(64) ImageBuffer compositeImage;

std::uint32_t RandomState = 1;
