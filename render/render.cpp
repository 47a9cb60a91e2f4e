// The one-time shifted-pass render and the per-frame presentation.

#include "gl/opengl.h"

#include <algorithm>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "picture/picture.h"
#include "render/render.h"

int framebufferWidth, framebufferHeight;
void (*renderStageDone)(const char* stage) = nullptr;
void (*renderPassDone)(int pass) = nullptr;

static void StageDone(const char* stage)
{
    if (renderStageDone) renderStageDone(stage);
}

void DrawShiftedPass()
{
    glPushMatrix();
    const unsigned vertical = NextRandom();
    const unsigned horizontal = NextRandom();
    glTranslatef(PassShift(horizontal), PassShift(vertical), 0);
    DrawPicture();
    glPopMatrix();
}

void RenderStill()
{
    // Design space (1920 x 1080, y down) onto the whole window in either build. The matrix
    // mode is never changed, so this lands on the model-view matrix and the shifts
    // multiply after it, moving vertices in design units.
    glOrtho(0, DesignWidth, DesignHeight, 0, 1, -1);
    // The passes fill ScreenWidth x ScreenHeight pixels, whatever the framebuffer's size.
    glViewport(0, 0, ScreenWidth, ScreenHeight);

    BuildGrain();
    StageDone("grain");
    BuildVignette();
    StageDone("vignette");

    const bool accumulate = ChooseAccumulationBuffer();
    if (!accumulate) ClearSums();
    glClear(GL_ACCUM_BUFFER_BIT);
    for (int pass = 0; pass < Passes; ++pass) {
        DrawShiftedPass();
        if (accumulate) glAccum(GL_ACCUM, PassWeight);
        else AddPassToSums();
        if (renderPassDone) renderPassDone(pass);
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

// The composite, then the grain screen-blended over it, drawn from the raster position.
static void DrawFrame()
{
    // The composite is opaque and lands on a cleared buffer, so whichever blend function is
    // in force (the picture's on the first frame, the grain's after) passes it unchanged.
    glEnable(GL_BLEND);
    glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, compositeImage);
    glFlush();
    glFinish();

    // Screen blend: grain + shown * (1 - grain), which can only lighten.
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_COLOR);
    glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, grainImage);
    glFlush();
    glFinish();
}

void PresentFrame()
{
    ComposeFrame();
    const int width = framebufferWidth > 0 ? framebufferWidth : ScreenWidth;
    const int height = framebufferHeight > 0 ? framebufferHeight : ScreenHeight;
    if (width == ScreenWidth && height == ScreenHeight) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawFrame();
        return;
    }
    // Another framebuffer: the frame zoomed by the largest factor that fits, centred, black
    // around. The raster position stays at the window's origin otherwise, so an empty bitmap
    // moves it to the frame's corner and back (a raster position is never clipped so).
    const float zoom = std::min(float(width) / ScreenWidth, float(height) / ScreenHeight);
    const int x = (width - int(ScreenWidth * zoom)) / 2, y = (height - int(ScreenHeight * zoom)) / 2;
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBitmap(0, 0, 0, 0, GLfloat(x), GLfloat(y), nullptr);
    glPixelZoom(zoom, zoom);
    DrawFrame();
    glPixelZoom(1, 1);
    glBitmap(0, 0, 0, 0, GLfloat(-x), GLfloat(-y), nullptr);
}
