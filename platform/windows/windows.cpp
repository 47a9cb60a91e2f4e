// The Windows entry of vellum-1080 and vellum-720: Win32 and WGL.
//
// Switch the display to the build's resolution, cover it with one borderless window of the
// predefined edit class, give it an OpenGL context with an accumulation buffer, hide the
// pointer, render once, then present until Escape. GetAsyncKeyState needs no messages; the
// queue is still emptied after every pass of the render and every frame, so that the system
// never takes the window for a hung one and puts a frozen ghost in its place.
// Implemented: the mode change, the window and context, the render and frame loop, Escape,
// a message box and status 1 without OpenGL (the mode put back first).
// Not handled: choosing among the driver's pixel formats, a refused mode change, losing the
// foreground (Alt+Tab), WM_CLOSE and the end of a session, and the swap interval.

#include <windows.h>

#include <GL/gl.h>

#include "core/buffers.h"
#include "core/stages.h"
#include "render/render.h"

// Both records name only their non-zero fields; the rest are zero on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// ScreenWidth x ScreenHeight at 32 bits per pixel; every other field zero.
static DEVMODEA displayMode = {
    .dmSize = sizeof(DEVMODEA),
    .dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT,
    .dmBitsPerPel = 32,
    .dmPelsWidth = ScreenWidth,
    .dmPelsHeight = ScreenHeight,
};
static_assert(sizeof(DEVMODEA) == 156);
static_assert((DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT) == 0x001C0000);

// Double-buffered RGBA for a window, 32 colour bits, an accumulation buffer for the passes and
// a depth buffer that is never tested; every other field zero.
static const PIXELFORMATDESCRIPTOR pixelFormat = {
    .nSize = sizeof(PIXELFORMATDESCRIPTOR),
    .nVersion = 1,
    .dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    .iPixelType = PFD_TYPE_RGBA,
    .cColorBits = 32,
    .cAccumBits = 8,
    .cDepthBits = 16,
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);
static_assert((PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER) == 0x25);
static_assert((WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS) == 0x94000000);

// Takes every pending message off the queue without dispatching it: the edit control never
// sees a key (only Escape, polled below, ends the program) and never paints over the picture,
// whose pending paint is simply marked done.
static HWND window;

static void AnswerTheSystem(int = 0)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message == WM_PAINT) ValidateRect(window, nullptr);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ChangeDisplaySettingsA(&displayMode, CDS_FULLSCREEN);
    window = CreateWindowExA(0, "edit", nullptr, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                        ScreenWidth, ScreenHeight, nullptr, nullptr, nullptr, nullptr);
    const HDC device = GetDC(window);
    const int format = ChoosePixelFormat(device, &pixelFormat);
    HGLRC context = nullptr;
    if (!format || !SetPixelFormat(device, format, &pixelFormat) || !(context = wglCreateContext(device)) ||
        !wglMakeCurrent(device, context)) {
        DestroyWindow(window);
        ChangeDisplaySettingsA(nullptr, 0);
        MessageBoxA(nullptr, "Vellum needs an OpenGL driver, and none could draw in its window.", VELLUM_PROGRAM,
                    MB_OK | MB_ICONERROR);
        ExitProcess(1);
    }
    ShowCursor(FALSE);

    renderPassDone = AnswerTheSystem;  // the render, seconds long, answers between its passes too
    RenderStill();

    // The whole 16-bit state counts: down now, or pressed since the last query.
    do {
        PresentFrame();
        SwapBuffers(device);
        AnswerTheSystem();
    } while (GetAsyncKeyState(VK_ESCAPE) == 0);

    DestroyWindow(window);
    // Windows restores a CDS_FULLSCREEN mode when the process ends; Wine does not, so put it
    // back here (on Windows this only does early what the system would do).
    ChangeDisplaySettingsA(nullptr, 0);
    ExitProcess(0);
}
