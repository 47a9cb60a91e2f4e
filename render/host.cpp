// The lifecycle every host shares (host.h).

#include "render/host.h"

#include "core/stages.h"
#include "render/render.h"

static const HostCalls* host;

static void AnswerBetweenPasses(int) { host->answer(false); }

void ShowThePicture(const HostCalls& calls)
{
    host = &calls;
    renderPassDone = AnswerBetweenPasses;
    RenderStill();
    renderPassDone = nullptr;
    for (;;) {
        if (host->frameWanted()) {
            PresentFrame();
            host->swap();
        }
        if (host->endWanted()) return;
        host->answer(true);
    }
}
