// What POSIX gives Vellum's OpenGL for its drawing threads (gl/threads.h).

#include "gl/threads.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

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
pthread_cond_t conditions[MaxThreads];
bool initialised[MaxThreads];
// What each thread is told at its start.
struct Start {
    void (*run)(int);
    int part;
} starts[MaxThreads];

void* ThreadMain(void* argument)
{
    const Start& start = *static_cast<const Start*>(argument);
    start.run(start.part);
    return nullptr;
}

pthread_cond_t& Condition(int condition)
{
    // Made on first use, under the lock.
    if (!initialised[condition]) pthread_cond_init(&conditions[condition], nullptr);
    initialised[condition] = true;
    return conditions[condition];
}

}  // namespace

bool StartThread(void (*run)(int), int part)
{
    // The thread takes no signal: the program's handlers run on its own thread.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    starts[part] = {run, part};
    pthread_t thread;
    const bool made = pthread_create(&thread, nullptr, ThreadMain, &starts[part]) == 0;
    if (made) pthread_detach(thread);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return made;
}

void Lock() { pthread_mutex_lock(&lock); }
void Unlock() { pthread_mutex_unlock(&lock); }
void Sleep(int condition) { pthread_cond_wait(&Condition(condition), &lock); }
void Wake(int condition) { pthread_cond_signal(&Condition(condition)); }
void GiveWay() { sched_yield(); }

}  // namespace softgl
