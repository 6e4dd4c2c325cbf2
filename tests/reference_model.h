// A plain model of the drawing rules, pixel by pixel, for differential tests.
// It shares no code with the library: spans are parsed into vectors, every
// visibility decision is made per pixel against the clip rectangle and the
// image's box (no window, no span classes), and the blend formulas are
// written in their closed forms.
#pragma once

#include <cstdint>
#include <vector>

#include "VexaCanvas15.h"

namespace ref {

struct Canvas {
    int32_t width = 0;
    int32_t height = 0;
    bool hasPixels = true;
    bool hasDepth = false;
    ClipRect clip{0, 0, 0, 0};
    std::vector<uint16_t> pixels;  // width * height
    std::vector<uint8_t> depth;    // width * height when hasDepth
};

struct Span {
    uint32_t x = 0, y = 0, count = 0;
    std::vector<uint16_t> pixels;  // colour records
    std::vector<uint8_t> samples;  // depth records
};

std::vector<Span> ParseColor(const CSpanImage& image);
std::vector<Span> ParseDepth(const CSpanImage& image);

// 3 * row + column; column 1 is left <= px <= right, row 1 is top <= py < bottom.
int RegionCode(const ClipRect& clip, int64_t px, int64_t py);

// Per-pixel formula with floor division, level used as given (0..256 here).
uint16_t PixelFormula(uint16_t s, uint16_t d, uint32_t L);
// A run of n pixels through the row kernel's rules: level clamp, the last
// n % 4 pixels per pixel, the others with the lane formula and the key.
void BlendRun(uint16_t* dst, const uint16_t* src, size_t n, uint32_t level);

// The whole draw operation.
int32_t Draw(Canvas& canvas, int32_t x, int32_t y, const CImage* image, const DrawEffect* effect);

}  // namespace ref
