// Preloaded into a deliverable by the end-to-end tests: after every buffer swap it writes the
// swap count, the time between the first and the last swap and the swap interval last set
// (-1 for none) to the file named by VELLUM_SWAP_LOG, so the log is true however the process
// ends. With VELLUM_STOP_AT_POLL=N it
// also stops the process (SIGSTOP) at its Nth event poll, which falls between two passes of the
// render, and notes every later poll in VELLUM_POLL_LOG: how far the render goes once resumed.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {
long swaps = 0, polls = 0;
int interval = -1;
std::chrono::steady_clock::time_point first, last;

void Append(const char* variable, const char* text, int flags)
{
    const char* path = std::getenv(variable);
    if (!path) return;
    const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0) return;
    std::size_t length = 0;
    while (text[length]) ++length;
    if (write(fd, text, length) < 0) std::perror(path);
    close(fd);
}
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
    char line[64];
    std::snprintf(line, sizeof line, "%ld %.6f %d\n", swaps, std::chrono::duration<double>(last - first).count(), interval);
    Append("VELLUM_SWAP_LOG", line, O_TRUNC);
}

extern "C" void glfwPollEvents()
{
    using Poll = void (*)();
    static const Poll real = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "glfwPollEvents"));
    static const char* stopAt = std::getenv("VELLUM_STOP_AT_POLL");
    if (stopAt && ++polls == std::atol(stopAt)) raise(SIGSTOP);
    else if (stopAt && polls > std::atol(stopAt)) Append("VELLUM_POLL_LOG", "poll\n", O_APPEND);
    real();
}

extern "C" void glfwSwapInterval(int wanted)
{
    using SetInterval = void (*)(int);
    static const SetInterval real = reinterpret_cast<SetInterval>(dlsym(RTLD_NEXT, "glfwSwapInterval"));
    interval = wanted;
    real(wanted);
}
