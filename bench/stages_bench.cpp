// The one-time CPU stages at 1920 x 1080, each beside the straightforward version of its
// definition: the grain filled over the whole capacity, the mask with 500 bisection steps a
// pixel.

#include <benchmark/benchmark.h>

#include "pipeline/buffers.h"
#include "pipeline/numerics.h"
#include "pipeline/stages.h"

namespace {

void StraightforwardGrain()
{
    BuildGrainTable();
    std::uint8_t* out = grainImage;
    for (int i = 0; i < BufferPixels; ++i, out += 4) {
        out[0] = grainTable[NextRandom() % 12313];
        out[1] = grainTable[NextRandom() % 12313];
        out[2] = grainTable[NextRandom() % 12313];
        out[3] = 255;
    }
}

float FiveHundredStepSqrt(float v)
{
    float lo = 0, hi = v, mid = 0;
    for (int step = 0; step < 500; ++step) {
        mid = float((double(hi) + lo) * 0.5);
        if (double(mid) * mid > v) hi = mid;
        else lo = mid;
    }
    return mid;
}

void StraightforwardVignette()
{
    std::uint8_t* out = vignetteMask;
    for (int y = ScreenHeight / 2; y > -ScreenHeight / 2; --y)
        for (int x = -ScreenWidth / 2; x < ScreenWidth / 2; ++x, out += 4) {
            const float d = FiveHundredStepSqrt(float(x * x + y * y));
            const float f = float(d / 587);
            float m = float(double(0.3f) / f);
            if (m > 1) m = 1;
            out[0] = out[1] = out[2] = std::uint8_t(float(m * 255.0));
            out[3] = 255;
        }
}

template <void (*Stage)()>
void Run(benchmark::State& state)
{
    for (auto _ : state) {
        RandomState = 1;
        Stage();
        benchmark::ClobberMemory();
    }
}

BENCHMARK(Run<StraightforwardGrain>)->Name("Grain/straightforward")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(Run<BuildGrain>)->Name("Grain/shipped")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<StraightforwardVignette>)->Name("Vignette/straightforward")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Run<BuildVignette>)->Name("Vignette/shipped")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
