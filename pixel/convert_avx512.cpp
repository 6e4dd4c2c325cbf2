// AVX-512 forms of the converters that move bytes between lanes: 32 pixels
// per step (16 for the 32-bit and 3-byte outputs), and the last pixels of a row in one masked step, which
// reads and writes nothing beyond the row. As in the other forms, a step
// loads all its input before it stores and its outputs never reach a later
// step's input, so the same-size and narrowing conversions work in place.
//
// The 3-byte layouts use only byte shuffles within 128-bit lanes and 32- or
// 64-bit permutes across them: the level guarantees F, BW, VL and VBMI2, not
// the byte permute across a whole register.
// GCC 12's AVX-512 intrinsics start from a self-initialised "undefined"
// register, which its uninitialised-value checks report at every use.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "pixel/convert.h"

// The helpers and the lambdas they take work on whole registers: inlined, no
// 512-bit value ever crosses a call (the Windows calling conventions would
// pass it through a stack slot whose 64-byte alignment they do not keep).
#if defined(__GNUC__) || defined(__clang__)
#define VC15_CONVERT_INLINE inline __attribute__((always_inline))
#else
#define VC15_CONVERT_INLINE inline
#endif

namespace vc15::avx512 {

namespace {

// The lowest r bits, r below the width of the mask.
inline __mmask16 First16(uint32_t r) { return static_cast<__mmask16>((1u << r) - 1u); }
inline __mmask32 First32(uint32_t r) { return (1u << r) - 1u; }
inline __mmask64 First64(uint32_t r) { return r >= 64 ? ~__mmask64{0} : (uint64_t{1} << r) - 1u; }

inline __m512i Splat16(uint16_t v) { return _mm512_set1_epi16(static_cast<short>(v)); }
inline __m512i Splat32(uint32_t v) { return _mm512_set1_epi32(static_cast<int>(v)); }

}  // namespace

namespace {

// Thirty-two 3-byte pixels in two blocks of 48 bytes (the first ma and mb
// bytes of each read): lanes of (byte 0 << 8 | byte 1) and of byte 2, with
// the pixels in the 64-bit order Unshuffle undoes. The dword permute gives
// each 128-bit lane four pixels (12 bytes); the byte shuffle splits them into
// four rg words (low half) and four b words (high half); the unpacks join the
// halves of both blocks.
struct Rgb888Split {
    __m512i spread = _mm512_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0);
    __m512i split = _mm512_broadcast_i32x4(_mm_setr_epi8(1, 0, 4, 3, 7, 6, 10, 9, 2, -1, 5, -1, 8, -1, 11, -1));
    // 64-bit unit 2k holds pixels 4k..4k+3 of the first block, 2k + 1 those of
    // the second.
    __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);

    VC15_CONVERT_INLINE void operator()(const uint8_t* p, __mmask64 ma, __mmask64 mb, __m512i& rg, __m512i& b) const {
        const __m512i x = _mm512_shuffle_epi8(_mm512_permutexvar_epi32(spread, _mm512_maskz_loadu_epi8(ma, p)), split);
        const __m512i y =
            _mm512_shuffle_epi8(_mm512_permutexvar_epi32(spread, _mm512_maskz_loadu_epi8(mb, p + 48)), split);
        rg = _mm512_unpacklo_epi64(x, y);
        b = _mm512_unpackhi_epi64(x, y);
    }
    VC15_CONVERT_INLINE __m512i Unshuffle(__m512i v) const { return _mm512_permutexvar_epi64(order, v); }
};

template <class F>
VC15_CONVERT_INLINE void Each32From888(uint16_t* dst, const uint8_t* src, int32_t count, const F& f) {
    const Rgb888Split split;
    constexpr __mmask64 k48 = (uint64_t{1} << 48) - 1u;
    int32_t i = 0;
    for (; i + 32 <= count; i += 32) {
        __m512i rg, b;
        split(src + 3 * static_cast<intptr_t>(i), k48, k48, rg, b);
        _mm512_storeu_si512(dst + i, split.Unshuffle(f(rg, b)));
    }
    if (i < count) {
        const uint32_t r = static_cast<uint32_t>(count - i), bytes = 3 * r;
        __m512i rg, b;
        split(src + 3 * static_cast<intptr_t>(i), First64(bytes < 48 ? bytes : 48),
              First64(bytes > 48 ? bytes - 48 : 0), rg, b);
        _mm512_mask_storeu_epi16(dst + i, First32(r), split.Unshuffle(f(rg, b)));
    }
}

}  // namespace

void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    const __m512i red = Splat16(0xF800), green = Splat16(0x07E0);
    Each32From888(dst, src, count, [&](__m512i rg, __m512i b) {
        const __m512i g6 = _mm512_and_si512(_mm512_slli_epi16(rg, 3), green);
        return _mm512_or_si512(_mm512_or_si512(_mm512_and_si512(rg, red), g6), _mm512_srli_epi16(b, 3));
    });
}

void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    const __m512i red = Splat16(0x7C00), green = Splat16(0x03E0);
    Each32From888(dst, src, count, [&](__m512i rg, __m512i b) {
        const __m512i r5 = _mm512_and_si512(_mm512_srli_epi16(rg, 1), red);
        const __m512i g5 = _mm512_and_si512(_mm512_slli_epi16(rg, 2), green);
        return _mm512_or_si512(_mm512_or_si512(r5, g5), _mm512_srli_epi16(b, 3));
    });
}

// ---- Presenting conversions ------------------------------------------------

namespace {

// Sixteen RGB555 pixels to 0x00RRGGBB lanes, each channel v widened to
// (v << 3) | (v >> 2).
VC15_CONVERT_INLINE __m512i WidenedRgb8(__m256i pixels) {
    const __m512i x = _mm512_cvtepu16_epi32(pixels);
    const __m512i r = _mm512_slli_epi32(_mm512_and_si512(x, Splat32(0x7C00)), 9);
    const __m512i g = _mm512_slli_epi32(_mm512_and_si512(x, Splat32(0x03E0)), 6);
    const __m512i b = _mm512_slli_epi32(_mm512_and_si512(x, Splat32(0x001F)), 3);
    const __m512i v = _mm512_or_si512(_mm512_or_si512(r, g), b);
    return _mm512_or_si512(v, _mm512_and_si512(_mm512_srli_epi32(v, 5), Splat32(0x00070707)));
}

}  // namespace

void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count) {
    const __m512i opaque = Splat32(0xFF000000u);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16)
        _mm512_storeu_si512(
            dst + i,
            _mm512_or_si512(WidenedRgb8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i))), opaque));
    if (i < count) {
        const __mmask16 m = First16(static_cast<uint32_t>(count - i));
        _mm512_mask_storeu_epi32(dst + i, m,
                                 _mm512_or_si512(WidenedRgb8(_mm256_maskz_loadu_epi16(m, src + i)), opaque));
    }
}

// Sixteen pixels per step: each 128-bit lane's four 4-byte pixels squeezed to
// 12 bytes, and the four lanes' 12 bytes joined by a dword permute into
// exactly 48 bytes.
void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count) {
    const __m512i squeeze =
        _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    const __m512i join = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0, 0, 0, 0);
    auto pack = [&](__m256i pixels) {
        return _mm512_permutexvar_epi32(join, _mm512_shuffle_epi8(WidenedRgb8(pixels), squeeze));
    };
    constexpr __mmask64 k48 = (uint64_t{1} << 48) - 1u;
    int32_t i = 0;
    for (; i + 16 <= count; i += 16)
        _mm512_mask_storeu_epi8(dst + 3 * static_cast<intptr_t>(i), k48,
                                pack(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i))));
    if (i < count) {
        const uint32_t r = static_cast<uint32_t>(count - i);
        _mm512_mask_storeu_epi8(dst + 3 * static_cast<intptr_t>(i), First64(3 * r),
                                pack(_mm256_maskz_loadu_epi16(First16(r), src + i)));
    }
}

}  // namespace vc15::avx512
