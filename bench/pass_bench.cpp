// One shifted pass of the still render at this build's resolution in the system's OpenGL,
// averaged by its accumulation buffer. Needs an X server with GLX.

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <initializer_list>

#include "core/buffers.h"
#include "core/stages.h"
#include "platform/linux/glfw_host.h"
#include "render/render.h"

namespace {

GLFWwindow* OpenContext(int accumulationBits)
{
    RequestFramebuffer();
    for (int hint : {GLFW_ACCUM_RED_BITS, GLFW_ACCUM_GREEN_BITS, GLFW_ACCUM_BLUE_BITS, GLFW_ACCUM_ALPHA_BITS})
        glfwWindowHint(hint, accumulationBits);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(ScreenWidth, ScreenHeight, "pass_bench", nullptr, nullptr);
    if (!window) FailWithGlfw("no OpenGL window");
    glfwMakeContextCurrent(window);
    openGl = &systemGl;
    glOrtho(0, 1920, 1080, 0, 1, -1);
    return window;
}

void BM_PassWithAccumulationBuffer(benchmark::State& state)
{
    GLFWwindow* window = OpenContext(16);
    for (auto _ : state) {
        DrawShiftedPass();
        glAccum(GL_ACCUM, PassWeight);
        glFinish();
    }
    glfwDestroyWindow(window);
}
BENCHMARK(BM_PassWithAccumulationBuffer)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    StartGlfw("pass_bench");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    glfwTerminate();
}
