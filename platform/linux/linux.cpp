// The Linux entry of vellum-1080 and vellum-720: X11 (or Wayland) and GLX/EGL through GLFW.
//
// Full screen at the build's resolution, one render, then the same frame until Escape, drawn
// again only when the window needs it (exposed, resized or rescaled, restored or refocused), so
// that a picture at rest costs nothing to keep on screen. X11 keeps a changed display mode
// after its client dies, so the desktop's configuration is put back on every way out: by the
// window's destruction and ReleaseDesktop on Escape, the window manager's close and the
// signals that end a program by default (after which the process ends by that same signal),
// and by the guardian process (glfw_host.h) after any end the program cannot catch.
// Implemented: the mode change, or a borderless W x H window at the top-left where the mode
// cannot be had (no such mode, a smaller screen, every output off); on Wayland, a full-screen
// window of the output's size; hidden pointer; the close and signals answered between the
// passes of the render too, and within a tenth of a second while the picture rests; one
// picture per display, kept against other clients (a second program says so and ends, so the
// desktop's own mode comes back whichever ends first); signals ignored at start (nohup) stay
// ignored, blocked ones are unblocked; closed standard streams; one line and status 1 without
// a display or GL, or when the Wayland compositor dies.
// A framebuffer of another size than W x H (a scaled desktop, Xwayland's emulated modes, a
// Wayland output, a screen smaller than the picture) gets the frame scaled to fit it, aspect
// kept; the render itself is always W x H. While it shows, the screen saver and monitor power
// saving wait, and if the X server drops the program (xkill), the desktop's mode is put back
// before it ends.
//
// Known issues:
// - A frame shown smaller than it was rendered is sampled, not averaged (glPixelZoom).
// - On Wayland the screen saver waits only while the compositor honours GLFW's idle inhibit.
// - The guardian cannot put the mode back where the X server itself has gone.

#include <GLFW/glfw3.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "core/buffers.h"
#include "core/stages.h"
#include "platform/linux/glfw_host.h"
#include "render/host.h"
#include "render/render.h"

static volatile std::sig_atomic_t pendingSignal = 0;
static GLFWwindow* window;
static bool frameWanted = true;  // the window's content is lost or stale: present the frame again

static void NoteSignal(int signal) { pendingSignal = signal; }

// Ends the process with the desktop's configuration back: as the pending signal would have,
// with status 0 where the window manager asked the window to close, or with status 1 and one
// line where the Wayland compositor has gone (GLFW asks the window to close then too).
static void EndIfAsked()
{
    const int signal = pendingSignal;
    const bool close = glfwWindowShouldClose(window);
    if (signal == 0 && !close) return;
    const bool lost = signal == 0 && WaylandDisplayLost();
    glfwDestroyWindow(window);
    ReleaseDesktop();
    glfwTerminate();
    if (lost) {
        std::fprintf(stderr, VELLUM_PROGRAM ": the Wayland compositor closed the connection\n");
        std::exit(1);
    }
    if (signal == 0) std::exit(0);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

// The host's calls (render/host.h). Between the passes of the render and while the picture
// rests: the window's events, the claim on the display, and a close or a signal, which end it
// there, not seconds later.
static void Answer(bool rest)
{
    if (rest) glfwWaitEventsTimeout(0.1);
    else glfwPollEvents();
    KeepClaim();
    EndIfAsked();
}

static bool FrameWanted()
{
    if (!frameWanted) return false;
    frameWanted = false;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    return true;
}

static void Swap() { glfwSwapBuffers(window); }
static bool EscapePressed() { return glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS; }

// A full-screen window switches the primary monitor to ScreenWidth x ScreenHeight until the
// window is destroyed. Where there is no primary monitor (every output off), the screen is
// too small for the mode, or the monitor offers no such mode, a borderless window covers the
// top-left ScreenWidth x ScreenHeight of the screen instead, or the whole screen where it is
// smaller (the frame is then zoomed down to fit). A Wayland compositor switches no modes: the
// full-screen window there has the output's size, and the frame is scaled to fit it.
static GLFWwindow* OpenWindow()
{
    RequestFramebuffer();
    int screenWidth = ScreenWidth, screenHeight = ScreenHeight;
    const bool holds = !ScreenSize(screenWidth, screenHeight) || (screenWidth >= ScreenWidth && screenHeight >= ScreenHeight);
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor(); monitor && holds) {
        // The compositor may leave a full-screen window at the size it asks for, centred in
        // black, so on Wayland it asks for the output's.
        const GLFWvidmode* output = OnX() ? nullptr : glfwGetVideoMode(monitor);
        GLFWwindow* full = glfwCreateWindow(output ? output->width : ScreenWidth, output ? output->height : ScreenHeight,
                                            VELLUM_PROGRAM, monitor, nullptr);
        if (!full) FailWithGlfw("cannot open an OpenGL window");
        const GLFWvidmode* mode = glfwGetVideoMode(monitor);
        if (!OnX() || (mode && mode->width == ScreenWidth && mode->height == ScreenHeight)) return full;
        glfwDestroyWindow(full);
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* corner = glfwCreateWindow(std::min(ScreenWidth, screenWidth), std::min(ScreenHeight, screenHeight),
                                          VELLUM_PROGRAM, nullptr, nullptr);
    if (!corner) FailWithGlfw("cannot open an OpenGL window");
    glfwSetWindowPos(corner, 0, 0);
    glfwShowWindow(corner);
    return corner;
}

static void WantFrame(GLFWwindow*) { frameWanted = true; }
static void WantFrameIfShown(GLFWwindow*, int shown)
{
    if (shown) frameWanted = true;
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
    HoldDesktop();

    window = OpenWindow();
    glfwMakeContextCurrent(window);
    openGl = &systemGl;
    // A swap must not wait for the display: it would hang where the compositor stops asking
    // for frames (a hidden window under Wayland), and the loop must keep answering Escape, the
    // close and the signals.
    glfwSwapInterval(0);
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    // A press since the last poll counts even if the key is up again by then.
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    EndIfAsked();

    // Every event that can leave the window without its picture asks for the frame again: an
    // expose (also the compositor's request), a new framebuffer size or scale, a restore from
    // minimised, and focus regained (after Alt+Tab or a mode change).
    glfwSetWindowRefreshCallback(window, WantFrame);
    glfwSetFramebufferSizeCallback(window, [](GLFWwindow* w, int, int) { WantFrame(w); });
    glfwSetWindowContentScaleCallback(window, [](GLFWwindow* w, float, float) { WantFrame(w); });
    glfwSetWindowIconifyCallback(window, [](GLFWwindow* w, int iconified) { WantFrameIfShown(w, !iconified); });
    glfwSetWindowFocusCallback(window, WantFrameIfShown);
    glfwSetWindowMaximizeCallback(window, [](GLFWwindow* w, int) { WantFrame(w); });
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    ShowThePicture({.answer = Answer, .frameWanted = FrameWanted, .swap = Swap, .endWanted = EscapePressed});

    glfwDestroyWindow(window);
    ReleaseDesktop();
    glfwTerminate();
    return 0;
}
