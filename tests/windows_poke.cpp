// windows_poke.exe COMMAND: does to vellum's window, from another program, what the Windows
// tests need and no key or click can do under Wine:
//   deactivate  posts WM_ACTIVATEAPP as if another program had taken the foreground, though
//               none has;
//   restore     shows the window again and gives it the foreground, as a click on the taskbar
//               would;
//   move        posts the system's Move command, as the window menu would;
//   minimize    posts the system's Minimize command, with no window manager to step in;
//   hold-name   holds the name of Vellum's one-picture guard as an event, as any program
//               could, until killed (it needs no window); says "held" on stderr once it does;
//   parent      opens a 320 x 180 window at the desktop's top-left, as the screen saver settings
//               do for their preview, says "parent HWND" on stderr, then "child WxH" with the
//               client size of the first child window put in it, and keeps it until killed.
// Exit status 2 where there is no such window within ten seconds.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "hold-name") == 0) {
        if (!CreateEventA(nullptr, TRUE, FALSE, "Local\\Vellum picture")) return 1;
        std::fputs("held\n", stderr);
        std::fflush(stderr);
        Sleep(INFINITE);
    }
    if (argc == 2 && std::strcmp(argv[1], "parent") == 0) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));  // until the preview covers it
        windowClass.lpszClassName = "Preview";
        RegisterClassA(&windowClass);
        const HWND preview = CreateWindowExA(0, "Preview", "preview", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 320, 180, nullptr, nullptr,
                                             windowClass.hInstance, nullptr);
        if (!preview) return 1;
        std::fprintf(stderr, "parent %llu\n", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(preview)));
        std::fflush(stderr);
        for (bool told = false;;) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            RECT area;
            if (const HWND child = GetWindow(preview, GW_CHILD); child && !told && GetClientRect(child, &area)) {
                std::fprintf(stderr, "child %ldx%ld\n", area.right, area.bottom);
                std::fflush(stderr);
                told = true;
            }
        }
    }
    HWND window = nullptr;
    for (int tries = 0; tries < 100 && !(window = FindWindowA("Vellum", nullptr)); ++tries) Sleep(100);
    if (!window || argc != 2) return 2;
    if (std::strcmp(argv[1], "deactivate") == 0) {
        PostMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    } else if (std::strcmp(argv[1], "restore") == 0) {
        ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    } else if (std::strcmp(argv[1], "move") == 0) {
        PostMessageA(window, WM_SYSCOMMAND, SC_MOVE, 0);
    } else if (std::strcmp(argv[1], "minimize") == 0) {
        PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else {
        return 2;
    }
    return 0;
}
