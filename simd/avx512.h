// The vector structs of the AVX-512 level (F, BW, VL, VBMI2); included only
// by *_avx512.cpp files.
//
// Besides the operations of every struct (simd/vec.h), each struct here has
// the masked forms the kernels use for the end of a run when a struct
// declares kMaskedTail: LoadN16 / StoreN16 move the first r 16-bit lanes and
// LoadN8 / StoreN8 the first r bytes (r up to the register's count, below
// it for bytes of a 512-bit register), and
// LanesFrom(k) is -1 in the 16-bit lanes j >= k. PassBits is the depth test
// of each byte (v + bias <= plane, no wrap) as one mask bit a byte, and
// StoreBits16 writes the 16-bit lanes whose bit is set and nothing else, so
// a kernel that keeps the old value of the others need not read them. A
// masked load reads nothing beyond those elements and a masked store writes
// nothing beyond them, so a tail of any length is one step with no overlap
// and no branch on its length.
// Pick is one bitwise select (vpternlog) on the 0 / -1 lanes.
#pragma once

// GCC 12's AVX-512 intrinsics start from a self-initialised "undefined"
// register, which its uninitialised-value checks report at every use.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "simd/x86_128.h"
#include "simd/x86_256.h"

namespace vc15::simd {

namespace avx512 {
// The lowest r bits set, r at most the width of the mask (below it for the
// 64-bit one).
inline __mmask8 First8(uint32_t r) { return static_cast<__mmask8>((1u << r) - 1u); }
inline __mmask16 First16(uint32_t r) { return static_cast<__mmask16>((1u << r) - 1u); }
inline __mmask32 First32(uint32_t r) { return static_cast<__mmask32>((uint64_t{1} << r) - 1u); }
inline __mmask64 First64(uint32_t r) { return (uint64_t{1} << r) - 1u; }
}  // namespace avx512

// Eight 16-bit lanes.
struct Avx512V128 : X128<Avx512V128> {
    static constexpr bool kMaskedTail = true;
    static V Pick(V no, V yes, V mask) { return _mm_ternarylogic_epi32(mask, yes, no, 0xCA); }
    static V LoadN16(const void* p, uint32_t r) { return _mm_maskz_loadu_epi16(avx512::First8(r), p); }
    static void StoreN16(void* p, V v, uint32_t r) { _mm_mask_storeu_epi16(p, avx512::First8(r), v); }
    static V LoadN8(const void* p, uint32_t r) { return _mm_maskz_loadu_epi8(avx512::First16(r), p); }
    static void StoreN8(void* p, V v, uint32_t r) { _mm_mask_storeu_epi8(p, avx512::First16(r), v); }
    static V LanesFrom(uint32_t k) { return _mm_movm_epi16(static_cast<__mmask8>(~avx512::First8(k))); }
    static __mmask16 PassBits(V v, V plane, V bias) {
        return _mm_cmple_epu8_mask(v, _mm_subs_epu8(plane, bias)) & _mm_cmpge_epu8_mask(plane, bias);
    }
    static void StoreBits16(void* p, V v, __mmask8 k) { _mm_mask_storeu_epi16(p, k, v); }
};

// Four 16-bit lanes (eight bytes); the masked forms of the full register
// serve it too, as they never reach beyond the first r elements.
using Avx512V64 = Half<Avx512V128>;

// Sixteen 16-bit lanes.
struct Avx512V256 : X256<Avx512V256> {
    static constexpr bool kMaskedTail = true;
    static V Pick(V no, V yes, V mask) { return _mm256_ternarylogic_epi32(mask, yes, no, 0xCA); }
    static V LoadN16(const void* p, uint32_t r) { return _mm256_maskz_loadu_epi16(avx512::First16(r), p); }
    static void StoreN16(void* p, V v, uint32_t r) { _mm256_mask_storeu_epi16(p, avx512::First16(r), v); }
    static V LoadN8(const void* p, uint32_t r) { return _mm256_maskz_loadu_epi8(avx512::First32(r), p); }
    static void StoreN8(void* p, V v, uint32_t r) { _mm256_mask_storeu_epi8(p, avx512::First32(r), v); }
    static V LanesFrom(uint32_t k) { return _mm256_movm_epi16(static_cast<__mmask16>(~avx512::First16(k))); }
    static __mmask32 PassBits(V v, V plane, V bias) {
        return _mm256_cmple_epu8_mask(v, _mm256_subs_epu8(plane, bias)) & _mm256_cmpge_epu8_mask(plane, bias);
    }
    static void StoreBits16(void* p, V v, __mmask16 k) { _mm256_mask_storeu_epi16(p, k, v); }
};

// Thirty-two 16-bit lanes (64 bytes). The compares give a mask register,
// turned into 0 / -1 lanes like every other level's.
struct Avx512V512 {
    using V = __m512i;
    static constexpr uint32_t kLanes = 32, kBytes = 64;
    static constexpr bool kMaskedTail = true;
    static V Set(short v) { return _mm512_set1_epi16(v); }
    static V Set8(uint8_t v) { return _mm512_set1_epi8(static_cast<char>(v)); }
    static V Load(const void* p) { return _mm512_loadu_si512(p); }
    static void Store(void* p, V v) { _mm512_storeu_si512(p, v); }
    static V And(V a, V b) { return _mm512_and_si512(a, b); }
    static V Or(V a, V b) { return _mm512_or_si512(a, b); }
    static V AndNot(V a, V b) { return _mm512_andnot_si512(a, b); }  // ~a & b
    static V Add(V a, V b) { return _mm512_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm512_sub_epi16(a, b); }
    static V SubSat(V a, V b) { return _mm512_subs_epi16(a, b); }
    static V Mul(V a, V b) { return _mm512_mullo_epi16(a, b); }
    static V Eq(V a, V b) { return _mm512_movm_epi16(_mm512_cmpeq_epi16_mask(a, b)); }
    template <int n>
    static V Shl(V a) {
        return _mm512_slli_epi16(a, n);
    }
    template <int n>
    static V Shr(V a) {
        return _mm512_srli_epi16(a, n);
    }
    template <int n>
    static V Sar(V a) {
        return _mm512_srai_epi16(a, n);
    }
    static V Pick(V no, V yes, V mask) { return _mm512_ternarylogic_epi32(mask, yes, no, 0xCA); }
    static V MinU8(V a, V b) { return _mm512_min_epu8(a, b); }
    static V MaxU8(V a, V b) { return _mm512_max_epu8(a, b); }
    static V AddsU8(V a, V b) { return _mm512_adds_epu8(a, b); }
    static V SubsU8(V a, V b) { return _mm512_subs_epu8(a, b); }
    static V EqU8(V a, V b) { return _mm512_movm_epi8(_mm512_cmpeq_epi8_mask(a, b)); }
    // Thirty-two mask bytes, one per lane.
    static V WidenBytes(__m256i m) { return _mm512_cvtepi8_epi16(m); }
    static V LoadN16(const void* p, uint32_t r) { return _mm512_maskz_loadu_epi16(avx512::First32(r), p); }
    static void StoreN16(void* p, V v, uint32_t r) { _mm512_mask_storeu_epi16(p, avx512::First32(r), v); }
    static V LoadN8(const void* p, uint32_t r) { return _mm512_maskz_loadu_epi8(avx512::First64(r), p); }
    static void StoreN8(void* p, V v, uint32_t r) { _mm512_mask_storeu_epi8(p, avx512::First64(r), v); }
    static V LanesFrom(uint32_t k) { return _mm512_movm_epi16(~avx512::First32(k)); }
    static __mmask64 PassBits(V v, V plane, V bias) {
        return _mm512_cmple_epu8_mask(v, _mm512_subs_epu8(plane, bias)) & _mm512_cmpge_epu8_mask(plane, bias);
    }
    static void StoreBits16(void* p, V v, __mmask32 k) { _mm512_mask_storeu_epi16(p, k, v); }
};

}  // namespace vc15::simd
