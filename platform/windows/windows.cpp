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
// the picture shows in a W x H window at the top-left of the primary monitor, or on all of a
// smaller desktop, zoomed down to fit); the mode taken again when another program changes it
// under the picture; a driver's pixel format over Microsoft's software one, from all the device
// offers; one picture per desktop (a second program says so in a box and ends with status 1,
// also where another program holds the name); on losing the foreground (Alt+Tab) or being
// minimised, the desktop's mode put back, the window minimised and nothing drawn until it
// returns, with the foreground, looked at on every activation message and every tenth of a
// second while stepped aside, deciding (activation.h); moving, sizing, the screen saver and the
// monitor's power saving refused while the picture shows; Escape from the window's own key
// messages, so only when typed into it (one pressed during the render ends it right after the
// first frame); WM_CLOSE (End task, taskkill) and the end of a session end it as Escape does; a
// message box and status 1 where the window or OpenGL cannot be had (the mode put back first),
// naming a desktop of too few colours where that is the cause.
// Not handled: display scaling (the manifest declares the program DPI-aware, so it gets real
// pixels), more than the primary monitor.
//
// Known issues:
// - The x64 build under Wine draws four edge pixels of the 1920 x 1080 frame a level or two
//   from the native frame; the 1280 x 720 frame is the native one to the bit.
// - Foreground changes that come with no message are seen within a tenth of a second, and only
//   while the picture is stepped aside.

#include <windows.h>

#include <GL/gl.h>

#include "core/buffers.h"
#include "core/stages.h"
#include "platform/windows/activation.h"
#include "platform/windows/wgl.h"
#include "render/host.h"
#include "render/render.h"

#include <algorithm>

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

static HWND window;
static bool modeTaken;           // whether the display is at displayMode now
static bool active = true;       // whether the program has the foreground
static bool closing;             // WM_CLOSE seen
static bool escapePressed;       // Escape typed into the window
static bool minimisedOnPurpose;  // minimised by a command, not by stepping aside: waits for a restore
static bool frameShown;          // the first frame is on screen: Escape ends the program at once
static bool frameWanted = true;  // the window's content is lost: present the frame again

static bool changingMode;  // the program's own mode change under way: its WM_DISPLAYCHANGE is no news

// Takes the display to the program's mode; false where the system refuses it.
static bool TakeMode()
{
    changingMode = true;
    modeTaken = ChangeDisplaySettingsA(&displayMode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    changingMode = false;
    return modeTaken;
}

// Puts the desktop's own mode back (the one in the registry, which a CDS_FULLSCREEN change
// leaves alone), where this program took its own: another full-screen program's mode is not
// this program's to undo.
static void GiveModeBack()
{
    changingMode = true;
    if (modeTaken) ChangeDisplaySettingsA(nullptr, 0);
    modeTaken = changingMode = false;
}

// While the picture shows, the display stays on: the system neither dims it nor starts the
// screen saver (WM_SYSCOMMAND refuses those too); stepping aside and ending let it again.
static void KeepDisplayOn(bool on)
{
    SetThreadExecutionState(on ? ES_DISPLAY_REQUIRED | ES_CONTINUOUS : ES_CONTINUOUS);
}

// Every way out: the window gone and the desktop's mode back. (Windows would restore a
// CDS_FULLSCREEN mode at exit anyway; Wine does not.)
[[noreturn]] static void EndProgram(UINT status)
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
// The window over the screen: the whole of it in the program's mode; where the mode cannot be
// had, its top-left ScreenWidth x ScreenHeight, or all of a smaller desktop, with the frame
// zoomed down to fit it.
static void CoverTheScreen(HWND hwnd)
{
    int width = ScreenWidth, height = ScreenHeight;
    if (!modeTaken) {
        width = std::min(width, GetSystemMetrics(SM_CXSCREEN));
        height = std::min(height, GetSystemMetrics(SM_CYSCREEN));
    }
    const bool smaller = width < ScreenWidth || height < ScreenHeight;
    framebufferWidth = smaller ? width : 0;
    framebufferHeight = smaller ? height : 0;
    SetWindowPos(hwnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW);
    frameWanted = true;
}

static void ShowAgain(HWND hwnd)
{
    active = true;
    if (wantsMode && !modeTaken) TakeMode();
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    CoverTheScreen(hwnd);
    KeepDisplayOn(true);
}

// The foreground decides (activation.h).
static void FollowTheForeground(HWND hwnd, bool deactivated)
{
    switch (DecideActivation(active, GetForegroundWindow() == hwnd, IsIconic(hwnd), minimisedOnPurpose, deactivated)) {
    case Activation::Return: ShowAgain(hwnd); break;
    case Activation::StepAside: StepAside(hwnd); break;
    case Activation::Stay: break;
    }
}

static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATEAPP:
    case WM_ACTIVATE:
        FollowTheForeground(hwnd, message == WM_ACTIVATEAPP ? wParam == 0 : LOWORD(wParam) == WA_INACTIVE);
        return 0;
    case WM_SIZE:
        // Minimised (with no window manager to take the foreground away, say): aside. Restored
        // from the taskbar while it has the foreground: back.
        if (wParam == SIZE_MINIMIZED && active) {
            minimisedOnPurpose = true;
            StepAside(hwnd);
        } else if (wParam != SIZE_MINIMIZED) {
            minimisedOnPurpose = false;
            if (!active) FollowTheForeground(hwnd, false);
        }
        return 0;
    case WM_SYSCOMMAND:
        // Full-screen programs refuse the screen saver and the monitor's power saving, and a
        // move or a resize, whose loop inside the system would keep the picture from being drawn.
        if (active) {
            const WPARAM command = wParam & 0xFFF0;
            if (command == SC_SCREENSAVE || command == SC_MONITORPOWER || command == SC_MOVE || command == SC_SIZE)
                return 0;
        }
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
        if (wParam) EndProgram(0);
        return 0;
    case WM_PAINT:  // presented by the loop once the messages are answered
        ValidateRect(hwnd, nullptr);
        frameWanted = true;
        return 0;
    case WM_DISPLAYCHANGE:
        // Another program changed the mode under the picture: taken again, or where it cannot
        // be, the window fitted to the new desktop. (The program's own changes leave the
        // screen at its mode, or come while it is stepped aside.)
        if (active && !changingMode) {
            if (wantsMode && (LOWORD(lParam) != ScreenWidth || HIWORD(lParam) != ScreenHeight)) TakeMode();
            CoverTheScreen(hwnd);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// Sleeps until a message comes, or a tenth of a second has passed: also for input the queue
// already holds (a key seen by an earlier look but not yet taken).
static void WaitForMessages()
{
    MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// Answers every pending message; while the program is stepped aside it waits for the next one,
// looking at the foreground every tenth of a second, rather than drawing. A close ends it
// here, also between passes of the render, and so does Escape once the first frame shows.
static void AnswerTheSystem()
{
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (closing || (escapePressed && frameShown)) EndProgram(0);
        if (active) return;
        WaitForMessages();
        FollowTheForeground(window, false);
    }
}

// The host's calls (render/host.h).
static HDC device;
static void Answer(bool rest)
{
    if (rest) WaitForMessages();
    AnswerTheSystem();
}
static bool FrameWanted()
{
    const bool wanted = frameWanted;
    frameWanted = false;
    return wanted;
}
static void Swap()
{
    SwapBuffers(device);
    frameShown = true;
}
static bool EscapePressed() { return escapePressed; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // One picture per desktop, as on Linux: two would each save the other's mode as the one to
    // put back. The second says so and ends, with status 1; the name goes with the first's
    // end. A name that another program holds as something else is no proof of being first.
    const HANDLE picture = CreateMutexA(nullptr, FALSE, "Local\\Vellum picture");
    if (!picture || GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr,
                    picture ? "Vellum is already showing its picture on this desktop."
                            : "Vellum cannot tell whether it is already showing: another program holds the name it uses.",
                    VELLUM_PROGRAM, MB_OK | MB_ICONINFORMATION);
        ExitProcess(1);
    }

    wantsMode = TakeMode();

    if (!RegisterWindowClass(instance, WindowProcedure)) Fail("Vellum could not register its window class.");
    // At (0, 0): the whole screen in the program's mode, and the primary monitor's top-left
    // corner where the mode was refused.
    window = CreateWindowExA(0, "Vellum", VELLUM_PROGRAM, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, ScreenWidth,
                             ScreenHeight, nullptr, nullptr, instance, nullptr);
    if (!window) Fail("Vellum could not open its window.");
    if (!modeTaken) CoverTheScreen(window);
    device = GetDC(window);
    HGLRC context = nullptr;
    if (!MakeOpenGlCurrent(device, context))
        Fail(device && GetDeviceCaps(device, BITSPIXEL) < 24
                 ? "Vellum needs a desktop of 24 or 32 bits a pixel: set the colour depth in the display settings."
                 : "Vellum needs an OpenGL driver, and none could draw in its window.");
    openGl = &systemGl;
    ShowCursor(FALSE);
    KeepDisplayOn(true);

    ShowThePicture({.answer = Answer, .frameWanted = FrameWanted, .swap = Swap, .endWanted = EscapePressed});
    EndProgram(0);
}
