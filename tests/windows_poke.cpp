// windows_poke.exe COMMAND: does to vellum's window, from another program, what the Windows
// tests need and no key or click can do under Wine:
//   deactivate  posts WM_ACTIVATEAPP as if another program had taken the foreground, though
//               none has;
//   restore     shows the window again and gives it the foreground, as a click on the taskbar
//               would;
//   move        posts the system's Move command, as the window menu would;
//   minimize    posts the system's Minimize command, with no window manager to step in;
//   hold-name   holds the name of Vellum's one-picture guard as an event, as any program
//               could, until killed (it needs no window); says "held" on stderr once it does.
// Exit status 2 where there is no such window within ten seconds.

#include <windows.h>

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
