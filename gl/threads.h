// The threads Vellum's OpenGL draws on, and what each system gives for them
// (platform/linux/threads.cpp with POSIX threads, platform/windows/threads.cpp with Win32's,
// platform/web/threads.cpp with none: the page has one thread).
#pragma once

namespace softgl {

// gl/workers.cpp: starts part(i) for i = 1 .. parts - 1, each on a thread of its own (started
// on first use and kept for the next call), and returns at once. FinishParts then runs part(0)
// on the calling thread, and any part that no thread could be had for, and returns when every
// part has returned. One call at a time: each start is finished before the next.
void StartParts(int parts, void (*part)(int));
void FinishParts();

// What the system gives.
// How many processors this process may run on.
int ProcessorCount();
// A thread that runs run(part) with every signal blocked; false where none can be had.
bool StartThread(void (*run)(int), int part);
// One lock, and conditions to sleep on under it, numbered 0 to MaxThreads - 1: Sleep releases
// the lock while asleep and holds it again when woken (or, rarely, for no reason); Wake wakes
// whoever sleeps on the condition.
void Lock();
void Unlock();
void Sleep(int condition);
void Wake(int condition);
// Lets another thread that wants the processor have it.
void GiveWay();

}  // namespace softgl
