// The pipeline's pure numeric helpers, and the CPU halves of its stages, exposed so that tests
// and benchmarks can hold them against straightforward references.
#pragma once

#include <cstdint>

// Horizontal or vertical shift of one pass, in design units, from one generator draw:
// an even spread over [-1, 16382/16383].
float PassShift(unsigned draw);

// Soft light of a rendered channel a (0-255) under a mask value c (0-255).
std::uint8_t SoftLight(int a, int c);

// compositeImage from renderImage and vignetteMask over the drawn pixels, alpha 255: with
// AVX2 where the processor has it, otherwise the plain loop.
void ComposeFrame();
void ComposeFramePlain();
