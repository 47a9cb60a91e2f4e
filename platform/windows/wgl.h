// The Windows entries' OpenGL on a window: one of the device's pixel formats, chosen as
// pixel_format.h says, and a rendering context made current on it.
#pragma once

#include <windows.h>

// Sets the chosen pixel format on the window's device context and makes `context` current on
// it, first making the context where it is null (a context made on one window serves every
// window given the same format). False where no format will do or the context cannot be had.
bool MakeOpenGlCurrent(HDC device, HGLRC& context);
