// The artwork: a castle on a hill over bands of ground, washed warm, and a dragon-like
// creature in front of it. One polygon per row, grouped by part of the scene.

#include "picture/picture.h"

alignas(16) const Layer pictureLayers[LayerCount] = {
    //  R    G    B    A   blending primitive  polygons
    {255, 255, 255, 255, false,    OneQuad,   1},  // 1 white ground
    {150, 150, 150, 255, false,    Polygons,  2},  // 2 grey bands of ground
    {  0,   0,   0, 255, false,    Polygons,  2},  // 3 castle, hill and foreground, dark
    {255, 255, 255, 255, false,    Polygons,  2},  // 4 the castle's openings
    {255, 219, 163, 125, true,     OneQuad,   1},  // 5 warm wash over the background
    {  0,   0,   0, 255, false,    Polygons,  2},  // 6 the creature
    {255, 237, 212, 255, false,    Polygons,  2},  // 7 its cream markings
};

alignas(16) const Polygon picturePolygons[] = {
    // 1 ground: the whole frame
    {4, {{0, 0}, {1920, 0}, {1920, 1080}, {0, 1080}}},

    // 2 ground bands
    {3, {{1132, 901}, {1049, 832}, {1133, 833}}},
    {6, {{1668, 720}, {1670, 712}, {1681, 708}, {1682, 708}, {1686, 723}, {1679, 731}}},

    // 3 castle and hill
    {4, {{1482, 194}, {1445, 194}, {1447, 169}, {1476, 162}}},
    {3, {{1283, 581}, {1132, 871}, {1264, 585}}},

    // 4 openings
    {4, {{1282, 731}, {1297, 746}, {1303, 757}, {1287, 754}}},
    {5, {{1855, 590}, {1861, 576}, {1862, 576}, {1866, 587}, {1864, 597}}},

    // 5 wash: the whole frame
    {4, {{0, 0}, {1920, 0}, {1920, 1080}, {0, 1080}}},

    // 6 creature
    {4, {{753, 800}, {767, 815}, {746, 813}, {738, 799}}},
    {3, {{880, 549}, {382, 709}, {393, 700}}},

    // 7 markings
    {3, {{941, 600}, {940, 601}, {939, 599}}},
    {4, {{922, 596}, {900, 597}, {908, 590}, {921, 593}}},
};

const int picturePolygonCount = sizeof picturePolygons / sizeof picturePolygons[0];
