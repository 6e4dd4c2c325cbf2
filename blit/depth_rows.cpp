#include "blit/depth_rows.h"

#include "blit/blend_row.h"
#include "core/kernel_table.h"

namespace vc15 {

namespace depth_rows {

VC15_KERNEL_ABI void WriteScalar(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t t = samples[i] + bias;  // 0..510, never wraps
        if (t <= plane[i]) plane[i] = static_cast<uint8_t>(t);
    }
}

VC15_KERNEL_ABI void CopyScalar(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                uint32_t n, uint32_t bias) {
    for (uint32_t i = 0; i < n; ++i)
        if (uint32_t{samples[i]} + bias <= plane[i]) dst[i] = src[i];
}

VC15_KERNEL_ABI void WriteCopyScalar(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias) {
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t t = samples[i] + bias;
        if (t <= plane[i]) {
            plane[i] = static_cast<uint8_t>(t);
            dst[i] = src[i];
        }
    }
}

VC15_KERNEL_ABI void BlendScalar(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                 uint32_t n, uint32_t bias, uint32_t L) {
    for (uint32_t i = 0; i < n; ++i)
        if (uint32_t{samples[i]} + bias <= plane[i]) dst[i] = BlendPixelValue555(src[i], dst[i], L);
}

}  // namespace depth_rows

void DepthWriteRow(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    Kernels().depthWrite(plane, samples, n, bias);
}

void DepthCopyRow(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                  uint32_t bias) {
    Kernels().depthCopy(dst, plane, src, samples, n, bias);
}

void DepthBlendRow(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                   uint32_t bias, uint32_t L) {
    Kernels().depthBlend(dst, plane, src, samples, n, bias, L);
}

}  // namespace vc15
