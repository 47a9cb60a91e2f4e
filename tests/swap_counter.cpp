// Preloaded into a deliverable by the end-to-end tests: counts its buffer swaps and, when it
// exits normally, writes the count and the time between the first and the last swap to the
// file named by VELLUM_SWAP_LOG.

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
long swaps = 0;
std::chrono::steady_clock::time_point first, last;

struct Report {
    ~Report()
    {
        const char* path = std::getenv("VELLUM_SWAP_LOG");
        if (!path) return;
        if (FILE* file = std::fopen(path, "w")) {
            std::fprintf(file, "%ld %.6f\n", swaps, std::chrono::duration<double>(last - first).count());
            std::fclose(file);
        }
    }
} report;
}  // namespace

// GLFW looks its GL entry points up in the library it loads itself, out of reach of a preload,
// so the count is taken one level up, at the deliverable's own call.
struct GLFWwindow;
extern "C" void glfwSwapBuffers(GLFWwindow* window)
{
    using Swap = void (*)(GLFWwindow*);
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glfwSwapBuffers"));
    real(window);
    last = std::chrono::steady_clock::now();
    if (swaps++ == 0) first = last;
}
