// Writes a PNG's RGBA bytes, top row first, to stdout: `png_pixels x.png | sha256sum` gives
// the hash that tests/picture.sha256 pins.
#include <cstdio>

#include "png_io.h"

int main(int argc, char** argv)
{
    Image image;
    if (argc != 2 || !ReadPng(argv[1], image)) {
        std::fprintf(stderr, "usage: png_pixels IMAGE.png (an 8-bit PNG)\n");
        return 1;
    }
    return std::fwrite(image.rgba.data(), 1, image.rgba.size(), stdout) == image.rgba.size() ? 0 : 1;
}
