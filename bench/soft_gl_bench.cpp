// Vellum's own OpenGL drawing the whole still render at this build's resolution, two ways side
// by side: every pass drawn whole and accumulated (the straightforward render), and RenderStill
// as the programs and the page run it, with the passes after the first drawn only in the band
// around the picture's edges. No display.

#include <benchmark/benchmark.h>

#include "core/buffers.h"
#include "core/stages.h"
#include "gl/opengl.h"
#include "gl/soft_gl.h"
#include "render/render.h"

namespace {

void BM_WholePasses(benchmark::State& state)
{
    openGl = &softGl;
    for (auto _ : state) {
        RandomState = 1;
        glPushMatrix();
        glOrtho(0, 1920, 1080, 0, 1, -1);
        BuildGrain();
        BuildVignette();
        glClear(GL_ACCUM_BUFFER_BIT);
        for (int pass = 0; pass < Passes; ++pass) {
            DrawShiftedPass();
            glAccum(GL_ACCUM, PassWeight);
        }
        glAccum(GL_RETURN, 1.0f);
        glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, renderImage);
        glPopMatrix();
    }
}

void BM_RenderStill(benchmark::State& state)
{
    openGl = &softGl;
    SoftGlUseThreads(int(state.range(0)));
    for (auto _ : state) {
        RandomState = 1;
        glPushMatrix();
        RenderStill();
        glPopMatrix();
    }
}

}  // namespace

BENCHMARK(BM_WholePasses)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
// On 1, 2, 4 and 8 threads, and 0: as many as the processor has.
BENCHMARK(BM_RenderStill)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(0)
    ->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK_MAIN();
