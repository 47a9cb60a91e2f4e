// The stages of the still image, in the order one run calls them.
#pragma once

void RenderStill();    // once: projection, grain, vignette, 255 shifted passes, read-back
void BuildGrain();     //   the film grain table and image
void BuildVignette();  //   the radial mask
void DrawPicture();    //   the layered drawing, once per pass
void PresentFrame();   // every frame: soft-light composite, draw it, screen-blend the grain
