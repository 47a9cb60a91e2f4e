// Draws the picture with immediate-mode fixed-function calls, one primitive per polygon.

#include "gl/opengl.h"

#include "core/stages.h"
#include "picture/picture.h"

void DrawPicture()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);

    const Polygon* polygon = picturePolygons;
    for (const Layer& layer : pictureLayers) {
        if (layer.blending) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glEnable(GL_BLEND);
        }
        // Grey layers set their level on three channels; the tinted ones give all four.
        if (layer.r == layer.g && layer.g == layer.b)
            glColor3ub(layer.r, layer.g, layer.b);
        else
            glColor4ub(layer.r, layer.g, layer.b, layer.a);

        const Polygon* end = polygon + layer.polygons;
        for (; polygon != end; ++polygon) {
            glBegin(layer.primitive == OneQuad ? GL_QUADS : GL_POLYGON);
            for (int i = 0; i < polygon->count; ++i)
                glVertex2s(polygon->vertex[i].x, polygon->vertex[i].y);
            glEnd();
        }
        if (layer.blending)
            glDisable(GL_BLEND);
    }
}
