// fit_check FRAME.png SHOT.png: whether a screenshot shows the frame scaled to fit it, aspect
// kept, centred, black around, as a compositor's full-screen window or a saver's window would.
// Each screen pixel is held to the frame's average over the pixels it covers; scalers sample
// or filter differently along edges, so the verdict is on the mean difference (a misplaced,
// cropped or unscaled frame is tens of levels away) and on the border staying black. Prints
// one line; exits 0 when the frame fits, 1 otherwise.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "png_io.h"

int main(int argc, char** argv)
{
    Image frame, shot;
    if (argc != 3 || !ReadPng(argv[1], frame) || !ReadPng(argv[2], shot)) {
        std::fprintf(stderr, "usage: fit_check FRAME.png SHOT.png\n");
        return 2;
    }
    const double zoom = std::min(double(shot.width) / frame.width, double(shot.height) / frame.height);
    const int width = int(frame.width * zoom), height = int(frame.height * zoom);
    const int left = (shot.width - width) / 2, top = (shot.height - height) / 2;
    double inside = 0, border = 0;
    long borderPixels = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const std::uint8_t* shown = shot.At(x, y);
            if (x < left || x >= left + width || y < top || y >= top + height) {
                border += shown[0] + shown[1] + shown[2];
                ++borderPixels;
                continue;
            }
            // The frame's pixels under this screen pixel (at least the nearest one).
            const int x0 = int((x - left) / zoom), y0 = int((y - top) / zoom);
            const int x1 = std::max(x0 + 1, std::min(frame.width, int(std::ceil((x - left + 1) / zoom))));
            const int y1 = std::max(y0 + 1, std::min(frame.height, int(std::ceil((y - top + 1) / zoom))));
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int v = y0; v < y1; ++v)
                    for (int u = x0; u < x1; ++u) sum += frame.At(std::min(u, frame.width - 1), std::min(v, frame.height - 1))[c];
                inside += std::abs(sum / ((x1 - x0) * (y1 - y0)) - shown[c]);
            }
        }
    const double meanInside = inside / (3.0 * width * height), meanBorder = borderPixels ? border / (3.0 * borderPixels) : 0;
    const bool fits = meanInside < 6 && meanBorder < 2;
    std::printf("%s: the frame at %dx%d+%d+%d differs by %.2f levels on average, the border is %.2f from black\n",
                fits ? "fits" : "does not fit", width, height, left, top, meanInside, meanBorder);
    return fits ? 0 : 1;
}
