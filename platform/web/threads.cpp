// The page has one thread (gl/threads.h): Vellum's OpenGL draws every part on it, and never
// starts, locks, sleeps or wakes another.

#include "gl/threads.h"

namespace softgl {

int ProcessorCount() { return 1; }
bool StartThread(void (*)(int), int) { return false; }
void Lock() {}
void Unlock() {}
void Sleep(int) {}
void Wake(int) {}
void GiveWay() {}

}  // namespace softgl
