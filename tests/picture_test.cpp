// The picture table against the numbers the design fixes: the full-frame quads, the given
// first and last rows of each polygon layer, and the totals. (tools/artwork.py --check holds
// every other row to the picture's form: sizes, extents, winding, convexity.)

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "picture/picture.h"

namespace {

using Points = std::vector<std::pair<int, int>>;

Points PointsOf(const Polygon& polygon)
{
    Points points;
    for (int i = 0; i < polygon.count; ++i) points.emplace_back(polygon.vertex[i].x, polygon.vertex[i].y);
    return points;
}

// The rows of each layer, in drawing order.
std::vector<std::vector<const Polygon*>> RowsByLayer()
{
    std::vector<std::vector<const Polygon*>> layers;
    const Polygon* row = picturePolygons;
    for (const Layer& layer : pictureLayers) {
        layers.emplace_back();
        for (int i = 0; i < layer.polygons; ++i) layers.back().push_back(row++);
    }
    EXPECT_EQ(row, picturePolygons + picturePolygonCount);
    return layers;
}

TEST(PictureLayers, FullFrameQuadsFixedRowsAndTotals)
{
    const auto layers = RowsByLayer();
    const Points frame = {{0, 0}, {1920, 0}, {1920, 1080}, {0, 1080}};
    for (int i : {0, 4}) {
        ASSERT_EQ(layers[i].size(), 1u);
        EXPECT_EQ(PointsOf(*layers[i][0]), frame);
    }
    const std::pair<Points, Points> fixed[] = {
        {{{1132, 901}, {1049, 832}, {1133, 833}},
         {{1668, 720}, {1670, 712}, {1681, 708}, {1682, 708}, {1686, 723}, {1679, 731}}},
        {{{1482, 194}, {1445, 194}, {1447, 169}, {1476, 162}}, {{1283, 581}, {1132, 871}, {1264, 585}}},
        {{{1282, 731}, {1297, 746}, {1303, 757}, {1287, 754}},
         {{1855, 590}, {1861, 576}, {1862, 576}, {1866, 587}, {1864, 597}}},
        {{{753, 800}, {767, 815}, {746, 813}, {738, 799}}, {{880, 549}, {382, 709}, {393, 700}}},
        {{{941, 600}, {940, 601}, {939, 599}}, {{922, 596}, {900, 597}, {908, 590}, {921, 593}}},
    };
    const int polygonLayers[] = {1, 2, 3, 5, 6};
    for (int k = 0; k < 5; ++k) {
        const auto& rows = layers[polygonLayers[k]];
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(PointsOf(*rows.front()), fixed[k].first) << "layer " << polygonLayers[k] + 1;
        EXPECT_EQ(PointsOf(*rows.back()), fixed[k].second) << "layer " << polygonLayers[k] + 1;
    }
    // 252 polygons of 1074 vertices, and the two quads.
    const std::vector<std::size_t> counts = {1, 9, 42, 77, 1, 90, 34};
    int vertices = 0;
    for (std::size_t i = 0; i < layers.size(); ++i) EXPECT_EQ(layers[i].size(), counts[i]) << "layer " << i + 1;
    for (int i = 0; i < picturePolygonCount; ++i) vertices += picturePolygons[i].count;
    EXPECT_EQ(vertices, 1082);
}

}  // namespace
