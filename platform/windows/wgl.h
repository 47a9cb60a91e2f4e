// What the Windows entries share of their window and its OpenGL: the window class, one of the
// device's pixel formats, chosen as pixel_format.h says, and a rendering context made current.
#pragma once

#include <windows.h>

// Registers the "Vellum" window class: a device context of each window's own for OpenGL, the
// program's icon, and `procedure` to answer its messages. False where it cannot be.
bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure);

// Sets the chosen pixel format on the window's device context and makes `context` current on
// it, first making the context where it is null (a context made on one window serves every
// window given the same format). False where no format will do or the context cannot be had.
bool MakeOpenGlCurrent(HDC device, HGLRC& context);
