// The widening of the presenting conversions on four pixels in 32-bit lanes,
// shared by the SSE2 and SSSE3 forms. Internal linkage: each file compiles
// it with its own instruction-set flags.
#pragma once

#include <emmintrin.h>

namespace vc15 {
namespace {

// RGB555 values (0..0xFFFF) to 0x00RRGGBB with each channel v widened to
// (v << 3) | (v >> 2): the channel is placed in the top five bits of its
// byte, then its three top bits are copied into the byte's three low bits.
inline __m128i WidenedRgbLanes(__m128i x) {
    const __m128i r = _mm_slli_epi32(_mm_and_si128(x, _mm_set1_epi32(0x7C00)), 9);
    const __m128i g = _mm_slli_epi32(_mm_and_si128(x, _mm_set1_epi32(0x03E0)), 6);
    const __m128i b = _mm_slli_epi32(_mm_and_si128(x, _mm_set1_epi32(0x001F)), 3);
    const __m128i v = _mm_or_si128(_mm_or_si128(r, g), b);
    return _mm_or_si128(v, _mm_and_si128(_mm_srli_epi32(v, 5), _mm_set1_epi32(0x00070707)));
}

// The same from lanes holding the RGB555 value in both 16-bit halves (an
// unpack of the pixels with themselves): blue from the low half and red from
// the high half are moved into place by one multiply-add (blue times 2^3,
// red's field at bits 10-14 times 2^9).
inline __m128i WidenedRgbLanesFromPairs(__m128i x) {
    const __m128i rb = _mm_madd_epi16(_mm_and_si128(x, _mm_set1_epi32(0x7C00001F)), _mm_set1_epi32(0x02000008));
    const __m128i g = _mm_slli_epi32(_mm_and_si128(x, _mm_set1_epi32(0x03E0)), 6);
    const __m128i v = _mm_or_si128(rb, g);
    return _mm_or_si128(v, _mm_and_si128(_mm_srli_epi32(v, 5), _mm_set1_epi32(0x00070707)));
}

}  // namespace
}  // namespace vc15
