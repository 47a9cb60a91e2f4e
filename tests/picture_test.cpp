// The picture table's form: layers, the fixed rows, and the shape of every polygon.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "form.h"
#include "picture/picture.h"

namespace {

using Points = std::vector<std::pair<int, int>>;

Points PointsOf(const Polygon& polygon)
{
    Points points;
    for (int i = 0; i < polygon.count; ++i) points.emplace_back(polygon.vertex[i].x, polygon.vertex[i].y);
    return points;
}

// Twice the signed area, in design coordinates (y down): positive is clockwise on screen.
long TwiceArea(const Points& p)
{
    long sum = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto& [x0, y0] = p[i];
        const auto& [x1, y1] = p[(i + 1) % p.size()];
        sum += long(x0) * y1 - long(x1) * y0;
    }
    return sum;
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

TEST(PictureLayers, FullFrameQuadsAndFixedFirstAndLastPolygons)
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
}

// Counts, vertex totals, sizes and extents of each polygon layer, as the artwork script states
// them; with the two full-frame quads, every row of the table.
TEST(PictureLayers, FormOfEachPolygonLayer)
{
    const form::Form expected = form::Read();
    ASSERT_EQ(expected.layers.size(), 5u) << "picture/form.txt could not be read";
    const auto layers = RowsByLayer();
    int polygons = 0;
    for (const auto& [number, layerForm] : expected.layers) {
        form::Layer actual{0, 0, 1920, 1080, 0, 0, {}};
        for (const Polygon* row : layers[number - 1]) {
            ++actual.polygons;
            actual.vertices += row->count;
            ++actual.sizes[row->count];
            for (const auto& [x, y] : PointsOf(*row)) {
                actual.x0 = std::min(actual.x0, x), actual.y0 = std::min(actual.y0, y);
                actual.x1 = std::max(actual.x1, x), actual.y1 = std::max(actual.y1, y);
            }
        }
        EXPECT_EQ(actual.polygons, layerForm.polygons) << "layer " << number;
        EXPECT_EQ(actual.vertices, layerForm.vertices) << "layer " << number;
        EXPECT_EQ(actual.sizes, layerForm.sizes) << "layer " << number;
        EXPECT_EQ((std::vector{actual.x0, actual.y0, actual.x1, actual.y1}),
                  (std::vector{layerForm.x0, layerForm.y0, layerForm.x1, layerForm.y1})) << "layer " << number;
        polygons += actual.polygons;
    }
    EXPECT_EQ(polygons + 2, picturePolygonCount);
}

// Convex, allowing one slightly dented quad among the castle's openings.
TEST(PicturePolygons, ConvexExceptOneDentedOpening)
{
    const auto layers = RowsByLayer();
    int dented = 0;
    for (std::size_t layer = 0; layer < layers.size(); ++layer)
        for (const Polygon* row : layers[layer]) {
            const Points p = PointsOf(*row);
            bool convex = true;
            for (std::size_t i = 0; i < p.size(); ++i) {
                const auto& [ax, ay] = p[i];
                const auto& [bx, by] = p[(i + 1) % p.size()];
                const auto& [cx, cy] = p[(i + 2) % p.size()];
                convex = convex && long(bx - ax) * (cy - by) - long(by - ay) * (cx - bx) >= 0;
            }
            if (convex) continue;
            EXPECT_TRUE(layer == 3 && p.size() == 4) << "layer " << layer + 1 << " row " << row - picturePolygons;
            ++dented;
        }
    EXPECT_LE(dented, 1);
}

TEST(PicturePolygons, SizeWindingAndPlacement)
{
    for (int i = 0; i < picturePolygonCount; ++i) {
        const Points points = PointsOf(picturePolygons[i]);
        EXPECT_GE(points.size(), 3u) << "row " << i;
        EXPECT_LE(points.size(), 8u) << "row " << i;
        EXPECT_GT(TwiceArea(points), 0) << "row " << i;
        EXPECT_EQ(std::set(points.begin(), points.end()).size(), points.size()) << "row " << i << " repeats a vertex";
        for (const auto& [x, y] : points) {
            EXPECT_TRUE(x >= 0 && x <= 1920 && y >= 0 && y <= 1080) << "row " << i << " (" << x << ", " << y << ")";
        }
    }
}

}  // namespace
