// The depth rows at the AVX2 level: the test on sixteen samples in a 128-bit
// register, widened to a mask over sixteen pixels in a 256-bit one, and the
// write 32 samples per step; halves of that for shorter runs.
#include "blit/simd_avx2.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"

namespace vc15::depth_rows {

namespace {
using namespace simd;
using kernels::PixelStep;
using kernels::PlaneStep;
using Wide = PixelStep<Avx2V128, Avx2V256>;
using Narrow = PixelStep<Avx2V64, Avx2V128>;
}  // namespace

VC15_KERNEL_ABI void WriteAvx2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    kernels::DepthWrite<PlaneStep<Avx2V256>, PlaneStep<Avx2V128>, PlaneStep<Avx2V64>>(plane, samples, n, bias);
}

VC15_KERNEL_ABI void CopyAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                              uint32_t n, uint32_t bias) {
    kernels::DepthCopy<Wide, Narrow>(dst, plane, src, samples, n, bias);
}

VC15_KERNEL_ABI void WriteCopyAvx2(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                   uint32_t n, uint32_t bias) {
    kernels::DepthWriteCopy<Wide, Narrow>(dst, plane, src, samples, n, bias);
}

VC15_KERNEL_ABI void BlendAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                               uint32_t n, uint32_t bias, uint32_t L) {
    kernels::DepthBlend<Wide, Narrow>(dst, plane, src, samples, n, bias, L);
}

}  // namespace vc15::depth_rows
