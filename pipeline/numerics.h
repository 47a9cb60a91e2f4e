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

// Called, when set, as each part of the one-time render ends: "grain", "vignette", "passes",
// "read-back". Lets a tool time the parts of the render without changing it (a timer
// should glFinish first, since "passes" ends with the GL work possibly still queued).
extern void (*renderStageDone)(const char* stage);

// Called, when set, after each of the 255 passes (0 to 254): lets a host that must not block
// for the whole render (a browser tab) yield and show progress.
extern void (*renderPassDone)(int pass);

// What the start-up check read back from the accumulation buffer: its bits a channel, whether
// OpenGL raised an error, the two-pass mixes of 255 with 0 and of 128 with 64 at weight 0.5,
// and the levels 0, 1, 64, 128, 254 and 255 each returned after 255 additions at the pass
// weight. (An aggregate of answers, filled once; the GL check itself lives in the render.)
struct AccumulationAnswers {
    int bits;
    bool glError;
    std::uint8_t mix[2];
    std::uint8_t levels[6];
};
extern AccumulationAnswers accumulationAnswers;

// Why the answers show an accumulation buffer that does not average as OpenGL defines, or
// null where it does.
const char* AccumulationFault(const AccumulationAnswers& answers);

// Which average the render uses: the checked choice (the driver's accumulation buffer where
// the check accepts it, the CPU otherwise), or either one forced for comparison.
enum class AccumulationChoice { Checked, Driver, Cpu };
extern AccumulationChoice accumulationChoice;

// The passes' average on the CPU: AddPassToSums reads the pass just
// drawn back and adds it to exact per-channel sums; ReturnSums draws their average.
void AddPassToSums();
void ReturnSums();
