// Row operations of the depth effects: the depth-write rule, and the
// depth-tested copy and blend of a run of sprite pixels. Each has a scalar
// form (the rules as written) and SSE2 / AVX2 / AVX-512 forms with the same results,
// picked by cpu::Active() like every kernel family.
#pragma once

#include <cstdint>

#include "blit/kernel_abi.h"

namespace vc15 {

// plane[i] = min(plane[i], samples[i] + bias) where the sum is not above it.
void DepthWriteRow(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);

// dst[i] = src[i] where samples[i] + bias <= plane[i].
void DepthCopyRow(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                  uint32_t bias);

// dst[i] = the per-pixel blend of src[i] over dst[i] at level L (0..256)
// where samples[i] + bias <= plane[i].
void DepthBlendRow(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                   uint32_t bias, uint32_t L);

// The rows of one level; the depth blits fetch the active forms once per draw
// instead of once per run.
struct DepthRowForms {
    void(VC15_KERNEL_ABI* write)(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);
    void(VC15_KERNEL_ABI* copy)(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                uint32_t n, uint32_t bias);
    void(VC15_KERNEL_ABI* blend)(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                 uint32_t n, uint32_t bias, uint32_t L);
    // The write and the copy of one run in one pass (the same pixels pass as
    // after the write alone: each pixel's test reads only its own plane byte).
    void(VC15_KERNEL_ABI* writeCopy)(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias);
};
const DepthRowForms& ActiveDepthRowForms();

namespace depth_rows {
// The forms of each level (internal; the library reaches them through
// ActiveDepthRowForms()).
VC15_KERNEL_ABI void WriteScalar(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void CopyScalar(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void WriteCopyScalar(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void BlendScalar(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                 uint32_t n, uint32_t bias, uint32_t L);
#if defined(VC15_HAVE_X86_SIMD)
VC15_KERNEL_ABI void WriteSse2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void CopySse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                              uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void WriteCopySse2(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                   uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void BlendSse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                               uint32_t n, uint32_t bias, uint32_t L);
VC15_KERNEL_ABI void WriteAvx2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void CopyAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                              uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void WriteCopyAvx2(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                   uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void BlendAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                               uint32_t n, uint32_t bias, uint32_t L);
VC15_KERNEL_ABI void WriteAvx512(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void CopyAvx512(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void WriteCopyAvx512(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void BlendAvx512(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                 uint32_t n, uint32_t bias, uint32_t L);
#endif
}  // namespace depth_rows

}  // namespace vc15
