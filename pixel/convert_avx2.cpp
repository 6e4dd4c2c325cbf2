// AVX2 forms of the converters, sixteen pixels per step. As in the SSE2
// forms, a block is loaded whole before its outputs are stored and its
// outputs never reach a later block's input, so dst == src works; the last
// count % 16 pixels go through the scalar forms.
#include <immintrin.h>

#include "pixel/convert.h"

namespace vc15::avx2 {

namespace {

inline __m256i Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
inline void Store(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
inline __m256i Load2(const void* lo, const void* hi) {
    const __m128i l = _mm_loadu_si128(static_cast<const __m128i*>(lo));
    const __m128i h = _mm_loadu_si128(static_cast<const __m128i*>(hi));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(l), h, 1);
}
inline __m256i Splat16(uint16_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
inline __m256i Splat32(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }

// Byte shuffles for the 3-byte source. Each 128-bit half handles eight
// pixels (24 bytes): A holds bytes 0..15 of them, B bytes 8..23. Pixels 0-4
// lie wholly in A, pixels 5-7 in B. "rg" puts byte 1 low and byte 0 high in
// each 16-bit lane, "b" puts byte 2 low and zero high (-1 selects zero).
// Built in the functions, not as globals: a global would be initialised
// with AVX instructions at load time, before the processor was asked.
struct Rgb888Shuffles {
#define VC15_X2(...) __VA_ARGS__, __VA_ARGS__
    __m256i rgFromA = _mm256_setr_epi8(VC15_X2(1, 0, 4, 3, 7, 6, 10, 9, 13, 12, -1, -1, -1, -1, -1, -1));
    __m256i rgFromB = _mm256_setr_epi8(VC15_X2(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 8, 7, 11, 10, 14, 13));
    __m256i bFromA = _mm256_setr_epi8(VC15_X2(2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1));
    __m256i bFromB = _mm256_setr_epi8(VC15_X2(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 9, -1, 12, -1, 15, -1));
#undef VC15_X2
};

// Sixteen 3-byte pixels at p: lanes of (byte 0 << 8 | byte 1) and of byte 2.
inline void SplitRgb888(const Rgb888Shuffles& k, const uint8_t* p, __m256i& rg, __m256i& b) {
    const __m256i a = Load2(p, p + 24);
    const __m256i c = Load2(p + 8, p + 32);
    rg = _mm256_or_si256(_mm256_shuffle_epi8(a, k.rgFromA), _mm256_shuffle_epi8(c, k.rgFromB));
    b = _mm256_or_si256(_mm256_shuffle_epi8(a, k.bFromA), _mm256_shuffle_epi8(c, k.bFromB));
}

}  // namespace

void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    const Rgb888Shuffles k;
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256i rg, b;
        SplitRgb888(k, src + 3 * static_cast<intptr_t>(i), rg, b);
        const __m256i r5 = _mm256_and_si256(rg, Splat16(0xF800));
        const __m256i g6 = _mm256_and_si256(_mm256_slli_epi16(rg, 3), Splat16(0x07E0));
        Store(dst + i, _mm256_or_si256(_mm256_or_si256(r5, g6), _mm256_srli_epi16(b, 3)));
    }
    scalar::Rgb888ToRgb565(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    const Rgb888Shuffles k;
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256i rg, b;
        SplitRgb888(k, src + 3 * static_cast<intptr_t>(i), rg, b);
        const __m256i r5 = _mm256_and_si256(_mm256_srli_epi16(rg, 1), Splat16(0x7C00));
        const __m256i g5 = _mm256_and_si256(_mm256_slli_epi16(rg, 2), Splat16(0x03E0));
        Store(dst + i, _mm256_or_si256(_mm256_or_si256(r5, g5), _mm256_srli_epi16(b, 3)));
    }
    scalar::Rgb888ToRgb555(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

// Four-byte sources: the byte multiply-add joins two masked bytes of a pixel
// into one 16-bit lane (b0 * 2^k + b1) without shifting and masking each.
// The packs work per 128-bit half; one permute puts the pixels back in order.
void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    const __m256i low5 = Splat32(0x001F1F1F);   // byte 3 only tested for zero
    const __m256i pairs = Splat32(0x00010120);  // (b0, b1) -> b0 * 32 + b1; (b2, b3) -> b2
    const __m256i join = Splat32(0x00010020);   // (b0 * 32 + b1) * 32 + b2 <= 0x7FFF
    const __m256i flag = Splat16(0x8000);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8_t* p = src + 4 * static_cast<intptr_t>(i);
        const __m256i a = Load(p), b = Load(p + 32);
        const __m256i va = _mm256_madd_epi16(_mm256_maddubs_epi16(_mm256_and_si256(a, low5), pairs), join);
        const __m256i vb = _mm256_madd_epi16(_mm256_maddubs_epi16(_mm256_and_si256(b, low5), pairs), join);
        const __m256i alpha = _mm256_packs_epi32(_mm256_srli_epi32(a, 24), _mm256_srli_epi32(b, 24));
        const __m256i set = _mm256_andnot_si256(_mm256_cmpeq_epi16(alpha, _mm256_setzero_si256()), flag);
        const __m256i v = _mm256_or_si256(_mm256_packs_epi32(va, vb), set);
        Store(dst + i, _mm256_permute4x64_epi64(v, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    scalar::Rgba8888ToArgb1555(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    const __m256i low4 = _mm256_set1_epi8(0x0F);
    // (b0, b1) -> b0 * 16 + b1, the result's high byte; (b2, b3) -> b2 * 16 + b3, its low byte.
    const __m256i pairs = Splat16(0x0110);
    // The unsigned pack leaves the high byte first in each pixel: swap.
#define VC15_X2(...) __VA_ARGS__, __VA_ARGS__
    const __m256i swap = _mm256_setr_epi8(VC15_X2(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14));
#undef VC15_X2
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8_t* p = src + 4 * static_cast<intptr_t>(i);
        const __m256i a = _mm256_maddubs_epi16(_mm256_and_si256(Load(p), low4), pairs);
        const __m256i b = _mm256_maddubs_epi16(_mm256_and_si256(Load(p + 32), low4), pairs);
        const __m256i v = _mm256_shuffle_epi8(_mm256_packus_epi16(a, b), swap);
        Store(dst + i, _mm256_permute4x64_epi64(v, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    scalar::Rgba8888ToArgb4444(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

// ---- Presenting conversions ------------------------------------------------

namespace {

// Eight RGB555 pixels to 0x00RRGGBB lanes, each channel v widened to
// (v << 3) | (v >> 2) (the 256-bit form of WidenedRgbLanes in
// convert_lanes_sse2.h).
inline __m256i WidenedRgb8(const uint16_t* src) {
    const __m256i x = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
    const __m256i r = _mm256_slli_epi32(_mm256_and_si256(x, Splat32(0x7C00)), 9);
    const __m256i g = _mm256_slli_epi32(_mm256_and_si256(x, Splat32(0x03E0)), 6);
    const __m256i b = _mm256_slli_epi32(_mm256_and_si256(x, Splat32(0x001F)), 3);
    const __m256i v = _mm256_or_si256(_mm256_or_si256(r, g), b);
    return _mm256_or_si256(v, _mm256_and_si256(_mm256_srli_epi32(v, 5), Splat32(0x00070707)));
}

}  // namespace

void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count) {
    const __m256i opaque = Splat32(0xFF000000u);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        Store(dst + i, _mm256_or_si256(WidenedRgb8(src + i), opaque));
        Store(dst + i + 8, _mm256_or_si256(WidenedRgb8(src + i + 8), opaque));
    }
    scalar::Rgb555ToXrgb8888(dst + i, src + i, count - i);
}

// Sixteen pixels per step: four 128-bit halves of four 4-byte pixels, each
// squeezed to 12 bytes and joined into exactly 48 bytes.
void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count) {
#define VC15_X2(...) __VA_ARGS__, __VA_ARGS__
    const __m256i squeeze = _mm256_setr_epi8(VC15_X2(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
#undef VC15_X2
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i a = _mm256_shuffle_epi8(WidenedRgb8(src + i), squeeze);
        const __m256i b = _mm256_shuffle_epi8(WidenedRgb8(src + i + 8), squeeze);
        const __m128i p0 = _mm256_castsi256_si128(a), p1 = _mm256_extracti128_si256(a, 1);
        const __m128i p2 = _mm256_castsi256_si128(b), p3 = _mm256_extracti128_si256(b, 1);
        auto* d = reinterpret_cast<__m128i*>(dst + 3 * static_cast<intptr_t>(i));
        _mm_storeu_si128(d, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
        _mm_storeu_si128(d + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
        _mm_storeu_si128(d + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
    }
    scalar::Rgb555ToBgr888(dst + 3 * static_cast<intptr_t>(i), src + i, count - i);
}

}  // namespace vc15::avx2
