// How a picture drawn by another OpenGL may differ from the reference.
//
// The pinned picture is what Mesa's llvmpipe draws on x86-64 with FMA, and what the CPU's
// OpenGL computes on any processor. Other rasterisers place an edge a fraction of a pixel
// differently (another snapping, no fused multiply-add in the viewport), which over 255
// shifted passes moves the pixels along edges by a few levels, and they may round the wash's
// blend the other way, one level over a whole tone (two after the soft light). Measured at
// 1280 x 720 against the reference: llvmpipe without FMA moves 12 pixels by 1; Mesa's softpipe
// 4.3% by at most 3, most of them the grey bands under the wash by 1 in green; a browser's
// WebGL under 1% by at most 13. So another OpenGL's picture passes when at most 8% of its
// pixels differ, none by more than 16 along edges (within two pixels of a pixel that some
// neighbour differs from in the reference render) and none by more than 2 elsewhere. A
// rounding fault over a wide flat area (the sky is over half the picture) fails.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace edges {

constexpr double MostShare = 0.08;
constexpr int MostLevels = 16;
constexpr int MostOffEdge = 2;
constexpr int Reach = 2;  // pixels from an edge

struct Verdict {
    bool edgesOnly;   // within the bounds above: what another OpenGL may draw
    long differing;   // pixels with any channel apart
    int most;         // the largest difference of a channel
    long offEdge;     // differing pixels farther than Reach from every edge
    int mostOffEdge;  // the largest difference among those
};

// shown and reference: RGBA, width x height, in one row order; render: the reference render in
// the same order, whose edges are where differences may lie.
inline Verdict Compare(const std::uint8_t* shown, const std::uint8_t* reference, const std::uint8_t* render,
                       int width, int height)
{
    const auto at = [&](const std::uint8_t* image, int x, int y) { return image + 4 * (std::size_t(y) * width + x); };
    const auto same = [](const std::uint8_t* a, const std::uint8_t* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; };
    // The edge pixels, then every pixel within Reach of one.
    std::vector<std::uint8_t> edge(std::size_t(width) * height), near(edge.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < width && ny < height && !same(at(render, x, y), at(render, nx, ny)))
                        edge[std::size_t(y) * width + x] = 1;
                }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!edge[std::size_t(y) * width + x]) continue;
            for (int ny = std::max(0, y - Reach); ny <= std::min(height - 1, y + Reach); ++ny)
                for (int nx = std::max(0, x - Reach); nx <= std::min(width - 1, x + Reach); ++nx)
                    near[std::size_t(ny) * width + nx] = 1;
        }
    Verdict verdict{false, 0, 0, 0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int most = 0;
            for (int k = 0; k < 3; ++k) most = std::max(most, std::abs(at(shown, x, y)[k] - at(reference, x, y)[k]));
            if (most == 0) continue;
            ++verdict.differing;
            verdict.most = std::max(verdict.most, most);
            if (near[std::size_t(y) * width + x]) continue;
            ++verdict.offEdge;
            verdict.mostOffEdge = std::max(verdict.mostOffEdge, most);
        }
    verdict.edgesOnly = verdict.differing <= MostShare * width * height && verdict.most <= MostLevels &&
                        verdict.mostOffEdge <= MostOffEdge;
    return verdict;
}

}  // namespace edges
