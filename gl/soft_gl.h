// Vellum's own OpenGL: the OpenGL 1.1 subset of the picture and the render, computed on the
// CPU to the same pixels as Mesa's software rasteriser (llvmpipe) on x86-64, on any processor.
// The render draws its passes here wherever the system's accumulation buffer strays; the page
// draws everything here.
//
// The subset, and its limits (a call outside it ends debug and sanitizer builds with a line
// naming it, and elsewhere sets GL_INVALID_OPERATION and is ignored):
// - one ScreenWidth x ScreenHeight colour buffer of RGB bytes (alpha reads back as 255), an
//   accumulation buffer, no depth buffer (nothing is depth-tested, and GL_DEPTH_BUFFER_BIT
//   clears nothing);
// - glBegin with GL_POLYGON (a convex polygon of at most 8 vertices) or GL_QUADS, glVertex2s,
//   glColor3ub and glColor4ub; the model-view matrix only (glOrtho, glTranslatef, a stack of
//   32), and the viewport over the whole window;
// - blending off, GL_SRC_ALPHA over GL_ONE_MINUS_SRC_ALPHA, or GL_ONE over
//   GL_ONE_MINUS_SRC_COLOR; the scissor test; glPushAttrib of the colour, accumulation and
//   scissor groups, 4 deep;
// - glAccum's GL_ACCUM at one weight between clears and GL_RETURN, with the accumulation
//   buffer cleared to zero;
// - glDrawPixels and glReadPixels of GL_RGBA GL_UNSIGNED_BYTE rows at the window's origin,
//   unzoomed, with any pixel store alignment that packs RGBA rows tightly.
// Drawing follows the rasteriser's rules: vertices through the model-view matrix in single
// precision, one rounding after every product and sum in the order of Mesa's vertex program,
// the viewport applied with a fused multiply-add; triangles reaching past the window cut at
// its edges in clip space; window positions snapped to 1/256 pixel, rounding half to even,
// pixel centres on whole numbers; polygons as fans from their first vertex, a quad as two
// triangles, a pixel drawn when its centre lies inside or on a left or bottom edge; colours
// blended in bytes as the rasteriser's blend stage does it. The accumulation buffer keeps
// exact sums and returns OpenGL's average, round(weight x sum), with one rounding at the end.
//
// Like a system OpenGL, it draws on threads of its own: the calls are taken on the caller's
// thread, and the drawing of each pass (up to its GL_ACCUM) is shared by as many threads as the
// processor has, up to 8, stripe of rows by stripe, while the next pass's calls are taken.
// Whatever reads or writes pixels (glReadPixels, glDrawPixels, GL_RETURN, a clear of the
// accumulation buffer, glFinish, SoftGlPixels) waits for the drawing first, and the pixels are
// the same for any number of threads.
#pragma once

#include <cstdint>

#include "gl/opengl.h"

extern const OpenGl softGl;

// The colour buffer: ScreenWidth x ScreenHeight RGBA bytes, bottom row first.
const std::uint8_t* SoftGlPixels();

// The edge band: marks, once, every pixel within `reach` pixels of an edge of a triangle that
// `draw` sends under the current matrix (drawing nothing), and from then on clears and
// triangles touch only those pixels; the others keep their colour, and every accumulation
// still adds it. A drawing repeated under shifts of at most `reach` pixels can change only
// inside the band. Returns how many pixels it holds; 0 where it would hold more than a quarter
// of the window, which is not kept (clears and triangles then reach every pixel, as before).
int SoftGlLimitToEdgeBand(void (*draw)(), float reach);
// Ends the band: clears and triangles reach every pixel again.
void SoftGlDrawEverywhere();

// How many threads draw: `count`, or 0 (as at the start) for as many as the processor has,
// up to 8; a count past 8 draws on 8. SoftGlThreads says how many do.
void SoftGlUseThreads(int count);
int SoftGlThreads();
