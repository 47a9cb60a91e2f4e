#include "platform/linux/glfw_host.h"

#include <GLFW/glfw3.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>
#include <fcntl.h>
#include <sys/file.h>
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

static Display* claim;  // the claim's connection, held for the life of the process

bool ScreenSize(int& width, int& height)
{
    // GLFW asks RandR for the mode without growing the screen first, and the X server's
    // refusal ends the process from inside Xlib's default error handler: so the size is asked
    // first, over the claim's connection.
    if (!claim) return false;
    width = DisplayWidth(claim, DefaultScreen(claim));
    height = DisplayHeight(claim, DefaultScreen(claim));
    return true;
}

bool ClaimDisplay()
{
    if (std::getenv("DISPLAY")) {
        claim = XOpenDisplay(nullptr);
        if (!claim) return true;  // GLFW says why it cannot reach the display
        const Atom showing = XInternAtom(claim, "VELLUM_SHOWING", False);
        const Window owner = XCreateWindow(claim, DefaultRootWindow(claim), 0, 0, 1, 1, 0, CopyFromParent, InputOnly,
                                           CopyFromParent, 0, nullptr);
        // Asked and taken in one step, so that two programs starting at once cannot both see
        // the selection free.
        XGrabServer(claim);
        const bool free = XGetSelectionOwner(claim, showing) == None;
        if (free) XSetSelectionOwner(claim, showing, owner, CurrentTime);
        XUngrabServer(claim);
        XSync(claim, False);
        return free;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!runtime) return true;
    std::string name = wayland ? wayland : "wayland-0";
    std::replace(name.begin(), name.end(), '/', '_');
    const int lock = open((std::string(runtime) + "/vellum-" + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return true;  // nothing to claim with: let it show
    return flock(lock, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

// The desktop's own configuration of the primary monitor's display controller.
static struct {
    RRCrtc crtc;
    RRMode mode;
    int x, y;
    Rotation rotation;
    RROutput outputs[8];
    int outputCount;
} desktop;

static int PutTheModeBackAndEnd(Display* lost)
{
    // A new connection: the program's own is gone. Where the whole server is gone, so is the mode.
    if (Display* display = desktop.crtc ? XOpenDisplay(DisplayString(lost)) : nullptr) {
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display))) {
            XRRSetCrtcConfig(display, resources, desktop.crtc, CurrentTime, desktop.x, desktop.y, desktop.mode,
                             desktop.rotation, desktop.outputs, desktop.outputCount);
            XRRFreeScreenResources(resources);
        }
        XCloseDisplay(display);
    }
    std::fprintf(stderr, "%s: the X server closed the connection\n", programName);
    _exit(1);
}

void HoldDesktop()
{
    if (!claim) return;
    XScreenSaverSuspend(claim, True);
    int event, error;
    if (XRRQueryExtension(claim, &event, &error)) {
        const Window root = DefaultRootWindow(claim);
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(claim, root)) {
            const RROutput primary = XRRGetOutputPrimary(claim, root);
            for (int i = 0; i < resources->noutput && !desktop.crtc; ++i) {
                const RROutput output = primary ? primary : resources->outputs[i];
                XRROutputInfo* info = XRRGetOutputInfo(claim, resources, output);
                if (info && info->crtc) {
                    if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(claim, resources, info->crtc)) {
                        desktop.crtc = info->crtc;
                        desktop.mode = crtc->mode;
                        desktop.x = crtc->x;
                        desktop.y = crtc->y;
                        desktop.rotation = crtc->rotation;
                        desktop.outputCount = std::min(crtc->noutput, 8);
                        std::copy_n(crtc->outputs, desktop.outputCount, desktop.outputs);
                        XRRFreeCrtcInfo(crtc);
                    }
                }
                if (info) XRRFreeOutputInfo(info);
            }
            XRRFreeScreenResources(resources);
        }
    }
    XSync(claim, False);
    XSetIOErrorHandler(PutTheModeBackAndEnd);
}
