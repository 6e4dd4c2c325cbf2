// The vector structs of the SSE2 level; included only by *_sse2.cpp files.
#pragma once

#include "simd/x86_128.h"

namespace vc15::simd {

struct Sse2V128 : X128<Sse2V128> {};
using Sse2V64 = Half<Sse2V128>;
// Sixteen pixels, the step of the depth rows, in two registers.
using Sse2Pixels16 = Twice<Sse2V128>;

}  // namespace vc15::simd
