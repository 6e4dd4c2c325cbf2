#include "reference_model.h"

#include <algorithm>
#include <cstring>

namespace ref {

namespace {

std::vector<Span> Parse(const CSpanImage& image, size_t elementSize) {
    std::vector<Span> out;
    const uint8_t* p = image.spans;
    for (uint32_t i = 0; i < image.spanCount; ++i) {
        Span s;
        uint16_t xy[2];
        std::memcpy(xy, p, 4);
        std::memcpy(&s.count, p + 4, 4);
        s.x = xy[0];
        s.y = xy[1];
        p += 8;
        if (elementSize == 2) {
            s.pixels.resize(s.count);
            if (s.count) std::memcpy(s.pixels.data(), p, 2u * s.count);
        } else {
            s.samples.assign(p, p + s.count);
        }
        p += elementSize * s.count;
        out.push_back(std::move(s));
    }
    return out;
}

int64_t FloorDiv256(int64_t v) { return v >= 0 ? v / 256 : -((-v + 255) / 256); }

// f applied to each 5-bit channel of s and d, the results packed again.
template <class F>
uint16_t PerChannel(uint16_t s, uint16_t d, F f) {
    int64_t out = 0;
    for (int k = 0; k < 3; ++k) out |= f(int64_t{(s >> 5 * k) & 31}, int64_t{(d >> 5 * k) & 31}) << 5 * k;
    return static_cast<uint16_t>(out);
}

uint8_t ClearValue(uint32_t flags) { return (flags & DEPTH_CLEAR_VALUE) ? static_cast<uint8_t>(flags & 0xff) : 255; }

// The box wholly inside the clip rectangle, edges allowed (loose) or not.
bool Inside(const ClipRect& c, int64_t x, int64_t y, int64_t w, int64_t h, bool strict) {
    if (strict) return c.left < x && x + w < c.right && c.top < y && y + h < c.bottom;
    return c.left <= x && x + w <= c.right && c.top <= y && y + h <= c.bottom;
}

// On the clipped path a pixel is drawn when it lies in the clip rectangle
// (right and bottom excluded) and in the image's box. The corner codes
// refuse only boxes that share no pixel with the clip rectangle (top-left
// corner right of `right` or at or below `bottom`, bottom-right corner left
// of `left` or above `top`), so this test alone decides every pixel.
bool PixelVisible(const ClipRect& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t col, int64_t row) {
    const int64_t X = x + col, Y = y + row;
    return X >= c.left && X < c.right && Y >= c.top && Y < c.bottom && col < w && row < h;
}

size_t Index(const Canvas& c, int64_t col, int64_t row) { return static_cast<size_t>(row * c.width + col); }

// For every span: the elements a path touches, as [first, end), and whether
// the draw took the unclipped path (the box wholly inside by the strict or
// the loose test), where every element is drawn untested.
template <class Fn>
void ForEachRun(const Canvas& c, int64_t x, int64_t y, int64_t w, int64_t h, bool strict,
                const std::vector<Span>& spans, Fn fn) {
    const bool inside = Inside(c.clip, x, y, w, h, strict);
    for (size_t k = 0; k < spans.size(); ++k) {
        const Span& s = spans[k];
        if (inside) {
            fn(k, 0u, s.count, true);
            continue;
        }
        uint32_t first = s.count, end = 0;
        for (uint32_t i = 0; i < s.count; ++i)
            if (PixelVisible(c.clip, x, y, w, h, int64_t{s.x} + i, s.y)) {
                if (first == s.count) first = i;
                end = i + 1;
            }
        if (first < end) fn(k, first, end, false);
    }
}

void WriteDepth(Canvas& c, int64_t x, int64_t y, const DepthParams& params) {
    if (params.flags & DEPTH_CLEAR) std::fill(c.depth.begin(), c.depth.end(), ClearValue(params.flags));
    const CSpanImage& d = *params.depthImage;
    const std::vector<Span> spans = ParseDepth(d);
    ForEachRun(c, x, y, d.width, d.height, true, spans, [&](size_t k, uint32_t first, uint32_t end, bool) {
        const Span& s = spans[k];
        for (uint32_t i = first; i < end; ++i) {
            uint8_t& P = c.depth[Index(c, x + s.x + i, y + s.y)];
            const unsigned t = unsigned{s.samples[i]} + params.bias;
            if (t <= P) P = static_cast<uint8_t>(t);
        }
    });
}

void DepthDraw(Canvas& c, int64_t x, int64_t y, const CSpanImage& image, const DepthParams& params, bool blend,
               uint32_t level) {
    if (params.flags & DEPTH_WRITE) WriteDepth(c, x, y, params);
    const std::vector<Span> color = ParseColor(image);
    const std::vector<Span> depth = ParseDepth(*params.depthImage);
    uint32_t L = level & 0xffff;
    if (L > 256) L = 256;
    ForEachRun(c, x, y, image.width, image.height, true, color, [&](size_t k, uint32_t first, uint32_t end, bool) {
        const Span& s = color[k];
        for (uint32_t i = first; i < end; ++i) {
            const size_t at = Index(c, x + s.x + i, y + s.y);
            if (unsigned{depth[k].samples[i]} + params.bias > c.depth[at]) continue;
            c.pixels[at] = blend ? PixelFormula(s.pixels[i], c.pixels[at], L) : s.pixels[i];
        }
    });
}

// Lane formula in closed form: d + floor((s - d + 64) * L / 256) - floor(L / 4).
uint16_t LaneFormula(uint16_t s, uint16_t d, int64_t L) {
    return PerChannel(s, d, [L](int64_t sc, int64_t dc) { return dc + (sc - dc + 64) * L / 256 - L / 4; });
}

// Average of the soft edges: floor((s + d) / 2) per channel.
uint16_t Average(uint16_t s, uint16_t d) {
    return PerChannel(s, d, [](int64_t sc, int64_t dc) { return (sc + dc) / 2; });
}

}  // namespace

std::vector<Span> ParseColor(const CSpanImage& image) { return Parse(image, 2); }
std::vector<Span> ParseDepth(const CSpanImage& image) { return Parse(image, 1); }

int RegionCode(const ClipRect& clip, int64_t px, int64_t py) {
    const int col = px < clip.left ? 0 : px <= clip.right ? 1 : 2;
    const int row = py < clip.top ? 0 : py < clip.bottom ? 1 : 2;
    return 3 * row + col;
}

uint16_t PixelFormula(uint16_t s, uint16_t d, uint32_t L) {
    return PerChannel(s, d, [L](int64_t sc, int64_t dc) { return dc + FloorDiv256((sc - dc) * int64_t{L}); });
}

void BlendRun(uint16_t* dst, const uint16_t* src, size_t n, uint32_t level) {
    uint32_t L = level & 0xffff;
    if (L == 0) return;
    if (L > 256) L = 256;
    const size_t grouped = n - n % 4;
    for (size_t i = 0; i < n; ++i) {
        if (i >= grouped)
            dst[i] = PixelFormula(src[i], dst[i], L);
        else if (src[i] != 0x0040)
            dst[i] = LaneFormula(src[i], dst[i], L);
    }
}

int32_t Draw(Canvas& c, int32_t x32, int32_t y32, const CImage* image, const DrawEffect* effect) {
    const int64_t x = x32, y = y32;
    if (!c.hasPixels) return -1;
    if (!image) {
        if (!effect || !effect->params) return -1;
        if (!(effect->params->flags & DEPTH_CLEAR) || !c.hasDepth) return -1;
        std::fill(c.depth.begin(), c.depth.end(), ClearValue(effect->params->flags));
        return 0;
    }
    if (!(image->kind & 0x10000000u)) return -1;

    if (image->kind == IMAGE_RAW16) {
        if (effect) return -1;
        const auto& raw = static_cast<const CRawImage&>(*image);
        if (!raw.pixels) return 0;
        // The part of the image inside the clip rectangle, pixel by pixel.
        for (int64_t r = 0; r < raw.height; ++r)
            for (int64_t col = 0; col < raw.width; ++col) {
                const int64_t X = x + col, Y = y + r;
                if (X >= c.clip.left && X < c.clip.right && Y >= c.clip.top && Y < c.clip.bottom)
                    c.pixels[Index(c, X, Y)] = raw.pixels[r * raw.width + col];
            }
        return 0;
    }
    if (image->kind != IMAGE_SPANLIST) return -1;
    const auto& sprite = static_cast<const CSpanImage&>(*image);
    const std::vector<Span> spans = ParseColor(sprite);
    if (!effect) {
        ForEachRun(c, x, y, sprite.width, sprite.height, false, spans,
                   [&](size_t k, uint32_t first, uint32_t end, bool) {
                       for (uint32_t i = first; i < end; ++i)
                           c.pixels[Index(c, x + spans[k].x + i, y + spans[k].y)] = spans[k].pixels[i];
                   });
        return 0;
    }
    switch (effect->code) {
        case EFFECT_ALPHA: {
            ForEachRun(c, x, y, sprite.width, sprite.height, false, spans,
                       [&](size_t k, uint32_t first, uint32_t end, bool) {
                           const Span& s = spans[k];
                           if (end == first) return;
                           BlendRun(&c.pixels[Index(c, x + s.x + first, y + s.y)], &s.pixels[first], end - first,
                                    effect->level);
                       });
            return 0;
        }
        case EFFECT_SOFT_EDGE: {
            ForEachRun(c, x, y, sprite.width, sprite.height, false, spans,
                       [&](size_t k, uint32_t first, uint32_t end, bool whole) {
                           const Span& s = spans[k];
                           const size_t at = Index(c, x + s.x, y + s.y);
                           if (!whole) {
                               for (uint32_t i = first; i < end; ++i) c.pixels[at + i] = s.pixels[i];
                               return;
                           }
                           if (s.count == 0) return;
                           for (uint32_t i = 1; i + 1 < s.count; ++i) c.pixels[at + i] = s.pixels[i];
                           c.pixels[at] = Average(s.pixels[0], c.pixels[at]);
                           const size_t last = at + s.count - 1;
                           c.pixels[last] = Average(s.pixels[s.count - 1], c.pixels[last]);
                       });
            return 0;
        }
        case EFFECT_DEPTH:
        case EFFECT_DEPTH_ALPHA:
            if (!c.hasDepth || !effect->params || !effect->params->depthImage) return -1;
            DepthDraw(c, x, y, sprite, *effect->params, effect->code == EFFECT_DEPTH_ALPHA, effect->level);
            return 0;
        default:
            return -1;
    }
}

}  // namespace ref
