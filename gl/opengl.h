// OpenGL 1.1 for the portable code. Windows' <GL/gl.h> needs WINGDIAPI and APIENTRY, which it
// would otherwise get by including all of <windows.h>; defining them here keeps that out.
#pragma once

#if defined(_WIN32) && !(defined(WINGDIAPI) && defined(APIENTRY))
#define APIENTRY __stdcall
#define WINGDIAPI __declspec(dllimport)
#endif
#include <GL/gl.h>
