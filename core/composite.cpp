// The soft-light composite of the rendered image with the vignette mask.
//
// On normalised values (x / 255) the blend is a' * (a' + 2c' * (1 - a')): a mask near 127.5
// leaves a channel as it is, brighter masks lighten and darker ones darken. It is defined in
// double arithmetic rounded to float at three fixed points, and those roundings decide the
// result of some pairs (a = 187 under c = 240 gives 231, not the 230 of pure double
// arithmetic).

#include "core/buffers.h"
#include "core/numerics.h"

// With those roundings the blend lands, for all 65536 pairs, exactly on the rational
//     floor(a * (255a + 2c(255 - a)) / 255^2)  =  floor((a^2 + floor(2abc / 255)) / 255),
// with b = 255 - a, and both divisions by 255 fit 16-bit arithmetic:
//  - 2abc / 255 is at most one below 2ab * 257c / 2^16 (257c = c * 65535/255, the byte
//    repeated), and the remainder 2abc - 255e, exact modulo 2^16, tells whether it is;
//  - s / 255 for any 16-bit s is s * 0x8081 >> 23.
// Alpha lanes are computed like the others and then set to 255.

void ComposeFramePlain()
{
    using u16 = std::uint16_t;
    static_assert(4 * ScreenPixels % 32 == 0);
    alignas(32) static const std::uint8_t alpha[32] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255,
                                                       0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    const std::uint8_t* __restrict render = renderImage;
    const std::uint8_t* __restrict mask = vignetteMask;
    std::uint8_t* __restrict out = compositeImage;
    // Fixed blocks of 32 bytes let the compiler vectorise the loop with the alpha pattern.
    for (int block = 0; block < 4 * ScreenPixels; block += 32) {
        for (int j = 0; j < 32; ++j) {
            const u16 a = render[block + j], c = mask[block + j];
            const u16 twoAB = u16(2 * a * (255 - a));
            const u16 estimate = u16(unsigned(twoAB) * u16(c << 8 | c) >> 16);
            const u16 remainder = u16(u16(twoAB * c) - u16(estimate * 255));
            const u16 s = u16(a * a + estimate + u16(u16(remainder + 1) >> 8));
            out[block + j] = std::uint8_t(u16(unsigned(s) * 0x8081u >> 16) >> 7) | alpha[j];
        }
    }
}

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

// The same arithmetic on 16 channels of 16 bits; c257 is the mask byte repeated.
[[gnu::target("avx2")]] static inline __m256i SoftLight16(__m256i a, __m256i c, __m256i c257)
{
    const __m256i twoAB = _mm256_mullo_epi16(_mm256_add_epi16(a, a), _mm256_sub_epi16(_mm256_set1_epi16(255), a));
    const __m256i estimate = _mm256_mulhi_epu16(twoAB, c257);
    const __m256i remainder = _mm256_sub_epi16(_mm256_mullo_epi16(twoAB, c),
                                               _mm256_sub_epi16(_mm256_slli_epi16(estimate, 8), estimate));
    const __m256i s = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, a), estimate),
                                       _mm256_srli_epi16(_mm256_add_epi16(remainder, _mm256_set1_epi16(1)), 8));
    return _mm256_srli_epi16(_mm256_mulhi_epu16(s, _mm256_set1_epi16(short(0x8081))), 7);
}

[[gnu::target("avx2")]] static void ComposeFrameAvx2()
{
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u)), zero = _mm256_setzero_si256();
    for (int i = 0; i < 4 * ScreenPixels; i += 32) {
        const __m256i r = _mm256_load_si256(reinterpret_cast<const __m256i*>(renderImage + i));
        const __m256i m = _mm256_load_si256(reinterpret_cast<const __m256i*>(vignetteMask + i));
        const __m256i low = SoftLight16(_mm256_unpacklo_epi8(r, zero), _mm256_unpacklo_epi8(m, zero),
                                        _mm256_unpacklo_epi8(m, m));
        const __m256i high = SoftLight16(_mm256_unpackhi_epi8(r, zero), _mm256_unpackhi_epi8(m, zero),
                                         _mm256_unpackhi_epi8(m, m));
        // Both unpacks and the pack work within 128-bit halves, so the byte order comes back.
        _mm256_store_si256(reinterpret_cast<__m256i*>(compositeImage + i),
                           _mm256_or_si256(_mm256_packus_epi16(low, high), alpha));
    }
}
#endif

void ComposeFrame()
{
#if defined(__x86_64__) || defined(__i386__)
    // Reads the processor model that the runtime filled in at start-up: a load and a test,
    // and no function-local static, whose thread-safe guard would pull in a threads library.
    if (__builtin_cpu_supports("avx2")) return ComposeFrameAvx2();
#endif
    ComposeFramePlain();
}
