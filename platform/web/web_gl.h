// The canvas, through WebGL: the browser entry computes its pixels on the CPU and shows them.
#pragma once

#include <cstdint>

// Makes the shaders, quad and texture in the current WebGL context (again after a lost
// context is restored).
void StartWebGl();
// Shows ScreenWidth x ScreenHeight RGBA pixels, bottom row first, one to one on the canvas.
void ShowOnCanvas(const std::uint8_t* pixels);
