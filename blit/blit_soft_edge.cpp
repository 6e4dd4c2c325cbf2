#include "blit/blit_ops.h"
#include "blit/blits.h"

namespace vc15 {

bool DrawSpansSoftEdge(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    // At every level the interior goes in the baseline's pieces: with masked
    // stores the end pixels' reads that follow them measured a third slower.
    SoftEdgeOpWith<PieceCopy> op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
    return true;
}

}  // namespace vc15
