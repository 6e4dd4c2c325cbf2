// The vector structs of the NEON level (64-bit ARM's Advanced SIMD); included
// only by *_neon.cpp files.
//
// One register type, eight 16-bit lanes, serves every operation: the byte
// operations reinterpret it, which costs no instruction. Loads and stores go
// through byte pointers, so no address needs any alignment.
#pragma once

#include <arm_neon.h>

#include "simd/vec.h"

namespace vc15::simd {

struct NeonV128 {
    using V = uint16x8_t;
    static constexpr uint32_t kLanes = 8, kBytes = 16;
    static uint8x16_t B(V v) { return vreinterpretq_u8_u16(v); }
    static V W(uint8x16_t v) { return vreinterpretq_u16_u8(v); }
    static int16x8_t S(V v) { return vreinterpretq_s16_u16(v); }
    static V U(int16x8_t v) { return vreinterpretq_u16_s16(v); }

    static V Set(short v) { return vdupq_n_u16(static_cast<uint16_t>(v)); }
    static V Set8(uint8_t v) { return W(vdupq_n_u8(v)); }
    static V Load(const void* p) { return W(vld1q_u8(static_cast<const uint8_t*>(p))); }
    static void Store(void* p, V v) { vst1q_u8(static_cast<uint8_t*>(p), B(v)); }
    static V LoadLow(const void* p) {
        return vcombine_u16(vreinterpret_u16_u8(vld1_u8(static_cast<const uint8_t*>(p))), vdup_n_u16(0));
    }
    static void StoreLow(void* p, V v) { vst1_u8(static_cast<uint8_t*>(p), vget_low_u8(B(v))); }
    static V And(V a, V b) { return vandq_u16(a, b); }
    static V Or(V a, V b) { return vorrq_u16(a, b); }
    static V AndNot(V a, V b) { return vbicq_u16(b, a); }  // ~a & b
    static V Add(V a, V b) { return vaddq_u16(a, b); }
    static V Sub(V a, V b) { return vsubq_u16(a, b); }
    static V SubSat(V a, V b) { return U(vqsubq_s16(S(a), S(b))); }
    static V Mul(V a, V b) { return vmulq_u16(a, b); }
    static V Eq(V a, V b) { return vceqq_u16(a, b); }
    template <int n>
    static V Shl(V a) {
        return vshlq_n_u16(a, n);
    }
    template <int n>
    static V Shr(V a) {
        return vshrq_n_u16(a, n);
    }
    template <int n>
    static V Sar(V a) {
        return U(vshrq_n_s16(S(a), n));
    }
    // One bitwise select on the 0 / -1 lanes.
    static V Pick(V no, V yes, V mask) { return vbslq_u16(mask, yes, no); }
    static V MinU8(V a, V b) { return W(vminq_u8(B(a), B(b))); }
    static V MaxU8(V a, V b) { return W(vmaxq_u8(B(a), B(b))); }
    static V AddsU8(V a, V b) { return W(vqaddq_u8(B(a), B(b))); }
    static V SubsU8(V a, V b) { return W(vqsubq_u8(B(a), B(b))); }
    static V EqU8(V a, V b) { return W(vceqq_u8(B(a), B(b))); }
    static V WidenBytes(V m) { return W(vzip1q_u8(B(m), B(m))); }
    static V WidenBytesHigh(V m) { return W(vzip2q_u8(B(m), B(m))); }
};

using NeonV64 = Half<NeonV128>;
// Sixteen pixels, the step of the depth rows, in two registers.
using NeonPixels16 = Twice<NeonV128>;

}  // namespace vc15::simd
