// The row blend kernel at the AVX2 level: sixteen pixels per step, the
// remaining groups 128 and 64 bits at a time.
#include "blit/simd_avx2.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"

namespace vc15 {

using simd::Avx2V128;
using simd::Avx2V256;
using simd::Avx2V64;

void BlendGroupsAvx2(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L) {
    kernels::BlendGroups<Avx2V256, Avx2V128, Avx2V64>(dst, src, groups, L);
}

void BlendRunAvx2(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L) {
    kernels::BlendRun<Avx2V256, Avx2V128, Avx2V64>(dst, src, n, L);
}

VC15_KERNEL_ABI void BlendRunAvx2Prepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k) {
    kernels::BlendRunPrepared<Avx2V256, Avx2V128, Avx2V64>(dst, src, n, k);
}

}  // namespace vc15
