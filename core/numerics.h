// The still image's pure numeric helpers and the CPU halves of its stages, without OpenGL or
// the operating system, exposed so that tests and benchmarks can hold them against
// straightforward references.
#pragma once

#include <cmath>
#include <cstdint>

// Horizontal or vertical shift of one pass, in design units, from one generator draw:
// an even spread over [-1, 16382/16383], so never more than LargestPassShift either way.
float PassShift(unsigned draw);
constexpr float LargestPassShift = 1;

// The byte an accumulation returns for a channel whose passes, all at one weight, add up to
// sum bytes: OpenGL's weight x sum on [0, 1], clamped and rounded to the nearest byte. Exact
// sums leave that single rounding, at the end.
inline std::uint8_t ReturnedByte(unsigned sum, float weight)
{
    const double average = sum * double(weight);  // in bytes: 255 x [0, 1]
    return std::uint8_t(average >= 255 ? 255 : std::lround(average));
}

// compositeImage from renderImage and vignetteMask over the drawn pixels, alpha 255: with
// AVX2 where the processor has it, otherwise the plain loop.
void ComposeFrame();
void ComposeFramePlain();

// The grain table: 12312 filled entries in runs of 0, 1, ... 51, and a zero after them that
// draws can reach, since they are taken modulo one more than the filled length.
constexpr int GrainTableSize = 12320;
constexpr int GrainDrawModulus = 12313;
extern std::uint8_t grainTable[GrainTableSize];
void BuildGrainTable();

// x^n by n - 1 float multiplications (x itself for n <= 1), and n! as a float.
float PowerByMultiply(float x, int n);
float Factorial(int n);

// The square root of v = 0 or v >= 1 by bisection, and the vignette's grey level at a squared
// distance q from the centre.
float BisectSqrt(float v);
std::uint8_t VignetteLevel(std::int32_t q);

// The ScreenWidth x ScreenHeight RGBA frame (bottom row first) shown in width x height pixels
// (each at most the frame's): every shown pixel is the average of the frame pixels under it,
// rounded to the nearest byte, so that a smaller screen keeps the smoothness of the averaged
// passes that sampling would alias away. Frame column u falls under shown column
// u x width / ScreenWidth (and rows alike): each frame pixel counts once, in one shown pixel.
void ShrinkFrame(const std::uint8_t* frame, int width, int height, std::uint8_t* shown);
