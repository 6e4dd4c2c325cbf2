// GetPixel and SetPixel on a device context from Surface::GetDC. SetPixel
// stores the surface's native value for the colour (each channel's top bits
// placed under its mask), GetPixel turns the native value back into a
// COLORREF, widening each channel by repeating its bits, as GDI does on
// 16-bit surfaces. Both return CLR_INVALID outside the surface.
#include <cstring>

#include "ddraw/standin/objects.h"

namespace vc15::standin {

namespace {

constexpr uint32_t kDcMagic = 0x44435631u;

int LowestBit(DWORD mask) {
    int n = 0;
    while (n < 32 && !(mask & (1u << n))) ++n;
    return n;
}

int BitCount(DWORD mask) {
    int n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

// The channel's 8-bit value from the bits under the mask.
uint32_t Widen(uint32_t pixel, DWORD mask) {
    if (!mask) return 0;
    const int bits = BitCount(mask);
    uint32_t v = (pixel & mask) >> LowestBit(mask);
    if (bits >= 8) return v >> (bits - 8);
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += bits) out = (out << bits) | v;
    // `out` has a multiple of `bits` bits >= 8: keep the top 8.
    int total = ((8 + bits - 1) / bits) * bits;
    return (out >> (total - 8)) & 0xFF;
}

// The channel's bits under the mask from an 8-bit value.
uint32_t Narrow(uint32_t value, DWORD mask) {
    if (!mask) return 0;
    const int bits = BitCount(mask);
    const uint32_t v = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
    return (v << LowestBit(mask)) & mask;
}

Surface* SurfaceOf(HDC dc) {
    if (!dc || dc->magic != kDcMagic) return nullptr;
    return dc->surface;
}

uint8_t* PixelAddress(Surface* s, int x, int y, size_t& bytes) {
    if (x < 0 || y < 0 || static_cast<DWORD>(x) >= s->width() || static_cast<DWORD>(y) >= s->height()) return nullptr;
    bytes = (s->format().dwRGBBitCount + 7) / 8;
    return s->memory() + static_cast<size_t>(y) * static_cast<size_t>(s->pitch()) + static_cast<size_t>(x) * bytes;
}

COLORREF ToColour(const DDPIXELFORMAT& f, uint32_t pixel) {
    return Widen(pixel, f.dwRBitMask) | (Widen(pixel, f.dwGBitMask) << 8) | (Widen(pixel, f.dwBBitMask) << 16);
}

}  // namespace

COLORREF GetPixel(HDC dc, int x, int y) {
    VC15_RECORD(J().getPixelCalls += 1);
    Surface* s = SurfaceOf(dc);
    if (!s) return CLR_INVALID;
    size_t bytes = 0;
    const uint8_t* p = PixelAddress(s, x, y, bytes);
    if (!p) return CLR_INVALID;
    uint32_t pixel = 0;
    std::memcpy(&pixel, p, bytes);
    return ToColour(s->format(), pixel);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    VC15_RECORD(J().setPixelCalls += 1);
    Surface* s = SurfaceOf(dc);
    if (!s) return CLR_INVALID;
    size_t bytes = 0;
    uint8_t* p = PixelAddress(s, x, y, bytes);
    if (!p) return CLR_INVALID;
    const DDPIXELFORMAT& f = s->format();
    const uint32_t pixel = Narrow(color & 0xFF, f.dwRBitMask) | Narrow((color >> 8) & 0xFF, f.dwGBitMask) |
                           Narrow((color >> 16) & 0xFF, f.dwBBitMask);
    std::memcpy(p, &pixel, bytes);
    return ToColour(f, pixel);  // the colour actually set
}

}  // namespace vc15::standin
