// The one-time shifted-pass render and the per-frame presentation.

#include "gl/opengl.h"

#include <algorithm>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"
#include "gl/soft_gl.h"
#include "picture/picture.h"
#include "render/render.h"

const OpenGl* openGl;  // the host names its OpenGL before the render
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

// How many pixels one design unit spans at most, horizontally or vertically.
static float PixelsPerDesignUnit()
{
    return std::max(float(ScreenWidth) / DesignWidth, float(ScreenHeight) / DesignHeight);
}

void RenderStill()
{
    // The host's OpenGL shows the frames; the passes go to the OpenGL the check chooses.
    const OpenGl* host = openGl;
    openGl = ChoosePassOpenGl();
    const bool ownOpenGl = openGl == &softGl;
    // Vellum's own OpenGL outlives the host's contexts and may have drawn a render before (the
    // tests draw several in one process), so its matrix is put back after the passes.
    if (ownOpenGl) glPushMatrix();

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

    glClear(GL_ACCUM_BUFFER_BIT);
    for (int pass = 0; pass < Passes; ++pass) {
        DrawShiftedPass();
        glAccum(GL_ACCUM, PassWeight);
        // A pass moves the picture by at most LargestPassShift design units, so a pixel that
        // no edge of the unshifted picture comes that near has the first pass's colour in
        // every pass: Vellum's own OpenGL draws the later passes only in the band around the
        // edges (under a tenth of the picture), and the average comes out the same.
        if (pass == 0 && ownOpenGl) SoftGlLimitToEdgeBand(DrawPicture, LargestPassShift * PixelsPerDesignUnit());
        if (renderPassDone) renderPassDone(pass);
    }
    StageDone("passes");

    glAccum(GL_RETURN, 1.0f);
    glFlush();
    glFinish();

    // For the draws of PresentFrame, which are the host's.
    host->PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, renderImage);
    if (ownOpenGl) {
        SoftGlDrawEverywhere();
        glPopMatrix();
    }
    openGl = host;
    StageDone("read-back");
}

// The composite, then the grain screen-blended over it, drawn from the raster position.
static void DrawFrame()
{
    // The composite is opaque and lands on a cleared buffer, so whichever blend function is
    // in force (the picture's on the first frame, the grain's after) passes it unchanged.
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
    glEnable(GL_BLEND);
    if (width == ScreenWidth && height == ScreenHeight) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawFrame();
        return;
    }
    // Another framebuffer: the frame zoomed by the largest factor that fits, centred, black
    // around. The raster position stays at the window's origin otherwise, so an empty bitmap
    // moves it to the frame's corner and back (a raster position is never clipped so).
    const float zoom = std::min(float(width) / ScreenWidth, float(height) / ScreenHeight);
    const int shownWidth = int(ScreenWidth * zoom), shownHeight = int(ScreenHeight * zoom);
    const int x = (width - shownWidth) / 2, y = (height - shownHeight) / 2;
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBitmap(0, 0, 0, 0, GLfloat(x), GLfloat(y), nullptr);
#if !defined(__EMSCRIPTEN__)  // the page's canvas is the frame's size: the browser scales it
    if (zoom < 1) {
        // Smaller: a zoomed draw would sample the frame and bring back the aliasing that the
        // passes average away, so the frame is drawn whole in Vellum's own OpenGL and each
        // shown pixel is the average of the frame pixels under it.
        static std::uint8_t shown[4 * ScreenPixels];
        const OpenGl* host = openGl;
        openGl = &softGl;
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        DrawFrame();
        openGl = host;
        ShrinkFrame(SoftGlPixels(), shownWidth, shownHeight, shown);
        glDisable(GL_BLEND);
        glDrawPixels(shownWidth, shownHeight, GL_RGBA, GL_UNSIGNED_BYTE, shown);
        glBitmap(0, 0, 0, 0, GLfloat(-x), GLfloat(-y), nullptr);
        return;
    }
#endif
    glPixelZoom(zoom, zoom);
    DrawFrame();
    glPixelZoom(1, 1);
    glBitmap(0, 0, 0, 0, GLfloat(-x), GLfloat(-y), nullptr);
}
