// Names and outside text made safe for a terminal, so that every message is one line and no
// byte of a file name or a display's name can act as a terminal's control sequence.
#pragma once

#include <string>

// A name as cp quotes it in its messages: in single quotes, and a control character (a
// newline, ESC, the 8-bit CSI 0x9b) or a byte that is not valid UTF-8 as a $'\ooo' escape
// between quoted parts.
std::string Quoted(const std::string& name);

// Text from elsewhere (a library's message that repeats DISPLAY, say) with the same bytes
// written as \ooo.
std::string Printable(const std::string& text);
