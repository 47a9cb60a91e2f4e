// Preloaded into a capture tool by bench/first_frame.sh: prints on stderr how long after the
// process started its first frame was done, at the tool's own glfwDestroyWindow, which follows
// the frame's read-back and comes before the PNG is written. Any build of the tool can be
// timed so, whatever it prints itself.

#include <dlfcn.h>

#include <chrono>
#include <cstdio>

namespace {
const auto started = std::chrono::steady_clock::now();  // as the libraries load, before main
}

struct GLFWwindow;
extern "C" void glfwDestroyWindow(GLFWwindow* window)
{
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "first frame done after %.1f ms\n", ms);
    using Destroy = void (*)(GLFWwindow*);
    reinterpret_cast<Destroy>(dlsym(RTLD_NEXT, "glfwDestroyWindow"))(window);
}
