// The plain copy and raw images: the level's walk with its run copy, fetched
// from the kernel table once per draw.
#include "blit/blits.h"
#include "core/kernel_table.h"

namespace vc15 {

bool DrawSpans(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    Kernels().drawSpans(canvas, x, y, image);
    return true;
}

// The rows are copied directly when the box is wholly inside the clip
// rectangle, else each row is a span on the clipped walk (DrawRawWith).
// Neither path allocates, so a raw draw never fails.
bool DrawRaw(const DrawTarget& canvas, int32_t x, int32_t y, const RawImageView& image) {
    if (!image.pixels || image.head.height <= 0) return true;  // nothing to draw on either path
    Kernels().drawRaw(canvas, x, y, image.pixels, image.head.width, image.head.height);
    return true;
}

}  // namespace vc15
