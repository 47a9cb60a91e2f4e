// The render's parts beyond its stages: one shifted pass, the hooks a host may set, and how the
// passes are averaged (the start-up check of the accumulation buffer, its verdict, and the
// exact CPU average used where the check rejects it).
#pragma once

#include <cstdint>

constexpr int   Passes     = 255;
constexpr float PassWeight = 0.003921569f;  // 1/255, so the 255 passes sum to their average

// One pass of the render: two generator draws (vertical first), the picture drawn under the
// shift they give, and the model-view matrix put back. RenderStill runs it Passes times.
void DrawShiftedPass();

// The size of the framebuffer the frames are presented in, where a host knows it differs from
// ScreenWidth x ScreenHeight (a scaled desktop, a compositor that sizes the window itself);
// 0 means the same. The render is drawn at ScreenWidth x ScreenHeight in its lower-left corner
// all the same (so the framebuffer must be at least that large), and each frame is scaled to
// fill it, aspect kept, centred.
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

// Which average the render uses: the checked choice (the driver's accumulation buffer where
// the check accepts it, the CPU otherwise), or either one forced for comparison.
enum class AccumulationChoice { Checked, Driver, Cpu };
extern AccumulationChoice accumulationChoice;

// Runs the start-up check and decides where the passes go: true for the driver's accumulation
// buffer. Sets passesAccumulatedByDriver.
bool ChooseAccumulationBuffer();

// Whether the last RenderStill averaged its passes in the driver's accumulation buffer (true)
// or on the CPU (false): what the render did, for a tool to report.
extern bool passesAccumulatedByDriver;

// The passes' average on the CPU: AddPassToSums reads the pass just drawn back and adds it to
// exact per-channel sums (cleared by ClearSums); ReturnSums draws their average.
void ClearSums();
void AddPassToSums();
void ReturnSums();
