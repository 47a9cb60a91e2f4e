// The browser entry of Vellum: WebAssembly and WebGL through Emscripten.
//
// The page (host/web/index.html) gives a canvas of exactly ScreenWidth x ScreenHeight pixels.
// The picture is drawn by the CPU's OpenGL (soft_gl.cpp), to the same pixels as on Linux, and
// shown through WebGL. The render yields to the browser after every pass, so the tab stays
// live and shows its progress; then the frame is shown once, and again only when the canvas
// needs it (a lost context restored). With ?stage=grain|vignette|render|composite the canvas
// shows that buffer instead of the frame, unscaled, for comparison with the other programs.

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "host/soft_gl.h"
#include "host/web_gl.h"
#include "pipeline/buffers.h"
#include "pipeline/numerics.h"
#include "pipeline/stages.h"

static const std::uint8_t* shown;  // the frame, or the stage the page asks for

static void ShowProgress(int pass)
{
    EM_ASM({ vellumProgress($0, $1); }, pass + 1, 255);
    emscripten_sleep(0);
}

// The buffers in memory are intact after a lost context; only WebGL's objects are remade.
static EM_BOOL Restored(int, const void*, void*)
{
    StartWebGl();
    if (shown) ShowOnCanvas(shown);
    return true;
}

// The stages the page can ask for, for its tests.
extern "C" EMSCRIPTEN_KEEPALIVE const std::uint8_t* StageBuffer(int stage)
{
    const std::uint8_t* buffers[] = {renderImage, compositeImage, grainImage, vignetteMask};
    return stage >= 0 && stage < 4 ? buffers[stage] : nullptr;
}

// The canvas as shown, top row first like the PNGs of the capture tool.
extern "C" EMSCRIPTEN_KEEPALIVE const std::uint8_t* ReadFrame()
{
    static std::uint8_t frame[4 * ScreenPixels];
    static std::uint8_t row[4 * ScreenWidth];
    ReadCanvas(frame);
    for (int y = 0; y < ScreenHeight / 2; ++y) {
        std::uint8_t* a = frame + 4 * ScreenWidth * y;
        std::uint8_t* b = frame + 4 * ScreenWidth * (ScreenHeight - 1 - y);
        std::memcpy(row, a, sizeof row);
        std::memcpy(a, b, sizeof row);
        std::memcpy(b, row, sizeof row);
    }
    return frame;
}

int main()
{
    const int stage = EM_ASM_INT({ return vellumStage(); });

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
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#picture", &attributes);
    if (context <= 0) {
        EM_ASM({ vellumFailed(); });
        return 1;
    }
    emscripten_webgl_make_context_current(context);
    emscripten_set_webglcontextrestored_callback("#picture", nullptr, false, Restored);
    StartWebGl();

    renderPassDone = ShowProgress;
    RenderStill();
    PresentFrame();
    shown = stage >= 0 ? StageBuffer(stage) : SoftGlPixels();
    ShowOnCanvas(shown);
    EM_ASM({ vellumDone(); });
    return 0;
}
