#include "platform/windows/saver_command.h"

SaverCommand ParseSaverCommand(const char* line, std::uintptr_t& window)
{
    window = 0;
    while (*line == ' ' || *line == '\t') ++line;
    if (*line == '\0') return SaverCommand::Settings;
    if (*line == '/' || *line == '-') ++line;
    SaverCommand command;
    switch (*line | 0x20) {  // the letter, in either case
    case 's': command = SaverCommand::Show; break;
    case 'p':
    case 'l': command = SaverCommand::Preview; break;  // /l: the preview's old name
    case 'c': command = SaverCommand::Settings; break;
    case 'a': command = SaverCommand::Password; break;
    default: return SaverCommand::Unknown;
    }
    ++line;
    bool separated = *line == ':';
    if (separated) ++line;
    while (*line == ' ' || *line == '\t') separated = true, ++line;
    bool digits = false;
    for (; *line >= '0' && *line <= '9'; ++line, digits = true) window = window * 10 + std::uintptr_t(*line - '0');
    while (*line == ' ' || *line == '\t') ++line;
    if (*line != '\0' || (digits && !separated)) return SaverCommand::Unknown;
    if (command == SaverCommand::Preview && !digits) return SaverCommand::Unknown;
    return command;
}
