// The OpenGL 1.1 calls of the picture and the pipeline, computed on the CPU to the same pixels
// as Mesa's software rasteriser on Linux (see soft_gl.cpp). The browser entry draws with it and
// shows the result through WebGL; the tests hold it to the Linux programs' pinned pictures.
#pragma once

#include <cstdint>

// The colour buffer: ScreenWidth x ScreenHeight RGBA bytes, bottom row first.
const std::uint8_t* SoftGlPixels();
