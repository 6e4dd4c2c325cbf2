// The conversions whose rule is one formula on 16-bit lanes, written once
// over the vector layer (simd/vec.h) and instantiated by each level's file.
// The conversions between 16-bit pixels and 3- or 4-byte ones move bytes
// between lanes, which each instruction set does its own way (byte shuffles
// on x86, structure loads and stores on NEON): those stay written per level,
// in pixel/convert_<level>.cpp.
//
// Included only by the level files (levels/), after their simd/<level>.h.
#pragma once

#include <cstdint>

#include "simd/vec.h"

namespace vc15::convert_kernels {

template <class O>
struct Rgb555To565 {
    // 0RRRRRGG GGGBBBBB -> RRRRRGGG GG0BBBBB
    static typename O::V Apply(typename O::V s) {
        return O::Or(O::template Shl<1>(O::And(s, O::Set(static_cast<short>(0xFFE0)))), O::And(s, O::Set(0x001F)));
    }
};

template <class O>
struct Rgb565To555 {
    // RRRRRGGG GGGBBBBB -> 0RRRRRGG GGGBBBBB (lowest green bit dropped)
    static typename O::V Apply(typename O::V s) {
        return O::Or(O::And(O::template Shr<1>(s), O::Set(0x7FE0)), O::And(s, O::Set(0x001F)));
    }
};

template <class O>
struct Rgb555To565Wide {
    // Red and green move up one bit; green's top bit (bit 9) is copied into
    // bit 5, which widens the 5-bit green to 6 bits as (g << 1) | (g >> 4).
    static typename O::V Apply(typename O::V s) {
        const typename O::V moved = O::template Shl<1>(O::And(s, O::Set(0x7FE0)));
        const typename O::V gLow = O::And(O::template Shr<4>(s), O::Set(0x0020));
        return O::Or(O::Or(moved, gLow), O::And(s, O::Set(0x001F)));
    }
};

template <class O>
constexpr bool kMaskedTail = requires {
    requires O::kMaskedTail;
};

// Rule on `count` 16-bit pixels: two registers a step, then one, then the
// rest in one masked step or by the scalar form. Each step loads all its
// input before it stores, and no output lies beyond its input, so dst == src
// converts in place.
// Scalar is the scalar form of the same rule.
template <template <class> class Rule, class O, void (*Scalar)(uint16_t*, const uint16_t*, int32_t)>
void Each16(uint16_t* dst, const uint16_t* src, int32_t count) {
    constexpr int32_t W = static_cast<int32_t>(O::kLanes);
    int32_t i = 0;
    for (; i + 2 * W <= count; i += 2 * W) {
        const typename O::V a = O::Load(src + i), b = O::Load(src + i + W);
        O::Store(dst + i, Rule<O>::Apply(a));
        O::Store(dst + i + W, Rule<O>::Apply(b));
    }
    if (i + W <= count) {
        O::Store(dst + i, Rule<O>::Apply(O::Load(src + i)));
        i += W;
    }
    if constexpr (kMaskedTail<O>) {
        if (i < count) {
            const auto r = static_cast<uint32_t>(count - i);
            O::StoreN16(dst + i, Rule<O>::Apply(O::LoadN16(src + i, r)), r);
        }
    } else {
        Scalar(dst + i, src + i, count - i);
    }
}

}  // namespace vc15::convert_kernels
