// Per-run operations shared by several span routines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blit/row_copy.h"
#include "blit/span_walk.h"
#include "blit/target.h"
#include "core/level_namespace.h"

namespace vc15 {
inline namespace VC15_LEVEL_NAMESPACE {

// Addresses the elements of a canvas-sized array (the pixels, or the depth
// plane's bytes); rows follow each other at the canvas's width.
template <class T>
struct CanvasRows {
    CanvasRows(T* first, int32_t width) : base(first), pitch(width) {}
    T* At(int64_t row, int64_t col) const { return base + static_cast<ptrdiff_t>(row * pitch + col); }
    T* base;
    int64_t pitch;
};

struct PixelTarget : CanvasRows<uint16_t> {
    explicit PixelTarget(const DrawTarget& canvas) : CanvasRows(canvas.pixels, canvas.width) {}
};

// How a level moves a run of pixels: the baseline's pieces (row_copy.h).
struct PieceCopy {
    static void Copy(uint16_t* dst, const uint16_t* src, size_t count) { CopyPixels(dst, src, count); }
};

// The plain copy: the span's pixels replace the canvas pixels.
template <class Mover>
struct CopyOpWith : PixelTarget {
    using PixelTarget::PixelTarget;
    template <class Span>
    void Run(const Span& s, int64_t row, int64_t col, uint32_t first, uint32_t len) const {
        Mover::Copy(At(row, col), s.pixels + first, len);
    }
    template <class Span>
    void Whole(const Span& s, int64_t row, int64_t col) const {
        Mover::Copy(At(row, col), s.pixels, s.count);
    }
};

using CopyOp = CopyOpWith<PieceCopy>;

// The per-pixel formula at level 128, d + (((s - d) * 128) >> 8), is
// floor((s + d) / 2) per channel: the common bits plus half the differing
// ones, with the lowest bit of each field (and bit 15) cleared before the
// shift so that nothing crosses into the next field.
inline uint16_t Average555(uint16_t s, uint16_t d) {
    return static_cast<uint16_t>((s & d & 0x7FFFu) + (((s ^ d) & 0x7BDEu) >> 1));
}

// Soft edge. Unclipped path: the interior of a span is copied, its two end
// pixels are averaged with the canvas (the last one after the first, so a
// one-pixel span is averaged twice). The clipped path is the plain copy.
//
// The ends read the canvas, which the copy never does; the rows a sprite
// covers next are fetched ahead (a prefetch never faults, also off the
// canvas), so that those reads find their lines in the nearest cache.
template <class Mover>
struct SoftEdgeOpWith : CopyOpWith<Mover> {
    using CopyOpWith<Mover>::CopyOpWith;
    static constexpr int64_t kRowsAhead = 8;
    void Whole(const ColorSpan& s, int64_t row, int64_t col) const {
        if (s.count == 0) return;  // no end pixels to average
        uint16_t* dst = this->At(row, col);
        FetchForWriting(dst, static_cast<ptrdiff_t>(kRowsAhead * this->pitch * 2));
        const uint32_t last = s.count - 1;
        if (s.count > 2) Mover::Copy(dst + 1, s.pixels + 1, s.count - 2);
        dst[0] = Average555(s.pixels[0], dst[0]);
        dst[last] = Average555(s.pixels[last], dst[last]);
    }
};

// The plain copy of a span-list sprite with a level's run copy.
template <class Mover>
void DrawSpansWith(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    CopyOpWith<Mover> op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
}

// Raw images: rows of `w` pixels. A box wholly inside is copied row by row;
// when the image's rows and the canvas's rows both follow each other without a
// gap (the image as wide as the canvas), the whole box is one block.
// Otherwise each row is a span borrowing the row's pixels on the same clipped
// walk that span-list sprites take. Neither path allocates.
template <class Mover>
void DrawRawWith(const DrawTarget& canvas, int32_t x, int32_t y, const uint16_t* src, int32_t w, int32_t h) {
    if (BoxInside(canvas.clip, x, y, w, h)) {
        const PixelTarget target(canvas);
        const size_t width = static_cast<size_t>(w);
        if (w == canvas.width) {
            Mover::Copy(target.At(y, x), src, width * static_cast<size_t>(h));
            return;
        }
        uint16_t* dst = target.At(y, x);
        for (int32_t r = 0; r < h; ++r) {
            Mover::Copy(dst, src, width);
            dst += target.pitch;
            src += width;
        }
        return;
    }
    CopyOpWith<Mover> op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, w, h, RowSpans(src, w, static_cast<uint32_t>(h)), op);
}

}  // namespace VC15_LEVEL_NAMESPACE
}  // namespace vc15
