#include "blit/blit_ops.h"
#include "blit/blits.h"

namespace vc15 {

bool DrawSpans(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    CopyOp op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
    return true;
}

}  // namespace vc15
