// NEON forms of the converters that move bytes between lanes: the structure
// loads (vld3 / vld4) split sixteen 3- or 4-byte pixels into one register per
// byte, and the structure stores join them again, so no byte shuffle is
// needed. Each step loads all its input before it stores, and no output lies
// beyond its input, so the narrowing conversions work in place; the last
// count % 16 pixels go through the scalar forms.
#include <arm_neon.h>

#include "pixel/convert.h"

namespace vc15::neon {

namespace {

// Sixteen 5-bit fields at bits 7..3 of each byte (other bits set anywhere)
// widened to 8 bits: (v << 3) | (v >> 2).
inline uint8x16_t Widen5(uint8x16_t top5) {
    const uint8x16_t v = vandq_u8(top5, vdupq_n_u8(0xF8));
    return vsriq_n_u8(v, v, 5);
}

// The three channels of sixteen RGB555 pixels, each widened to 8 bits.
struct Channels8 {
    uint8x16_t r, g, b;
};
inline Channels8 Widened(const uint16_t* src) {
    // Through byte pointers: a host's 16-bit pixels may sit at any address.
    const auto* p = reinterpret_cast<const uint8_t*>(src);
    const uint16x8_t lo = vreinterpretq_u16_u8(vld1q_u8(p)), hi = vreinterpretq_u16_u8(vld1q_u8(p + 16));
    return {Widen5(vcombine_u8(vshrn_n_u16(lo, 7), vshrn_n_u16(hi, 7))),
            Widen5(vcombine_u8(vshrn_n_u16(lo, 2), vshrn_n_u16(hi, 2))),
            Widen5(vshlq_n_u8(vcombine_u8(vmovn_u16(lo), vmovn_u16(hi)), 3))};
}

// Sixteen 16-bit pixels from byte fields: top is shifted left into the high
// bits, mid and low are inserted below it at their shifts (shift right and
// insert keeps the bits above).
template <int kTop, int kMid, int kLow>
inline void Pack3(uint16_t* dst, uint8x16_t top, uint8x16_t mid, uint8x16_t low) {
    uint16x8_t a = vshll_n_u8(vget_low_u8(top), kTop), b = vshll_n_u8(vget_high_u8(top), kTop);
    a = vsriq_n_u16(a, vshll_n_u8(vget_low_u8(mid), 8), kMid);
    b = vsriq_n_u16(b, vshll_n_u8(vget_high_u8(mid), 8), kMid);
    a = vsriq_n_u16(a, vshll_n_u8(vget_low_u8(low), 8), kLow);
    b = vsriq_n_u16(b, vshll_n_u8(vget_high_u8(low), 8), kLow);
    vst1q_u8(reinterpret_cast<uint8_t*>(dst), vreinterpretq_u8_u16(a));
    vst1q_u8(reinterpret_cast<uint8_t*>(dst + 8), vreinterpretq_u8_u16(b));
}

// Sixteen 3-byte pixels a step, their bytes 0, 1, 2 packed by Pack3 at the
// given shifts; Scalar does the rest.
template <int kTop, int kMid, int kLow, void (*Scalar)(uint16_t*, const uint8_t*, int32_t)>
void From888(uint16_t* dst, const uint8_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8x16x3_t p = vld3q_u8(src + 3 * static_cast<intptr_t>(i));
        Pack3<kTop, kMid, kLow>(dst + i, p.val[0], p.val[1], p.val[2]);
    }
    Scalar(dst + i, src + 3 * static_cast<intptr_t>(i), count - i);
}

}  // namespace

// Bytes 0, 1, 2 give the top 5, 6 and 5 bits of red, green and blue.
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    From888<8, 5, 11, scalar::Rgb888ToRgb565>(dst, src, count);
}

// Bit 15 clear: red shifted by 7 only.
void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    From888<7, 6, 11, scalar::Rgb888ToRgb555>(dst, src, count);
}

// The low five bits of each colour byte; any alpha sets bit 15.
void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    const uint8x16_t five = vdupq_n_u8(0x1F);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8x16x4_t p = vld4q_u8(src + 4 * static_cast<intptr_t>(i));
        // Alpha as 0x80 where it is not zero, then red's five bits at 6..2:
        // the high byte; green at bits 9..5 and blue at 4..0 below it.
        const uint8x16_t high =
            vorrq_u8(vandq_u8(vtstq_u8(p.val[3], p.val[3]), vdupq_n_u8(0x80)), vshlq_n_u8(vandq_u8(p.val[0], five), 2));
        const uint8x16_t g = vandq_u8(p.val[1], five), b = vandq_u8(p.val[2], five);
        // The low byte: green's low three bits at 7..5, blue at 4..0; the
        // high byte also takes green's top two bits at 1..0.
        uint8x16x2_t out;
        out.val[0] = vorrq_u8(vshlq_n_u8(g, 5), b);
        out.val[1] = vorrq_u8(high, vshrq_n_u8(g, 3));
        vst2q_u8(reinterpret_cast<uint8_t*>(dst + i), out);
    }
    scalar::Rgba8888ToArgb1555(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

// The low four bits of each byte; byte 0 lands in the top field.
void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8x16x4_t p = vld4q_u8(src + 4 * static_cast<intptr_t>(i));
        uint8x16x2_t out;
        out.val[0] = vsliq_n_u8(p.val[3], p.val[2], 4);  // (byte 2 << 4) | (byte 3 & 15)
        out.val[1] = vsliq_n_u8(p.val[1], p.val[0], 4);  // (byte 0 << 4) | (byte 1 & 15)
        vst2q_u8(reinterpret_cast<uint8_t*>(dst + i), out);
    }
    scalar::Rgba8888ToArgb4444(dst + i, src + 4 * static_cast<intptr_t>(i), count - i);
}

// ---- Presenting conversions ------------------------------------------------

// Bytes B, G, R, 0xFF in memory: 0xFFRRGGBB as little-endian words.
void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const Channels8 c = Widened(src + i);
        uint8x16x4_t out;
        out.val[0] = c.b;
        out.val[1] = c.g;
        out.val[2] = c.r;
        out.val[3] = vdupq_n_u8(0xFF);
        vst4q_u8(reinterpret_cast<uint8_t*>(dst + i), out);
    }
    scalar::Rgb555ToXrgb8888(dst + i, src + i, count - i);
}

void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count) {
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const Channels8 c = Widened(src + i);
        uint8x16x3_t out;
        out.val[0] = c.b;
        out.val[1] = c.g;
        out.val[2] = c.r;
        vst3q_u8(dst + 3 * static_cast<intptr_t>(i), out);
    }
    scalar::Rgb555ToBgr888(dst + 3 * static_cast<intptr_t>(i), src + i, count - i);
}

}  // namespace vc15::neon
