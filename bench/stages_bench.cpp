// The one-time CPU stages at 1920 x 1080, each beside the straightforward version of its
// definition: the grain filled over the whole capacity, the mask with 500 bisection steps a
// pixel.

#include <benchmark/benchmark.h>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "reference.h"

namespace {

template <void (*Stage)()>
void Run(benchmark::State& state)
{
    for (auto _ : state) {
        RandomState = 1;
        Stage();
        benchmark::ClobberMemory();
    }
}

BENCHMARK(Run<reference::Grain>)->Name("Grain/straightforward")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(Run<BuildGrain>)->Name("Grain/shipped")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<reference::Vignette>)->Name("Vignette/straightforward")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Run<BuildVignette>)->Name("Vignette/shipped")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
