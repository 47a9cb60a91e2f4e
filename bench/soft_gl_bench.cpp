// The CPU's OpenGL (the page's renderer) drawing the whole still render at this build's
// resolution: every pass read back and summed (the render's CPU average), every pass drawn
// whole into its accumulation buffer, and the passes after the first drawn only in the band
// around the picture's edges, as the page draws them. No display.

#include <benchmark/benchmark.h>

#include "core/buffers.h"
#include "core/stages.h"
#include "gl/opengl.h"
#include "gl/soft_gl.h"
#include "render/render.h"

namespace {

void Render(benchmark::State& state, AccumulationChoice choice, void (*afterPass)(int))
{
    accumulationChoice = choice;
    renderPassDone = afterPass;
    for (auto _ : state) {
        RandomState = 1;
        glPushMatrix();
        RenderStill();
        glPopMatrix();
        SoftGlDrawEverywhere();
    }
    renderPassDone = nullptr;
    accumulationChoice = AccumulationChoice::Checked;
}

void BM_ReadBackEveryPass(benchmark::State& state) { Render(state, AccumulationChoice::Cpu, nullptr); }

void BM_AccumulateWholePasses(benchmark::State& state) { Render(state, AccumulationChoice::Checked, nullptr); }

void BM_AccumulateInEdgeBand(benchmark::State& state)
{
    Render(state, AccumulationChoice::Checked, [](int pass) {
        if (pass == 0) SoftGlDrawLaterPassesNearEdges();
    });
}

}  // namespace

BENCHMARK(BM_ReadBackEveryPass)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AccumulateWholePasses)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AccumulateInEdgeBand)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
