// Preloaded into a capture tool by bench/first_frame.sh: prints on stderr how long after the
// process started its first frame was done, at the tool's own glfwDestroyWindow or, drawing in
// a pbuffer, glXDestroyContext, whichever comes first: both follow the frame's read-back and
// come before the PNG is written. Any build of the tool can be timed so, whatever it prints
// itself.

#include <dlfcn.h>

#include <chrono>
#include <cstdio>

namespace {
const auto started = std::chrono::steady_clock::now();  // as the libraries load, before main

void FirstFrameDone()
{
    static bool said;
    if (said) return;
    said = true;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "first frame done after %.1f ms\n", ms);
}
}  // namespace

struct GLFWwindow;
extern "C" void glfwDestroyWindow(GLFWwindow* window)
{
    FirstFrameDone();
    using Destroy = void (*)(GLFWwindow*);
    reinterpret_cast<Destroy>(dlsym(RTLD_NEXT, "glfwDestroyWindow"))(window);
}

struct _XDisplay;
struct __GLXcontextRec;
extern "C" void glXDestroyContext(_XDisplay* display, __GLXcontextRec* context)
{
    FirstFrameDone();
    using Destroy = void (*)(_XDisplay*, __GLXcontextRec*);
    reinterpret_cast<Destroy>(dlsym(RTLD_NEXT, "glXDestroyContext"))(display, context);
}
