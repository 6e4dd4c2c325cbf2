// The row blend kernel at the AVX-512 level: 32 pixels per step, the shorter
// runs 256 and 128 bits at a time, and those under eight pixels in one masked
// step; the group loop ends with a masked step too.
#include "blit/simd_avx512.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"

namespace vc15 {

using simd::Avx512V128;
using simd::Avx512V256;
using simd::Avx512V512;

void BlendGroupsAvx512(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L) {
    kernels::BlendGroups<Avx512V512>(dst, src, groups, L);
}

void BlendRunAvx512(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L) {
    kernels::BlendRun<Avx512V512, Avx512V256, Avx512V128>(dst, src, n, L);
}

VC15_KERNEL_ABI void BlendRunAvx512Prepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k) {
    kernels::BlendRunPrepared<Avx512V512, Avx512V256, Avx512V128>(dst, src, n, k);
}

}  // namespace vc15
