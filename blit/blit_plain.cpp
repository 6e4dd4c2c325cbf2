#include "blit/blit_ops.h"
#include "blit/blits.h"
#include "blit/copy_runs.h"
#include "core/cpu.h"

namespace vc15 {

bool DrawSpans(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
#if defined(VC15_HAVE_X86_SIMD)
    if (cpu::Active() >= cpu::Level::Avx512) {
        DrawSpansAvx512(canvas, x, y, image);
        return true;
    }
#endif
    CopyOp op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
    return true;
}

}  // namespace vc15
