// Lane formula with SSE2: two groups of four pixels per 128-bit step, a last
// odd group in the low 64 bits.
#include <emmintrin.h>

#include "blit/blend_row_internal.h"

namespace vc15 {

namespace {

struct LaneConstants {
    __m128i red, green, blue, bias, level, quarter;
};

inline __m128i Channel(__m128i s, __m128i d, const LaneConstants& k) {
    __m128i t = _mm_subs_epi16(_mm_add_epi16(s, k.bias), d);
    t = _mm_mullo_epi16(t, k.level);
    t = _mm_srli_epi16(t, 8);
    return _mm_sub_epi16(_mm_add_epi16(t, d), k.quarter);
}

inline __m128i Blend(__m128i s, __m128i d, const LaneConstants& k) {
    const __m128i r =
        Channel(_mm_srli_epi16(_mm_and_si128(s, k.red), 10), _mm_srli_epi16(_mm_and_si128(d, k.red), 10), k);
    const __m128i g =
        Channel(_mm_srli_epi16(_mm_and_si128(s, k.green), 5), _mm_srli_epi16(_mm_and_si128(d, k.green), 5), k);
    const __m128i b = Channel(_mm_and_si128(s, k.blue), _mm_and_si128(d, k.blue), k);
    const __m128i out = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 10), _mm_slli_epi16(g, 5)), b);
    // Lanes whose source is the key keep the destination.
    const __m128i key = _mm_cmpeq_epi16(s, k.bias);
    return _mm_or_si128(_mm_and_si128(key, d), _mm_andnot_si128(key, out));
}

}  // namespace

void BlendGroupsSse2(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L) {
    const LaneConstants k{_mm_set1_epi16(0x7c00),
                          _mm_set1_epi16(0x03e0),
                          _mm_set1_epi16(0x001f),
                          _mm_set1_epi16(0x0040),
                          _mm_set1_epi16(static_cast<short>(L)),
                          _mm_set1_epi16(static_cast<short>(L >> 2))};
    for (; groups >= 2; groups -= 2, dst += 8, src += 8) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), Blend(s, d, k));
    }
    if (groups) {
        const __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src));
        const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), Blend(s, d, k));
    }
}

}  // namespace vc15
