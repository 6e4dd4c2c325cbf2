#include "blit/blend_row.h"
#include "canvas/blit_ops.h"
#include "canvas/blits.h"

namespace vc15 {

namespace {

// Every visible run goes to the row kernel as it stands after clipping, so
// where a run starts and ends decides which pixels fall into its tail.
struct AlphaOp : PixelTarget {
    AlphaOp(CCanvas& canvas, uint32_t lv) : PixelTarget(canvas), level(lv) {}
    void Run(const ColorSpan& s, int64_t row, int64_t col, uint32_t first, uint32_t len) const {
        BlendRow555(At(row, col), s.pixels + first, 2u * len, level);
    }
    void Whole(const ColorSpan& s, int64_t row, int64_t col) const {
        BlendRow555(At(row, col), s.pixels, 2u * s.count, level);
    }
    uint32_t level;
};

}  // namespace

bool DrawSpansAlpha(CCanvas& canvas, int32_t x, int32_t y, uint32_t level, const CSpanImage& image) {
    AlphaOp op(canvas, level);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.width, image.height, PackedColorSpans(image), op);
    return true;
}

}  // namespace vc15
