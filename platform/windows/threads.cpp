// The threads Vellum's OpenGL draws on, as Win32 threads: started on first use, then woken for
// each call and waited for. A pass's drawing takes a millisecond or so, and a thread put to
// sleep can take a tenth of that to wake, so the threads first wait by looking, giving the
// processor away between looks, and sleep under the lock only when the wait grows long (as
// after the render, when there is nothing more to draw).

#include "gl/threads.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>

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
// A thread's own, so that a call wakes only the threads it has parts for.
CONDITION_VARIABLE woken[MaxThreads], finished = CONDITION_VARIABLE_INIT;
// The call, under the lock: its job, the parts on threads, and its number, so that a thread
// takes each call once.
void (*job)(int);
int threadedParts;
std::atomic<unsigned> calls;
std::atomic<int> running;  // its parts on other threads still at work
// The calling thread's side: the call's parts, and the threads started so far.
int parts, started;
// What each thread is told at its start: the part it draws.
int partOf[MaxThreads];

// Some hundreds of microseconds of looking, less where other threads want the processor.
template <class Condition>
bool LookFor(Condition condition)
{
    for (int look = 0; look < 1000; ++look) {
        if (condition()) return true;
        SwitchToThread();
    }
    return false;
}

DWORD WINAPI Work(void* argument)
{
    const int part = *static_cast<const int*>(argument);
    unsigned seen = 0;
    for (;;) {
        LookFor([&] { return calls.load(std::memory_order_relaxed) != seen; });
        AcquireSRWLockExclusive(&lock);
        // A call with no part for this thread is passed over, asleep.
        while (calls.load(std::memory_order_relaxed) == seen || part >= threadedParts) {
            seen = calls.load(std::memory_order_relaxed);
            SleepConditionVariableSRW(&woken[part], &lock, INFINITE, 0);
        }
        seen = calls.load(std::memory_order_relaxed);
        void (*const run)(int) = job;
        ReleaseSRWLockExclusive(&lock);
        run(part);
        if (running.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            AcquireSRWLockExclusive(&lock);
            WakeConditionVariable(&finished);
            ReleaseSRWLockExclusive(&lock);
        }
    }
}

}  // namespace

void StartParts(int count, void (*part)(int))
{
    // A small stack is plenty: a part's deepest call holds a few hundred bytes.
    for (; started < count - 1 && started < MaxThreads - 1; ++started) {
        InitializeConditionVariable(&woken[started + 1]);
        partOf[started + 1] = started + 1;
        HANDLE thread = CreateThread(nullptr, SIZE_T(64) * 1024, Work, &partOf[started + 1],
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!thread) break;
        CloseHandle(thread);
    }
    AcquireSRWLockExclusive(&lock);
    job = part;
    parts = count;
    threadedParts = count > 1 && started < count - 1 ? started + 1 : count;
    running.store(threadedParts - 1, std::memory_order_relaxed);
    calls.fetch_add(1, std::memory_order_relaxed);
    for (int i = 1; i < threadedParts; ++i) WakeConditionVariable(&woken[i]);
    ReleaseSRWLockExclusive(&lock);
}

void FinishParts()
{
    // Part 0, and those no thread was had for. (The call's own fields stay as they are until
    // the next start, which only this thread makes.)
    job(0);
    for (int i = threadedParts; i < parts; ++i) job(i);
    if (!LookFor([] { return running.load(std::memory_order_acquire) == 0; })) {
        AcquireSRWLockExclusive(&lock);
        while (running.load(std::memory_order_acquire) != 0) SleepConditionVariableSRW(&finished, &lock, INFINITE, 0);
        ReleaseSRWLockExclusive(&lock);
    }
}

}  // namespace softgl
