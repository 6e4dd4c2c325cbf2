// Row operations of the depth effects: the depth-write rule, and the
// depth-tested copy and blend of a run of sprite pixels. Each has a scalar
// form (the rules as written) and vector forms with the same results, slots
// of the kernel table; the functions below call the table in use.
#pragma once

#include <cstdint>

#include "core/kernel_abi.h"

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

namespace depth_rows {
// The scalar forms: the rules as written, the reference of the vector forms.
VC15_KERNEL_ABI void WriteScalar(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void CopyScalar(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                uint32_t n, uint32_t bias);
// The write and the copy of one run in one pass (the same pixels pass as
// after the write alone: each pixel's test reads only its own plane byte).
VC15_KERNEL_ABI void WriteCopyScalar(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias);
VC15_KERNEL_ABI void BlendScalar(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                 uint32_t n, uint32_t bias, uint32_t L);

// The scalar forms under the names the depth walks take (blit/depth_walks.h).
struct ScalarRows {
    static void Write(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
        WriteScalar(plane, samples, n, bias);
    }
    static void Copy(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                     uint32_t bias) {
        CopyScalar(dst, plane, src, samples, n, bias);
    }
    static void WriteCopy(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                          uint32_t bias) {
        WriteCopyScalar(dst, plane, src, samples, n, bias);
    }
    static void Blend(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                      uint32_t bias, uint32_t L) {
        BlendScalar(dst, plane, src, samples, n, bias, L);
    }
};
}  // namespace depth_rows

}  // namespace vc15
