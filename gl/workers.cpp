// The drawing threads: started on first use, then woken for each call and waited for. A pass's
// drawing takes a millisecond or so, and a thread put to sleep can take a tenth of that to
// wake, so the threads first wait by looking, giving the processor away between looks, and
// sleep under the lock only when the wait grows long (as after the render, when there is
// nothing more to draw).

#include <atomic>

#include "gl/context.h"
#include "gl/threads.h"

namespace softgl {

namespace {

// Condition 0 is the calling thread's, on which it waits for the parts to finish; each other
// is a thread's own, so that a call wakes only the threads it has parts for.
constexpr int Finished = 0;

// The call, under the lock: its job, the parts on threads, and its number, so that a thread
// takes each call once.
void (*job)(int);
int threadedParts;
std::atomic<unsigned> calls;
std::atomic<int> running;  // its parts on other threads still at work
// The calling thread's side: the call's parts, and the threads started so far.
int parts, started;

// Some hundreds of microseconds of looking, less where other threads want the processor.
template <class Condition>
bool LookFor(Condition condition)
{
    for (int look = 0; look < 1000; ++look) {
        if (condition()) return true;
        GiveWay();
    }
    return false;
}

void Work(int part)
{
    unsigned seen = 0;
    for (;;) {
        LookFor([&] { return calls.load(std::memory_order_relaxed) != seen; });
        Lock();
        // A call with no part for this thread is passed over, asleep.
        while (calls.load(std::memory_order_relaxed) == seen || part >= threadedParts) {
            seen = calls.load(std::memory_order_relaxed);
            Sleep(part);
        }
        seen = calls.load(std::memory_order_relaxed);
        void (*const run)(int) = job;
        Unlock();
        run(part);
        if (running.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            Lock();
            Wake(Finished);
            Unlock();
        }
    }
}

}  // namespace

void StartParts(int count, void (*part)(int))
{
    for (; started < count - 1 && started < MaxThreads - 1; ++started)
        if (!StartThread(Work, started + 1)) break;
    Lock();
    job = part;
    parts = count;
    threadedParts = count > 1 && started < count - 1 ? started + 1 : count;
    running.store(threadedParts - 1, std::memory_order_relaxed);
    calls.fetch_add(1, std::memory_order_relaxed);
    for (int i = 1; i < threadedParts; ++i) Wake(i);
    Unlock();
}

void FinishParts()
{
    // The first part, and those no thread was had for. (The call's own fields stay as they are until
    // the next start, which only this thread makes.)
    job(0);
    for (int i = threadedParts; i < parts; ++i) job(i);
    if (LookFor([] { return running.load(std::memory_order_acquire) == 0; })) return;
    Lock();
    while (running.load(std::memory_order_acquire) != 0) Sleep(Finished);
    Unlock();
}

}  // namespace softgl
