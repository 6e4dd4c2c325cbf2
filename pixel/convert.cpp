// Each loop reads source pixel i before it writes destination pixel i, and
// no output lies beyond its input, so dst == src converts in place.
#include "pixel/convert.h"

#include "VexaCanvas15.h"

namespace vc15::scalar {

void Rgb555ToRgb565(uint16_t* dst, const uint16_t* src, int32_t count) {
    // 0RRRRRGG GGGBBBBB -> RRRRRGGG GG0BBBBB
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = src[i];
        dst[i] = static_cast<uint16_t>(((s & 0xFFE0u) << 1) | (s & 0x1Fu));
    }
}

void Rgb565ToRgb555(uint16_t* dst, const uint16_t* src, int32_t count) {
    // RRRRRGGG GGGBBBBB -> 0RRRRRGG GGGBBBBB (lowest green bit dropped)
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = src[i];
        dst[i] = static_cast<uint16_t>(((s >> 1) & 0x7FE0u) | (s & 0x1Fu));
    }
}

void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, src += 3)
        dst[i] = static_cast<uint16_t>(((src[0] >> 3) << 11) | ((src[1] >> 2) << 5) | (src[2] >> 3));
}

void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, src += 3)
        dst[i] = static_cast<uint16_t>(((src[0] >> 3) << 10) | ((src[1] >> 3) << 5) | (src[2] >> 3));
}

void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    // Low five bits of each colour byte (not the top five); any alpha sets bit 15.
    for (int32_t i = 0; i < count; ++i, src += 4)
        dst[i] = static_cast<uint16_t>((src[3] ? 0x8000u : 0u) | ((src[0] & 0x1Fu) << 10) | ((src[1] & 0x1Fu) << 5) |
                                       (src[2] & 0x1Fu));
}

void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    // Low four bits of each byte; byte 0 lands in the top field.
    for (int32_t i = 0; i < count; ++i, src += 4)
        dst[i] = static_cast<uint16_t>(((src[0] & 0x0Fu) << 12) | ((src[1] & 0x0Fu) << 8) | ((src[2] & 0x0Fu) << 4) |
                                       (src[3] & 0x0Fu));
}

}  // namespace vc15::scalar

extern "C" {

VC15_API void VC15_CALL RGB555_RGB565(uint16_t* dst, const uint16_t* src, int32_t count) {
    vc15::scalar::Rgb555ToRgb565(dst, src, count);
}
VC15_API void VC15_CALL RGB565_RGB555(uint16_t* dst, const uint16_t* src, int32_t count) {
    vc15::scalar::Rgb565ToRgb555(dst, src, count);
}
VC15_API void VC15_CALL RGB888_RGB565(uint16_t* dst, const uint8_t* src, int32_t count) {
    vc15::scalar::Rgb888ToRgb565(dst, src, count);
}
VC15_API void VC15_CALL RGB888_RGB555(uint16_t* dst, const uint8_t* src, int32_t count) {
    vc15::scalar::Rgb888ToRgb555(dst, src, count);
}
VC15_API void VC15_CALL RGBA8888_ARGB1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    vc15::scalar::Rgba8888ToArgb1555(dst, src, count);
}
VC15_API void VC15_CALL RGBA8888_ARGB4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    vc15::scalar::Rgba8888ToArgb4444(dst, src, count);
}

}  // extern "C"
