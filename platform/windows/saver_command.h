// The Windows screen-saver command line, read as a pure function so that every spelling is
// tested on any system.
#pragma once

#include <cstdint>

enum class SaverCommand { Show, Preview, Settings, Password, Unknown };

// /s shows the saver, /p HWND previews it in that window, /c or /c:HWND (and an empty line)
// asks for its settings, /a for a password (which only Windows 95 asked). The switch may be
// /, - or bare, in either case; the window's number follows after a space or a colon, and is
// set in `window` (0 where there is none). Anything else, or anything after, is Unknown.
SaverCommand ParseSaverCommand(const char* line, std::uintptr_t& window);
