// The portable vector layer: the operations every kernel formula is written
// in (blit/kernels.h, pixel/convert_kernels.h), one struct per register width
// and level. A struct is a set of static functions over its register type V:
//
//   16-bit lanes   Set, Load, Store, And, Or, AndNot (~a & b), Add, Sub,
//                  SubSat (signed), Mul (low half), Eq, Shl<n>, Shr<n>,
//                  Sar<n>, Pick(no, yes, mask)
//   bytes          Set8, MinU8, MaxU8, AddsU8, SubsU8, EqU8 (unsigned)
//   widening       WidenBytes(m): the first kLanes bytes of a byte mask, one
//                  0 / -1 value per 16-bit lane; WidenBytesHigh the next ones
//   128-bit only   LoadLow / StoreLow: the low 64 bits, nothing beyond
//   optional       kMaskedTail with LoadN16 / StoreN16 / LoadN8 / StoreN8 /
//                  LanesFrom: masked steps that touch only the first r
//                  elements (see simd/avx512.h)
//
// This file is the generic part: no instruction-set header, only what is
// built from another struct's operations. Each level's header (simd/sse2.h,
// simd/avx2.h, simd/avx512.h, simd/neon.h) defines its own structs over its
// own intrinsics, and is included only by files compiled with that level's
// instruction set, so no inline function is ever shared between files built
// with different instruction sets.
#pragma once

#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define VC15_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VC15_ALWAYS_INLINE inline
#endif

namespace vc15::simd {

// Half the lanes of a 128-bit struct: its low 64 bits, loaded and stored so
// that nothing beyond them is touched.
template <class Full>
struct Half : Full {
    using V = typename Full::V;
    static constexpr uint32_t kLanes = Full::kLanes / 2, kBytes = Full::kBytes / 2;
    static V Load(const void* p) { return Full::LoadLow(p); }
    static void Store(void* p, V v) { Full::StoreLow(p, v); }
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
    static V WidenBytes(F m) { return {Full::WidenBytes(m), Full::WidenBytesHigh(m)}; }
};

}  // namespace vc15::simd
