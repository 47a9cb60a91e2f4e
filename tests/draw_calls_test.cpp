// DrawPicture's OpenGL calls, recorded by a stand-in for the GL library: the order of the
// layer-level calls, one primitive per polygon, and the state left for the first frame.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/stages.h"
#include "gl/opengl.h"
#include "picture/picture.h"

namespace {
std::vector<std::string> calls;
std::string Call(const char* name, std::initializer_list<long> args)
{
    std::string text = name;
    const char* separator = "(";
    for (long a : args) {
        text += separator;
        text += std::to_string(a);
        separator = ",";
    }
    return text + (args.size() ? ")" : "()");
}

// The recording OpenGL: the calls DrawPicture may make; any other is left null, so that a call
// to it fails the test at once.
OpenGl Recording()
{
    OpenGl r {};
    r.Clear = [](GLbitfield mask) { calls.push_back(Call("Clear", {long(mask)})); };
    r.Enable = [](GLenum cap) { calls.push_back(Call("Enable", {long(cap)})); };
    r.Disable = [](GLenum cap) { calls.push_back(Call("Disable", {long(cap)})); };
    r.BlendFunc = [](GLenum s, GLenum d) { calls.push_back(Call("BlendFunc", {long(s), long(d)})); };
    r.Color3ub = [](GLubyte red, GLubyte g, GLubyte b) { calls.push_back(Call("Color3ub", {red, g, b})); };
    r.Color4ub = [](GLubyte red, GLubyte g, GLubyte b, GLubyte a) { calls.push_back(Call("Color4ub", {red, g, b, a})); };
    r.Begin = [](GLenum mode) { calls.push_back(Call("Begin", {long(mode)})); };
    r.End = [] { calls.push_back("End()"); };
    r.Vertex2s = [](GLshort x, GLshort y) { calls.push_back(Call("Vertex2s", {x, y})); };
    return r;
}
const OpenGl recording = Recording();
}  // namespace

const OpenGl* openGl = &recording;

namespace {

// Collapses each Begin ... End into "Begin(mode) n" with its vertex count.
std::vector<std::string> Collapsed()
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].rfind("Begin", 0) != 0) {
            out.push_back(calls[i]);
            continue;
        }
        std::size_t n = 0;
        while (calls[i + 1 + n].rfind("Vertex2s", 0) == 0) ++n;
        EXPECT_EQ(calls[i + 1 + n], "End()");
        out.push_back(calls[i] + " " + std::to_string(n));
        i += n + 1;
    }
    return out;
}

TEST(DrawPicture, IssuesTheLayersInOrder)
{
    calls.clear();
    DrawPicture();
    const auto collapsed = Collapsed();

    const std::string quad = Call("Begin", {GL_QUADS}) + " 4", polygon = Call("Begin", {GL_POLYGON});
    std::vector<std::string> expected = {Call("Clear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}),
                                         Call("Disable", {GL_BLEND}), "Color3ub(255,255,255)", quad};
    std::vector<std::string> actual;
    const Polygon* row = picturePolygons + 1;
    auto addPolygons = [&](int layer) {
        for (int i = 0; i < pictureLayers[layer].polygons; ++i, ++row)
            expected.push_back(polygon + " " + std::to_string(row->count));
    };
    expected.push_back("Color3ub(150,150,150)"), addPolygons(1);
    expected.push_back("Color3ub(0,0,0)"), addPolygons(2);
    expected.push_back("Color3ub(255,255,255)"), addPolygons(3);
    ++row;
    for (const std::string& call : {Call("BlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}),
                                    Call("Enable", {GL_BLEND}), std::string("Color4ub(255,219,163,125)"), quad,
                                    Call("Disable", {GL_BLEND})})
        expected.push_back(call);
    expected.push_back("Color3ub(0,0,0)"), addPolygons(5);
    expected.push_back("Color4ub(255,237,212,255)"), addPolygons(6);
    EXPECT_EQ(collapsed, expected);
}

TEST(DrawPicture, VerticesAreTheTableRowsInOrder)
{
    calls.clear();
    DrawPicture();
    std::vector<std::string> vertices, expected;
    for (const auto& call : calls)
        if (call.rfind("Vertex2s", 0) == 0) vertices.push_back(call);
    for (int i = 0; i < picturePolygonCount; ++i)
        for (int k = 0; k < picturePolygons[i].count; ++k)
            expected.push_back(Call("Vertex2s", {picturePolygons[i].vertex[k].x, picturePolygons[i].vertex[k].y}));
    EXPECT_EQ(vertices, expected);
    EXPECT_EQ(vertices.front(), "Vertex2s(0,0)");
    EXPECT_EQ(vertices[2], "Vertex2s(1920,1080)");
}

}  // namespace
