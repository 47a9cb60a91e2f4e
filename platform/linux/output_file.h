// The capture tool's output file, treated as cp treats its target. Everything that can be
// known about the path is checked before the long render; then a regular file (or a new one)
// is written beside the target and renamed over it once complete, so that no partial PNG is
// ever left, and anything else that exists there (/dev/null, a FIFO, a terminal) is written
// in place. Symbolic links are followed to the file they name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/linux/quoted.h"

// Checks path before the render, and makes the file that will replace it (so that whatever
// the checks cannot foresee, a directory that takes no new file, say, is found then too): what
// stands in the way, in one line, or empty. That file is removed again however the program
// exits, unless WriteOutput has put it in place.
std::string PrepareOutput(const std::string& path);

// Writes the prepared output through write(file, data), which returns false with errno set on
// failure: what went wrong, in one line, or empty.
std::string WriteOutput(bool (*write)(std::FILE* file, const std::uint8_t* data), const std::uint8_t* data);

// Removes the temporary file, if one is made: safe in a signal handler.
void RemoveTemporaryOutput();
