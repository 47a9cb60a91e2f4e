// The render's parts beyond its stages: one shifted pass, the hooks a host may set, and where
// the passes are drawn (the start-up check of the accumulation buffer, its verdict, and the
// choice of OpenGL that follows from it).
#pragma once

#include <cstdint>

#include "gl/opengl.h"

constexpr int   Passes     = 255;
constexpr float PassWeight = 0.003921569f;  // 1/255, so the 255 passes sum to their average

// One pass of the render: two generator draws (vertical first), the picture drawn under the
// shift they give, and the model-view matrix put back. RenderStill runs it Passes times.
void DrawShiftedPass();

// The size of the framebuffer the frames are presented in, where a host knows it differs from
// ScreenWidth x ScreenHeight (a scaled desktop, a compositor that sizes the window itself, a
// screen smaller than the picture); 0 means the same. The render is ScreenWidth x ScreenHeight
// all the same (drawn in Vellum's own OpenGL where the framebuffer is smaller), and each frame
// is scaled to fit it, aspect kept, centred.
extern int framebufferWidth, framebufferHeight;

// Called, when set, as each part of the one-time render ends: "grain", "vignette", "passes",
// "read-back". Lets a tool time the parts of the render without changing it (a timer
// should glFinish first, since "passes" ends with the GL work possibly still queued).
extern void (*renderStageDone)(const char* stage);

// Called, when set, after each of the 255 passes (0 to 254): lets a host answer its system or
// yield between passes, and show progress.
extern void (*renderPassDone)(int pass);

// What the start-up check read back from the accumulation buffer: its bits a channel, whether
// OpenGL raised an error, the two-pass mixes of 255 with 0 and of 128 with 64 at weight 0.5,
// and the levels 0, 1, 64, 128, 254 and 255 each returned after 255 additions at the pass
// weight. (An aggregate of answers, filled once; the GL check itself lives in the render.)
struct AccumulationAnswers {
    int bits;
    bool glError;
    std::uint8_t mix[2];
    std::uint8_t levels[6];
};
extern AccumulationAnswers accumulationAnswers;

// Why the answers show an accumulation buffer that does not average as OpenGL defines, or
// null where it does.
const char* AccumulationFault(const AccumulationAnswers& answers);

// Where the passes are drawn and averaged: the checked choice (the host's OpenGL where the
// check accepts its accumulation buffer, Vellum's own otherwise), or either one forced for
// comparison.
enum class AccumulationChoice { Checked, Driver, Cpu };
extern AccumulationChoice accumulationChoice;

// The one place where the render chooses its OpenGL: runs the start-up check on the host's
// OpenGL (the one openGl names), and returns it where its accumulation buffer averages as
// OpenGL defines, or Vellum's own (softGl), which draws the passes exactly on the CPU,
// otherwise. Sets passesDrawnByHost.
const OpenGl* ChoosePassOpenGl();

// Whether the last RenderStill drew and averaged its passes in the host's OpenGL (true) or in
// Vellum's own (false): what the render did, for a tool to report.
extern bool passesDrawnByHost;
