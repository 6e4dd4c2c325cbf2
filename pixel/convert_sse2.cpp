// SSE2 forms of the converters. Blocks are loaded whole before any of their
// outputs is stored, and the outputs of a block never reach the input of a
// later block, so dst == src still converts in place. The last count % block
// pixels go through the scalar forms.
#include <emmintrin.h>

#include "pixel/convert.h"
#include "pixel/convert_lanes_sse2.h"

namespace vc15::sse2 {

namespace {

inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
inline __m128i Splat16(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
inline __m128i Splat32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }

// Packs two vectors of 32-bit lanes holding 0..0xFFFF into eight 16-bit
// lanes. SSE2 only has the signed-saturating pack, so the values are moved
// into its range and back.
inline __m128i PackU32(__m128i a, __m128i b) {
    const __m128i bias32 = Splat32(0x8000);
    const __m128i p = _mm_packs_epi32(_mm_sub_epi32(a, bias32), _mm_sub_epi32(b, bias32));
    return _mm_xor_si128(p, Splat16(0x8000));
}

// Spreads the four 3-byte pixels at bytes 0..11 of v into the four 32-bit
// lanes (byte 0 of the pixel at bits 0-7; bits 24-31 hold a byte of the next
// pixel, which the field extraction ignores).
inline __m128i SpreadRgb888(__m128i v) {
    // Upper half: pixels 2 and 3 moved to start at byte 8.
    const __m128i t = _mm_castpd_si128(_mm_move_sd(_mm_castsi128_pd(_mm_slli_si128(v, 2)), _mm_castsi128_pd(v)));
    // Odd lanes: the second pixel of each half moved up by one byte.
    const __m128i u = _mm_slli_epi64(t, 8);
    // Lanes t0, t2, u1, u3 (pixels 0, 2, 1, 3), then back into pixel order.
    const __m128i m =
        _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(t), _mm_castsi128_ps(u), _MM_SHUFFLE(3, 1, 2, 0)));
    return _mm_shuffle_epi32(m, _MM_SHUFFLE(3, 1, 2, 0));
}

inline __m128i Rgb888Lanes555(__m128i x) {
    const __m128i r = _mm_and_si128(_mm_slli_epi32(x, 7), Splat32(0x7C00));
    const __m128i g = _mm_and_si128(_mm_srli_epi32(x, 6), Splat32(0x03E0));
    const __m128i b = _mm_and_si128(_mm_srli_epi32(x, 19), Splat32(0x001F));
    return _mm_or_si128(_mm_or_si128(r, g), b);
}

inline __m128i Rgb888Lanes565(__m128i x) {
    const __m128i r = _mm_and_si128(_mm_slli_epi32(x, 8), Splat32(0xF800));
    const __m128i g = _mm_and_si128(_mm_srli_epi32(x, 5), Splat32(0x07E0));
    const __m128i b = _mm_and_si128(_mm_srli_epi32(x, 19), Splat32(0x001F));
    return _mm_or_si128(_mm_or_si128(r, g), b);
}

}  // namespace

void Rgb555ToRgb565(uint16_t* dst, const uint16_t* src, int32_t count) {
    const __m128i high = Splat16(0xFFE0), low = Splat16(0x001F);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i a = Load(src + i), b = Load(src + i + 8);
        Store(dst + i, _mm_or_si128(_mm_slli_epi16(_mm_and_si128(a, high), 1), _mm_and_si128(a, low)));
        Store(dst + i + 8, _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b, high), 1), _mm_and_si128(b, low)));
    }
    scalar::Rgb555ToRgb565(dst + i, src + i, count - i);
}

void Rgb565ToRgb555(uint16_t* dst, const uint16_t* src, int32_t count) {
    const __m128i high = Splat16(0x7FE0), low = Splat16(0x001F);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i a = Load(src + i), b = Load(src + i + 8);
        Store(dst + i, _mm_or_si128(_mm_and_si128(_mm_srli_epi16(a, 1), high), _mm_and_si128(a, low)));
        Store(dst + i + 8, _mm_or_si128(_mm_and_si128(_mm_srli_epi16(b, 1), high), _mm_and_si128(b, low)));
    }
    scalar::Rgb565ToRgb555(dst + i, src + i, count - i);
}

// Eight pixels (24 bytes) per step: bytes 0..15 and 8..23, so nothing past
// the last pixel is read.
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* p = src + 3 * static_cast<intptr_t>(i);
        const __m128i lo = SpreadRgb888(Load(p));
        const __m128i hi = SpreadRgb888(_mm_srli_si128(Load(p + 8), 4));
        Store(dst + i, PackU32(Rgb888Lanes565(lo), Rgb888Lanes565(hi)));
    }
    scalar::Rgb888ToRgb565(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* p = src + 3 * static_cast<intptr_t>(i);
        const __m128i lo = SpreadRgb888(Load(p));
        const __m128i hi = SpreadRgb888(_mm_srli_si128(Load(p + 8), 4));
        // Results are at most 0x7FFF: the signed pack keeps them.
        Store(dst + i, _mm_packs_epi32(Rgb888Lanes555(lo), Rgb888Lanes555(hi)));
    }
    scalar::Rgb888ToRgb555(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

namespace {

// Eight 4-byte pixels (two registers of 32-bit lanes) split into 16-bit
// lanes of (byte 0 | byte 1 << 8) and (byte 2 | byte 3 << 8). The arithmetic
// shifts keep every value in the signed range, so the packs are exact.
inline void Split8888(__m128i a, __m128i b, __m128i& lo, __m128i& hi) {
    lo = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
    hi = _mm_packs_epi32(_mm_srai_epi32(a, 16), _mm_srai_epi32(b, 16));
}

}  // namespace

void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    const __m128i red = Splat16(0x7C00), green = Splat16(0x03E0), blue = Splat16(0x001F), flag = Splat16(0x8000);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* p = src + 4 * static_cast<intptr_t>(i);
        __m128i lo, hi;
        Split8888(Load(p), Load(p + 16), lo, hi);
        const __m128i r = _mm_and_si128(_mm_slli_epi16(lo, 10), red);   // low 5 bits of byte 0
        const __m128i g = _mm_and_si128(_mm_srli_epi16(lo, 3), green);  // low 5 bits of byte 1
        const __m128i b = _mm_and_si128(hi, blue);                      // low 5 bits of byte 2
        const __m128i alphaZero = _mm_cmpeq_epi16(_mm_srli_epi16(hi, 8), _mm_setzero_si128());
        const __m128i a = _mm_andnot_si128(alphaZero, flag);
        Store(dst + i, _mm_or_si128(_mm_or_si128(r, g), _mm_or_si128(b, a)));
    }
    scalar::Rgba8888ToArgb1555(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    const __m128i f1 = Splat16(0x0F00), f2 = Splat16(0x00F0), f3 = Splat16(0x000F);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* p = src + 4 * static_cast<intptr_t>(i);
        __m128i lo, hi;
        Split8888(Load(p), Load(p + 16), lo, hi);
        const __m128i top = _mm_slli_epi16(lo, 12);  // byte 0's low nibble; the rest shifts out
        const __m128i second = _mm_and_si128(lo, f1);
        const __m128i third = _mm_and_si128(_mm_slli_epi16(hi, 4), f2);
        const __m128i fourth = _mm_and_si128(_mm_srli_epi16(hi, 8), f3);
        Store(dst + i, _mm_or_si128(_mm_or_si128(top, second), _mm_or_si128(third, fourth)));
    }
    scalar::Rgba8888ToArgb4444(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

// Presenting conversions. The wide green: ((s & 0x7FE0) << 1) moves red and
// the five green bits up, and bit 9 (green's top bit) lands in bit 5.
void Rgb555ToRgb565Wide(uint16_t* dst, const uint16_t* src, int32_t count) {
    const __m128i high = Splat16(0x7FE0), top = Splat16(0x0020), low = Splat16(0x001F);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i s = Load(src + i);
        const __m128i moved = _mm_slli_epi16(_mm_and_si128(s, high), 1);
        const __m128i gLow = _mm_and_si128(_mm_srli_epi16(s, 4), top);
        Store(dst + i, _mm_or_si128(_mm_or_si128(moved, gLow), _mm_and_si128(s, low)));
    }
    scalar::Rgb555ToRgb565Wide(dst + i, src + i, count - i);
}

void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count) {
    const __m128i zero = _mm_setzero_si128(), opaque = Splat32(0xFF000000u);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i s = Load(src + i);
        Store(dst + i, _mm_or_si128(WidenedRgbLanes(_mm_unpacklo_epi16(s, zero)), opaque));
        Store(dst + i + 4, _mm_or_si128(WidenedRgbLanes(_mm_unpackhi_epi16(s, zero)), opaque));
    }
    scalar::Rgb555ToXrgb8888(dst + i, src + i, count - i);
}

}  // namespace vc15::sse2
