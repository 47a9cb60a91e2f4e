// vellum.scr: the picture as a Windows screen saver, at its design size.
//
// The saver's command line: the switch may be /, - or neither, in either case, and a window's
// number may follow after a space or a colon.
// Implemented: /s shows the picture on every monitor, each with the frame scaled to fit (aspect
// kept, centred, black around), without changing the display mode, and rests; it ends with
// status 0 on any key, a mouse button, a move of the pointer more than a few pixels from where
// it was at the start (so not on the first mouse message every new window gets), the loss of
// activation, or WM_CLOSE. /p HWND shows it in a child window over that window's client area,
// ignoring input and leaving the pointer alone, until that window goes; there it is drawn on
// the CPU by Vellum's own OpenGL and shown with GDI, since a driver may draw nothing in a small
// child window (Wine draws none). /c (or no switch) says in a box that there are no settings,
// owned by the given window where there is one; /a ends at once; anything else names the
// argument in a box and ends with status 2. Status 1 where no window or OpenGL can be had.
//
// Known issues:
// - Each monitor is drawn with one OpenGL context in turn: a monitor on another graphics card
//   than the first may be drawn slowly, or not at all, by some drivers.
// - The preview is drawn whole at the picture's size and then averaged down, on the CPU: about
//   the time of the render again, once.

#include <windows.h>

#include <GL/gl.h>

#include <algorithm>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "gl/soft_gl.h"
#include "platform/windows/saver_command.h"
#include "platform/windows/wgl.h"
#include "render/host.h"
#include "render/render.h"

// A move of the pointer by more than this many pixels, either way, ends the saver.
constexpr int PointerSlack = 4;
constexpr int MostMonitors = 16;

static struct Monitor {
    HWND window;
    HDC device;
    int width, height;
    bool frameWanted;
} monitors[MostMonitors];
static int monitorCount, shownMonitor;
static HWND parent;  // the preview's parent, or null
static POINT pointerAtStart;
static bool ending;
// The preview's frame, averaged down to fit its window, in GDI's byte order, and its size.
static std::uint8_t preview[4 * ScreenPixels];
static int previewWidth, previewHeight;

// The preview's window painted with GDI: black around the frame.
static void PaintPreview(HWND window)
{
    PAINTSTRUCT paint;
    const HDC device = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    PatBlt(device, 0, 0, area.right, area.bottom, BLACKNESS);
    if (previewWidth > 0) {
        BITMAPINFO bitmap = {};
        bitmap.bmiHeader = {sizeof(BITMAPINFOHEADER), previewWidth, previewHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // bottom row first
        StretchDIBits(device, (area.right - previewWidth) / 2, (area.bottom - previewHeight) / 2, previewWidth, previewHeight, 0, 0,
                      previewWidth, previewHeight, preview, &bitmap, DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(window, &paint);
}

static int FindMonitor(HWND window)
{
    for (int i = 0; i < monitorCount; ++i)
        if (monitors[i].window == window) return i;
    return -1;
}

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (parent) {
            PaintPreview(window);
        } else {
            ValidateRect(window, nullptr);
            if (const int i = FindMonitor(window); i >= 0) monitors[i].frameWanted = true;
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (!parent) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_DESTROY:  // with the preview's parent too
    case WM_CLOSE:
        ending = true;
        return 0;
    default:
        break;
    }
    if (!parent) {
        switch (message) {
        case WM_ACTIVATEAPP:
            if (!wParam) ending = true;
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
            ending = true;
            return 0;
        case WM_MOUSEMOVE: {
            POINT now;
            GetCursorPos(&now);
            ending = ending || std::abs(now.x - pointerAtStart.x) > PointerSlack || std::abs(now.y - pointerAtStart.y) > PointerSlack;
            return 0;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
            break;
        default:
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The host's calls (render/host.h). Frames are presented a monitor at a time: the monitor
// whose frame is wanted next is made current, and the loop comes straight back for the rest.
static void Answer(bool rest)
{
    const bool waiting = std::none_of(monitors, monitors + monitorCount, [](const Monitor& m) { return m.frameWanted; });
    if (rest && waiting) MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (parent && !IsWindow(parent)) ending = true;
    if (ending) ExitProcess(0);
}

static HGLRC context;
static bool FrameWanted()
{
    for (int i = 0; i < monitorCount; ++i)
        if (monitors[i].frameWanted) {
            monitors[i].frameWanted = false;
            shownMonitor = i;
            if (!parent) wglMakeCurrent(monitors[i].device, context);
            // The preview's frame is drawn whole, at the picture's size, and averaged down.
            framebufferWidth = parent ? 0 : monitors[i].width;
            framebufferHeight = parent ? 0 : monitors[i].height;
            return true;
        }
    return false;
}

// On a monitor, the OpenGL frame. In the preview, Vellum's own OpenGL drew the frame at the
// picture's size; it is averaged down to fit the child window, which then paints it with GDI.
static void Swap()
{
    const Monitor& shown = monitors[shownMonitor];
    if (!parent) {
        SwapBuffers(shown.device);
        return;
    }
    const float zoom = std::min(1.0f, std::min(float(shown.width) / ScreenWidth, float(shown.height) / ScreenHeight));
    previewWidth = std::max(1, int(ScreenWidth * zoom));
    previewHeight = std::max(1, int(ScreenHeight * zoom));
    ShrinkFrame(SoftGlPixels(), previewWidth, previewHeight, preview);
    for (std::size_t i = 0; i < std::size_t(previewWidth) * std::size_t(previewHeight); ++i)
        std::swap(preview[4 * i], preview[4 * i + 2]);  // GDI's order: BGRA
    InvalidateRect(shown.window, nullptr, FALSE);
}

static bool NeverEnds() { return false; }

static HINSTANCE instance;
static BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT area, LPARAM)
{
    if (monitorCount == MostMonitors) return FALSE;
    Monitor& m = monitors[monitorCount];
    m.width = area->right - area->left;
    m.height = area->bottom - area->top;
    m.window = CreateWindowExA(WS_EX_TOPMOST, "Vellum", "Vellum", WS_POPUP | WS_VISIBLE, area->left, area->top, m.width, m.height,
                               nullptr, nullptr, instance, nullptr);
    if (!m.window) return TRUE;
    m.device = GetDC(m.window);
    m.frameWanted = true;
    if (MakeOpenGlCurrent(m.device, context)) ++monitorCount;
    else DestroyWindow(m.window);
    return TRUE;
}

int WINAPI WinMain(HINSTANCE program, HINSTANCE, LPSTR commandLine, int)
{
    instance = program;
    std::uintptr_t given = 0;
    const SaverCommand command = ParseSaverCommand(commandLine, given);
    const HWND named = reinterpret_cast<HWND>(given);  // NOLINT(performance-no-int-to-ptr): a handle given as a number
    const HWND owner = IsWindow(named) ? named : nullptr;
    switch (command) {
    case SaverCommand::Settings:
        MessageBoxA(owner, "Vellum has no settings: it shows its one picture.", "Vellum", MB_OK | MB_ICONINFORMATION);
        return 0;
    case SaverCommand::Password:
        return 0;
    case SaverCommand::Unknown: {
        char sentence[300];
        wsprintfA(sentence, "Vellum does not know the argument \"%.200s\".", commandLine);
        MessageBoxA(nullptr, sentence, "Vellum", MB_OK | MB_ICONERROR);
        return 2;
    }
    case SaverCommand::Preview:
        if (!owner) return 2;
        parent = owner;
        break;
    case SaverCommand::Show:
        break;
    }

    if (!RegisterWindowClass(instance, WindowProcedure)) return 1;
    if (parent) {
        RECT area;
        GetClientRect(parent, &area);
        Monitor& m = monitors[monitorCount++];
        m.width = area.right;
        m.height = area.bottom;
        m.window = CreateWindowExA(0, "Vellum", "Vellum", WS_CHILD | WS_VISIBLE, 0, 0, m.width, m.height, parent, nullptr,
                                   instance, nullptr);
        if (!m.window) return 1;
        m.frameWanted = true;
        ShowWindow(m.window, SW_SHOW);
        openGl = &softGl;
    } else {
        GetCursorPos(&pointerAtStart);
        EnumDisplayMonitors(nullptr, nullptr, AddMonitor, 0);
        if (monitorCount == 0) {
            MessageBoxA(nullptr, "Vellum needs an OpenGL driver, and none could draw in its window.", "Vellum", MB_OK | MB_ICONERROR);
            return 1;
        }
        wglMakeCurrent(monitors[0].device, context);
        openGl = &systemGl;
        ShowCursor(FALSE);
        SetForegroundWindow(monitors[0].window);
    }
    ShowThePicture({.answer = Answer, .frameWanted = FrameWanted, .swap = Swap, .endWanted = NeverEnds});
    return 0;
}
