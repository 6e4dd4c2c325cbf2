// The one clipping mechanism of the span blits: the whole-sprite tests, the
// region codes of the sprite's corners, the visible window, the span classes
// and the record walking. Every span routine plugs a small per-run operation
// into WalkSpans; none of them clips on its own.
//
// Positions are handled in 64-bit, so x + width near the 32-bit limits never
// wraps back into the canvas; for positions that do not overflow the results
// are those of 32-bit arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "VexaCanvas15.h"
#include "blit/image_view.h"
#include "core/level_namespace.h"

namespace vc15 {
inline namespace VC15_LEVEL_NAMESPACE {

// 3 x 3 region code of a point: 3 * row + column. Column 1 includes the right
// edge (left <= px <= right); row 1 excludes the bottom edge
// (top <= py < bottom).
inline uint32_t RegionCode(const ClipRect& clip, int64_t px, int64_t py) {
    const uint32_t col = px < clip.left ? 0u : (px <= clip.right ? 1u : 2u);
    const uint32_t row = py < clip.top ? 0u : (py < clip.bottom ? 1u : 2u);
    return 3u * row + col;
}

// Box of w x h at (x, y) lies wholly inside: the test of the plain, raw, alpha
// and soft-edge blits.
inline bool BoxInside(const ClipRect& clip, int64_t x, int64_t y, int64_t w, int64_t h) {
    return clip.left <= x && x + w <= clip.right && clip.top <= y && y + h <= clip.bottom;
}

// Strict variant used by the depth-write pass and the depth blits: a box that
// touches an edge of the clip rectangle takes the clipped path.
inline bool BoxStrictlyInside(const ClipRect& clip, int64_t x, int64_t y, int64_t w, int64_t h) {
    return clip.left < x && x + w < clip.right && clip.top < y && y + h < clip.bottom;
}

// The visible window in sprite coordinates (L, R, T, B; right and bottom
// exclusive). X0 = x + L and so on in canvas coordinates.
struct Window {
    int64_t L, R, T, B;
};

// Window of the box from the region codes of its two corners; false when the
// pair of codes rejects the box (nothing of it can be visible).
inline bool ComputeWindow(const ClipRect& clip, int64_t x, int64_t y, int64_t w, int64_t h, Window& win) {
    const uint32_t c1 = RegionCode(clip, x, y);
    const uint32_t c2 = RegionCode(clip, x + w, y + h);
    const bool c1ok = c1 == 0 || c1 == 1 || c1 == 3 || c1 == 4;
    const bool c2ok = c2 == 4 || c2 == 5 || c2 == 7 || c2 == 8;
    if (!c1ok || !c2ok) return false;
    const int64_t x0 = (c1 == 0 || c1 == 3) ? clip.left : x;
    const int64_t y0 = (c1 == 0 || c1 == 1) ? clip.top : y;
    const int64_t x1 = (c2 == 5 || c2 == 8) ? clip.right : x + w;
    const int64_t y1 = (c2 == 7 || c2 == 8) ? clip.bottom : y + h;
    win = Window{x0 - x, x1 - x, y0 - y, y1 - y};
    return true;
}

// Class of a span column against the window: 0 before, 1 inside, 2 beyond.
inline int SpanClass(int64_t column, const Window& win) { return column < win.L ? 0 : (column < win.R ? 1 : 2); }

// The visible part of a span (first element, element count) from the classes
// of its first and last column; false when nothing of it is visible.
inline bool VisibleRun(const Window& win, int64_t sx, int64_t n, uint32_t& first, uint32_t& len) {
    const int s = SpanClass(sx, win);
    const int e = SpanClass(sx + n - 1, win);
    if (s == 0 && e == 1) {
        first = static_cast<uint32_t>(win.L - sx);
        len = static_cast<uint32_t>(n - (win.L - sx));
    } else if (s == 0 && e == 2) {
        first = static_cast<uint32_t>(win.L - sx);
        len = static_cast<uint32_t>(win.R - win.L);
    } else if (s == 1 && e == 1) {
        first = 0;
        len = static_cast<uint32_t>(n);
    } else if (s == 1 && e == 2) {
        first = 0;
        len = static_cast<uint32_t>(win.R - sx);
    } else {
        return false;  // (0,0), (1,0) with n = 0, (2,any)
    }
    return true;
}

// ---- Span sources ----------------------------------------------------------
// A source yields the spans of one image in stream order; Next() is called
// exactly `count` times. Each span carries x, y, count and its element
// pointers; operations index those by the span's element index.

struct ColorSpan {
    uint32_t x, y, count;
    const uint16_t* pixels;
};

struct DepthSpan {
    uint32_t x, y, count;
    const uint8_t* samples;
};

struct PairedSpan {
    uint32_t x, y, count;  // the colour record's
    const uint16_t* pixels;
    const uint8_t* samples;
};

// Records follow one another in memory, but each one's address comes from the
// header before it, so a walk waits on the cache at every record unless the
// stream is fetched ahead (a prefetch never faults, also past the end).
#if defined(__GNUC__) || defined(__clang__)
#define VC15_FETCH_AHEAD(p, bytes) __builtin_prefetch((p) + (bytes))
#else
#define VC15_FETCH_AHEAD(p, bytes) ((void)0)
#endif

// Asks for the line `bytes` from p, to be written soon. The address is only
// computed, never used to reach memory, so it may lie anywhere.
inline void FetchForWriting(const void* p, ptrdiff_t bytes) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(p) + static_cast<uintptr_t>(bytes)),
                       1);
#else
    (void)p;
    (void)bytes;
#endif
}

// Reads the 8-byte record header at any address.
inline const uint8_t* ReadSpanHeader(const uint8_t* p, uint32_t& x, uint32_t& y, uint32_t& count) {
    uint16_t hx, hy;
    uint32_t n;
    std::memcpy(&hx, p, 2);
    std::memcpy(&hy, p + 2, 2);
    std::memcpy(&n, p + 4, 4);
    x = hx;
    y = hy;
    count = n;
    return p + sizeof(SpanRecord);
}

// Packed records with 16-bit pixels (colour images). kFetchAhead off for a
// walk over records some earlier pass has just read.
template <bool kFetchAhead = true>
class PackedColorSpans {
public:
    explicit PackedColorSpans(const SpanImageView& image) : p_(image.spans), n_(image.spanCount) {}
    uint32_t Count() const { return n_; }
    ColorSpan Next() {
        ColorSpan s;
        if (kFetchAhead) VC15_FETCH_AHEAD(p_, 512);
        const uint8_t* data = ReadSpanHeader(p_, s.x, s.y, s.count);
        // Colour records begin on even offsets of the host's span buffer.
        s.pixels = reinterpret_cast<const uint16_t*>(data);
        p_ = data + static_cast<size_t>(s.count) * 2u;
        return s;
    }

private:
    const uint8_t* p_;
    uint32_t n_;
};

// Packed records with 8-bit samples (depth images); records start at any
// address.
template <bool kFetchAhead = true>
class PackedDepthSpans {
public:
    explicit PackedDepthSpans(const SpanImageView& image) : p_(image.spans), n_(image.spanCount) {}
    uint32_t Count() const { return n_; }
    DepthSpan Next() {
        DepthSpan s;
        if (kFetchAhead) VC15_FETCH_AHEAD(p_, 256);
        s.samples = ReadSpanHeader(p_, s.x, s.y, s.count);
        p_ = s.samples + s.count;
        return s;
    }

private:
    const uint8_t* p_;
    uint32_t n_;
};

// Colour and depth records taken in pairs; the colour image's record count
// and each colour record's x, y and count decide, each side advancing by its
// own record's size.
template <bool kFetchAhead = true>
class PairedSpans {
public:
    PairedSpans(const SpanImageView& color, const SpanImageView& depth) : color_(color), depth_(depth) {}
    uint32_t Count() const { return color_.Count(); }
    PairedSpan Next() {
        const ColorSpan c = color_.Next();
        const DepthSpan d = depth_.Next();
        return PairedSpan{c.x, c.y, c.count, c.pixels, d.samples};
    }

private:
    PackedColorSpans<kFetchAhead> color_;
    PackedDepthSpans<kFetchAhead> depth_;
};

// The rows of a raw image as spans: each a whole row at column 0, numbered
// modulo 65536 as a record's 16-bit y would number it. The pixels are the
// image's own, borrowed; nothing is allocated.
class RowSpans {
public:
    RowSpans(const uint16_t* pixels, int32_t width, uint32_t rows) : pixels_(pixels), width_(width), rows_(rows) {}
    uint32_t Count() const { return rows_; }
    ColorSpan Next() {
        const ColorSpan s{0, row_ & 0xFFFFu, static_cast<uint32_t>(width_),
                          pixels_ + static_cast<size_t>(row_) * static_cast<size_t>(width_)};
        ++row_;
        return s;
    }

private:
    const uint16_t* pixels_;
    int32_t width_;
    uint32_t rows_;
    uint32_t row_ = 0;
};

// ---- The walk --------------------------------------------------------------
// Op provides:
//   void Run(const Span& s, int64_t row, int64_t col, uint32_t first, uint32_t len)
//     -- elements first .. first+len-1 of s go to canvas (col .. col+len-1, row);
//   void Whole(const Span& s, int64_t row, int64_t col)
//     -- the unclipped path: all s.count elements to (col.., row), untested.

enum class InsideRule { NonStrict, Strict };

template <InsideRule rule, class Source, class Op>
void WalkSpans(const ClipRect& clip, int32_t x, int32_t y, int32_t w, int32_t h, Source source, Op& op) {
    const bool inside =
        rule == InsideRule::NonStrict ? BoxInside(clip, x, y, w, h) : BoxStrictlyInside(clip, x, y, w, h);
    const uint32_t n = source.Count();
    if (inside) {
        for (uint32_t i = 0; i < n; ++i) {
            const auto s = source.Next();
            op.Whole(s, int64_t{y} + s.y, int64_t{x} + s.x);
        }
        return;
    }
    Window win;
    if (!ComputeWindow(clip, x, y, w, h, win)) return;
    for (uint32_t i = 0; i < n; ++i) {
        const auto s = source.Next();
        // Whole rows outside the window go with one test of their y.
        if (int64_t{s.y} < win.T || int64_t{s.y} >= win.B) continue;
        uint32_t first, len;
        if (!VisibleRun(win, s.x, s.count, first, len)) continue;
        op.Run(s, int64_t{y} + s.y, int64_t{x} + s.x + first, first, len);
    }
}

}  // namespace VC15_LEVEL_NAMESPACE
}  // namespace vc15
