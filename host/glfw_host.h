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
