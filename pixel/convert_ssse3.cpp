// SSSE3 forms of the converters with 3-byte and 4-byte sources: byte
// shuffles and byte multiply-adds replace the shift-and-mask sequences the
// SSE2 forms need to move bytes into 16-bit lanes. As in the other forms, a
// block is loaded whole before its outputs are stored and its outputs never
// reach a later block's input, so dst == src works; the last count % 8
// pixels go through the scalar forms.
#include <tmmintrin.h>

#include "pixel/convert.h"
#include "pixel/convert_lanes_sse2.h"

namespace vc15::ssse3 {

namespace {

inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
inline __m128i Splat16(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }

// Byte shuffles for eight 3-byte pixels (24 bytes): A holds bytes 0..15,
// B bytes 8..23. Pixels 0-4 lie wholly in A, pixels 5-7 in B. "rg" puts byte 1
// low and byte 0 high in each 16-bit lane, "b" byte 2 low and zero high (-1
// selects zero). Built in the functions: a global would be initialised
// before the processor was asked what it can run.
struct Rgb888Shuffles {
    __m128i rgFromA = _mm_setr_epi8(1, 0, 4, 3, 7, 6, 10, 9, 13, 12, -1, -1, -1, -1, -1, -1);
    __m128i rgFromB = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 8, 7, 11, 10, 14, 13);
    __m128i bFromA = _mm_setr_epi8(2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1);
    __m128i bFromB = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 9, -1, 12, -1, 15, -1);
};

// Eight 3-byte pixels at p: lanes of (byte 0 << 8 | byte 1) and of byte 2.
inline void SplitRgb888(const Rgb888Shuffles& k, const uint8_t* p, __m128i& rg, __m128i& b) {
    const __m128i a = Load(p);
    const __m128i c = Load(p + 8);
    rg = _mm_or_si128(_mm_shuffle_epi8(a, k.rgFromA), _mm_shuffle_epi8(c, k.rgFromB));
    b = _mm_or_si128(_mm_shuffle_epi8(a, k.bFromA), _mm_shuffle_epi8(c, k.bFromB));
}

inline __m128i Rgb888To565(const Rgb888Shuffles& k, const uint8_t* p) {
    __m128i rg, b;
    SplitRgb888(k, p, rg, b);
    const __m128i r5 = _mm_and_si128(rg, Splat16(0xF800));
    const __m128i g6 = _mm_and_si128(_mm_slli_epi16(rg, 3), Splat16(0x07E0));
    return _mm_or_si128(_mm_or_si128(r5, g6), _mm_srli_epi16(b, 3));
}

inline __m128i Rgb888To555(const Rgb888Shuffles& k, const uint8_t* p) {
    __m128i rg, b;
    SplitRgb888(k, p, rg, b);
    const __m128i r5 = _mm_and_si128(_mm_srli_epi16(rg, 1), Splat16(0x7C00));
    const __m128i g5 = _mm_and_si128(_mm_slli_epi16(rg, 2), Splat16(0x03E0));
    return _mm_or_si128(_mm_or_si128(r5, g5), _mm_srli_epi16(b, 3));
}

}  // namespace

// Sixteen pixels per step (two independent halves keep both shuffle units
// busy), then one more half if eight pixels remain.
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    const Rgb888Shuffles k;
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8_t* p = src + 3 * static_cast<intptr_t>(i);
        const __m128i lo = Rgb888To565(k, p), hi = Rgb888To565(k, p + 24);
        Store(dst + i, lo);
        Store(dst + i + 8, hi);
    }
    if (i + 8 <= count) {
        Store(dst + i, Rgb888To565(k, src + 3 * static_cast<intptr_t>(i)));
        i += 8;
    }
    scalar::Rgb888ToRgb565(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    const Rgb888Shuffles k;
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8_t* p = src + 3 * static_cast<intptr_t>(i);
        const __m128i lo = Rgb888To555(k, p), hi = Rgb888To555(k, p + 24);
        Store(dst + i, lo);
        Store(dst + i + 8, hi);
    }
    if (i + 8 <= count) {
        Store(dst + i, Rgb888To555(k, src + 3 * static_cast<intptr_t>(i)));
        i += 8;
    }
    scalar::Rgb888ToRgb555(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

// Four-byte sources: the byte multiply-add joins two masked bytes of a pixel
// into one 16-bit lane (b0 * 2^k + b1) without shifting and masking each.
void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    // Colour bytes keep their low five bits; byte 3 is dropped here and only
    // tested for zero below.
    const __m128i low5 = _mm_set1_epi32(0x001F1F1F);
    // (b0, b1) -> b0 * 32 + b1; (b2, b3) -> b2.
    const __m128i pairs = _mm_set1_epi32(0x00010120);
    // (b0 * 32 + b1) * 32 + b2: at most 0x7FFF, so the signed pack keeps it.
    const __m128i join = _mm_set1_epi32(0x00010020);
    const __m128i flag = Splat16(0x8000);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* p = src + 4 * static_cast<intptr_t>(i);
        const __m128i a = Load(p), b = Load(p + 16);
        const __m128i va = _mm_madd_epi16(_mm_maddubs_epi16(_mm_and_si128(a, low5), pairs), join);
        const __m128i vb = _mm_madd_epi16(_mm_maddubs_epi16(_mm_and_si128(b, low5), pairs), join);
        // Byte 3 of each pixel as a 16-bit lane (0..255, exact in the pack).
        const __m128i alpha = _mm_packs_epi32(_mm_srli_epi32(a, 24), _mm_srli_epi32(b, 24));
        const __m128i set = _mm_andnot_si128(_mm_cmpeq_epi16(alpha, _mm_setzero_si128()), flag);
        Store(dst + i, _mm_or_si128(_mm_packs_epi32(va, vb), set));
    }
    scalar::Rgba8888ToArgb1555(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    const __m128i low4 = _mm_set1_epi8(0x0F);
    // (b0, b1) -> b0 * 16 + b1, the result's high byte; (b2, b3) -> b2 * 16 + b3,
    // its low byte.
    const __m128i pairs = _mm_set1_epi16(0x0110);
    // The unsigned pack leaves the high byte first in each pixel: swap.
    const __m128i swap = _mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint8_t* p = src + 4 * static_cast<intptr_t>(i);
        const __m128i a = _mm_maddubs_epi16(_mm_and_si128(Load(p), low4), pairs);
        const __m128i b = _mm_maddubs_epi16(_mm_and_si128(Load(p + 16), low4), pairs);
        Store(dst + i, _mm_shuffle_epi8(_mm_packus_epi16(a, b), swap));
    }
    scalar::Rgba8888ToArgb4444(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

// Sixteen pixels per step: four registers of four 4-byte pixels, each
// squeezed to 12 bytes, joined into exactly 48 bytes (nothing written past
// the last pixel).
void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count) {
    const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i s0 = Load(src + i), s1 = Load(src + i + 8);
        const __m128i p0 = _mm_shuffle_epi8(WidenedRgbLanesFromPairs(_mm_unpacklo_epi16(s0, s0)), squeeze);
        const __m128i p1 = _mm_shuffle_epi8(WidenedRgbLanesFromPairs(_mm_unpackhi_epi16(s0, s0)), squeeze);
        const __m128i p2 = _mm_shuffle_epi8(WidenedRgbLanesFromPairs(_mm_unpacklo_epi16(s1, s1)), squeeze);
        const __m128i p3 = _mm_shuffle_epi8(WidenedRgbLanesFromPairs(_mm_unpackhi_epi16(s1, s1)), squeeze);
        uint8_t* d = dst + 3 * static_cast<intptr_t>(i);
        Store(d, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
        Store(d + 16, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
        Store(d + 32, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
    }
    scalar::Rgb555ToBgr888(dst + 3 * static_cast<intptr_t>(i), src + i, count - i);
}

}  // namespace vc15::ssse3
