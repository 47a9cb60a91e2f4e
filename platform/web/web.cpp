// The browser entry of Vellum: WebAssembly and WebGL through Emscripten.
//
// The page (platform/web/index.html) gives a canvas of exactly ScreenWidth x ScreenHeight
// pixels and loads this program for the resolution it asks for. The picture is drawn by
// Vellum's own OpenGL on the CPU (gl/soft_gl.h), to the same pixels as the Linux programs, and
// shown through WebGL.
// Implemented: the render, yielding to the browser every 50 ms or 32 passes, with progress; the frame shown once, and
// again when a lost context is restored (also where it was lost during the render);
// ?stage=grain|vignette|render|composite showing that buffer instead of the frame; one
// sentence where WebGL is missing.
// Not handled here: display modes (the page scales the canvas and the browser goes full
// screen), and keys (the page's script takes F and clicks for full screen).

#include <emscripten.h>
#include <emscripten/html5.h>

#include "core/buffers.h"
#include "core/stages.h"
#include "gl/soft_gl.h"
#include "platform/web/web_gl.h"
#include "render/render.h"

// The page's functions (index.html), called by name, so that the script that loads either
// module is the same.
EM_JS(int, PageStage, (), { return vellumStage(); });
EM_JS(void, PageProgress, (int pass, int passes), { vellumProgress(pass, passes); });
EM_JS(void, PageDone, (), { vellumDone(); });
EM_JS(void, PageFailed, (), { vellumFailed(); });

static const std::uint8_t* shown;  // the frame, or the stage the page asks for
static double lastYield;          // when the render last gave the browser its turn, in ms
static int passesSinceYield;

// After each pass. The browser gets its turn, to stay responsive and show
// the progress, every 50 ms or 32 passes, whichever comes first (a browser whose clock stands
// still while scripts run, as a headless one's can, still gets it), and after the last pass:
// each turn costs a timer's minimum delay of a few milliseconds, more than a pass takes.
static void AfterPass(int pass)
{
    const double now = emscripten_get_now();
    if (now - lastYield < 50 && ++passesSinceYield < 32 && pass + 1 < Passes) return;
    lastYield = now;
    passesSinceYield = 0;
    PageProgress(pass + 1, Passes);
    emscripten_sleep(0);
}

// The buffers in memory are intact after a lost context; only WebGL's objects are remade, and
// the picture, if the render is done, is shown (for the first time where the context was lost
// during the render).
static EM_BOOL Restored(int, const void*, void*)
{
    StartWebGl();
    if (shown) {
        ShowOnCanvas(shown);
        PageDone();
    }
    return true;
}

// The buffer a ?stage= query asks for (0 render, 1 composite, 2 grain, 3 vignette), or null.
static const std::uint8_t* StageBuffer(int stage)
{
    const std::uint8_t* buffers[] = {renderImage, compositeImage, grainImage, vignetteMask};
    return stage >= 0 && stage < 4 ? buffers[stage] : nullptr;
}

int main()
{
    const int stage = PageStage();

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // A canvas of plain opaque pixels: no alpha, no multisampling, and contents that survive
    // reads, so that what it shows can be read back.
    attributes.alpha = false;
    attributes.antialias = false;
    attributes.depth = false;
    attributes.stencil = false;
    attributes.preserveDrawingBuffer = true;
    attributes.majorVersion = 1;
    // Only WebGL 1's own calls are used: asking for every extension up front would cost the
    // browser a round trip to its GPU process for each.
    attributes.enableExtensionsByDefault = false;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#picture", &attributes);
    if (context <= 0) {
        PageFailed();
        return 1;
    }
    emscripten_webgl_make_context_current(context);
    emscripten_set_webglcontextrestored_callback("#picture", nullptr, false, Restored);
    StartWebGl();

    openGl = &softGl;
    renderPassDone = AfterPass;
    lastYield = emscripten_get_now();
    RenderStill();
    PresentFrame();
    shown = stage >= 0 ? StageBuffer(stage) : SoftGlPixels();
    // With the context lost (the page asks the browser to restore it), Restored shows it.
    if (emscripten_is_webgl_context_lost(context)) return 0;
    ShowOnCanvas(shown);
    PageDone();
    return 0;
}
