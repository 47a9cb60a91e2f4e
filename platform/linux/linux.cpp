// The Linux entry of vellum-1080 and vellum-720: X11 (or Wayland) and GLX/EGL through GLFW.
//
// Full screen at the build's resolution, one render, then the same frame until Escape. X11
// keeps a changed display mode after its client dies, so the mode is put back by destroying
// the window on every way out: Escape, and SIGINT, SIGTERM, SIGHUP or SIGQUIT, after which the
// process ends by that same signal.
// Implemented: the mode change, or a borderless W x H window at the top-left where the mode
// cannot be had (no such mode, a smaller screen, every output off); hidden pointer; signals
// ignored at start (nohup) stay ignored; closed standard streams; one line and status 1
// without a display or GL.
// Not handled: a framebuffer of another size than W x H (scaled desktops), the window
// manager's close, signals during the render (answered once it ends), frame pacing, and a
// second instance.

#include <GLFW/glfw3.h>

#include <csignal>
#include <cstdlib>

#include "core/buffers.h"
#include "core/stages.h"
#include "platform/linux/glfw_host.h"

static volatile std::sig_atomic_t pendingSignal = 0;

static void NoteSignal(int signal) { pendingSignal = signal; }

// Ends the process as the pending signal would have, once the display mode is back.
static void EndIfSignalled(GLFWwindow* window)
{
    const int signal = pendingSignal;
    if (signal == 0) return;
    glfwDestroyWindow(window);
    glfwTerminate();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

// A full-screen window switches the primary monitor to ScreenWidth x ScreenHeight until the
// window is destroyed. Where there is no primary monitor (every output off), the screen is
// too small for the mode, or the monitor offers no such mode, the same borderless window
// covers the top-left ScreenWidth x ScreenHeight of the screen instead.
static GLFWwindow* OpenWindow()
{
    RequestFramebuffer();
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor(); monitor && ScreenHolds(ScreenWidth, ScreenHeight)) {
        GLFWwindow* window = glfwCreateWindow(ScreenWidth, ScreenHeight, VELLUM_PROGRAM, monitor, nullptr);
        if (!window) FailWithGlfw("cannot open an OpenGL window");
        const GLFWvidmode* mode = glfwGetVideoMode(monitor);
        if (mode && mode->width == ScreenWidth && mode->height == ScreenHeight) return window;
        glfwDestroyWindow(window);
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(ScreenWidth, ScreenHeight, VELLUM_PROGRAM, nullptr, nullptr);
    if (!window) FailWithGlfw("cannot open an OpenGL window");
    glfwSetWindowPos(window, 0, 0);
    glfwShowWindow(window);
    return window;
}

int main()
{
    OpenStandardStreams();
    CatchTerminationSignals(NoteSignal);
    StartGlfw(VELLUM_PROGRAM);

    GLFWwindow* window = OpenWindow();
    glfwMakeContextCurrent(window);
    // Frames are swapped as fast as they come: a swap that waits for the display would hang
    // where the compositor stops asking for frames (a hidden window under Wayland), and the
    // loop must keep polling Escape and the signals.
    glfwSwapInterval(0);
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    // A press since the last poll counts even if the key is up again by then.
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    EndIfSignalled(window);

    RenderStill();
    EndIfSignalled(window);

    do {
        PresentFrame();
        glfwSwapBuffers(window);
        glfwPollEvents();
        EndIfSignalled(window);
    } while (glfwGetKey(window, GLFW_KEY_ESCAPE) != GLFW_PRESS);

    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
