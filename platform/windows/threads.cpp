// What Win32 gives Vellum's OpenGL for its drawing threads (gl/threads.h).

#include "gl/threads.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "gl/context.h"

namespace softgl {

int ProcessorCount()
{
    // The processors this process may use, as its affinity mask says.
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 1;
    return __builtin_popcountll(process);
}

namespace {

SRWLOCK lock = SRWLOCK_INIT;
CONDITION_VARIABLE conditions[MaxThreads];  // zero is CONDITION_VARIABLE_INIT
// What each thread is told at its start.
struct Start {
    void (*run)(int);
    int part;
} starts[MaxThreads];

DWORD WINAPI ThreadMain(void* argument)
{
    const Start& start = *static_cast<const Start*>(argument);
    start.run(start.part);
    return 0;
}

}  // namespace

bool StartThread(void (*run)(int), int part)
{
    starts[part] = {run, part};
    // A small stack is plenty: a part's deepest call holds a few hundred bytes.
    HANDLE thread = CreateThread(nullptr, SIZE_T(64) * 1024, ThreadMain, &starts[part], STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

void Lock() { AcquireSRWLockExclusive(&lock); }
void Unlock() { ReleaseSRWLockExclusive(&lock); }
void Sleep(int condition) { SleepConditionVariableSRW(&conditions[condition], &lock, INFINITE, 0); }
void Wake(int condition) { WakeConditionVariable(&conditions[condition]); }
void GiveWay() { SwitchToThread(); }

}  // namespace softgl
