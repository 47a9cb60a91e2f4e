// Shared image buffers and the process-wide random generator.
#pragma once

#include <cstddef>
#include <cstdint>

#if !defined(VELLUM_SCREEN_WIDTH) || !defined(VELLUM_SCREEN_HEIGHT)
#error "Build with VELLUM_SCREEN_WIDTH and VELLUM_SCREEN_HEIGHT set (1920x1080 or 1280x720)"
#endif

// The output resolution. It sets the display mode, the window, the read-back and draw sizes,
// the vignette's extent and the buffers' capacity; the picture and its projection ignore it.
constexpr int ScreenWidth  = VELLUM_SCREEN_WIDTH;
constexpr int ScreenHeight = VELLUM_SCREEN_HEIGHT;
constexpr int ScreenPixels = ScreenWidth * ScreenHeight;

// Each buffer has a capacity of 8 screens' worth of pixels (32 bytes per screen pixel); only
// the first ScreenPixels make up the image, and the rest is zero and never touched. The
// capacity is still part of the picture: the grain fill is defined over all of it, so the
// generator leaves the grain BufferPixels x 3 draws on, and that decides every pass's shift.
constexpr int BufferPixels = 8 * ScreenPixels;

// What each buffer keeps: the whole capacity in the programs, where pages never touched cost
// nothing, and only the screen's pixels in the page, whose memory is taken whole up front.
#if defined(__EMSCRIPTEN__)
constexpr int KeptPixels = ScreenPixels;
#else
constexpr int KeptPixels = BufferPixels;
#endif

// RGBA bytes, bottom row first: the order in which OpenGL reads and draws pixels.
using ImageBuffer = std::uint8_t[4 * KeptPixels];

extern ImageBuffer renderImage;     // the averaged render, read back once
extern ImageBuffer grainImage;      // the film grain, screen-blended over every frame
extern ImageBuffer vignetteMask;    // the grey mask of the soft-light blend
extern ImageBuffer compositeImage;  // the frame drawn each time

// Row y of a screen image counted from the top (0 is the top row), for writing images out in
// the usual top-first order.
inline const std::uint8_t* ScreenRow(const std::uint8_t* image, int y)
{
    return image + 4 * static_cast<std::ptrdiff_t>(ScreenHeight - 1 - y) * ScreenWidth;
}

// One 32-bit linear congruential generator shared by the grain fill and the pass shifts.
extern std::uint32_t RandomState;

// Returns the full upper 16 bits of the next state, 0 to 65535.
inline unsigned NextRandom()
{
    RandomState = RandomState * 1103515245u + 12345u;
    return RandomState >> 16;
}
