// The depth rows at the AVX-512 level: the test on 32 samples in a 256-bit
// register, widened to a mask over 32 pixels in a 512-bit one, and the write
// 64 samples per step; halves and quarters of that for shorter runs, and one
// masked step for runs under the narrowest.
#include "blit/simd_avx512.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"

namespace vc15::depth_rows {

namespace {
using namespace simd;
using kernels::PixelStep;
using kernels::PlaneStep;
using Wide = PixelStep<Avx512V256, Avx512V512>;
using Mid = PixelStep<Avx512V128, Avx512V256>;
using Narrow = PixelStep<Avx512V64, Avx512V128>;
}  // namespace

VC15_KERNEL_ABI void WriteAvx512(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    kernels::DepthWrite<PlaneStep<Avx512V512>, PlaneStep<Avx512V256>, PlaneStep<Avx512V128>>(plane, samples, n, bias);
}

VC15_KERNEL_ABI void CopyAvx512(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                uint32_t n, uint32_t bias) {
    kernels::DepthCopy<Wide, Mid, Narrow>(dst, plane, src, samples, n, bias);
}

VC15_KERNEL_ABI void WriteCopyAvx512(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias) {
    kernels::DepthWriteCopy<Wide, Mid, Narrow>(dst, plane, src, samples, n, bias);
}

VC15_KERNEL_ABI void BlendAvx512(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                 uint32_t n, uint32_t bias, uint32_t L) {
    kernels::DepthBlend<Wide, Mid, Narrow>(dst, plane, src, samples, n, bias, L);
}

}  // namespace vc15::depth_rows
