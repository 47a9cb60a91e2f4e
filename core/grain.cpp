// The film grain: a table of small values along a one-sided bell curve with a large extra
// weight on zero, sampled independently for every channel of every drawn pixel.

#include <cstring>

#include "core/buffers.h"
#include "core/numerics.h"
#include "core/stages.h"

alignas(64) std::uint8_t grainTable[GrainTableSize];

float PowerByMultiply(float x, int n)
{
    float r = x;
    for (int i = 1; i < n; ++i) r = float(r * x);
    return r;
}

float Factorial(int n)
{
    return n == 0 ? 1.0f : float(Factorial(n - 1) * n);
}

void BuildGrainTable()
{
    const float f2 = Factorial(2), f3 = Factorial(3), f4 = Factorial(4), f5 = Factorial(5);
    int pos = 0;
    for (int i = 0; i < 100; ++i) {
        // Taylor polynomial of e^(-i^2 / 1200) to the fifth power, in double between the
        // float roundings; one table unit is the float nearest 0.004895289.
        const float x = float(double(float(i)) * float(i) / -1200);
        double s = PowerByMultiply(x, 2) / f2 + (1.0 + x);
        s = s + PowerByMultiply(x, 3) / f3;
        s = s + PowerByMultiply(x, 4) / f4;
        const float polynomial = float(s + PowerByMultiply(x, 5) / f5);
        float count = float(polynomial / double(0.004895289f));
        if (i == 0) count = 6493;  // zero gets a heavy extra weight: most channels stay unlit
        const int n = int(count);
        if (n >= 1) {
            std::memset(grainTable + pos, i, n);
            pos += n;
        }
    }
}

// n steps of the generator as one affine map x -> mul * x + add (mod 2^32), by squaring.
static void AdvanceRandom(std::uint64_t n)
{
    std::uint32_t mul = 1103515245u, add = 12345u, totalMul = 1, totalAdd = 0;
    for (; n; n >>= 1) {
        if (n & 1) {
            totalMul *= mul;
            totalAdd = totalAdd * mul + add;
        }
        add = (mul + 1) * add;
        mul *= mul;
    }
    RandomState = totalMul * RandomState + totalAdd;
}

void BuildGrain()
{
    BuildGrainTable();

    // Only the drawn pixels are filled. Their three draws per pixel come from three chains,
    // one per channel, each stepping three draws at a time, so the steps do not wait on each
    // other. Afterwards the generator jumps to where filling the whole capacity leaves it.
    const std::uint32_t mul3 = 1103515245u * 1103515245u * 1103515245u;
    const std::uint32_t add3 = (1103515245u * 1103515245u + 1103515245u + 1) * 12345u;
    const std::uint32_t start = RandomState;
    std::uint32_t r = start * 1103515245u + 12345u;
    std::uint32_t g = r * 1103515245u + 12345u;
    std::uint32_t b = g * 1103515245u + 12345u;
    std::uint8_t* out = grainImage;
    for (int i = 0; i < ScreenPixels; ++i, out += 4) {
        out[0] = grainTable[(r >> 16) % GrainDrawModulus];
        out[1] = grainTable[(g >> 16) % GrainDrawModulus];
        out[2] = grainTable[(b >> 16) % GrainDrawModulus];
        out[3] = 255;
        r = r * mul3 + add3;
        g = g * mul3 + add3;
        b = b * mul3 + add3;
    }
    RandomState = start;
    AdvanceRandom(3ull * BufferPixels);
}
