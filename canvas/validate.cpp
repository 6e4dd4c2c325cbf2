// Sprite validation for hosts that load span data from files: a sprite that
// passes draws within its box, so the clipped path keeps every write inside
// the canvas. The draw path itself stays unchecked.
#include <cstddef>
#include <cstdint>

#include "blit/image_view.h"
#include "blit/span_walk.h"

namespace vc15 {

namespace {

// Walks `view`'s records within `bytes`, elements of `elementSize` bytes;
// calls check(index, x, y, count) for each, and fails as soon as a record
// leaves the data or the box, or check says no.
template <class Check>
bool WalkChecked(const SpanImageView& view, size_t bytes, size_t elementSize, Check check) {
    if (view.head.kind != IMAGE_SPANLIST || view.head.width < 0 || view.head.height < 0) return false;
    if (view.spanCount > 0 && !view.spans) return false;
    const uint64_t width = static_cast<uint64_t>(view.head.width);
    const uint64_t height = static_cast<uint64_t>(view.head.height);
    size_t at = 0;
    for (uint32_t i = 0; i < view.spanCount; ++i) {
        if (bytes - at < sizeof(SpanRecord)) return false;
        uint32_t x, y, count;
        ReadSpanHeader(view.spans + at, x, y, count);
        at += sizeof(SpanRecord);
        // count * elementSize < 2^34: no wrap in 64 bits.
        const uint64_t elementBytes = uint64_t{count} * elementSize;
        if (elementBytes > bytes - at) return false;
        if (x + uint64_t{count} > width || y >= height) return false;
        if (!check(i, x, y, count)) return false;
        at += static_cast<size_t>(elementBytes);
    }
    return true;
}

}  // namespace

}  // namespace vc15

extern "C" VC15_API int32_t VC15_CALL spnValidate(const CSpanImage* image, size_t bytes) {
    if (!image) return -1;
    const vc15::SpanImageView view = vc15::ReadRecord<vc15::SpanImageView>(image);
    return vc15::WalkChecked(view, bytes, 2, [](uint32_t, uint32_t, uint32_t, uint32_t) { return true; }) ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL spnValidateDepth(const CSpanImage* color, size_t colorBytes,
                                                       const CSpanImage* depth, size_t depthBytes) {
    if (!color || !depth) return -1;
    const vc15::SpanImageView c = vc15::ReadRecord<vc15::SpanImageView>(color);
    const vc15::SpanImageView d = vc15::ReadRecord<vc15::SpanImageView>(depth);
    // The depth walks take the colour record's place and count with the depth
    // record's samples, so the two must match record for record.
    if (c.head.width != d.head.width || c.head.height != d.head.height || c.spanCount != d.spanCount) return -1;
    if (!vc15::WalkChecked(c, colorBytes, 2, [](uint32_t, uint32_t, uint32_t, uint32_t) { return true; })) return -1;
    const uint8_t* p = c.spans;
    const bool paired = vc15::WalkChecked(d, depthBytes, 1, [&p](uint32_t, uint32_t x, uint32_t y, uint32_t count) {
        uint32_t cx, cy, cn;
        p = vc15::ReadSpanHeader(p, cx, cy, cn) + size_t{cn} * 2u;
        return cx == x && cy == y && cn == count;
    });
    return paired ? 0 : -1;
}
