// Preloaded into a deliverable by the tests: every window it opens is VELLUM_WINDOW_SCALE times
// the size it asks for, as a scaled desktop or a compositor would make it, so that its
// framebuffer is larger than the picture.

#include <dlfcn.h>

#include <cstdlib>

struct GLFWwindow;
struct GLFWmonitor;
extern "C" GLFWwindow* glfwCreateWindow(int width, int height, const char* title, GLFWmonitor* monitor,
                                        GLFWwindow* share)
{
    using Create = GLFWwindow* (*)(int, int, const char*, GLFWmonitor*, GLFWwindow*);
    static const Create real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "glfwCreateWindow"));
    const char* scale = std::getenv("VELLUM_WINDOW_SCALE");
    const double factor = scale ? std::atof(scale) : 1.0;
    return real(int(width * factor), int(height * factor), title, monitor, share);
}
