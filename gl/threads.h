// The threads Vellum's OpenGL draws on, as each system gives them (platform/linux/threads.cpp
// with POSIX threads, platform/windows/threads.cpp with Win32's, platform/web/threads.cpp with
// none: the page has one thread).
#pragma once

namespace softgl {

// How many processors this process may run on.
int ProcessorCount();

// Starts part(i) for i = 1 .. parts - 1, each on a thread of its own (started on first use and
// kept for the next call, with every signal blocked), and returns at once. FinishParts then
// runs part(0) on the calling thread, and any part that no thread could be had for, and
// returns when every part has returned. One call at a time: each start is finished before the
// next.
void StartParts(int parts, void (*part)(int));
void FinishParts();

}  // namespace softgl
