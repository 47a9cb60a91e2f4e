// Clipping: a triangle that reaches past the window is cut at its edges in clip space, one
// plane after the other, into a convex polygon; its corners are then taken to window
// positions and snapped, and the polygon queued to be filled as a fan from its first vertex.

#include <cmath>

#include "gl/context.h"

namespace softgl {

// The viewport over the whole window with rows counted down, then the snap of the position
// less half a pixel, so that pixel centres fall on whole numbers. Mesa's compiled vertex stage
// applies the viewport with a fused multiply-add where the processor has one, and its clipper
// computes the vertices it makes in plain single precision.
static Fixed Snap(Clip c)
{
    const GLfloat halfWidth = GLfloat(ScreenWidth) / 2, halfHeight = GLfloat(ScreenHeight) / 2;
    const GLfloat windowX = c.cut ? c.x * halfWidth + halfWidth : std::fma(c.x, halfWidth, halfWidth);
    const GLfloat windowY = c.cut ? c.y * -halfHeight + halfHeight : std::fma(c.y, -halfHeight, halfHeight);
    return {std::lrint((windowX - 0.5f) * SubPixel), std::lrint((windowY - 0.5f) * SubPixel)};
}

// How far inside clip plane `plane` a vertex lies (negative outside): the planes x = w,
// x = -w, y = w, y = -w in that order.
static GLfloat Inside(Clip c, int plane)
{
    switch (plane) {
    case 0: return 1 - c.x;
    case 1: return c.x + 1;
    case 2: return 1 - c.y;
    default: return c.y + 1;
    }
}


// A triangle wholly outside one plane is dropped; new vertices are interpolated in clip space.
void CutTriangle(Clip a, Clip b, Clip c)
{
    Band& band = context.framebuffer.band;
    if (band.marking) {
        const Fixed corners[3] = {Snap(a), Snap(b), Snap(c)};
        for (int i = 0; i < 3; ++i) MarkEdge(band, corners[i], corners[(i + 1) % 3]);
        return;
    }
    unsigned outside[3] = {}, any = 0, all = ~0u;
    const Clip corners[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        for (int plane = 0; plane < 4; ++plane)
            if (Inside(corners[i], plane) < 0) outside[i] |= 1u << plane;
        any |= outside[i];
        all &= outside[i];
    }
    if (all) return;
    if (!any) return QueueTriangle(Snap(a), Snap(b), Snap(c), Drawable());

    Clip lists[2][3 + 4 + 1] = {{a, b, c}};
    int n = 3, in = 0;
    for (int plane = 0; plane < 4 && n >= 3; ++plane) {
        if (!(any & (1u << plane))) continue;
        const Clip* from = lists[in];
        Clip* to = lists[1 - in];
        int count = 0;
        GLfloat previousInside = Inside(from[0], plane);
        for (int i = 1; i <= n; ++i) {
            const Clip& previous = from[i - 1];
            const Clip& vertex = from[i % n];
            const GLfloat inside = Inside(vertex, plane);
            if (previousInside >= 0) to[count++] = previous;
            if ((previousInside >= 0) != (inside >= 0)) {
                // The new vertex lies on the plane: out + t (in - out), t = d_out / (d_out - d_in).
                const bool goingOut = inside < 0;
                const Clip& out = goingOut ? vertex : previous;
                const Clip& into = goingOut ? previous : vertex;
                const GLfloat dOut = goingOut ? inside : previousInside;
                const GLfloat dIn = goingOut ? previousInside : inside;
                const GLfloat t = dOut / (dOut - dIn);
                to[count++] = {out.x + t * (into.x - out.x), out.y + t * (into.y - out.y), true};
            }
            previousInside = inside;
        }
        n = count;
        in = 1 - in;
    }
    const Clip* polygon = lists[in];
    for (int i = 2; i < n; ++i) QueueTriangle(Snap(polygon[i - 1]), Snap(polygon[i]), Snap(polygon[0]), Drawable());
}

}  // namespace softgl
