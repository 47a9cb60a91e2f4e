// Rasterising: the pixels whose centres a triangle of snapped window positions covers, found
// with exact integer edge functions, a row's run at a time.

#include <algorithm>
#include <cstring>

#include "gl/context.h"

namespace softgl {

// floor(a / b) for b > 0 and |a| < 2^53: the quotient of the doubles (each exact) cut to a
// whole number, which can be one off, then set right exactly. Far cheaper than a 64-bit
// integer division, here and in WebAssembly.
long long FloorDivide(long long a, long long b)
{
    long long q = (long long)(double(a) / double(b));
    while (q * b > a) --q;
    while ((q + 1) * b <= a) ++q;
    return q;
}

// Fills one triangle of snapped window positions with the current colour.
void Fill(Fixed v0, Fixed v1, Fixed v2)
{
    long long area = (v0.x - v1.x) * (v2.y - v0.y) - (v2.x - v0.x) * (v0.y - v1.y);
    if (area == 0) return;
    if (area < 0) std::swap(v0, v1);
    const Fixed v[3] = {v0, v1, v2};

    // Edge i runs from v[i] to v[i + 1]; E(p) = dy (x_i - p.x) - dx (y_i - p.y) is positive
    // inside. A centre on the edge (E = 0) is inside for left edges (dy < 0, the inside
    // towards larger x) and bottom edges (dy = 0, dx < 0, the inside above), so that a pixel
    // on an edge shared by two triangles is drawn once.
    long long dy[3], dx[3], least[3];
    for (int i = 0; i < 3; ++i) {
        const Fixed& a = v[i];
        const Fixed& b = v[(i + 1) % 3];
        dy[i] = a.y - b.y;
        dx[i] = a.x - b.x;
        least[i] = dy[i] < 0 || (dy[i] == 0 && dx[i] < 0) ? 0 : 1;
    }

    std::uint32_t opaque;
    const std::uint8_t bytes[4] = {context.current[0], context.current[1], context.current[2], 255};
    std::memcpy(&opaque, bytes, 4);

    // Rows here count down from the top; the box's count up.
    const Box box = Drawable();
    const long long yLow = std::min({v0.y, v1.y, v2.y}), yHigh = std::max({v0.y, v1.y, v2.y});
    const int firstRow = int(std::max<long long>(ScreenHeight - box.y1, -FloorDivide(-yLow, SubPixel)));
    const int lastRow = int(std::min<long long>(ScreenHeight - 1 - box.y0, FloorDivide(yHigh, SubPixel)));

    // E at column X of a row is k - dy x 256 X, and must be at least least[i]. For a
    // horizontal edge (dy = 0) that holds on whole rows or none, and k grows by dx x 256 a row:
    // it bounds the rows. Otherwise, with s = |dy| x 256, it bounds the columns: up to
    // floor(k / s) where dy > 0, from -floor(k / s) where dy < 0; from one row to the next k
    // grows by dx x 256 too, so floor(k / s) is stepped exactly with its remainder instead of
    // divided anew.
    const auto kAt = [&](int i, long long row) { return dy[i] * v[i].x - dx[i] * (v[i].y - row * SubPixel) - least[i]; };
    long long rowLow = firstRow, rowHigh = lastRow;
    for (int i = 0; i < 3; ++i) {
        if (dy[i] != 0) continue;
        const long long growth = dx[i] * SubPixel, k = kAt(i, firstRow);
        if (growth > 0) rowLow = std::max(rowLow, firstRow - FloorDivide(k, growth));
        else rowHigh = std::min(rowHigh, firstRow + FloorDivide(k, -growth));
    }
    struct Bound {
        long long quotient, remainder, s, stepQuotient, stepRemainder;
        long long Next()
        {
            const long long now = quotient;
            remainder += stepRemainder;
            const long long carry = remainder >= s;
            remainder -= carry * s;
            quotient += stepQuotient + carry;
            return now;
        }
    } rights[2], lefts[2];
    int rightCount = 0, leftCount = 0;
    for (int i = 0; i < 3; ++i) {
        if (dy[i] == 0) continue;
        Bound b;
        b.s = std::abs(dy[i]) * SubPixel;
        const long long k = kAt(i, rowLow);
        b.quotient = FloorDivide(k, b.s);
        b.remainder = k - b.quotient * b.s;
        b.stepQuotient = FloorDivide(dx[i] * SubPixel, b.s);
        b.stepRemainder = dx[i] * SubPixel - b.stepQuotient * b.s;
        if (dy[i] > 0) rights[rightCount++] = b;
        else lefts[leftCount++] = b;
    }
    for (long long row = rowLow; row <= rowHigh; ++row) {
        long long left = box.x0, right = box.x1 - 1;
        for (int i = 0; i < rightCount; ++i) right = std::min(right, rights[i].Next());
        for (int i = 0; i < leftCount; ++i) left = std::max(left, -lefts[i].Next());
        if (left > right) continue;
        const Run run = RowRun(ScreenHeight - 1 - int(row), left, right);
        if (!context.blending) std::fill_n(run.words, run.count, opaque);
        else BlendRun(reinterpret_cast<std::uint8_t*>(run.words), run.count);
    }
}

}  // namespace softgl
