// The GL 1.1 calls that WebGL lacks, supplied over WebGL for the browser entry.
#pragma once

// Makes the shaders, buffers and texture of the layer in the current WebGL context (again
// after a lost context is restored).
void StartWebGl();
