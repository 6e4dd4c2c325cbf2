// Per-run operations shared by several span routines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blit/row_copy.h"
#include "blit/span_walk.h"
#include "blit/target.h"

namespace vc15 {

// Addresses canvas pixels; rows follow each other at `width` pixels.
struct PixelTarget {
    explicit PixelTarget(const DrawTarget& canvas) : pixels(canvas.pixels), pitch(canvas.width) {}
    uint16_t* At(int64_t row, int64_t col) const { return pixels + static_cast<ptrdiff_t>(row * pitch + col); }
    uint16_t* pixels;
    int64_t pitch;
};

// The plain copy: the span's pixels replace the canvas pixels.
struct CopyOp : PixelTarget {
    using PixelTarget::PixelTarget;
    template <class Span>
    void Run(const Span& s, int64_t row, int64_t col, uint32_t first, uint32_t len) const {
        CopyPixels(At(row, col), s.pixels + first, len);
    }
    template <class Span>
    void Whole(const Span& s, int64_t row, int64_t col) const {
        CopyPixels(At(row, col), s.pixels, s.count);
    }
};

}  // namespace vc15
