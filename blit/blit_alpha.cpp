#include "blit/blend_row.h"
#include "blit/blend_row_internal.h"
#include "blit/blit_ops.h"
#include "blit/blits.h"
#include "core/kernel_table.h"

namespace vc15 {

namespace {

// Every visible run goes to the row kernel as it stands after clipping, so
// where a run starts and ends decides which pixels fall into its tail.
// The level is clamped and the kernel's run routine fetched once per draw;
// runs of 2^30 pixels and more (whose byte length no longer fits the
// kernel's 32-bit argument as such) go through BlendRow555 itself.
struct AlphaOp : PixelTarget {
    AlphaOp(const DrawTarget& canvas, uint32_t lv) : PixelTarget(canvas), level(lv), run(Kernels().blendRunPrepared) {
        L = lv & 0xffffu;
        if (L > 256) L = 256;
        PrepareBlendRun(consts, L);
    }
    void Blend(uint16_t* dst, const uint16_t* src, uint32_t n) const {
        if (n < (1u << 30))
            run(dst, src, n, consts);
        else
            BlendRow555(dst, src, 2u * n, level);
    }
    void Run(const ColorSpan& s, int64_t row, int64_t col, uint32_t first, uint32_t len) const {
        Blend(At(row, col), s.pixels + first, len);
    }
    void Whole(const ColorSpan& s, int64_t row, int64_t col) const { Blend(At(row, col), s.pixels, s.count); }
    uint32_t level;
    uint32_t L;
    decltype(KernelTable::blendRunPrepared) run;
    BlendRunConsts consts;
};

}  // namespace

bool DrawSpansAlpha(const DrawTarget& canvas, int32_t x, int32_t y, uint32_t level, const SpanImageView& image) {
    if ((level & 0xffffu) == 0) return true;  // the kernel writes nothing at level 0
    AlphaOp op(canvas, level);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
    return true;
}

}  // namespace vc15
