// windows_poke.exe deactivate|restore: does to vellum's window, from another program, what the
// Windows tests need and no key or click can do under Wine. deactivate posts WM_ACTIVATEAPP as
// if another program had taken the foreground, though none has; restore shows the window
// again and gives it the foreground, as a click on the taskbar would. Exit status 2 where
// there is no such window within ten seconds.

#include <windows.h>

#include <cstring>

int main(int argc, char** argv)
{
    HWND window = nullptr;
    for (int tries = 0; tries < 100 && !(window = FindWindowA("Vellum", nullptr)); ++tries) Sleep(100);
    if (!window || argc != 2) return 2;
    if (std::strcmp(argv[1], "deactivate") == 0) {
        PostMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    } else if (std::strcmp(argv[1], "restore") == 0) {
        ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    } else {
        return 2;
    }
    return 0;
}
