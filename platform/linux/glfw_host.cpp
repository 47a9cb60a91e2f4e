#include "platform/linux/glfw_host.h"

#include <GLFW/glfw3.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

static const char* programName = "vellum";
static char glfwProblem[256] = "unknown error";

static void NoteProblem(int, const char* description)
{
    std::snprintf(glfwProblem, sizeof glfwProblem, "%s", description);
}

void StartGlfw(const char* program)
{
    programName = program;
    glfwSetErrorCallback(NoteProblem);
    if (!glfwInit()) FailWithGlfw("cannot reach the X display");
}

void FailWithGlfw(const char* what)
{
    std::fprintf(stderr, "%s: %s: %s\n", programName, what, glfwProblem);
    glfwTerminate();
    std::exit(1);
}

void RequestFramebuffer()
{
    glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
    glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
    // RGB with no alpha channel, so every pixel read back has alpha 255.
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 16);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    // GLX offers accumulation buffers of 16 bits a channel or none, and none with samples.
    // Asking 16 on all four channels makes the accumulation configs the best match; asking
    // fewer scores as a tie that may pick a config without one.
    glfwWindowHint(GLFW_ACCUM_RED_BITS, 16);
    glfwWindowHint(GLFW_ACCUM_GREEN_BITS, 16);
    glfwWindowHint(GLFW_ACCUM_BLUE_BITS, 16);
    glfwWindowHint(GLFW_ACCUM_ALPHA_BITS, 16);
    glfwWindowHint(GLFW_SAMPLES, 0);
}

void OpenStandardStreams()
{
    for (int fd = 0; fd < 3; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) open("/dev/null", O_RDWR);  // takes the lowest free number: fd
}

void CatchTerminationSignals(void (*handler)(int))
{
    struct sigaction action {}, previous {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
}

bool ScreenHolds(int width, int height)
{
    // GLFW asks RandR for the mode without growing the screen first, and the X server's
    // refusal ends the process from inside Xlib's default error handler.
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (!display) return true;
    const bool holds = DisplayWidth(display, DefaultScreen(display)) >= width &&
                       DisplayHeight(display, DefaultScreen(display)) >= height;
    XCloseDisplay(display);
    return holds;
}

bool ClaimDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const std::string name = std::string("vellum on ") + (x ? x : "") + " " + (wayland ? wayland : "");
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    // A leading zero byte puts the name in the abstract namespace: no file, gone with the process.
    const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    const int claim = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (claim < 0) return true;  // nothing to claim with: let it show
    const socklen_t size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + length);
    return bind(claim, reinterpret_cast<const sockaddr*>(&address), size) == 0 || errno != EADDRINUSE;
}
