// Pixel converters: one scalar form per conversion that reads like its rule,
// and the vector forms of each level with the same results. Each level's
// forms are slots of the kernel table, which the exported functions and the
// presenting code call through.
#pragma once

#include <cstdint>

// The six conversions, declared once for every level that has all of them.
#define VC15_DECLARE_CONVERTERS                                                \
    void Rgb555ToRgb565(uint16_t* dst, const uint16_t* src, int32_t count);    \
    void Rgb565ToRgb555(uint16_t* dst, const uint16_t* src, int32_t count);    \
    void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count);     \
    void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count);     \
    void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count); \
    void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count);

// Conversions of canvas rows (RGB555) for presenting: each 5-bit channel v is
// widened to 8 bits as (v << 3) | (v >> 2) and the 5-bit green to 6 bits as
// (g << 1) | (g >> 4), so 31 becomes full intensity. Bit 15 is ignored. The
// outputs are wider than the inputs: dst must not overlap src.
#define VC15_DECLARE_PRESENT_CONVERTERS                                         \
    void Rgb555ToRgb565Wide(uint16_t* dst, const uint16_t* src, int32_t count); \
    void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count);   \
    void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count);

namespace vc15 {

namespace scalar {
VC15_DECLARE_CONVERTERS
VC15_DECLARE_PRESENT_CONVERTERS
// Bytes red, green, blue, 255 in memory: what a web canvas's ImageData holds.
void Rgb555ToRgba8888(uint8_t* dst, const uint16_t* src, int32_t count);
}  // namespace scalar

// Every form reads source pixel i before it writes destination pixel i and
// never writes beyond its own input position, so dst == src works.
//
// The forms written per level: those that move bytes between lanes (3- and
// 4-byte pixels, and the 32-bit output). The conversions between 16-bit
// pixels are one template over the vector layer (pixel/convert_kernels.h).
#define VC15_DECLARE_BYTE_CONVERTERS                                           \
    void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count);     \
    void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count);     \
    void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count); \
    void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count); \
    void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count);  \
    void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count);

namespace sse2 {
VC15_DECLARE_BYTE_CONVERTERS
}  // namespace sse2

namespace avx2 {
VC15_DECLARE_BYTE_CONVERTERS
}  // namespace avx2

// Only the conversions with byte sources or byte outputs have an SSSE3 form
// (they need its byte shuffle); its table keeps the SSE2 forms of the rest.
namespace ssse3 {
void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count);
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count);
}  // namespace ssse3

// AVX-512 has no better form of the conversions of 4-byte sources than
// AVX2's, which its table keeps.
namespace avx512 {
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count);
void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count);
}  // namespace avx512

// NEON's structure loads and stores split and join 3- and 4-byte pixels.
namespace neon {
VC15_DECLARE_BYTE_CONVERTERS
}  // namespace neon
}  // namespace vc15
