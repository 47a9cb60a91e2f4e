// What the Linux entries share: GLFW start-up with one-line failures, the framebuffer request,
// the signals, and the desktop's state held while the picture shows (the one-picture claim,
// the screen saver, the display mode and its guardian).
//
// Known issues:
// - GLFW 3.3's X11 start-up leaves its error handler grabbed when the root window's
//   _NET_SUPPORTING_WM_CHECK names a window that is gone (a window manager that died), and
//   its next window then fails an assertion. StartGlfw deletes such a stale property first,
//   as the window manager would have on a clean exit.
// - On Wayland the compositor keeps the output's own mode: the frame is scaled to it. The
//   screen saver waits there only as long as the compositor honours GLFW's idle inhibit for a
//   full-screen window.
#pragma once

// Starts GLFW on the X or Wayland display; on failure prints one line and exits with status 1.
void StartGlfw(const char* program);

// Prints "program: what: GLFW's reason" on stderr and exits with status 1.
[[noreturn]] void FailWithGlfw(const char* what);

// Whether the Wayland compositor has gone (GLFW asks every window to close when it loses the
// connection, which must not pass for the user's close). False under X.
bool WaylandDisplayLost();

// Window hints for a borderless, double-buffered RGBA window with a 16-bit depth buffer and
// an accumulation buffer.
void RequestFramebuffer();

// Opens /dev/null on any of descriptors 0 to 2 that is closed, so that no file the program
// opens later is mistaken for a standard stream.
void OpenStandardStreams();

// Sends the signals that end a program by default and that another program sends (SIGINT,
// SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM) to handler, and unblocks them (a
// launcher may have blocked them), except any that was ignored when the program started (under
// nohup, say), which stays ignored.
void CatchTerminationSignals(void (*handler)(int));

// Claims this display for the life of the process; false where another Vellum holds it. On X
// (Xwayland too) the claim is a selection owned on the display itself, whatever DISPLAY's
// spelling, which only that display's clients can take and which the server drops with the
// connection however the process ends; on Wayland alone, a lock in the user's own runtime
// directory named after the compositor's socket.
bool ClaimDisplay();

// Takes the claim back where another client took the selection or destroyed its window: called
// whenever the program answers its events.
void KeepClaim();

// Whether the program talks to an X server (Xwayland too), where display modes can change.
bool OnX();

// The X screen's size in pixels, asked over the claim's connection (so not under Wayland
// alone). A mode larger than the screen cannot be set.
bool ScreenSize(int& width, int& height);

// While the picture shows, over the claim's connection to the X display: the screen saver and
// the monitor's power saving are suspended (until that connection ends, with the process), and
// the desktop's display configuration is remembered and held by a guardian process, which puts
// it back after any end the program cannot catch (SIGKILL, a crash). If the X server drops the
// program's own connection (xkill), the configuration is put back over a new one before the
// program ends with status 1 and one line. X errors no longer end the program from here on.
void HoldDesktop();

// Once the window is destroyed on a way out the program sees: puts back whatever of the
// desktop's configuration the window's own restore could not (the screen was shrunk under the
// picture, say), and lets the guardian go.
void ReleaseDesktop();

// Makes current an off-screen surface of ScreenWidth x ScreenHeight whose pixels the driver
// must keep (a GLX pbuffer: a hidden window's back buffer may lose them under OpenGL's
// pixel-ownership rule), double-buffered RGB with no alpha, 16 depth bits and, if asked, an
// accumulation buffer; false where the X display offers none (or there is no X display, as on
// Wayland alone), for a hidden window instead.
bool MakeOffscreenSurfaceCurrent(int width, int height, bool accumulation);
void ReleaseOffscreenSurface();
