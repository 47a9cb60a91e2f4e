#include "platform/linux/glfw_host.h"

#include <GLFW/glfw3.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

#include "platform/linux/quoted.h"

static const char* programName = "vellum";
static char glfwProblem[256] = "unknown error";

static void NoteProblem(int, const char* description)
{
    std::snprintf(glfwProblem, sizeof glfwProblem, "%s", description);
}

// GLFW 3.3 reads the window manager's check window named on the root and, where that window
// is gone, returns with its X error handler still grabbed, so that its next window fails an
// assertion. A check window that no longer exists means no window manager runs: the stale
// property is deleted, under a server grab so that a window manager starting just then keeps
// its own.
static void ForgetADeadWindowManager()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;  // GLFW says why
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const auto checkWindow = [&](Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Window named = None;
        if (XGetWindowProperty(display, window, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
            data && count == 1 && format == 32)
            named = Window(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        return named;
    };
    XGrabServer(display);
    const Window root = DefaultRootWindow(display);
    if (const Window named = checkWindow(root); named != None && checkWindow(named) == None) XDeleteProperty(display, root, check);
    XUngrabServer(display);
    XCloseDisplay(display);
}

void StartGlfw(const char* program)
{
    programName = program;
    glfwSetErrorCallback(NoteProblem);
    if (std::getenv("DISPLAY")) ForgetADeadWindowManager();
    if (!glfwInit())
        FailWithGlfw(std::strncmp(glfwProblem, "Wayland", 7) == 0 ? "cannot reach the Wayland display" : "cannot reach the X display");
}

void FailWithGlfw(const char* what)
{
    // The reason may repeat DISPLAY or another outside name, which must not reach the terminal raw.
    std::fprintf(stderr, "%s: %s: %s\n", programName, what, Printable(glfwProblem).c_str());
    glfwTerminate();
    std::exit(1);
}

bool WaylandDisplayLost()
{
    // GLFW's Wayland build may stand in for the X11 one the program is linked with, so its
    // display and libwayland are looked up where they are loaded.
    using GetDisplay = void* (*)();
    using Roundtrip = int (*)(void*);
    const auto getDisplay = reinterpret_cast<GetDisplay>(dlsym(RTLD_DEFAULT, "glfwGetWaylandDisplay"));
    const auto roundtrip = reinterpret_cast<Roundtrip>(dlsym(RTLD_DEFAULT, "wl_display_roundtrip"));
    void* display = getDisplay && roundtrip ? getDisplay() : nullptr;
    return display && roundtrip(display) < 0;
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
    sigset_t caught;
    sigemptyset(&caught);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM})
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
            sigaddset(&caught, signal);
        }
    sigprocmask(SIG_UNBLOCK, &caught, nullptr);
}

// The claim's connection, held for the life of the process, and the window that owns the
// selection on it.
static Display* claim;
static Window claimOwner;
static Atom showing;

bool OnX() { return claim != nullptr; }

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

static void OwnTheSelection()
{
    claimOwner = XCreateWindow(claim, DefaultRootWindow(claim), 0, 0, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent, 0, nullptr);
    // Its destruction by another client comes as an event, so that the claim can be made again.
    XSelectInput(claim, claimOwner, StructureNotifyMask);
    XSetSelectionOwner(claim, showing, claimOwner, CurrentTime);
}

// On Wayland alone: a lock named after the compositor's socket (WAYLAND_DISPLAY is a name in
// the runtime directory or an absolute path; either spelling names one socket), never through
// a symbolic link planted in the runtime directory.
static bool LockWaylandDisplay()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!runtime) return true;
    const std::string name = wayland ? wayland : "wayland-0";
    const std::string socket = name[0] == '/' ? name : std::string(runtime) + "/" + name;
    struct stat compositor {};
    if (stat(socket.c_str(), &compositor) != 0) return true;  // GLFW says why it cannot reach it
    const std::string lockName = std::string(runtime) + "/vellum-" + std::to_string(compositor.st_dev) + "-" +
                                 std::to_string(compositor.st_ino) + ".lock";
    const int lock = open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) return true;  // nothing to claim with: let it show
    return flock(lock, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

bool ClaimDisplay()
{
    if (!std::getenv("DISPLAY")) return LockWaylandDisplay();
    claim = XOpenDisplay(nullptr);
    if (!claim) return true;  // GLFW says why it cannot reach the display
    showing = XInternAtom(claim, "VELLUM_SHOWING", False);
    // Asked and taken in one step, so that two programs starting at once cannot both see the
    // selection free.
    XGrabServer(claim);
    const bool free = XGetSelectionOwner(claim, showing) == None;
    if (free) OwnTheSelection();
    XUngrabServer(claim);
    XSync(claim, False);
    return free;
}

void KeepClaim()
{
    while (claim && XPending(claim)) {
        XEvent event;
        XNextEvent(claim, &event);
        if (event.type == SelectionClear && event.xselectionclear.window == claimOwner)
            XSetSelectionOwner(claim, showing, claimOwner, CurrentTime);
        else if (event.type == DestroyNotify && event.xdestroywindow.window == claimOwner)
            OwnTheSelection();
    }
    if (claim) XFlush(claim);
}

// The desktop's own configuration: the screen's size and the display controller driving the
// primary monitor.
static struct {
    int screenWidth, screenHeight, screenMmWidth, screenMmHeight;
    RRCrtc crtc;
    RRMode mode;
    int x, y;
    Rotation rotation;
    RROutput outputs[8];
    int outputCount;
} desktop;

static int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Puts the desktop's configuration back over display, where it differs: the screen is grown
// first where it was shrunk under the picture, so that the desktop's mode fits it again. Each
// request's refusal is ignored (a monitor unplugged since, say): what can be put back is.
static void PutTheDesktopBack(Display* display)
{
    if (!desktop.crtc) return;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    XRRCrtcInfo* now = resources ? XRRGetCrtcInfo(display, resources, desktop.crtc) : nullptr;
    // The root's size now (Xlib's DisplayWidth keeps the size the connection began with).
    Window root;
    int x, y;
    unsigned rootWidth = 0, rootHeight = 0, border, depth;
    XGetGeometry(display, DefaultRootWindow(display), &root, &x, &y, &rootWidth, &rootHeight, &border, &depth);
    const int width = int(rootWidth), height = int(rootHeight);
    const bool same = now && now->mode == desktop.mode && now->x == desktop.x && now->y == desktop.y &&
                      now->rotation == desktop.rotation && width == desktop.screenWidth && height == desktop.screenHeight;
    if (now && !same) {
        XGrabServer(display);
        if (desktop.screenWidth > width || desktop.screenHeight > height) {
            XRRSetScreenSize(display, root, std::max(width, desktop.screenWidth), std::max(height, desktop.screenHeight),
                             desktop.screenMmWidth, desktop.screenMmHeight);
            // The configuration's time stamp has moved on with the screen.
            XRRFreeScreenResources(resources);
            resources = XRRGetScreenResourcesCurrent(display, root);
        }
        if (resources)
            XRRSetCrtcConfig(display, resources, desktop.crtc, CurrentTime, desktop.x, desktop.y, desktop.mode,
                             desktop.rotation, desktop.outputs, desktop.outputCount);
        XRRSetScreenSize(display, root, desktop.screenWidth, desktop.screenHeight, desktop.screenMmWidth, desktop.screenMmHeight);
        XUngrabServer(display);
        XSync(display, False);
    }
    if (now) XRRFreeCrtcInfo(now);
    if (resources) XRRFreeScreenResources(resources);
}

// The guardian's end of a connection that closes however the program ends; a byte on it first
// says that the program put the desktop back itself.
static int guardian = -1;

// A process of its own that waits for the program's end and, unless told that the program put
// the desktop back, puts it back over a connection of its own. It keeps none of the program's
// descriptors (its X connections among them, so that the server still drops the program's
// claim and screen-saver hold when the program ends), and no signal meant for the program
// (Ctrl+C reaches the whole process group) ends it first.
static void StartGuardian()
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    const std::string displayName = DisplayString(claim);
    const pid_t pid = fork();
    if (pid != 0) {
        close(ends[1]);
        guardian = pid > 0 ? ends[0] : -1;
        if (pid < 0) close(ends[0]);
        return;
    }
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM}) std::signal(signal, SIG_IGN);
    prctl(PR_SET_NAME, "vellum-guardian");
    const int quiet = open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) dup2(quiet, fd);
    dup2(ends[1], 3);
    for (int fd = 4, last = int(sysconf(_SC_OPEN_MAX)); fd < last && fd < 65536; ++fd) close(fd);
    char told = 0;
    ssize_t got;
    while ((got = read(3, &told, 1)) < 0 && errno == EINTR) {}
    if (got == 1) _exit(0);
    if (Display* display = XOpenDisplay(displayName.c_str())) {
        XSetErrorHandler(IgnoreXError);
        PutTheDesktopBack(display);
        XCloseDisplay(display);
    }
    _exit(0);
}

static void LetTheGuardianGo()
{
    if (guardian < 0) return;
    const char done = 1;
    if (send(guardian, &done, 1, MSG_NOSIGNAL) != 1) {}  // a guardian already gone has nothing to do
    close(guardian);
    guardian = -1;
}

static int PutTheDesktopBackAndEnd(Display* lost)
{
    // A new connection: the program's own is gone. Where the whole server is gone, so is the mode.
    if (Display* display = desktop.crtc ? XOpenDisplay(DisplayString(lost)) : nullptr) {
        PutTheDesktopBack(display);
        XCloseDisplay(display);
        LetTheGuardianGo();
    }
    std::fprintf(stderr, "%s: the X server closed the connection\n", programName);
    _exit(1);
}

void HoldDesktop()
{
    if (!claim) return;
    int event, error;
    // Asked first: without the extension (Xwayland) Xlib prints a line for the call.
    if (XScreenSaverQueryExtension(claim, &event, &error)) XScreenSaverSuspend(claim, True);
    if (XRRQueryExtension(claim, &event, &error)) {
        const Window root = DefaultRootWindow(claim);
        const int screen = DefaultScreen(claim);
        desktop.screenWidth = DisplayWidth(claim, screen);
        desktop.screenHeight = DisplayHeight(claim, screen);
        desktop.screenMmWidth = DisplayWidthMM(claim, screen);
        desktop.screenMmHeight = DisplayHeightMM(claim, screen);
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
    if (desktop.crtc) StartGuardian();
    // An X error while the mode is put back (the screen shrunk under the picture) must not end
    // the program from inside Xlib: GLFW grabs its own handler around its checked requests and
    // gives this one back.
    XSetErrorHandler(IgnoreXError);
    XSetIOErrorHandler(PutTheDesktopBackAndEnd);
}

void ReleaseDesktop()
{
    if (!claim) return;
    PutTheDesktopBack(claim);
    LetTheGuardianGo();
}

static Display* offscreenDisplay;
static GLXPbuffer offscreen;
static GLXContext offscreenContext;

bool MakeOffscreenSurfaceCurrent(int width, int height, bool accumulation)
{
    if (!std::getenv("DISPLAY") || !(offscreenDisplay = XOpenDisplay(nullptr))) return false;
    const int wanted[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_DOUBLEBUFFER, True,
                          GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, 16, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(offscreenDisplay, DefaultScreen(offscreenDisplay), wanted, &count);
    // The first with no alpha (so that every pixel reads back opaque), no samples, and an
    // accumulation buffer exactly where one is asked for.
    GLXFBConfig chosen = nullptr;
    for (int i = 0; i < count && !chosen; ++i) {
        int alpha = 0, samples = 0, accumulationBits = 0, red = 0;
        glXGetFBConfigAttrib(offscreenDisplay, configs[i], GLX_ALPHA_SIZE, &alpha);
        glXGetFBConfigAttrib(offscreenDisplay, configs[i], GLX_SAMPLES, &samples);
        glXGetFBConfigAttrib(offscreenDisplay, configs[i], GLX_ACCUM_RED_SIZE, &accumulationBits);
        glXGetFBConfigAttrib(offscreenDisplay, configs[i], GLX_RED_SIZE, &red);
        if (alpha == 0 && samples == 0 && red == 8 && (accumulationBits >= 8) == accumulation) chosen = configs[i];
    }
    const int size[] = {GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, GLX_PRESERVED_CONTENTS, True, None};
    if (chosen) offscreen = glXCreatePbuffer(offscreenDisplay, chosen, size);
    if (offscreen) offscreenContext = glXCreateNewContext(offscreenDisplay, chosen, GLX_RGBA_TYPE, nullptr, True);
    if (configs) XFree(configs);
    if (offscreenContext && glXMakeContextCurrent(offscreenDisplay, offscreen, offscreen, offscreenContext)) return true;
    ReleaseOffscreenSurface();
    return false;
}

void ReleaseOffscreenSurface()
{
    if (!offscreenDisplay) return;
    glXMakeContextCurrent(offscreenDisplay, None, None, nullptr);
    if (offscreenContext) glXDestroyContext(offscreenDisplay, offscreenContext);
    if (offscreen) glXDestroyPbuffer(offscreenDisplay, offscreen);
    XCloseDisplay(offscreenDisplay);
    offscreenDisplay = nullptr;
    offscreen = 0;
    offscreenContext = nullptr;
}
