// Lane formula with AVX2: four groups of four pixels per 256-bit step; the
// remaining zero to three groups go 128 and 64 bits at a time.
#include <immintrin.h>

#include "blit/blend_row_internal.h"

namespace vc15 {

namespace {

struct Lanes256 {
    __m256i red, green, blue, bias, level, quarter;
};

struct Lanes128 {
    __m128i red, green, blue, bias, level, quarter;
};

inline __m256i Channel(__m256i s, __m256i d, const Lanes256& k) {
    __m256i t = _mm256_subs_epi16(_mm256_add_epi16(s, k.bias), d);
    t = _mm256_mullo_epi16(t, k.level);
    t = _mm256_srli_epi16(t, 8);
    return _mm256_sub_epi16(_mm256_add_epi16(t, d), k.quarter);
}

inline __m256i Blend(__m256i s, __m256i d, const Lanes256& k) {
    const __m256i r = Channel(_mm256_srli_epi16(_mm256_and_si256(s, k.red), 10),
                              _mm256_srli_epi16(_mm256_and_si256(d, k.red), 10), k);
    const __m256i g = Channel(_mm256_srli_epi16(_mm256_and_si256(s, k.green), 5),
                              _mm256_srli_epi16(_mm256_and_si256(d, k.green), 5), k);
    const __m256i b = Channel(_mm256_and_si256(s, k.blue), _mm256_and_si256(d, k.blue), k);
    const __m256i out = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(r, 10), _mm256_slli_epi16(g, 5)), b);
    const __m256i key = _mm256_cmpeq_epi16(s, k.bias);
    return _mm256_or_si256(_mm256_and_si256(key, d), _mm256_andnot_si256(key, out));
}

inline __m128i Channel(__m128i s, __m128i d, const Lanes128& k) {
    __m128i t = _mm_subs_epi16(_mm_add_epi16(s, k.bias), d);
    t = _mm_mullo_epi16(t, k.level);
    t = _mm_srli_epi16(t, 8);
    return _mm_sub_epi16(_mm_add_epi16(t, d), k.quarter);
}

inline __m128i Blend(__m128i s, __m128i d, const Lanes128& k) {
    const __m128i r =
        Channel(_mm_srli_epi16(_mm_and_si128(s, k.red), 10), _mm_srli_epi16(_mm_and_si128(d, k.red), 10), k);
    const __m128i g =
        Channel(_mm_srli_epi16(_mm_and_si128(s, k.green), 5), _mm_srli_epi16(_mm_and_si128(d, k.green), 5), k);
    const __m128i b = Channel(_mm_and_si128(s, k.blue), _mm_and_si128(d, k.blue), k);
    const __m128i out = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 10), _mm_slli_epi16(g, 5)), b);
    const __m128i key = _mm_cmpeq_epi16(s, k.bias);
    return _mm_or_si128(_mm_and_si128(key, d), _mm_andnot_si128(key, out));
}

}  // namespace

void BlendGroupsAvx2(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L) {
    const short level = static_cast<short>(L), quarter = static_cast<short>(L >> 2);
    const Lanes256 k{_mm256_set1_epi16(0x7c00), _mm256_set1_epi16(0x03e0), _mm256_set1_epi16(0x001f),
                     _mm256_set1_epi16(0x0040), _mm256_set1_epi16(level),  _mm256_set1_epi16(quarter)};
    for (; groups >= 4; groups -= 4, dst += 16, src += 16) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), Blend(s, d, k));
    }
    if (!groups) return;
    const Lanes128 h{_mm_set1_epi16(0x7c00), _mm_set1_epi16(0x03e0), _mm_set1_epi16(0x001f),
                     _mm_set1_epi16(0x0040), _mm_set1_epi16(level),  _mm_set1_epi16(quarter)};
    if (groups >= 2) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), Blend(s, d, h));
        groups -= 2;
        dst += 8;
        src += 8;
    }
    if (groups) {
        const __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src));
        const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), Blend(s, d, h));
    }
}

}  // namespace vc15
