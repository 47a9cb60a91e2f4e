// The threads Vellum's OpenGL draws on, as each system gives them (platform/linux/threads.cpp
// with POSIX threads, platform/windows/threads.cpp with Win32's, platform/web/threads.cpp with
// none: the page has one thread).
#pragma once

namespace softgl {

// How many processors this process may run on.
int ProcessorCount();

// Runs part(i) for i = 0 .. parts - 1 and returns when every one has returned: part 0 on the
// calling thread, each other on a thread of its own, started on first use and kept for the
// next call, with every signal blocked. Where a thread cannot be had, the calling thread runs
// its part as well.
void RunParts(int parts, void (*part)(int));

}  // namespace softgl
