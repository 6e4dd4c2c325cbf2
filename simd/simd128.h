// The vector structs of the WebAssembly SIMD128 level; included only by
// *_simd128.cpp files (compiled with -msimd128).
//
// One 128-bit value type serves every operation, lanes being chosen by the
// instruction, like NEON's register width. Loads and stores take any address.
#pragma once

#include <wasm_simd128.h>

#include "simd/vec.h"

namespace vc15::simd {

struct Simd128V128 {
    using V = v128_t;
    static constexpr uint32_t kLanes = 8, kBytes = 16;

    static V Set(short v) { return wasm_i16x8_splat(v); }
    static V Set8(uint8_t v) { return wasm_i8x16_splat(static_cast<int8_t>(v)); }
    static V Load(const void* p) { return wasm_v128_load(p); }
    static void Store(void* p, V v) { wasm_v128_store(p, v); }
    static V LoadLow(const void* p) { return wasm_v128_load64_zero(p); }
    static void StoreLow(void* p, V v) { wasm_v128_store64_lane(p, v, 0); }
    static V And(V a, V b) { return wasm_v128_and(a, b); }
    static V Or(V a, V b) { return wasm_v128_or(a, b); }
    static V AndNot(V a, V b) { return wasm_v128_andnot(b, a); }  // ~a & b (the instruction is b & ~a)
    static V Add(V a, V b) { return wasm_i16x8_add(a, b); }
    static V Sub(V a, V b) { return wasm_i16x8_sub(a, b); }
    static V SubSat(V a, V b) { return wasm_i16x8_sub_sat(a, b); }
    static V Mul(V a, V b) { return wasm_i16x8_mul(a, b); }
    static V Eq(V a, V b) { return wasm_i16x8_eq(a, b); }
    template <int n>
    static V Shl(V a) {
        return wasm_i16x8_shl(a, n);
    }
    template <int n>
    static V Shr(V a) {
        return wasm_u16x8_shr(a, n);
    }
    template <int n>
    static V Sar(V a) {
        return wasm_i16x8_shr(a, n);
    }
    static V Pick(V no, V yes, V mask) { return wasm_v128_bitselect(yes, no, mask); }
    static V MinU8(V a, V b) { return wasm_u8x16_min(a, b); }
    static V MaxU8(V a, V b) { return wasm_u8x16_max(a, b); }
    static V AddsU8(V a, V b) { return wasm_u8x16_add_sat(a, b); }
    static V SubsU8(V a, V b) { return wasm_u8x16_sub_sat(a, b); }
    static V EqU8(V a, V b) { return wasm_i8x16_eq(a, b); }
    static V WidenBytes(V m) { return wasm_i8x16_shuffle(m, m, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7); }
    static V WidenBytesHigh(V m) {
        return wasm_i8x16_shuffle(m, m, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15);
    }
};

using Simd128V64 = Half<Simd128V128>;
// Sixteen pixels, the step of the depth rows, in two values.
using Simd128Pixels16 = Twice<Simd128V128>;

}  // namespace vc15::simd
