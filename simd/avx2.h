// The vector structs of the AVX2 level; included only by *_avx2.cpp files.
#pragma once

#include <immintrin.h>

#include "simd/x86_128.h"
#include "simd/x86_256.h"

namespace vc15::simd {

// The 128-bit operations, with the blend instruction for Pick.
struct Avx2V128 : X128<Avx2V128> {
    static V Pick(V no, V yes, V mask) { return _mm_blendv_epi8(no, yes, mask); }
};
using Avx2V64 = Half<Avx2V128>;

// Sixteen 16-bit lanes (32 bytes).
struct Avx2V256 : X256<Avx2V256> {};

}  // namespace vc15::simd
