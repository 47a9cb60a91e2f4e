// The page's one thread: Vellum's OpenGL draws every part on it.

#include "gl/threads.h"

namespace softgl {

int ProcessorCount() { return 1; }

void RunParts(int parts, void (*part)(int))
{
    for (int i = 0; i < parts; ++i) part(i);
}

}  // namespace softgl
