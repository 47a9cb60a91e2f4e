// The browser entry of Vellum: WebAssembly through Emscripten, and a 2D canvas.
//
// The page (platform/web/index.html and page.js) gives a canvas of exactly ScreenWidth x ScreenHeight
// pixels and loads this program for the resolution it asks for. The picture is drawn by
// Vellum's own OpenGL on the CPU (gl/soft_gl.h), to the same pixels as the Linux programs, and
// the page puts the finished frame on its canvas: no WebGL is needed.
// Implemented: the render, yielding to the browser every 50 ms or 32 passes, with progress;
// the frame shown once (the page shows it again where the browser restores a lost canvas);
// ?stage=grain|vignette|render|composite showing that buffer instead of the frame; the frame's
// size handed over with it, so that the page refuses a program of the other size.
// Known issues: none known; the page has no threads (a static host cannot promise the headers
// that shared memory needs).
// Not handled here: display modes (the page scales the canvas and the browser goes full
// screen), keys (the page's script takes F and clicks for full screen), and failures to load,
// which the page tells the visitor about.

#include <emscripten.h>

#include "core/buffers.h"
#include "core/stages.h"
#include "gl/soft_gl.h"
#include "render/host.h"
#include "render/render.h"

// The page's functions (page.js), called by name, so that the script that loads either
// module is the same. The pixels handed over stay where they are: the memory never grows.
EM_JS(int, PageStage, (), { return vellumStage(); });
EM_JS(void, PageProgress, (int pass, int passes), { vellumProgress(pass, passes); });
EM_JS(void, PageShow, (const std::uint8_t* pixels, int width, int height),
      { vellumShow(HEAPU8.subarray(pixels, pixels + 4 * width * height), width, height); });

static double lastYield;  // when the render last gave the browser its turn, in ms
static int passesDone, passesSinceYield;

// The host's calls (render/host.h). After each pass, the browser gets its turn, to stay
// responsive and show the progress, every 50 ms or 32 passes, whichever comes first (a browser
// whose clock stands still while scripts run, as a headless one's can, still gets it), and
// after the last pass: each turn costs a timer's minimum delay of a few milliseconds, more than
// a pass takes. The page keeps the one frame it is given, so the program ends after it.
static void AfterPass(bool)
{
    const double now = emscripten_get_now();
    ++passesDone;
    if (now - lastYield < 50 && ++passesSinceYield < 32 && passesDone < Passes) return;
    lastYield = now;
    passesSinceYield = 0;
    PageProgress(passesDone, Passes);
    emscripten_sleep(0);
}
static bool FirstFrame() { return passesDone == Passes; }
static bool Shown() { return true; }

// The buffer a ?stage= query asks for (0 render, 1 composite, 2 grain, 3 vignette), or null.
static const std::uint8_t* StageBuffer(int stage)
{
    const std::uint8_t* buffers[] = {renderImage, compositeImage, grainImage, vignetteMask};
    return stage >= 0 && stage < 4 ? buffers[stage] : nullptr;
}

static void ShowOnThePage()
{
    const int stage = PageStage();
    PageShow(stage >= 0 ? StageBuffer(stage) : SoftGlPixels(), ScreenWidth, ScreenHeight);
}

int main()
{
    openGl = &softGl;
    lastYield = emscripten_get_now();
    ShowThePicture({.answer = AfterPass, .frameWanted = FirstFrame, .swap = ShowOnThePage, .endWanted = Shown});
    return 0;
}
