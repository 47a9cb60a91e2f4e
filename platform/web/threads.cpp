// The page's one thread: Vellum's OpenGL draws every part on it.

#include "gl/threads.h"

namespace softgl {

int ProcessorCount() { return 1; }

static void (*job)(int);
static int parts;

void StartParts(int count, void (*part)(int))
{
    job = part;
    parts = count;
}

void FinishParts()
{
    for (int i = 0; i < parts; ++i) job(i);
}

}  // namespace softgl
