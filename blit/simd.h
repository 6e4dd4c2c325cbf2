// The vector operations the blit kernels are written in (blit/kernels.h),
// one struct per register width. A struct is a set of static functions over
// its register type V: 16-bit lane arithmetic (Set, Load, Store, And, Or,
// AndNot, Add, Sub, SubSat, Mul, Eq, Shl, Shr, Sar, Pick), the unsigned byte
// operations of the depth test (Set8, MinU8, MaxU8, AddsU8, SubsU8, EqU8),
// and WidenBytes: a byte mask of kLanes bytes (a 128-bit register) to one
// 0 / -1 value per 16-bit lane.
//
// Included only by the per-level files (*_sse2.cpp, *_avx2.cpp), which the
// build compiles with that level's instruction set. The structs of each level
// are distinct types (simd_sse2.h, simd_avx2.h), so no inline function is
// ever shared between files built with different instruction sets.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define VC15_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VC15_ALWAYS_INLINE inline
#endif

namespace vc15::simd {

// Eight 16-bit lanes (sixteen bytes) with SSE2. Self is the level's own
// struct, derived from this one, which makes the instantiations of every
// level distinct and may replace Pick with a faster instruction.
template <class Self>
struct X128 {
    using V = __m128i;
    static constexpr uint32_t kLanes = 8, kBytes = 16;
    static V Set(short v) { return _mm_set1_epi16(v); }
    static V Set8(uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
    static V Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
    static void Store(void* p, V v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
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
    // `yes` where mask lanes are all ones, `no` where they are zero (SSE2 has
    // no blend instruction).
    static V Pick(V no, V yes, V mask) { return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no)); }
    static V MinU8(V a, V b) { return _mm_min_epu8(a, b); }
    static V MaxU8(V a, V b) { return _mm_max_epu8(a, b); }
    static V AddsU8(V a, V b) { return _mm_adds_epu8(a, b); }
    static V SubsU8(V a, V b) { return _mm_subs_epu8(a, b); }
    static V EqU8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
    // The low eight bytes of m, one per lane.
    static V WidenBytes(__m128i m) { return _mm_unpacklo_epi8(m, m); }
    // The high eight bytes of m, one per lane.
    static V WidenBytesHigh(__m128i m) { return _mm_unpackhi_epi8(m, m); }
};

// Four 16-bit lanes (eight bytes): the low half of a 128-bit register, loaded
// and stored 64 bits at a time so nothing beyond is touched.
template <class Full>
struct Half : Full {
    using V = __m128i;
    static constexpr uint32_t kLanes = 4, kBytes = 8;
    static V Load(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
    static void Store(void* p, V v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }
};

// Two registers of Full used as one of twice the lanes, for a level whose
// widest register holds fewer pixels than a step of the kernel.
template <class Full>
struct Twice {
    using F = typename Full::V;
    struct V {
        F lo, hi;
    };
    static constexpr uint32_t kLanes = 2 * Full::kLanes, kBytes = 2 * Full::kBytes;

    static V Set(short v) { return {Full::Set(v), Full::Set(v)}; }
    static V Load(const void* p) { return {Full::Load(p), Full::Load(static_cast<const char*>(p) + Full::kBytes)}; }
    static void Store(void* p, V v) {
        Full::Store(p, v.lo);
        Full::Store(static_cast<char*>(p) + Full::kBytes, v.hi);
    }
    static V And(V a, V b) { return {Full::And(a.lo, b.lo), Full::And(a.hi, b.hi)}; }
    static V Or(V a, V b) { return {Full::Or(a.lo, b.lo), Full::Or(a.hi, b.hi)}; }
    static V AndNot(V a, V b) { return {Full::AndNot(a.lo, b.lo), Full::AndNot(a.hi, b.hi)}; }
    static V Add(V a, V b) { return {Full::Add(a.lo, b.lo), Full::Add(a.hi, b.hi)}; }
    static V Sub(V a, V b) { return {Full::Sub(a.lo, b.lo), Full::Sub(a.hi, b.hi)}; }
    static V SubSat(V a, V b) { return {Full::SubSat(a.lo, b.lo), Full::SubSat(a.hi, b.hi)}; }
    static V Mul(V a, V b) { return {Full::Mul(a.lo, b.lo), Full::Mul(a.hi, b.hi)}; }
    static V Eq(V a, V b) { return {Full::Eq(a.lo, b.lo), Full::Eq(a.hi, b.hi)}; }
    template <int n>
    static V Shl(V a) {
        return {Full::template Shl<n>(a.lo), Full::template Shl<n>(a.hi)};
    }
    template <int n>
    static V Shr(V a) {
        return {Full::template Shr<n>(a.lo), Full::template Shr<n>(a.hi)};
    }
    template <int n>
    static V Sar(V a) {
        return {Full::template Sar<n>(a.lo), Full::template Sar<n>(a.hi)};
    }
    static V Pick(V no, V yes, V mask) {
        return {Full::Pick(no.lo, yes.lo, mask.lo), Full::Pick(no.hi, yes.hi, mask.hi)};
    }
    static V WidenBytes(__m128i m) { return {Full::WidenBytes(m), Full::WidenBytesHigh(m)}; }
};

}  // namespace vc15::simd
