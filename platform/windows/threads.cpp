// The threads Vellum's OpenGL draws on, as Win32 threads: started on first use, then woken for
// each call and waited for, under one slim lock.

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
CONDITION_VARIABLE woken = CONDITION_VARIABLE_INIT, finished = CONDITION_VARIABLE_INIT;
void (*job)(int);
unsigned calls;          // counts the calls, so that a thread sees each one once
int parts, running, started;

DWORD WINAPI Work(void* argument)
{
    const int part = int(reinterpret_cast<INT_PTR>(argument));
    unsigned seen = 0;
    AcquireSRWLockExclusive(&lock);
    for (;;) {
        while (calls == seen) SleepConditionVariableSRW(&woken, &lock, INFINITE, 0);
        seen = calls;
        if (part >= parts) continue;
        void (*const run)(int) = job;
        ReleaseSRWLockExclusive(&lock);
        run(part);
        AcquireSRWLockExclusive(&lock);
        if (--running == 0) WakeConditionVariable(&finished);
    }
}

}  // namespace

void RunParts(int count, void (*part)(int))
{
    if (count <= 1) return part(0);
    AcquireSRWLockExclusive(&lock);
    // A small stack is plenty: a part's deepest call holds a few hundred bytes.
    for (; started < count - 1 && started < MaxThreads - 1; ++started) {
        HANDLE thread = CreateThread(nullptr, 64 * 1024, Work, reinterpret_cast<void*>(INT_PTR(started + 1)),
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!thread) break;
        CloseHandle(thread);
    }
    const int threaded = started < count - 1 ? started + 1 : count;
    job = part;
    parts = threaded;
    running = threaded - 1;
    ++calls;
    if (running > 0) WakeAllConditionVariable(&woken);
    ReleaseSRWLockExclusive(&lock);

    part(0);
    for (int i = threaded; i < count; ++i) part(i);

    AcquireSRWLockExclusive(&lock);
    while (running > 0) SleepConditionVariableSRW(&finished, &lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&lock);
}

}  // namespace softgl
