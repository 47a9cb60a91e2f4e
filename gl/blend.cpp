// Blending: pixels written under the blend state, in bytes as the rasteriser's blend stage
// computes them.

#include <algorithm>
#include <cstring>

#include "gl/context.h"

namespace softgl {

// a x b / 255 for bytes as the blend stage approximates it: t / 255 as (t + t / 256) / 256,
// rounded. It is round(a x b / 255) but for a few products, which come out one low.
static unsigned MultiplyBytes(unsigned a, unsigned b)
{
    const unsigned t = a * b;
    return (t + (t >> 8) + 128) >> 8;
}

// Under the blend state a source channel s turns the channel d beneath it into
// min(255, add + d x factor / 255): source alpha over what lies beneath (the wash, and the
// composite at alpha 255) adds s x a and keeps 255 - a of d; the screen blend of the grain adds
// s and keeps 255 - s of d; without blending (or with GL_ONE over GL_ZERO) s replaces d.
BlendKind Blend(bool blending, GLenum sourceFactor, GLenum destinationFactor)
{
    if (blending && sourceFactor == GL_SRC_ALPHA && destinationFactor == GL_ONE_MINUS_SRC_ALPHA) return BlendKind::Over;
    if (blending && sourceFactor == GL_ONE && destinationFactor == GL_ONE_MINUS_SRC_COLOR) return BlendKind::Screen;
    return BlendKind::Copy;
}

static std::uint8_t Blended(unsigned d, unsigned add, unsigned factor)
{
    return std::uint8_t(std::min(255u, add + MultiplyBytes(d, factor)));
}

// One source pixel over the pixel in the buffer; its alpha stays 255.
template <BlendKind kind>
static void BlendPixel(std::uint8_t* d, const std::uint8_t* s)
{
    for (int k = 0; k < 3; ++k) {
        if (kind == BlendKind::Over) d[k] = Blended(d[k], MultiplyBytes(s[k], s[3]), 255u - s[3]);
        if (kind == BlendKind::Screen) d[k] = Blended(d[k], s[k], 255u - s[k]);
        if (kind == BlendKind::Copy) d[k] = s[k];
    }
}

// Where the processor has 128-bit vectors (SSE2, NEON, WebAssembly SIMD), a run of pixels is
// blended with a paint in 16-bit lanes: t = d x factor is at most 255 x 255, and
// t + t / 256 + 128 stays below 65536. Elsewhere a table of the 256 results of each channel,
// made with the paint, is quicker.
#if defined(__SSE2__) || defined(__ARM_NEON) || defined(__wasm_simd128__)
constexpr bool Vectors = true;
#else
constexpr bool Vectors = false;
#endif
using Lanes = std::uint16_t __attribute__((vector_size(16)));
using LaneBytes = std::uint8_t __attribute__((vector_size(8)));

// Blended() on eight channels: the eight bytes at d.
[[maybe_unused]] static void BlendLanes(std::uint8_t* d, Lanes add, Lanes factor)
{
    LaneBytes in;
    std::memcpy(&in, d, 8);
    const Lanes t = __builtin_convertvector(in, Lanes) * factor;
    Lanes out = add + ((t + (t >> 8) + 128) >> 8);
    out -= (out > 255) & (out - 255);
    const LaneBytes result = __builtin_convertvector(out, LaneBytes);
    std::memcpy(d, &result, 8);
}

void MakePaint(const std::uint8_t colour[4], BlendKind kind, Paint* paint)
{
    // The colour's terms for each channel; the alpha channel comes out 255.
    using u16 = std::uint16_t;
    const std::uint8_t opaque[4] = {colour[0], colour[1], colour[2], 255};
    std::memcpy(&paint->word, opaque, 4);
    paint->kind = kind;
    for (int k = 0; k < 4; ++k) {
        paint->add[k] = opaque[k];
        paint->factor[k] = 0;
    }
    for (int k = 0; k < 3; ++k) {
        if (kind == BlendKind::Over) {
            paint->add[k] = u16(MultiplyBytes(colour[k], colour[3]));
            paint->factor[k] = u16(255 - colour[3]);
        }
        if (kind == BlendKind::Screen) paint->factor[k] = u16(255 - colour[k]);
    }
    if (!Vectors && kind != BlendKind::Copy)
        for (int k = 0; k < 3; ++k)
            for (unsigned beneath = 0; beneath < 256; ++beneath) paint->table[k][beneath] = Blended(beneath, paint->add[k], paint->factor[k]);
}

void PaintRun(Run run, const Paint& paint)
{
    if (paint.kind == BlendKind::Copy) {
        const std::uint32_t word = paint.word;
        std::fill_n(run.words, run.count, word);
        return;
    }
    std::uint8_t* bytes = Bytes(run.words);
    const std::size_t count = 4 * run.count;
    std::size_t i = 0;
    if constexpr (Vectors) {
        // Two pixels at a time.
        Lanes add = {}, factor = {};
        for (int j = 0; j < 8; ++j) {
            add[j] = paint.add[j % 4];
            factor[j] = paint.factor[j % 4];
        }
        for (; i + 8 <= count; i += 8) BlendLanes(bytes + i, add, factor);
        for (; i < count; ++i) bytes[i] = Blended(bytes[i], paint.add[i % 4], paint.factor[i % 4]);
    } else {
        for (; i < count; i += 4)
            for (int k = 0; k < 3; ++k) bytes[i + k] = paint.table[k][bytes[i + k]];
    }
}

// Source pixels over the colour buffer's rows from its origin. Two pixels at a time where the
// processor has vectors: the screen blend's terms are each channel's own (and give 255 on the
// alpha channel, 255 beneath), those of source alpha over come from the pixel's alpha (and the
// alpha channel is set).
void BlendPixels(std::uint32_t* colour, const std::uint8_t* source, int width, int height, BlendKind kind)
{
    const std::size_t w = std::size_t(std::clamp(width, 0, ScreenWidth)), h = std::size_t(std::clamp(height, 0, ScreenHeight));
    for (std::size_t y = 0; y < h; ++y) {
        std::size_t x = 0;
        std::uint8_t* d = Bytes(colour) + 4 * y * ScreenWidth;
        const std::uint8_t* s = source + 4 * y * std::size_t(width);
        if constexpr (Vectors)
            for (; x + 2 <= w && kind != BlendKind::Copy; x += 2) {
                LaneBytes in;
                std::memcpy(&in, s + 4 * x, 8);
                const Lanes lanes = __builtin_convertvector(in, Lanes);
                if (kind == BlendKind::Screen) {
                    BlendLanes(d + 4 * x, lanes, 255 - lanes);
                } else {
                    const Lanes alpha = __builtin_shufflevector(lanes, lanes, 3, 3, 3, 3, 7, 7, 7, 7);
                    const Lanes t = lanes * alpha;
                    BlendLanes(d + 4 * x, (t + (t >> 8) + 128) >> 8, 255 - alpha);
                    d[4 * x + 3] = d[4 * x + 7] = 255;
                }
            }
        for (; x < w; ++x) {
            if (kind == BlendKind::Over) BlendPixel<BlendKind::Over>(d + 4 * x, s + 4 * x);
            else if (kind == BlendKind::Screen) BlendPixel<BlendKind::Screen>(d + 4 * x, s + 4 * x);
            else BlendPixel<BlendKind::Copy>(d + 4 * x, s + 4 * x);
        }
    }
}

}  // namespace softgl
