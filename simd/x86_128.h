// Eight 16-bit lanes (sixteen bytes) with SSE2: the 128-bit operations every
// x86 level shares. Self is the level's own struct, derived from this one,
// which makes the instantiations of every level distinct and may replace Pick
// with a faster instruction.
//
// Included only by the x86 levels' headers (simd/sse2.h, simd/avx2.h,
// simd/avx512.h).
#pragma once

#include <emmintrin.h>

#include "simd/vec.h"

namespace vc15::simd {

template <class Self>
struct X128 {
    using V = __m128i;
    static constexpr uint32_t kLanes = 8, kBytes = 16;
    static V Set(short v) { return _mm_set1_epi16(v); }
    static V Set8(uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
    static V Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
    static void Store(void* p, V v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
    static V LoadLow(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
    static void StoreLow(void* p, V v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V AndNot(V a, V b) { return _mm_andnot_si128(a, b); }  // ~a & b
    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V SubSat(V a, V b) { return _mm_subs_epi16(a, b); }
    static V Mul(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V Eq(V a, V b) { return _mm_cmpeq_epi16(a, b); }
    template <int n>
    static V Shl(V a) {
        return _mm_slli_epi16(a, n);
    }
    template <int n>
    static V Shr(V a) {
        return _mm_srli_epi16(a, n);
    }
    template <int n>
    static V Sar(V a) {
        return _mm_srai_epi16(a, n);
    }
    // SSE2 has no blend instruction.
    static V Pick(V no, V yes, V mask) { return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no)); }
    static V MinU8(V a, V b) { return _mm_min_epu8(a, b); }
    static V MaxU8(V a, V b) { return _mm_max_epu8(a, b); }
    static V AddsU8(V a, V b) { return _mm_adds_epu8(a, b); }
    static V SubsU8(V a, V b) { return _mm_subs_epu8(a, b); }
    static V EqU8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
    static V WidenBytes(V m) { return _mm_unpacklo_epi8(m, m); }
    static V WidenBytesHigh(V m) { return _mm_unpackhi_epi8(m, m); }
};

}  // namespace vc15::simd
