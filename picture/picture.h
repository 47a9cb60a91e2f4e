// The picture: layers of flat-coloured polygons in design space (1920 x 1080 units, origin
// top-left, y down), drawn in order over a white ground.
#pragma once

#include <cstdint>

constexpr int DesignWidth = 1920, DesignHeight = 1080;

struct Vertex {
    std::int16_t x, y;
};

// 3 to 8 vertices, convex, positive signed area in design space (clockwise on screen).
struct Polygon {
    std::uint8_t count;
    Vertex vertex[8];
};

enum Primitive : std::uint8_t { OneQuad, Polygons };

struct Layer {
    std::uint8_t r, g, b, a;
    bool blending;            // source-alpha over what lies beneath
    Primitive primitive;
    std::uint16_t polygons;   // how many rows of picturePolygons belong to this layer
};

constexpr int LayerCount = 7;

extern const Layer pictureLayers[LayerCount];
extern const Polygon picturePolygons[];  // every layer's rows, in drawing order
extern const int picturePolygonCount;
