// The vignette mask. Until it is built, the mask stays all zero.

#include "pipeline/stages.h"

void BuildVignette() {}
