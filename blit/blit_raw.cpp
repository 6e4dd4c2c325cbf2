// Raw images: copied row by row when wholly inside the clip rectangle;
// otherwise each row is presented as a span borrowing the row's pixels to the
// same clipped path that span-list sprites take. Neither path allocates, so a
// raw draw never fails.
#include "blit/blit_ops.h"
#include "blit/blits.h"
#include "blit/span_walk.h"

namespace vc15 {

bool DrawRaw(const DrawTarget& canvas, int32_t x, int32_t y, const RawImageView& image) {
    const int32_t w = image.head.width;
    const int32_t h = image.head.height;
    const uint16_t* src = image.pixels;
    if (!src || h <= 0) return true;  // nothing to draw on either path

    if (BoxInside(canvas.clip, x, y, w, h)) {
        const PixelTarget target(canvas);
        for (int32_t r = 0; r < h; ++r)
            CopyPixels(target.At(int64_t{y} + r, x), src + static_cast<size_t>(r) * static_cast<size_t>(w),
                       static_cast<size_t>(w));
        return true;
    }

    CopyOp op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, w, h, RowSpans(src, w, static_cast<uint32_t>(h)), op);
    return true;
}

}  // namespace vc15
