// vellum-screensaver: the picture as a hack of the X screen saver (and of the savers that
// follow its convention), in a window that the saver gives it.
//
// Implemented: the window named by XSCREENSAVER_WINDOW (decimal or 0x hex), else by
// -window-id ID; the root window with -root; a 1280 x 720 window of its own with -window (or
// no option), ended by Escape or the window manager's close; each option with one dash or two.
// GLX on the window's own visual; the picture's design size rendered once, the frame scaled to
// fit the window (aspect kept, centred, black around) and drawn again on Expose and on a new
// size, resting in between. It ends with status 0 on SIGTERM or SIGINT (within a tenth of a
// second) and when its window is destroyed; one line and status 2 for bad arguments, status 1
// where the display, the window or GLX cannot be had.
//
// Known issues:
// - A window whose visual OpenGL cannot draw on (an 8-bit colour-mapped one) is refused with
//   status 1; the saver then shows its own blank screen.
// - No input ends it in a window it was given: the saver itself watches the keyboard and mouse.

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/buffers.h"
#include "platform/linux/quoted.h"
#include "render/host.h"
#include "render/render.h"

static const char* const program = "vellum-screensaver";
static Display* display;
static Window window;
static bool ownWindow, doubleBuffered, frameWanted = true, endWanted;
static Atom closeAtom;
static volatile std::sig_atomic_t signalled;
static volatile bool windowGone;

[[noreturn]] static void Fail(int status, const std::string& why)
{
    std::fprintf(stderr, "%s: %s\n", program, why.c_str());
    std::exit(status);
}

// The window the saver gives, in decimal or 0x hex; false for anything else.
static bool ParseWindow(const char* text, Window& named)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value == 0 || text[0] == '-' || value > 0xFFFFFFFFull) return false;
    named = Window(value);
    return true;
}

// A window destroyed under the hack (the saver's, when it unblanks) makes every later request
// on it fail: that ends the hack, as a destroyed window does.
static int NoteXError(Display*, XErrorEvent* error)
{
    if (error->resourceid == window)
        windowGone = true;
    return 0;
}

static void End()
{
    if (!windowGone) glXMakeCurrent(display, None, nullptr);
    if (ownWindow && !windowGone) XDestroyWindow(display, window);
    XCloseDisplay(display);
    std::exit(0);
}

// The host's calls (render/host.h).
static void Answer(bool rest)
{
    if (rest && !XPending(display) && !signalled) {
        pollfd events{ConnectionNumber(display), POLLIN, 0};
        poll(&events, 1, 100);
    }
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window != window) continue;
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) frameWanted = true;
            break;
        case ConfigureNotify:
            if (event.xconfigure.width != framebufferWidth || event.xconfigure.height != framebufferHeight) frameWanted = true;
            break;
        case DestroyNotify: windowGone = true; break;
        case KeyPress: endWanted = endWanted || XLookupKeysym(&event.xkey, 0) == XK_Escape; break;
        case ClientMessage: endWanted = endWanted || Atom(event.xclient.data.l[0]) == closeAtom; break;
        default: break;
        }
    }
    if (signalled || windowGone) End();
}

static bool FrameWanted()
{
    if (!frameWanted) return false;
    frameWanted = false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) End();
    framebufferWidth = attributes.width;
    framebufferHeight = attributes.height;
    return true;
}

static void Swap()
{
    if (doubleBuffered) glXSwapBuffers(display, window);
    else glFlush();
}

static bool EndWanted() { return endWanted; }

int main(int argc, char** argv)
{
    enum { Given, Root, Own } where = Own;
    Window named = 0;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option.rfind("--", 0) == 0) option.erase(0, 1);  // the daemon turns -root into --root
        if (option == "-root") {
            if (where == Own) where = Root;
        } else if (option == "-window") {
        } else if (option == "-window-id" && i + 1 < argc) {
            if (!ParseWindow(argv[++i], named)) Fail(2, "-window-id takes a window's number, not " + Quoted(argv[i]));
            where = Given;
        } else if (option == "-window-id") {
            Fail(2, "-window-id needs a window's number");
        } else {
            Fail(2, "unknown option " + Quoted(argv[i]) + " (it takes -root, -window or -window-id ID)");
        }
    }
    if (const char* given = std::getenv("XSCREENSAVER_WINDOW")) {
        if (!ParseWindow(given, named)) Fail(2, "XSCREENSAVER_WINDOW names no window: " + Quoted(given));
        where = Given;
    }

    struct sigaction action {};
    action.sa_handler = [](int) { signalled = 1; };
    sigemptyset(&action.sa_mask);
    sigset_t caught;
    sigemptyset(&caught);
    for (int signal : {SIGTERM, SIGINT}) {
        sigaction(signal, &action, nullptr);
        sigaddset(&caught, signal);
    }
    sigprocmask(SIG_UNBLOCK, &caught, nullptr);

    display = XOpenDisplay(nullptr);
    if (!display) Fail(1, "cannot reach the X display " + Quoted(XDisplayName(nullptr)));
    XSetErrorHandler(NoteXError);

    // GLX on the window's own visual; a window of its own gets the screen's default visual
    // where OpenGL draws on it double-buffered, as a saver's window has, or one GLX chooses.
    XVisualInfo* visual = nullptr;
    if (where == Own) {
        XVisualInfo pattern{};
        pattern.visualid = XVisualIDFromVisual(DefaultVisual(display, DefaultScreen(display)));
        int count = 0, usable = 0, doubled = 0;
        visual = XGetVisualInfo(display, VisualIDMask, &pattern, &count);
        if (visual && (glXGetConfig(display, visual, GLX_USE_GL, &usable) != 0 || !usable ||
                       glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubled) != 0 || !doubled)) {
            XFree(visual);
            visual = nullptr;
        }
        int wanted[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
        if (!visual) visual = glXChooseVisual(display, DefaultScreen(display), wanted);
        if (!visual) Fail(1, "the X display offers no OpenGL visual");
        XSetWindowAttributes attributes{};
        attributes.colormap = XCreateColormap(display, RootWindow(display, visual->screen), visual->visual, AllocNone);
        attributes.background_pixel = BlackPixel(display, visual->screen);
        window = XCreateWindow(display, RootWindow(display, visual->screen), 0, 0, 1280, 720, 0, visual->depth, InputOutput,
                               visual->visual, CWColormap | CWBackPixel, &attributes);
        XStoreName(display, window, "Vellum");
        closeAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &closeAtom, 1);
        ownWindow = true;
    } else {
        window = where == Root ? DefaultRootWindow(display) : named;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes) || windowGone)
            Fail(1, "there is no window " + std::to_string(window) + " on the display");
        XVisualInfo pattern{};
        pattern.visualid = XVisualIDFromVisual(attributes.visual);
        int count = 0;
        visual = XGetVisualInfo(display, VisualIDMask, &pattern, &count);
        int usable = 0;
        if (!visual || glXGetConfig(display, visual, GLX_USE_GL, &usable) != 0 || !usable)
            Fail(1, "OpenGL cannot draw on the window's visual");
    }
    int doubled = 0;
    glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubled);
    doubleBuffered = doubled != 0;
    const GLXContext context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    XSelectInput(display, window, ExposureMask | StructureNotifyMask | (ownWindow ? KeyPressMask : 0));
    if (ownWindow) XMapWindow(display, window);
    if (!context || !glXMakeCurrent(display, window, context)) Fail(1, "cannot draw with OpenGL in the window");
    XSync(display, False);
    if (windowGone) End();

    openGl = &systemGl;
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    framebufferWidth = attributes.width;
    framebufferHeight = attributes.height;
    ShowThePicture({.answer = Answer, .frameWanted = FrameWanted, .swap = Swap, .endWanted = EndWanted});
    End();
}
