// The one-time shifted-pass render and the per-frame presentation.

#include <GL/gl.h>

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

    glClear(GL_ACCUM_BUFFER_BIT);
    for (int pass = 0; pass < Passes; ++pass) {
        glPushMatrix();
        const unsigned vertical = NextRandom();
        const unsigned horizontal = NextRandom();
        glTranslatef(PassShift(horizontal), PassShift(vertical), 0);
        DrawPicture();
        glPopMatrix();
        glAccum(GL_ACCUM, PassWeight);
    }
    StageDone("passes");

    glAccum(GL_RETURN, 1.0f);
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
