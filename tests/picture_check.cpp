// picture_check_SUFFIX STAGE IMAGE.png: whether a PNG of one stage of this resolution's picture
// (frame, render, composite, grain or vignette) is the pinned one, or one that another OpenGL
// may draw. Prints one line and exits 0 when the image is the pinned picture ("exact"), or
// when only its edges differ from the CPU OpenGL's render of the same stage, computed here
// (see edges.h); exits 1 otherwise. With VELLUM_REQUIRE_PINNED=1 only the pinned picture
// passes. The grain and the mask are computed on the CPU everywhere, so they must be exact.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/buffers.h"
#include "core/stages.h"
#include "edges.h"
#include "gl/soft_gl.h"
#include "pins.h"
#include "png_io.h"

int main(int argc, char** argv)
{
    const std::string stage = argc == 3 ? argv[1] : "";
    const std::string name = stage + "-" + std::to_string(ScreenHeight);
    Image shown;
    if (argc != 3 || !ReadPng(argv[2], shown) || shown.width != ScreenWidth || shown.height != ScreenHeight) {
        std::fprintf(stderr, "usage: picture_check STAGE IMAGE.png (a %d x %d PNG)\n", ScreenWidth, ScreenHeight);
        return 2;
    }
    const std::string hash = harness::Sha256(shown.rgba.data(), shown.rgba.size());
    if (hash == harness::PinnedHash(name)) {
        std::printf("exact: the pinned %s\n", name.c_str());
        return 0;
    }
    const char* require = std::getenv("VELLUM_REQUIRE_PINNED");
    if ((require && std::strcmp(require, "1") == 0) || stage == "grain" || stage == "vignette") {
        std::printf("the %s is not the pinned one (SHA-256 %s)%s\n", name.c_str(), hash.c_str(),
                    stage == "grain" || stage == "vignette" ? "" : ", and VELLUM_REQUIRE_PINNED=1 asks for it");
        return 1;
    }

    openGl = &softGl;
    RenderStill();
    PresentFrame();
    const std::uint8_t* reference = stage == "frame"       ? SoftGlPixels()
                                    : stage == "render"    ? renderImage
                                    : stage == "composite" ? compositeImage
                                                           : nullptr;
    if (!reference) {
        std::fprintf(stderr, "picture_check: no stage %s\n", stage.c_str());
        return 2;
    }
    // The reference and its render, top row first as the PNG is.
    std::vector<std::uint8_t> expected, render;
    for (int y = 0; y < ScreenHeight; ++y) {
        expected.insert(expected.end(), ScreenRow(reference, y), ScreenRow(reference, y) + 4 * ScreenWidth);
        render.insert(render.end(), ScreenRow(renderImage, y), ScreenRow(renderImage, y) + 4 * ScreenWidth);
    }
    const edges::Verdict v = edges::Compare(shown.rgba.data(), expected.data(), render.data(), ScreenWidth, ScreenHeight);
    if (v.edgesOnly) {
        std::printf("not the pinned picture: %ld of %d pixels differ, at most %d: this OpenGL places edges differently\n",
                    v.differing, ScreenPixels, v.most);
        return 0;
    }
    std::printf("the %s differs from the CPU OpenGL's beyond what rasterisers differ by: %ld of %d pixels, at most %d "
                "apart; %ld away from edges, at most %d apart\n",
                name.c_str(), v.differing, ScreenPixels, v.most, v.offEdge, v.mostOffEdge);
    return 1;
}
