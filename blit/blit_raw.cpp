// Raw images: the rows copied directly when the box is wholly inside the clip
// rectangle, else each row a span on the clipped walk (DrawRawWith). Neither
// path allocates, so a raw draw never fails.
#include "blit/blit_ops.h"
#include "blit/blits.h"
#include "blit/copy_runs.h"
#include "core/cpu.h"

namespace vc15 {

bool DrawRaw(const DrawTarget& canvas, int32_t x, int32_t y, const RawImageView& image) {
    const int32_t w = image.head.width;
    const int32_t h = image.head.height;
    const uint16_t* src = image.pixels;
    if (!src || h <= 0) return true;  // nothing to draw on either path
#if defined(VC15_HAVE_X86_SIMD)
    if (cpu::Active() >= cpu::Level::Avx512) {
        DrawRawAvx512(canvas, x, y, src, w, h);
        return true;
    }
#endif
    DrawRawWith<PieceCopy>(canvas, x, y, src, w, h);
    return true;
}

}  // namespace vc15
