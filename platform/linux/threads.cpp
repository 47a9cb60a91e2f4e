// The threads Vellum's OpenGL draws on, as POSIX threads: started on first use, then woken for
// each call and waited for. A pass's drawing takes a millisecond or so, and a thread put to
// sleep can take a tenth of that to wake, so the threads first wait by looking, giving the
// processor away between looks, and sleep under the lock only when the wait grows long (as
// after the render, when there is nothing more to draw).

#include "gl/threads.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <atomic>

#include "gl/context.h"

namespace softgl {

int ProcessorCount()
{
    // The processors this process may use (taskset, a container's share), not all the machine's.
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
    return 1;
}

namespace {

pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
// A thread's own, so that a call wakes only the threads it has parts for.
pthread_cond_t woken[MaxThreads], finished = PTHREAD_COND_INITIALIZER;
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
        sched_yield();
    }
    return false;
}

void* Work(void* argument)
{
    const int part = *static_cast<const int*>(argument);
    unsigned seen = 0;
    for (;;) {
        LookFor([&] { return calls.load(std::memory_order_relaxed) != seen; });
        pthread_mutex_lock(&lock);
        // A call with no part for this thread is passed over, asleep.
        while (calls.load(std::memory_order_relaxed) == seen || part >= threadedParts) {
            seen = calls.load(std::memory_order_relaxed);
            pthread_cond_wait(&woken[part], &lock);
        }
        seen = calls.load(std::memory_order_relaxed);
        void (*const run)(int) = job;
        pthread_mutex_unlock(&lock);
        run(part);
        if (running.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            pthread_mutex_lock(&lock);
            pthread_cond_signal(&finished);
            pthread_mutex_unlock(&lock);
        }
    }
}

}  // namespace

void StartParts(int count, void (*part)(int))
{
    if (started < count - 1) {
        // The threads take no signal: the program's handlers run on its own thread.
        sigset_t all, previous;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previous);
        pthread_t thread;
        for (; started < count - 1 && started < MaxThreads - 1; ++started) {
            pthread_cond_init(&woken[started + 1], nullptr);
            partOf[started + 1] = started + 1;
            if (pthread_create(&thread, nullptr, Work, &partOf[started + 1]) != 0) break;
            pthread_detach(thread);
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    pthread_mutex_lock(&lock);
    job = part;
    parts = count;
    threadedParts = count > 1 && started < count - 1 ? started + 1 : count;
    running.store(threadedParts - 1, std::memory_order_relaxed);
    calls.fetch_add(1, std::memory_order_relaxed);
    for (int i = 1; i < threadedParts; ++i) pthread_cond_signal(&woken[i]);
    pthread_mutex_unlock(&lock);
}

void FinishParts()
{
    // Part 0, and those no thread was had for. (The call's own fields stay as they are until
    // the next start, which only this thread makes.)
    job(0);
    for (int i = threadedParts; i < parts; ++i) job(i);
    if (!LookFor([] { return running.load(std::memory_order_acquire) == 0; })) {
        pthread_mutex_lock(&lock);
        while (running.load(std::memory_order_acquire) != 0) pthread_cond_wait(&finished, &lock);
        pthread_mutex_unlock(&lock);
    }
}

}  // namespace softgl
