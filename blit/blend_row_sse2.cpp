// The group loop of the row blend kernel at the SSE2 level: eight pixels per
// step, a last group of four in the low 64 bits.
#include "blit/simd_sse2.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"

namespace vc15 {

using simd::Sse2V128;
using simd::Sse2V64;

void BlendGroupsSse2(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L) {
    kernels::BlendGroups<Sse2V128, Sse2V64>(dst, src, groups, L);
}

}  // namespace vc15
