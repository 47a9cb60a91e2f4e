// The film grain. Until it is built, the grain stays all zero and consumes no random draws.

#include "pipeline/stages.h"

void BuildGrain() {}
