// The OpenGL 1.1 calls of the picture and the pipeline, computed on the CPU to the same pixels
// as Mesa's software rasteriser on Linux (see soft_gl.cpp). The browser entry draws with it and
// shows the result through WebGL; the tests hold it to the Linux programs' pinned pictures.
#pragma once

#include <cstdint>

// The colour buffer: ScreenWidth x ScreenHeight RGBA bytes, bottom row first.
const std::uint8_t* SoftGlPixels();

// The edge band: marks, once, every pixel within `reach` pixels of an edge of a triangle that
// `draw` sends under the current matrix (drawing nothing), and from then on clears and
// triangles touch only those pixels; the others keep their colour, and every accumulation
// still adds it. A drawing repeated under shifts of at most `reach` pixels can change only
// inside the band. Returns how many pixels it holds.
int SoftGlLimitToEdgeBand(void (*draw)(), float reach);
// Ends the band: clears and triangles reach every pixel again.
void SoftGlDrawEverywhere();

// The render's use of the band, for its renderPassDone after the first pass (which is drawn
// whole): each pass shifts the picture by at most LargestPassShift design units, so the later
// passes need draw only the band of that reach around the unshifted picture's edges, and the
// average comes out the same. Returns the band's pixels.
int SoftGlDrawLaterPassesNearEdges();
