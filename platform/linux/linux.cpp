// The Linux entry of vellum-1080 and vellum-720: X11 (or Wayland) and GLX/EGL through GLFW.
//
// Full screen at the build's resolution, one render, then the same frame until Escape. X11
// keeps a changed display mode after its client dies, so the mode is put back by destroying
// the window on every way out: Escape, the window manager's close, and SIGINT, SIGTERM, SIGHUP
// or SIGQUIT, after which the process ends by that same signal.
// Implemented: the mode change, or a borderless W x H window at the top-left where the mode
// cannot be had (no such mode, a smaller screen, every output off); hidden pointer; the close
// and signals answered between the passes of the render too; frames no faster than the
// display refreshes; one picture per display (a second program says so and ends, so the
// desktop's own mode comes back whichever ends first); signals ignored at start (nohup) stay
// ignored; closed standard streams; one line and status 1 without a display or GL.
// A framebuffer of another size than W x H (a scaled desktop, Xwayland's emulated modes) gets
// the frame scaled to fill it, aspect kept; the render itself is always W x H.
// Not handled: a framebuffer smaller than W x H.

#include <GLFW/glfw3.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "core/buffers.h"
#include "core/stages.h"
#include "platform/linux/glfw_host.h"
#include "render/render.h"

static volatile std::sig_atomic_t pendingSignal = 0;
static GLFWwindow* window;

static void NoteSignal(int signal) { pendingSignal = signal; }

// Ends the process with the display mode back: as the pending signal would have, or with
// status 0 where the window manager asked the window to close.
static void EndIfAsked()
{
    const int signal = pendingSignal;
    const bool close = glfwWindowShouldClose(window);
    if (signal == 0 && !close) return;
    glfwDestroyWindow(window);
    glfwTerminate();
    if (signal == 0) std::exit(0);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

// Between the passes of the render: a close or a signal ends it there, not seconds later.
static void AnswerBetweenPasses(int)
{
    glfwPollEvents();
    EndIfAsked();
}

// A full-screen window switches the primary monitor to ScreenWidth x ScreenHeight until the
// window is destroyed. Where there is no primary monitor (every output off), the screen is
// too small for the mode, or the monitor offers no such mode, the same borderless window
// covers the top-left ScreenWidth x ScreenHeight of the screen instead.
static GLFWwindow* OpenWindow()
{
    RequestFramebuffer();
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor(); monitor && ScreenHolds(ScreenWidth, ScreenHeight)) {
        GLFWwindow* full = glfwCreateWindow(ScreenWidth, ScreenHeight, VELLUM_PROGRAM, monitor, nullptr);
        if (!full) FailWithGlfw("cannot open an OpenGL window");
        const GLFWvidmode* mode = glfwGetVideoMode(monitor);
        if (mode && mode->width == ScreenWidth && mode->height == ScreenHeight) return full;
        glfwDestroyWindow(full);
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* corner = glfwCreateWindow(ScreenWidth, ScreenHeight, VELLUM_PROGRAM, nullptr, nullptr);
    if (!corner) FailWithGlfw("cannot open an OpenGL window");
    glfwSetWindowPos(corner, 0, 0);
    glfwShowWindow(corner);
    return corner;
}

int main()
{
    OpenStandardStreams();
    CatchTerminationSignals(NoteSignal);
    StartGlfw(VELLUM_PROGRAM);
    // Two at once would each save the other's mode as the one to put back.
    if (!ClaimDisplay()) {
        std::fprintf(stderr, VELLUM_PROGRAM ": Vellum is already showing on this display\n");
        glfwTerminate();
        return 1;
    }

    window = OpenWindow();
    glfwMakeContextCurrent(window);
    // Frames are paced by the loop below, not by the swap: a swap that waits for the display
    // would hang where the compositor stops asking for frames (a hidden window under Wayland),
    // and the loop must keep answering Escape, the close and the signals.
    glfwSwapInterval(0);
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    // A press since the last poll counts even if the key is up again by then.
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    EndIfAsked();

    renderPassDone = AnswerBetweenPasses;
    RenderStill();
    EndIfAsked();

    // No more frames than the display shows: the mode's refresh rate, 60 where it is unknown.
    const GLFWvidmode* mode = glfwGetPrimaryMonitor() ? glfwGetVideoMode(glfwGetPrimaryMonitor()) : nullptr;
    const int refresh = mode && mode->refreshRate > 0 ? mode->refreshRate : 60;
    using Clock = std::chrono::steady_clock;
    const Clock::duration period = std::chrono::nanoseconds(1000000000 / refresh);
    Clock::time_point next = Clock::now();
    do {
        glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
        PresentFrame();
        glfwSwapBuffers(window);
        next = std::max(next + period, Clock::now());
        // Waits for the next frame's time, woken by any event; a signal is seen within it.
        for (Clock::time_point now = Clock::now(); now < next && !pendingSignal; now = Clock::now())
            glfwWaitEventsTimeout(std::chrono::duration<double>(next - now).count());
        glfwPollEvents();
        EndIfAsked();
    } while (glfwGetKey(window, GLFW_KEY_ESCAPE) != GLFW_PRESS);

    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
