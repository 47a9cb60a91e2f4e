#include "platform/linux/quoted.h"

#include <cstddef>

// The length of the printable UTF-8 character at text[at], or 0 where the byte there is a
// control character (C0, DEL or C1) or does not start a valid, shortest-form sequence.
static std::size_t PrintableLength(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u; };
    const unsigned lead = byte(0);
    if (lead < 0x80) return lead >= 32 && lead != 127 ? 1 : 0;
    const std::size_t length = lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3 : lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
    if (length == 0) return 0;
    unsigned code = lead & (0x7fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) return 0;
        code = code << 6 | (byte(i) & 0x3f);
    }
    const unsigned smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
    return code >= 0x80 && code <= 0x9f ? 0 : length;
}

static std::string Octal(unsigned char c)
{
    return {'\\', char('0' + (c >> 6)), char('0' + ((c >> 3) & 7)), char('0' + (c & 7))};
}

std::string Quoted(const std::string& name)
{
    std::string quoted = "'";
    for (std::size_t i = 0; i < name.size();) {
        if (name[i] == '\'') {
            quoted += "'\\''";
            ++i;
        } else if (const std::size_t length = PrintableLength(name, i)) {
            quoted.append(name, i, length);
            i += length;
        } else {
            quoted += "'$'" + Octal(static_cast<unsigned char>(name[i++])) + "''";
        }
    }
    return quoted + "'";
}

std::string Printable(const std::string& text)
{
    std::string printable;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = PrintableLength(text, i)) {
            printable.append(text, i, length);
            i += length;
        } else {
            printable += Octal(static_cast<unsigned char>(text[i++]));
        }
    }
    return printable;
}
