// The browser's OpenGL, which computes the picture on the CPU, built natively: it must draw the
// Linux programs' pinned picture, the averaged render and the frame, bit for bit. No display.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "host/soft_gl.h"
#include "pipeline/buffers.h"
#include "pipeline/stages.h"

namespace {

const std::string suffix = std::to_string(ScreenHeight);

// SHA-256 of the pixels with the rows top first, as the pins are kept.
std::string Hash(const std::uint8_t* bottomFirst)
{
    const std::string path = testing::TempDir() + "soft_gl_pixels.rgba";
    std::ofstream out(path, std::ios::binary);
    for (int y = ScreenHeight - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(bottomFirst + 4 * ScreenWidth * y), 4 * ScreenWidth);
    out.close();
    std::string hash(64, '?');
    if (FILE* sum = popen(("sha256sum " + path).c_str(), "r")) {
        if (std::fread(hash.data(), 1, hash.size(), sum) != hash.size()) hash = "unreadable";
        pclose(sum);
    }
    return hash;
}

std::string Pinned(const std::string& name)
{
    std::ifstream pins(VELLUM_SOURCE_DIR "/tests/picture.sha256");
    for (std::string line, hash, label; std::getline(pins, line);)
        if (std::istringstream(line) >> hash >> label && label == name) return hash;
    return "no pinned hash for " + name;
}

TEST(SoftGl, DrawsThePinnedPicture)
{
    RenderStill();
    PresentFrame();
    EXPECT_EQ(Hash(renderImage), Pinned("render-" + suffix));
    EXPECT_EQ(Hash(SoftGlPixels()), Pinned("frame-" + suffix));
}

}  // namespace
