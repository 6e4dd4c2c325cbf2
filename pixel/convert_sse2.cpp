// SSE2 forms of the converters. Blocks are loaded whole before any of their
// outputs is stored, and the outputs of a block never reach the input of a
// later block, so dst == src still converts in place. The last count % block
// pixels go through the scalar forms.
#include <emmintrin.h>

#include <cstring>

#include "pixel/convert.h"
#include "pixel/convert_lanes_sse2.h"

namespace vc15::sse2 {

namespace {

inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
inline __m128i Splat16(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
inline __m128i Splat32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }

// Four 3-byte pixels at bytes 0..11 of v as two 64-bit halves: bytes 0..7
// and 6..13, so each half starts with an even pixel and has the next (odd)
// pixel at its byte 3.
inline __m128i PairRgb888(__m128i v) {
    return _mm_castpd_si128(_mm_move_sd(_mm_castsi128_pd(_mm_slli_si128(v, 2)), _mm_castsi128_pd(v)));
}

// Two paired groups (pixels 0..3 and 4..7) to the 32-bit lanes of the even
// pixels (0, 2, 4, 6) and of the odd ones (1, 3, 5, 7): byte 0 of the pixel
// at bits 0-7, bits 24-31 hold a byte of another pixel, which the field
// extraction ignores.
inline void SplitPairs(__m128i a, __m128i b, __m128i& even, __m128i& odd) {
    even = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
    odd = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(_mm_srli_epi64(a, 24)),
                                          _mm_castsi128_ps(_mm_srli_epi64(b, 24)), _MM_SHUFFLE(2, 0, 2, 0)));
}

// The fields of lanes x: the top five bits of bytes 0 and 2 are moved to the
// low bits of the two 16-bit halves and joined by one multiply-add (byte 0's
// field times 2^redShift plus byte 2's); byte 1's field is shifted into place.
// The results are below 0x10000.
template <int kRedShift, int kGreenShift, uint32_t kGreenMask>
inline __m128i Rgb888Lanes(__m128i x) {
    const __m128i rb = _mm_and_si128(_mm_srli_epi32(x, 3), Splat32(0x001F001F));
    const __m128i g = _mm_and_si128(_mm_srli_epi32(x, kGreenShift), Splat32(kGreenMask));
    return _mm_or_si128(_mm_madd_epi16(rb, Splat32(0x00010000u | (1u << kRedShift))), g);
}

// Eight 3-byte pixels from the paired groups a (pixels 0..3) and b (4..7):
// the even pixels' results in the low and the odd ones' in the high 16 bits
// of each 32-bit lane, which is pixel order.
template <int kRedShift, int kGreenShift, uint32_t kGreenMask>
inline __m128i Rgb888Block(__m128i a, __m128i b) {
    __m128i even, odd;
    SplitPairs(PairRgb888(a), PairRgb888(b), even, odd);
    return _mm_or_si128(Rgb888Lanes<kRedShift, kGreenShift, kGreenMask>(even),
                        _mm_slli_epi32(Rgb888Lanes<kRedShift, kGreenShift, kGreenMask>(odd), 16));
}

// Sixteen pixels (48 bytes) per step from loads at bytes 0, 12, 24 and 32
// (the last moved down by four), then one step of eight from bytes 0 and 8:
// nothing past the last pixel is read.
template <int kRedShift, int kGreenShift, uint32_t kGreenMask>
int32_t Rgb888Blocks(uint16_t* dst, const uint8_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8_t* p = src + 3 * static_cast<intptr_t>(i);
        const __m128i a = Load(p), b = Load(p + 12), c = Load(p + 24), d = _mm_srli_si128(Load(p + 32), 4);
        const __m128i lo = Rgb888Block<kRedShift, kGreenShift, kGreenMask>(a, b);
        const __m128i hi = Rgb888Block<kRedShift, kGreenShift, kGreenMask>(c, d);
        Store(dst + i, lo);
        Store(dst + i + 8, hi);
    }
    if (i + 8 <= count) {
        const uint8_t* p = src + 3 * static_cast<intptr_t>(i);
        Store(dst + i, Rgb888Block<kRedShift, kGreenShift, kGreenMask>(Load(p), _mm_srli_si128(Load(p + 8), 4)));
        i += 8;
    }
    return i;
}

}  // namespace

// 565: byte 0's field times 2^11, byte 1's top six bits (bits 10-15) to 5-10.
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    const int32_t i = Rgb888Blocks<11, 5, 0x07E0>(dst, src, count);
    scalar::Rgb888ToRgb565(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

// 555: byte 0's field times 2^10, byte 1's top five bits (bits 11-15) to 5-9.
void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    const int32_t i = Rgb888Blocks<10, 6, 0x03E0>(dst, src, count);
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

namespace {

// Four widened pixels (lanes 0x00RRGGBB) as two 6-byte groups: bytes 0..5
// and 8..13 (each 64-bit half keeps its first pixel and moves the second
// down by one byte over the first one's zero byte 3); bytes 6, 7, 14 and 15
// are zero.
inline __m128i SqueezePairs(__m128i x) {
    const __m128i high = _mm_set_epi32(-1, static_cast<int>(0xFF000000u), -1, static_cast<int>(0xFF000000u));
    return _mm_xor_si128(x, _mm_and_si128(_mm_xor_si128(x, _mm_srli_epi64(x, 8)), high));
}

inline void Store8(uint8_t* p, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }
// The high half moved down first: a store through a double pointer would
// claim an 8-byte alignment these byte addresses do not have.
inline void Store8High(uint8_t* p, __m128i v) { Store8(p, _mm_unpackhi_epi64(v, v)); }

// Sixteen pixels to 48 bytes at d, stored as eight 6-byte groups by 8-byte
// stores in ascending order, each store's two zero bytes overwritten by the
// next. The last group's store reaches two bytes past the 48 unless kLast,
// where it writes exactly its 6 bytes.
template <bool kLast>
inline void Bgr888Block(uint8_t* d, const uint16_t* s) {
    const __m128i s0 = Load(s), s1 = Load(s + 8);
    const __m128i p0 = SqueezePairs(WidenedRgbLanesFromPairs(_mm_unpacklo_epi16(s0, s0)));
    const __m128i p1 = SqueezePairs(WidenedRgbLanesFromPairs(_mm_unpackhi_epi16(s0, s0)));
    const __m128i p2 = SqueezePairs(WidenedRgbLanesFromPairs(_mm_unpacklo_epi16(s1, s1)));
    const __m128i p3 = SqueezePairs(WidenedRgbLanesFromPairs(_mm_unpackhi_epi16(s1, s1)));
    Store8(d, p0);
    Store8High(d + 6, p0);
    Store8(d + 12, p1);
    Store8High(d + 18, p1);
    Store8(d + 24, p2);
    Store8High(d + 30, p2);
    Store8(d + 36, p3);
    if (kLast) {
        const __m128i last = _mm_srli_si128(p3, 8);
        const int32_t four = _mm_cvtsi128_si32(last);
        const uint16_t two = static_cast<uint16_t>(_mm_extract_epi16(last, 2));
        std::memcpy(d + 42, &four, 4);
        std::memcpy(d + 46, &two, 2);
    } else {
        Store8High(d + 42, p3);
    }
}

}  // namespace

// Sixteen pixels per step; a block that ends the row stores its last group
// exactly, so nothing is written past the row.
void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 16 < count; i += 16) Bgr888Block<false>(dst + 3 * static_cast<intptr_t>(i), src + i);
    if (i + 16 == count) {
        Bgr888Block<true>(dst + 3 * static_cast<intptr_t>(i), src + i);
        i += 16;
    }
    scalar::Rgb555ToBgr888(dst + 3 * static_cast<intptr_t>(i), src + i, count - i);
}

}  // namespace vc15::sse2
