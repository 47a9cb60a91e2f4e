// The Windows entry of vellum-1080 and vellum-720: Win32 and WGL.
//
// Switch the display to the build's resolution, cover it with one borderless window of the
// program's own class, give it an OpenGL context on a pixel format chosen from the driver's,
// hide the pointer, render once, then show the frame until Escape. The window's messages are
// answered after every pass of the render, so that the system never takes the window for a hung
// one and the program hears when it should step aside or close; after the first frame the
// program sleeps in the message loop and presents the frame again only when the window needs
// it (painted, restored), so a picture at rest costs nothing to keep on screen.
// Implemented: the mode change, checked (where it is refused, the desktop keeps its mode and
// the picture shows in a W x H window at the top-left of the primary monitor); a driver's
// pixel format over Microsoft's software one; on losing the foreground (Alt+Tab) the desktop's
// mode put back, the window minimised and nothing drawn until it returns; Escape from the
// window's own key messages, so only when typed into it (one pressed during the render ends it
// right after the first frame); WM_CLOSE (End task, taskkill) and the end of a session end it
// as Escape does; a message box and status 1 without OpenGL (the mode put back first).
// Not handled: display scaling (the manifest declares the program DPI-aware, so it gets real
// pixels), more than the primary monitor.

#include <windows.h>

#include <GL/gl.h>

#include "core/buffers.h"
#include "core/stages.h"
#include "platform/windows/pixel_format.h"
#include "render/render.h"

// The record names only its non-zero fields; the rest are zero on purpose.
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
static_assert(FormatDoubleBuffer == PFD_DOUBLEBUFFER && FormatDrawToWindow == PFD_DRAW_TO_WINDOW &&
              FormatSupportOpenGl == PFD_SUPPORT_OPENGL && FormatGeneric == PFD_GENERIC_FORMAT &&
              FormatGenericAccelerated == PFD_GENERIC_ACCELERATED && FormatTypeRgba == PFD_TYPE_RGBA);

static HWND window;
static bool modeTaken;           // whether the display is at displayMode now
static bool active = true;       // whether the program has the foreground
static bool closing;             // WM_CLOSE seen
static bool escapePressed;       // Escape typed into the window
static bool frameWanted = true;  // the window's content is lost: present the frame again

// Takes the display to the program's mode; false where the system refuses it.
static bool TakeMode()
{
    modeTaken = ChangeDisplaySettingsA(&displayMode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    return modeTaken;
}

// Puts the desktop's own mode back (the one in the registry, which a CDS_FULLSCREEN change
// leaves alone), whether or not the change reported success; where nothing changed, this
// changes nothing.
static void GiveModeBack()
{
    ChangeDisplaySettingsA(nullptr, 0);
    modeTaken = false;
}

// Every way out: the window gone and the desktop's mode back. (Windows would restore a
// CDS_FULLSCREEN mode at exit anyway; Wine does not.)
[[noreturn]] static void End(UINT status)
{
    DestroyWindow(window);
    GiveModeBack();
    ExitProcess(status);
}

static bool wantsMode;  // whether the mode change succeeded at start, so is taken again on return

static LRESULT CALLBACK Answer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATEAPP:
        // Stepping aside: the desktop gets its mode back and the picture waits, minimised.
        active = wParam != 0;
        if (!active) {
            GiveModeBack();
            ShowWindow(hwnd, SW_MINIMIZE);
        } else {
            if (wantsMode && !modeTaken) TakeMode();
            if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
            SetWindowPos(hwnd, HWND_TOP, 0, 0, ScreenWidth, ScreenHeight, SWP_SHOWWINDOW);
            frameWanted = true;
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) escapePressed = true;
        return 0;
    case WM_CLOSE:  // Alt+F4, End task, taskkill
        closing = true;
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) End(0);
        return 0;
    case WM_PAINT:  // presented by the loop once the messages are answered
        ValidateRect(hwnd, nullptr);
        frameWanted = true;
        return 0;
    case WM_DISPLAYCHANGE:
        frameWanted = true;
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// Answers every pending message; while the program is not in the foreground it waits for the
// next one rather than drawing. A close ends it here, also between passes of the render.
static void AnswerTheSystem(int = 0)
{
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (closing) End(0);
        if (active) return;
        WaitMessage();
    }
}

// The device's formats, chosen from as pixel_format.h says.
static int ChooseFormat(HDC device, PIXELFORMATDESCRIPTOR& chosen)
{
    static PixelFormatFacts facts[256];
    const int count = DescribePixelFormat(device, 1, sizeof chosen, nullptr);
    const int described = count < 256 ? count : 256;
    for (int i = 0; i < described; ++i) {
        PIXELFORMATDESCRIPTOR d;
        DescribePixelFormat(device, i + 1, sizeof d, &d);
        facts[i] = {d.dwFlags, d.iPixelType, d.cColorBits, d.cAccumRedBits, d.cAccumGreenBits, d.cAccumBlueBits,
                    d.cDepthBits};
    }
    const int format = ChoosePixelFormatFrom(facts, described);
    if (format) DescribePixelFormat(device, format, sizeof chosen, &chosen);
    return format;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    wantsMode = TakeMode();

    // Its own class: a device context of its own for OpenGL, and a procedure that answers.
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = Answer;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "Vellum";
    RegisterClassA(&windowClass);
    // At (0, 0): the whole screen in the program's mode, and the primary monitor's top-left
    // corner where the mode was refused.
    window = CreateWindowExA(0, "Vellum", VELLUM_PROGRAM, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, ScreenWidth,
                             ScreenHeight, nullptr, nullptr, instance, nullptr);
    const HDC device = GetDC(window);
    PIXELFORMATDESCRIPTOR chosen;
    const int format = window ? ChooseFormat(device, chosen) : 0;
    HGLRC context = nullptr;
    if (!format || !SetPixelFormat(device, format, &chosen) || !(context = wglCreateContext(device)) ||
        !wglMakeCurrent(device, context)) {
        DestroyWindow(window);
        GiveModeBack();
        MessageBoxA(nullptr, "Vellum needs an OpenGL driver, and none could draw in its window.", VELLUM_PROGRAM,
                    MB_OK | MB_ICONERROR);
        ExitProcess(1);
    }
    openGl = &systemGl;
    ShowCursor(FALSE);

    renderPassDone = AnswerTheSystem;  // the render, seconds long, answers between its passes too
    RenderStill();

    // The first frame always shows; after it, the loop sleeps until a message comes.
    for (;;) {
        if (frameWanted) {
            frameWanted = false;
            PresentFrame();
            SwapBuffers(device);
        }
        if (escapePressed) End(0);
        WaitMessage();
        AnswerTheSystem();
    }
}
