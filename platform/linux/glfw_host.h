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

// Whether the X screen can hold a width x height display mode: a mode larger than the screen
// cannot be set. True where there is no X display to ask (Wayland).
bool ScreenHolds(int width, int height);

// Claims this display (X's DISPLAY, or Wayland's) for the life of the process; false where
// another Vellum holds it. The claim is an abstract socket, so it ends with the process
// however that ends.
bool ClaimDisplay();
