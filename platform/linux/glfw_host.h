// What the Linux entries share: GLFW start-up with one-line failures, and the framebuffer
// request.
#pragma once

// Starts GLFW on the X display; on failure prints one line and exits with status 1.
void StartGlfw(const char* program);

// Prints "program: what: GLFW's reason" on stderr and exits with status 1.
[[noreturn]] void FailWithGlfw(const char* what);

// Window hints for a borderless, double-buffered RGBA window with a 16-bit depth buffer and
// an accumulation buffer.
void RequestFramebuffer();

// Opens /dev/null on any of descriptors 0 to 2 that is closed, so that no file the program
// opens later is mistaken for a standard stream.
void OpenStandardStreams();

// Sends SIGINT, SIGTERM, SIGHUP and SIGQUIT to handler, except any that was ignored when
// the program started (under nohup, say), which stays ignored.
void CatchTerminationSignals(void (*handler)(int));

// Claims this display for the life of the process; false where another Vellum holds it. On X
// (Xwayland too) the claim is a selection owned on the display itself, whatever DISPLAY's
// spelling, which only that display's clients can take and which the server drops with the
// connection however the process ends; on Wayland alone, a lock in the user's own runtime
// directory.
bool ClaimDisplay();

// The X screen's size in pixels, asked over the claim's connection (so not under Wayland
// alone). A mode larger than the screen cannot be set.
bool ScreenSize(int& width, int& height);

// While the picture shows, over the claim's connection to the X display: the screen saver and
// the monitor's power saving are suspended (until that connection ends, with the process), and
// the desktop's display mode is remembered, so that if the X server drops the program's own
// connection (xkill), the mode is put back over a new one before the program ends with status
// 1 and one line.
void HoldDesktop();
