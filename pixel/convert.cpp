// Each loop reads source pixel i before it writes destination pixel i, and
// no output lies beyond its input, so dst == src converts in place.
#include "pixel/convert.h"

#include <cstring>

#include "VexaCanvas15.h"
#include "core/kernel_table.h"

namespace vc15::scalar {

namespace {
// 16-bit pixels may sit at any address a host hands over: move them bytewise
// (compiles to plain loads and stores).
inline uint32_t Load16(const uint16_t* p) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store16(uint16_t* p, uint32_t v) {
    const uint16_t w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, sizeof w);
}
}  // namespace

void Rgb555ToRgb565(uint16_t* dst, const uint16_t* src, int32_t count) {
    // 0RRRRRGG GGGBBBBB -> RRRRRGGG GG0BBBBB
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = Load16(src + i);
        Store16(dst + i, ((s & 0xFFE0u) << 1) | (s & 0x1Fu));
    }
}

void Rgb565ToRgb555(uint16_t* dst, const uint16_t* src, int32_t count) {
    // RRRRRGGG GGGBBBBB -> 0RRRRRGG GGGBBBBB (lowest green bit dropped)
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = Load16(src + i);
        Store16(dst + i, ((s >> 1) & 0x7FE0u) | (s & 0x1Fu));
    }
}

void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, src += 3)
        Store16(dst + i, ((src[0] >> 3) << 11) | ((src[1] >> 2) << 5) | (src[2] >> 3));
}

void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, src += 3)
        Store16(dst + i, ((src[0] >> 3) << 10) | ((src[1] >> 3) << 5) | (src[2] >> 3));
}

void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    // Low five bits of each colour byte (not the top five); any alpha sets bit 15.
    for (int32_t i = 0; i < count; ++i, src += 4)
        Store16(dst + i,
                (src[3] ? 0x8000u : 0u) | ((src[0] & 0x1Fu) << 10) | ((src[1] & 0x1Fu) << 5) | (src[2] & 0x1Fu));
}

void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    // Low four bits of each byte; byte 0 lands in the top field.
    for (int32_t i = 0; i < count; ++i, src += 4)
        Store16(dst + i,
                ((src[0] & 0x0Fu) << 12) | ((src[1] & 0x0Fu) << 8) | ((src[2] & 0x0Fu) << 4) | (src[3] & 0x0Fu));
}

namespace {
// The widenings of the presenting conversions, written once for every form.
constexpr uint32_t Widen5To8(uint32_t v) { return (v << 3) | (v >> 2); }
constexpr uint32_t Widen5To6(uint32_t v) { return (v << 1) | (v >> 4); }
}  // namespace

void Rgb555ToRgb565Wide(uint16_t* dst, const uint16_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = Load16(src + i);
        Store16(dst + i, ((s & 0x7C00u) << 1) | (Widen5To6((s >> 5) & 0x1Fu) << 5) | (s & 0x1Fu));
    }
}

void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = Load16(src + i);
        const uint32_t v = 0xFF000000u | (Widen5To8((s >> 10) & 0x1Fu) << 16) | (Widen5To8((s >> 5) & 0x1Fu) << 8) |
                           Widen5To8(s & 0x1Fu);
        std::memcpy(dst + i, &v, sizeof v);
    }
}

void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, dst += 3) {
        const uint32_t s = Load16(src + i);
        dst[0] = static_cast<uint8_t>(Widen5To8(s & 0x1Fu));
        dst[1] = static_cast<uint8_t>(Widen5To8((s >> 5) & 0x1Fu));
        dst[2] = static_cast<uint8_t>(Widen5To8((s >> 10) & 0x1Fu));
    }
}

void Rgb555ToRgba8888(uint8_t* dst, const uint16_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, dst += 4) {
        const uint32_t s = Load16(src + i);
        dst[0] = static_cast<uint8_t>(Widen5To8((s >> 10) & 0x1Fu));
        dst[1] = static_cast<uint8_t>(Widen5To8((s >> 5) & 0x1Fu));
        dst[2] = static_cast<uint8_t>(Widen5To8(s & 0x1Fu));
        dst[3] = 0xFF;
    }
}

}  // namespace vc15::scalar

extern "C" {

// A null buffer makes the call do nothing, whatever the count.
VC15_API void VC15_CALL RGB555_RGB565(uint16_t* dst, const uint16_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Kernels().rgb555ToRgb565(dst, src, count);
}
VC15_API void VC15_CALL RGB565_RGB555(uint16_t* dst, const uint16_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Kernels().rgb565ToRgb555(dst, src, count);
}
VC15_API void VC15_CALL RGB888_RGB565(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Kernels().rgb888ToRgb565(dst, src, count);
}
VC15_API void VC15_CALL RGB888_RGB555(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Kernels().rgb888ToRgb555(dst, src, count);
}
VC15_API void VC15_CALL RGBA8888_ARGB1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Kernels().rgba8888ToArgb1555(dst, src, count);
}
VC15_API void VC15_CALL RGBA8888_ARGB4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Kernels().rgba8888ToArgb4444(dst, src, count);
}

}  // extern "C"
