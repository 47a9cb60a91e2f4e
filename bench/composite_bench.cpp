// The per-frame composite at this build's resolution: the shipped version (and its plain-loop
// form, used without AVX2) against the straightforward one over the buffers' whole capacity, and against a plain copy of a frame.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "pipeline/buffers.h"
#include "pipeline/numerics.h"

namespace {

void FillInputs()
{
    static bool filled = false;
    if (filled) return;
    std::mt19937 random(3);
    for (int i = 0; i < 4 * ScreenPixels; ++i) {
        renderImage[i] = random() & 255;
        vignetteMask[i] = 40 + (i / 4 / ScreenWidth) % 216;  // smooth, as a vignette is
    }
    filled = true;
}

// Per channel, in double arithmetic with the three float roundings, over all 8 x W x H pixels.
void StraightforwardComposite()
{
    for (int i = 0; i < BufferPixels; ++i) {
        for (int k = 0; k < 3; ++k) {
            const int a = renderImage[4 * i + k], c = vignetteMask[4 * i + k];
            const float t = float(a + (2.0 * c / 255) * (255 - a));
            const float s = float(a / 255.0);
            float v = float(double(t) * double(s));
            if (v < 0) v = 0;
            if (v > 255) v = 255;
            compositeImage[4 * i + k] = std::uint8_t(v);
        }
        compositeImage[4 * i + 3] = 255;
    }
}

void BM_CompositeStraightforward(benchmark::State& state)
{
    FillInputs();
    for (auto _ : state) {
        StraightforwardComposite();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CompositeStraightforward)->Unit(benchmark::kMillisecond);

void BM_Composite(benchmark::State& state)
{
    FillInputs();
    for (auto _ : state) {
        ComposeFrame();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Composite)->Unit(benchmark::kMillisecond);

void BM_CompositePlainLoop(benchmark::State& state)
{
    FillInputs();
    for (auto _ : state) {
        ComposeFramePlain();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CompositePlainLoop)->Unit(benchmark::kMillisecond);

void BM_FrameMemcpy(benchmark::State& state)
{
    FillInputs();
    for (auto _ : state) {
        std::memcpy(compositeImage, renderImage, std::size_t(ScreenPixels) * 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
