// Sixteen 16-bit lanes (32 bytes): the 256-bit operations every level with
// 256-bit registers shares. Self is the level's own struct, derived from this
// one, so the instantiations of each level stay distinct types and a level
// may replace an operation with a better instruction of its own.
//
// Included only by the headers of levels with 256-bit registers
// (simd_avx2.h, simd_avx512.h).
#pragma once

#include <immintrin.h>

#include "simd/x86_128.h"

namespace vc15::simd {

template <class Self>
struct X256 {
    using V = __m256i;
    static constexpr uint32_t kLanes = 16, kBytes = 32;
    static V Set(short v) { return _mm256_set1_epi16(v); }
    static V Set8(uint8_t v) { return _mm256_set1_epi8(static_cast<char>(v)); }
    static V Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    static void Store(void* p, V v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }  // ~a & b
    static V Add(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V SubSat(V a, V b) { return _mm256_subs_epi16(a, b); }
    static V Mul(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V Eq(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
    template <int n>
    static V Shl(V a) {
        return _mm256_slli_epi16(a, n);
    }
    template <int n>
    static V Shr(V a) {
        return _mm256_srli_epi16(a, n);
    }
    template <int n>
    static V Sar(V a) {
        return _mm256_srai_epi16(a, n);
    }
    static V Pick(V no, V yes, V mask) { return _mm256_blendv_epi8(no, yes, mask); }
    static V MinU8(V a, V b) { return _mm256_min_epu8(a, b); }
    static V MaxU8(V a, V b) { return _mm256_max_epu8(a, b); }
    static V AddsU8(V a, V b) { return _mm256_adds_epu8(a, b); }
    static V SubsU8(V a, V b) { return _mm256_subs_epu8(a, b); }
    static V EqU8(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
    // Sixteen mask bytes, one per lane (sign extension keeps 0 and -1).
    static V WidenBytes(__m128i m) { return _mm256_cvtepi8_epi16(m); }
};

}  // namespace vc15::simd
