#include "blit/depth_rows.h"

#include "blit/blend_row.h"
#include "core/cpu.h"

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

namespace {

constexpr DepthRowForms kScalarForms{depth_rows::WriteScalar, depth_rows::CopyScalar, depth_rows::BlendScalar,
                                     depth_rows::WriteCopyScalar};
#if defined(VC15_HAVE_X86_SIMD)
constexpr DepthRowForms kSse2Forms{depth_rows::WriteSse2, depth_rows::CopySse2, depth_rows::BlendSse2,
                                   depth_rows::WriteCopySse2};
constexpr DepthRowForms kAvx2Forms{depth_rows::WriteAvx2, depth_rows::CopyAvx2, depth_rows::BlendAvx2,
                                   depth_rows::WriteCopyAvx2};
constexpr DepthRowForms kAvx512Forms{depth_rows::WriteAvx512, depth_rows::CopyAvx512, depth_rows::BlendAvx512,
                                     depth_rows::WriteCopyAvx512};
#endif

}  // namespace

const DepthRowForms& ActiveDepthRowForms() {
#if defined(VC15_HAVE_X86_SIMD)
    const cpu::Level level = cpu::Active();
    if (level >= cpu::Level::Avx512) return kAvx512Forms;
    if (level >= cpu::Level::Avx2) return kAvx2Forms;
    if (level >= cpu::Level::Sse2) return kSse2Forms;
#endif
    return kScalarForms;
}

void DepthWriteRow(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    ActiveDepthRowForms().write(plane, samples, n, bias);
}

void DepthCopyRow(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                  uint32_t bias) {
    ActiveDepthRowForms().copy(dst, plane, src, samples, n, bias);
}

void DepthBlendRow(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                   uint32_t bias, uint32_t L) {
    ActiveDepthRowForms().blend(dst, plane, src, samples, n, bias, L);
}

}  // namespace vc15
