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
// pixel format over Microsoft's software one, from all the device offers; one picture per
// desktop (a second program ends at once with status 1); on losing the foreground (Alt+Tab)
// the desktop's mode put back, the window minimised and nothing drawn until it returns, with
// the foreground, not the order of activation messages, deciding; the screen saver and the
// monitor's power saving refused while the picture shows; Escape from the
// window's own key messages, so only when typed into it (one pressed during the render ends it
// right after the first frame); WM_CLOSE (End task, taskkill) and the end of a session end it
// as Escape does; a message box and status 1 where the window or OpenGL cannot be had (the
// mode put back first).
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
// leaves alone), where this program took its own: another full-screen program's mode is not
// this program's to undo.
static void GiveModeBack()
{
    if (modeTaken) ChangeDisplaySettingsA(nullptr, 0);
    modeTaken = false;
}

// While the picture shows, the display stays on: the system neither dims it nor starts the
// screen saver (WM_SYSCOMMAND refuses those too); stepping aside and ending let it again.
static void KeepDisplayOn(bool on)
{
    SetThreadExecutionState(on ? ES_DISPLAY_REQUIRED | ES_CONTINUOUS : ES_CONTINUOUS);
}

// Every way out: the window gone and the desktop's mode back. (Windows would restore a
// CDS_FULLSCREEN mode at exit anyway; Wine does not.)
[[noreturn]] static void End(UINT status)
{
    DestroyWindow(window);
    GiveModeBack();
    KeepDisplayOn(false);
    ExitProcess(status);
}

// The start-up failures: the mode back, a message box with the program's name, status 1.
[[noreturn]] static void Fail(const char* sentence)
{
    if (window) DestroyWindow(window);
    window = nullptr;
    GiveModeBack();
    MessageBoxA(nullptr, sentence, VELLUM_PROGRAM, MB_OK | MB_ICONERROR);
    ExitProcess(1);
}

static bool wantsMode;  // whether the mode change succeeded at start, so is taken again on return

// Stepping aside: the desktop gets its mode back and the picture waits, minimised.
static void StepAside(HWND hwnd)
{
    active = false;
    GiveModeBack();
    KeepDisplayOn(false);
    ShowWindow(hwnd, SW_MINIMIZE);
}

// Back in the foreground: the mode again, the window over the screen, and the frame drawn anew.
static void Return(HWND hwnd)
{
    active = true;
    if (wantsMode && !modeTaken) TakeMode();
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, ScreenWidth, ScreenHeight, SWP_SHOWWINDOW);
    KeepDisplayOn(true);
    frameWanted = true;
}

static LRESULT CALLBACK Answer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATEAPP:
    case WM_ACTIVATE:
        // The message says what happened; the foreground says what is so now. A message that
        // comes late, or was never the system's, changes nothing: a window that is shown and in
        // the foreground shows the picture in its mode.
        if (GetForegroundWindow() == hwnd) {
            if (!active || IsIconic(hwnd)) Return(hwnd);
        } else if (active && (message == WM_ACTIVATEAPP ? wParam == 0 : LOWORD(wParam) == WA_INACTIVE)) {
            StepAside(hwnd);
        }
        return 0;
    case WM_SIZE:  // restored (from the taskbar, say) while it has the foreground: back
        if (wParam != SIZE_MINIMIZED && !active && GetForegroundWindow() == hwnd) Return(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        // Full-screen programs refuse the screen saver and the monitor's power saving.
        if (active && ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER)) return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
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
static bool DescribeFormat(int format, PixelFormatFacts& facts, void* device)
{
    PIXELFORMATDESCRIPTOR d;
    if (!DescribePixelFormat(static_cast<HDC>(device), format, sizeof d, &d)) return false;
    facts = {d.dwFlags, d.iPixelType, d.cColorBits, d.cAccumRedBits, d.cAccumGreenBits, d.cAccumBlueBits, d.cDepthBits};
    return true;
}

static int ChooseFormat(HDC device, PIXELFORMATDESCRIPTOR& chosen)
{
    const int best = ChoosePixelFormatFrom(DescribePixelFormat(device, 1, sizeof chosen, nullptr), DescribeFormat, device);
    if (best && !DescribePixelFormat(device, best, sizeof chosen, &chosen)) return 0;
    return best;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // One picture per desktop, as on Linux: two would each save the other's mode as the one to
    // put back. The second ends at once, with status 1; the name goes with the first's end.
    CreateMutexA(nullptr, FALSE, "Local\\Vellum picture");
    if (GetLastError() == ERROR_ALREADY_EXISTS) ExitProcess(1);

    wantsMode = TakeMode();

    // Its own class: a device context of its own for OpenGL, and a procedure that answers.
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = Answer;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "Vellum";
    if (!RegisterClassA(&windowClass)) Fail("Vellum could not register its window class.");
    // At (0, 0): the whole screen in the program's mode, and the primary monitor's top-left
    // corner where the mode was refused.
    window = CreateWindowExA(0, "Vellum", VELLUM_PROGRAM, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, ScreenWidth,
                             ScreenHeight, nullptr, nullptr, instance, nullptr);
    if (!window) Fail("Vellum could not open its window.");
    const HDC device = GetDC(window);
    PIXELFORMATDESCRIPTOR chosen;
    const int format = device ? ChooseFormat(device, chosen) : 0;
    HGLRC context = nullptr;
    if (!format || !SetPixelFormat(device, format, &chosen) || !(context = wglCreateContext(device)) ||
        !wglMakeCurrent(device, context))
        Fail("Vellum needs an OpenGL driver, and none could draw in its window.");
    openGl = &systemGl;
    ShowCursor(FALSE);
    KeepDisplayOn(true);

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
