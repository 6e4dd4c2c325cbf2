// Row blend kernel for RGB555 pixels: the tail of a run (its last 0..3
// pixels) with the per-pixel formula, the rest in groups of four with the
// lane formula and its key value 0x0040. Each level's forms are slots of the
// kernel table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vc15 {

// Blends byteLength / 2 pixels of src over dst. Only the low 16 bits of level
// count; 0 writes nothing, 256 and above act as 256. Returns 0.
int32_t BlendRow555(uint16_t* dst, const uint16_t* src, uint32_t byteLength, uint32_t level);

// The per-pixel formula, per channel d + (((s - d) * L) >> 8) with an
// arithmetic shift, combined as signed 32-bit values; the level is used as
// given (no clamp), the low 16 bits of the result are the pixel.
inline uint16_t BlendPixelValue555(uint16_t s, uint16_t d, uint32_t level) {
    const int32_t L = static_cast<int32_t>(level);
    const int32_t sr = (s >> 10) & 31, sg = (s >> 5) & 31, sb = s & 31;
    const int32_t dr = (d >> 10) & 31, dg = (d >> 5) & 31, db = d & 31;
    const int32_t r = dr + (((sr - dr) * L) >> 8);
    const int32_t g = dg + (((sg - dg) * L) >> 8);
    const int32_t b = db + (((sb - db) * L) >> 8);
    return static_cast<uint16_t>((r << 10) | (g << 5) | b);
}

inline void BlendPixel555(uint16_t* dst, const uint16_t* src, uint32_t level) {
    *dst = BlendPixelValue555(*src, *dst, level);
}

}  // namespace vc15
