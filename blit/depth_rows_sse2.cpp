// The depth rows at the SSE2 level: sixteen samples per step, their pixels
// in two registers; eight at a time for shorter runs.
#include "blit/simd_sse2.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"

namespace vc15::depth_rows {

namespace {
using namespace simd;
using kernels::PixelStep;
using kernels::PlaneStep;
using Wide = PixelStep<Sse2V128, Sse2Pixels16>;
using Narrow = PixelStep<Sse2V64, Sse2V128>;
}  // namespace

VC15_KERNEL_ABI void WriteSse2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    kernels::DepthWrite<PlaneStep<Sse2V128>, PlaneStep<Sse2V64>>(plane, samples, n, bias);
}

VC15_KERNEL_ABI void CopySse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                              uint32_t n, uint32_t bias) {
    kernels::DepthCopy<Wide, Narrow>(dst, plane, src, samples, n, bias);
}

VC15_KERNEL_ABI void WriteCopySse2(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                   uint32_t n, uint32_t bias) {
    kernels::DepthWriteCopy<Wide, Narrow>(dst, plane, src, samples, n, bias);
}

VC15_KERNEL_ABI void BlendSse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                               uint32_t n, uint32_t bias, uint32_t L) {
    kernels::DepthBlend<Wide, Narrow>(dst, plane, src, samples, n, bias, L);
}

}  // namespace vc15::depth_rows
