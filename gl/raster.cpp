// Rasterising: the pixels whose centres a triangle of snapped window positions covers, found
// with exact integer edge functions, a row's run at a time. A triangle is set up once, on the
// thread that takes the calls, and then filled by each thread on its own stripe of rows.

#include <algorithm>

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

bool SetUpTriangle(Fixed v0, Fixed v1, Fixed v2, Box box, Triangle* triangle)
{
    long long area = (v0.x - v1.x) * (v2.y - v0.y) - (v2.x - v0.x) * (v0.y - v1.y);
    if (area == 0 || box.x0 >= box.x1) return false;
    if (area < 0) std::swap(v0, v1);
    const Fixed v[3] = {v0, v1, v2};

    // Rows here count down from the top; the box's count up.
    const long long yLow = std::min({v0.y, v1.y, v2.y}), yHigh = std::max({v0.y, v1.y, v2.y});
    long long firstRow = std::max<long long>(ScreenHeight - box.y1, -FloorDivide(-yLow, SubPixel));
    long long lastRow = std::min<long long>(ScreenHeight - 1 - box.y0, FloorDivide(yHigh, SubPixel));

    // Edge i runs from v[i] to v[i + 1]; E(p) = dy (x_i - p.x) - dx (y_i - p.y) is positive
    // inside. A centre on the edge (E = 0) is inside for left edges (dy < 0, the inside
    // towards larger x) and bottom edges (dy = 0, dx < 0, the inside above), so that a pixel
    // on an edge shared by two triangles is drawn once.
    //
    // So E at column X of row r, k(r) - dy x 256 X with k(r) = dy x_i - dx (y_i - 256 r) less
    // the edge's least value (1 where E = 0 is outside), must be at least 0. For a horizontal
    // edge (dy = 0) that holds on whole rows or none: it bounds the rows. Otherwise, with
    // s = |dy| x 256, it bounds the columns: up to floor(k(r) / s) where dy > 0, from
    // -floor(k(r) / s) where dy < 0. From one row to the next k grows by dx x 256, so
    // floor(k / s) is stepped exactly with its remainder instead of divided anew.
    triangle->edgeCount = 0;
    for (int i = 0; i < 3; ++i) {
        const Fixed& a = v[i];
        const Fixed& b = v[(i + 1) % 3];
        const long long dy = a.y - b.y, dx = a.x - b.x;
        const long long least = dy < 0 || (dy == 0 && dx < 0) ? 0 : 1;
        const long long constant = dy * a.x - dx * a.y - least, growth = dx * SubPixel;
        if (dy == 0) {
            // k(r) >= 0: from the first row where it becomes so, or up to the last.
            if (growth > 0) firstRow = std::max(firstRow, -FloorDivide(constant, growth));
            else lastRow = std::min(lastRow, FloorDivide(constant, -growth));
            continue;
        }
        const long long divisor = std::abs(dy) * SubPixel, stepQuotient = FloorDivide(growth, divisor);
        triangle->edges[triangle->edgeCount++] = {constant, growth, divisor, stepQuotient, growth - stepQuotient * divisor, dy > 0};
    }
    if (firstRow > lastRow) return false;
    triangle->firstRow = int(firstRow);
    triangle->lastRow = int(lastRow);
    triangle->firstColumn = box.x0;
    triangle->lastColumn = box.x1 - 1;
    return true;
}

// One edge's bound from a row on, stepped a row at a time.
struct Bound {
    long long quotient, remainder, divisor, stepQuotient, stepRemainder;

    void Start(const Edge& edge, long long row)
    {
        const long long k = edge.constant + edge.growth * row;
        divisor = edge.divisor;
        quotient = FloorDivide(k, divisor);
        remainder = k - quotient * divisor;
        stepQuotient = edge.stepQuotient;
        stepRemainder = edge.stepRemainder;
    }
    long long Next()
    {
        const long long now = quotient;
        remainder += stepRemainder;
        const long long carry = remainder >= divisor;
        remainder -= carry * divisor;
        quotient += stepQuotient + carry;
        return now;
    }
};

// The fill, compiled twice: a row's run in the band is found by counting bits, which the x86-64
// baseline does in a library call, and the processors of the last fifteen years in one
// instruction.
[[gnu::always_inline]] inline void FillRows(const Triangle& triangle, const Paint& paint, Stripe stripe, Framebuffer& framebuffer)
{
    const int firstRow = std::max(triangle.firstRow, ScreenHeight - stripe.y1);
    const int lastRow = std::min(triangle.lastRow, ScreenHeight - 1 - stripe.y0);
    if (firstRow > lastRow) return;
    // The bounds of the right edges (dy > 0) and the negated bounds of the left ones.
    Bound rights[2], lefts[2];
    int rightCount = 0, leftCount = 0;
    for (int i = 0; i < triangle.edgeCount; ++i) {
        const Edge& edge = triangle.edges[i];
        (edge.right ? rights[rightCount++] : lefts[leftCount++]).Start(edge, firstRow);
    }
    // Held here, where no pixel written can alias them.
    const long long firstColumn = triangle.firstColumn, lastColumn = triangle.lastColumn;
    const bool copy = paint.kind == BlendKind::Copy;
    const std::uint32_t word = paint.word;
    for (int row = firstRow; row <= lastRow; ++row) {
        long long left = firstColumn, right = lastColumn;
        for (int i = 0; i < rightCount; ++i) right = std::min(right, rights[i].Next());
        for (int i = 0; i < leftCount; ++i) left = std::max(left, -lefts[i].Next());
        if (left > right) continue;
        const Run run = RowRun(framebuffer, ScreenHeight - 1 - row, left, right);
        if (copy) std::fill_n(run.words, run.count, word);
        else PaintRun(run, paint);
    }
}

#if (defined(__x86_64__) || defined(__i386__)) && !defined(__POPCNT__)
[[gnu::target("popcnt")]] static void FillWithPopcnt(const Triangle& triangle, const Paint& paint, Stripe stripe,
                                                     Framebuffer& framebuffer)
{
    FillRows(triangle, paint, stripe, framebuffer);
}
#endif

void Fill(const Triangle& triangle, const Paint& paint, Stripe stripe, Framebuffer& framebuffer)
{
#if (defined(__x86_64__) || defined(__i386__)) && !defined(__POPCNT__)
    // The processor model the runtime filled in at start-up: a load and a test.
    if (__builtin_cpu_supports("popcnt")) return FillWithPopcnt(triangle, paint, stripe, framebuffer);
#endif
    FillRows(triangle, paint, stripe, framebuffer);
}

}  // namespace softgl
