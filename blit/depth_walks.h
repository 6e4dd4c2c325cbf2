// The depth effects' walks over a level's row forms: the depth-write pass,
// the depth-tested copy and blend, and the write and copy of each record in
// one pass. Rows is a struct with the four row forms as static functions
// (Write, Copy, WriteCopy, Blend; blit/depth_rows.h says what each
// computes); a level instantiates DepthDraws with its own, so each record's
// row is inlined into the walk instead of costing an indirect call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blit/blit_ops.h"
#include "blit/depth_rows.h"
#include "core/kernel_abi.h"
#include "core/kernel_table.h"
#include "core/level_namespace.h"

namespace vc15 {
inline namespace VC15_LEVEL_NAMESPACE {

struct PlaneTarget : CanvasRows<uint8_t> {
    explicit PlaneTarget(const DrawTarget& canvas) : CanvasRows(canvas.plane, canvas.width) {}
};

template <class Rows>
struct DepthDraws {
    // Lowers the plane to sample + bias where that is not farther.
    struct WriteOp : PlaneTarget {
        WriteOp(const DrawTarget& canvas, uint32_t b) : PlaneTarget(canvas), bias(b) {}
        void Run(const DepthSpan& s, int64_t r, int64_t col, uint32_t first, uint32_t len) const {
            Rows::Write(At(r, col), s.samples + first, len, bias);
        }
        void Whole(const DepthSpan& s, int64_t r, int64_t col) const { Run(s, r, col, 0, s.count); }
        uint32_t bias;
    };

    // Colour and depth records in pairs; Row(dst, plane, src, samples, n)
    // does one run.
    template <class Row>
    struct PairOp : PlaneTarget {
        PairOp(const DrawTarget& canvas, const Row& r) : PlaneTarget(canvas), pixels(canvas), row(r) {}
        void Run(const PairedSpan& s, int64_t r, int64_t col, uint32_t first, uint32_t len) const {
            row(pixels.At(r, col), At(r, col), s.pixels + first, s.samples + first, len);
        }
        void Whole(const PairedSpan& s, int64_t r, int64_t col) const { Run(s, r, col, 0, s.count); }
        PixelTarget pixels;
        Row row;
    };

    template <bool kFetchAhead, class Row>
    static void Paired(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                       const SpanImageView& depth, const Row& row) {
        PairOp<Row> op(canvas, row);
        WalkSpans<InsideRule::Strict>(canvas.clip, x, y, image.head.width, image.head.height,
                                      PairedSpans<kFetchAhead>(image, depth), op);
    }

    VC15_KERNEL_ABI static void Write(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& depth,
                                      uint32_t bias) {
        WriteOp op(canvas, bias);
        WalkSpans<InsideRule::Strict>(canvas.clip, x, y, depth.head.width, depth.head.height, PackedDepthSpans<>(depth),
                                      op);
    }

    // A passing pixel becomes the sprite's pixel.
    VC15_KERNEL_ABI static void Copy(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                                     const SpanImageView& depth, uint32_t bias) {
        Paired<true>(canvas, x, y, image, depth,
                     [bias](uint16_t* d, const uint8_t* p, const uint16_t* s, const uint8_t* v, uint32_t n) {
                         Rows::Copy(d, p, s, v, n, bias);
                     });
    }

    // A passing pixel becomes the per-pixel blend of the sprite's over it at
    // level L (0..256).
    VC15_KERNEL_ABI static void Blend(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                                      const SpanImageView& depth, uint32_t bias, uint32_t L) {
        Paired<true>(canvas, x, y, image, depth,
                     [bias, L](uint16_t* d, const uint8_t* p, const uint16_t* s, const uint8_t* v, uint32_t n) {
                         Rows::Blend(d, p, s, v, n, bias, L);
                     });
    }

    // The write and the copy of each record in one pass, over records an
    // earlier walk has just read (so not fetched ahead again).
    VC15_KERNEL_ABI static void WriteCopy(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                                          const SpanImageView& depth, uint32_t bias) {
        Paired<false>(canvas, x, y, image, depth,
                      [bias](uint16_t* d, uint8_t* p, const uint16_t* s, const uint8_t* v, uint32_t n) {
                          Rows::WriteCopy(d, p, s, v, n, bias);
                      });
    }
};

// The depth draws of a level's table, over the row forms of Rows.
template <class Rows>
void SetDepthDraws(KernelTable& t) {
    t.drawDepthWrite = DepthDraws<Rows>::Write;
    t.drawDepthCopy = DepthDraws<Rows>::Copy;
    t.drawDepthBlend = DepthDraws<Rows>::Blend;
    t.drawDepthWriteCopy = DepthDraws<Rows>::WriteCopy;
}

}  // namespace VC15_LEVEL_NAMESPACE
}  // namespace vc15
