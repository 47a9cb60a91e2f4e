// The one-time shifted-pass render and the per-frame presentation.

#include "pipeline/opengl.h"

#include <cmath>
#include <cstring>

#include "pipeline/buffers.h"
#include "pipeline/numerics.h"
#include "pipeline/stages.h"

constexpr int   Passes     = 255;
constexpr float PassWeight = 0.003921569f;  // 1/255, so the 255 passes sum to their average

void (*renderStageDone)(const char* stage) = nullptr;

static void StageDone(const char* stage)
{
    if (renderStageDone) renderStageDone(stage);
}

float PassShift(unsigned draw)
{
    // 32766 = 2 x 16383: the remainder, recentred and scaled, spans [-1, 16382/16383].
    return float((double(float(draw % 32766)) - 16383) / 16383);
}

// Where the framebuffer has no accumulation buffer (Wayland through EGL, Xwayland on glamor,
// Wine),
// every glAccum would fail and leave only the last pass on screen. The same passes are then
// averaged here instead: each one is read back and its bytes summed.
//
// OpenGL defines accumulation on real values in [0, 1]: each pass adds weight x colour, and
// the return writes the sum clamped to [0, 1] and converted to the nearest byte. With one
// weight for all passes that is round(weight x (sum of the bytes)), which exact 16-bit sums
// (255 x 255 at most) give with no rounding before the last. Mesa's accumulation buffer
// instead keeps signed 16-bit sums scaled by 32767 and truncates each pass's term, so its
// flat areas come out about one lower; its software rasteriser also decodes sRGB around
// each operation, so its edges average in linear light and come out brighter.
alignas(64) static std::uint16_t passSums[4 * ScreenPixels];

static bool HasAccumulationBuffer()
{
    GLint bits = 0;
    glGetIntegerv(GL_ACCUM_RED_BITS, &bits);
    return bits > 0;
}

void AddPassToSums()
{
    glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, renderImage);
    for (int i = 0; i < 4 * ScreenPixels; ++i) passSums[i] += renderImage[i];
}

void ReturnSums()
{
    for (int i = 0; i < 4 * ScreenPixels; ++i) {
        const double average = passSums[i] * double(PassWeight);  // in bytes: 255 x [0, 1]
        renderImage[i] = std::uint8_t(average >= 255 ? 255 : std::lround(average));
    }
    glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, renderImage);
}

void RenderStill()
{
    // Design space (1920 x 1080, y down) onto the whole window in either build. The matrix
    // mode is never changed, so this lands on the model-view matrix and the shifts below
    // multiply after it, moving vertices in design units.
    glOrtho(0, 1920, 1080, 0, 1, -1);

    BuildGrain();
    StageDone("grain");
    BuildVignette();
    StageDone("vignette");

    const bool accumulate = HasAccumulationBuffer();
    if (!accumulate) std::memset(passSums, 0, sizeof passSums);
    glClear(GL_ACCUM_BUFFER_BIT);
    for (int pass = 0; pass < Passes; ++pass) {
        glPushMatrix();
        const unsigned vertical = NextRandom();
        const unsigned horizontal = NextRandom();
        glTranslatef(PassShift(horizontal), PassShift(vertical), 0);
        DrawPicture();
        glPopMatrix();
        if (accumulate) glAccum(GL_ACCUM, PassWeight);
        else AddPassToSums();
    }
    StageDone("passes");

    if (accumulate) glAccum(GL_RETURN, 1.0f);
    else ReturnSums();
    glFlush();
    glFinish();

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, renderImage);
    StageDone("read-back");
}

void PresentFrame()
{
    ComposeFrame();

    // The composite is opaque and lands on a cleared buffer, so whichever blend function is
    // in force (the picture's on the first frame, the grain's after) passes it unchanged.
    glEnable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, compositeImage);
    glFlush();
    glFinish();

    // Screen blend: grain + shown * (1 - grain), which can only lighten.
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_COLOR);
    glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, grainImage);
    glFlush();
    glFinish();
}
