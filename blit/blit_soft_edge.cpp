#include "blit/blend_row.h"
#include "blit/blit_ops.h"
#include "blit/blits.h"

namespace vc15 {

namespace {

// The per-pixel formula at level 128, d + (((s - d) * 128) >> 8), is
// floor((s + d) / 2) per channel: the common bits plus half the differing
// ones, with the lowest bit of each field (and bit 15) cleared before the
// shift so that nothing crosses into the next field.
inline uint16_t Average555(uint16_t s, uint16_t d) {
    return static_cast<uint16_t>((s & d & 0x7FFFu) + (((s ^ d) & 0x7BDEu) >> 1));
}

// Unclipped path: the interior of a span is copied, its two end pixels are
// averaged with the canvas (the last one after the first, so a one-pixel span
// is averaged twice). The clipped path is the plain copy.
struct SoftEdgeOp : CopyOp {
    using CopyOp::CopyOp;
    void Whole(const ColorSpan& s, int64_t row, int64_t col) const {
        if (s.count == 0) return;  // no end pixels to average
        uint16_t* dst = At(row, col);
        const uint32_t last = s.count - 1;
        if (s.count > 2) CopyPixels(dst + 1, s.pixels + 1, s.count - 2);
        dst[0] = Average555(s.pixels[0], dst[0]);
        dst[last] = Average555(s.pixels[last], dst[last]);
    }
};

}  // namespace

bool DrawSpansSoftEdge(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    SoftEdgeOp op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
    return true;
}

}  // namespace vc15
