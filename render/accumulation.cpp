// Where the 255 passes are drawn and averaged: in the host's OpenGL where a start-up check finds
// that its accumulation buffer averages as OpenGL defines, otherwise in Vellum's own OpenGL on
// the CPU.
//
// OpenGL defines the average so: each pass adds weight x colour on real values in [0, 1], and
// the return writes the sum clamped to [0, 1] and rounded to the nearest byte. Some drivers
// stray from that (Mesa decodes sRGB around every accumulation, so its edges average in linear
// light, and it truncates each pass's term into 16-bit storage), and where there is no
// accumulation buffer at all (Wayland through EGL, Wine) every glAccum would fail and leave
// only the last pass. Vellum's own OpenGL keeps exact sums and returns the defined average,
// and it also draws the passes to the pinned picture's rules on any processor, where another
// rasteriser would place some edges a little differently.

#include "gl/opengl.h"

#include <cstdlib>

#include "core/buffers.h"
#include "gl/soft_gl.h"
#include "render/render.h"

AccumulationChoice accumulationChoice = AccumulationChoice::Checked;
AccumulationAnswers accumulationAnswers;
bool passesDrawnByHost;

// Levels that a sound accumulation buffer returns within 1 after 255 additions at the pass
// weight: 1 and 128 come back as 0 and 126 in linear light, and 254 two low where each
// pass's term is truncated to 16 bits.
static const std::uint8_t probeLevels[6] = {0, 1, 64, 128, 254, 255};

const char* AccumulationFault(const AccumulationAnswers& answers)
{
    if (answers.bits < 8) return "no accumulation buffer of 8 or more bits";
    if (answers.glError) return "accumulation raised an OpenGL error";
    if (answers.mix[0] < 127 || answers.mix[0] > 128 || answers.mix[1] != 96)
        return "it does not mix passes as the average of their values";
    for (int i = 0; i < 6; ++i)
        if (std::abs(answers.levels[i] - probeLevels[i]) > 1) return "it does not return flat levels";
    return nullptr;
}

static void ClearPixel(int x, const std::uint8_t* rgb)
{
    glScissor(x, 0, 1, 1);
    glClearColor(rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Asks the accumulation buffer on three scissored pixels of the back buffer: pixel 0 mixes
// (255, 128, 0) and (0, 64, 0) at weight 0.5, pixels 1 and 2 hold the six levels through 255
// additions at the pass weight. Every state it changes is put back; the passes clear the
// colour buffer, and the accumulation buffer is cleared after this.
static void AskAccumulationBuffer()
{
    AccumulationAnswers& answers = accumulationAnswers;
    answers = {};
    glGetIntegerv(GL_ACCUM_RED_BITS, &answers.bits);
    if (answers.bits < 8) return;
    for (int stale = 0; stale < 8 && glGetError() != GL_NO_ERROR; ++stale) {}

    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_DITHER);
    glEnable(GL_SCISSOR_TEST);
    glClearAccum(0, 0, 0, 0);
    std::uint8_t read[3][4];

    static const std::uint8_t first[3] = {255, 128, 0}, second[3] = {0, 64, 0};
    glScissor(0, 0, 1, 1);
    glClear(GL_ACCUM_BUFFER_BIT);
    ClearPixel(0, first);
    glAccum(GL_ACCUM, 0.5f);
    ClearPixel(0, second);
    glAccum(GL_ACCUM, 0.5f);
    glAccum(GL_RETURN, 1.0f);

    glScissor(1, 0, 2, 1);
    glClear(GL_ACCUM_BUFFER_BIT);
    ClearPixel(1, probeLevels);
    ClearPixel(2, probeLevels + 3);
    glScissor(1, 0, 2, 1);
    for (int pass = 0; pass < Passes; ++pass) glAccum(GL_ACCUM, PassWeight);
    glAccum(GL_RETURN, 1.0f);

    glReadPixels(0, 0, 3, 1, GL_RGBA, GL_UNSIGNED_BYTE, read);
    answers.glError = glGetError() != GL_NO_ERROR;
    glPopAttrib();

    answers.mix[0] = read[0][0];
    answers.mix[1] = read[0][1];
    for (int i = 0; i < 6; ++i) answers.levels[i] = read[1 + i / 3][i % 3];
}

// The check always runs, so that its answers can be reported, even where a caller has chosen
// the path itself. A framebuffer smaller than the picture cannot hold the passes.
const OpenGl* ChoosePassOpenGl()
{
    AskAccumulationBuffer();
    const bool fits = (framebufferWidth == 0 || framebufferWidth >= ScreenWidth) &&
                      (framebufferHeight == 0 || framebufferHeight >= ScreenHeight);
    switch (accumulationChoice) {
    case AccumulationChoice::Driver: passesDrawnByHost = accumulationAnswers.bits > 0 && fits; break;
    case AccumulationChoice::Cpu: passesDrawnByHost = false; break;
    default: passesDrawnByHost = AccumulationFault(accumulationAnswers) == nullptr && fits;
    }
    return passesDrawnByHost ? openGl : &softGl;
}
