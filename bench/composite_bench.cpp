// The per-frame composite at this build's resolution: the shipped version (and its plain-loop
// form, used without AVX2) against the straightforward one over the buffers' whole capacity, and against a plain copy of a frame.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "core/buffers.h"
#include "core/numerics.h"
#include "reference.h"

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

void BM_CompositeStraightforward(benchmark::State& state)
{
    FillInputs();
    for (auto _ : state) {
        reference::Composite();
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
