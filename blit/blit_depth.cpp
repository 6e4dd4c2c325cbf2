// The depth-write pass and the two depth-tested blits. All take the strict
// whole-sprite test; the drawing blits walk colour and depth records in pairs.
#include <cstring>

#include "blit/blits.h"
#include "core/kernel_table.h"

#if defined(__GNUC__) || defined(__clang__)
#define VC15_PREFETCH(p) __builtin_prefetch(p)
#else
#define VC15_PREFETCH(p) ((void)0)
#endif

namespace vc15 {

// True when writing and testing each record in turn gives what the whole
// write pass followed by the test walk gives. Take one canvas pixel and the
// records that cover it, in order, with sums t1, t2, ... (sample + bias) over
// the plane value P. After the whole pass the plane holds m = min(P, t1, ...)
// and the test walk leaves the pixel of the last record with ti <= m, that
// is the last one whose sum is the minimum (none if m = P < every ti). Record
// by record, record i passes when ti <= min(P, t1 .. ti); every record after
// the last minimum fails that test and the last minimum passes it, so the
// pixel ends the same, and so does the plane. That needs both walks to visit
// the same pixels with the same samples: the depth image must have the colour
// sprite's box, record count and record headers; and no run may cover one
// pixel twice, which a record within the sprite's width cannot. Only the
// headers are read. (A blend is not a last-wins rule, so the alpha form keeps
// its two walks.)
bool FusedRecords(const SpanImageView& image, const SpanImageView& depth) {
    if (image.head.width != depth.head.width || image.head.height != depth.head.height ||
        image.spanCount != depth.spanCount)
        return false;
    const uint8_t* c = image.spans;
    const uint8_t* d = depth.spans;
    const uint64_t width = image.head.width < 0 ? 0u : static_cast<uint64_t>(image.head.width);
    for (uint32_t i = 0; i < image.spanCount; ++i) {
        // The records follow one another in memory, but each address comes
        // from the header before it: fetch ahead so the walk does not wait
        // on the cache at every record (a prefetch never faults).
        VC15_PREFETCH(c + 512);
        VC15_PREFETCH(d + 256);
        // The count alone, loaded by itself, is what the next address waits
        // on; the whole headers are compared beside that chain.
        uint32_t count;
        std::memcpy(&count, c + 4, 4);
        uint64_t hc, hd;
        std::memcpy(&hc, c, 8);
        std::memcpy(&hd, d, 8);
        if (hc != hd || (hc & 0xffffu) + count > width) return false;
        c += 8 + 2 * size_t{count};
        d += 8 + size_t{count};
    }
    return true;
}

bool WriteSpansDepth(const DrawTarget& canvas, int32_t x, int32_t y, const DepthArgs& params) {
    if (params.flags & DEPTH_CLEAR) FillPlane(canvas, params.clearValue);
    Kernels().drawDepthWrite(canvas, x, y, params.depth, params.bias);
    return true;
}

bool DrawSpansDepth(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                    const DepthArgs& params) {
    // One walk instead of two where that provably gives the same frame.
    if ((params.flags & DEPTH_WRITE) && FusedRecords(image, params.depth)) {
        if (params.flags & DEPTH_CLEAR) FillPlane(canvas, params.clearValue);
        Kernels().drawDepthWriteCopy(canvas, x, y, image, params.depth, params.bias);
        return true;
    }
    if (params.flags & DEPTH_WRITE) WriteSpansDepth(canvas, x, y, params);
    Kernels().drawDepthCopy(canvas, x, y, image, params.depth, params.bias);
    return true;
}

// Levels above 256 are clamped to 256, as the row kernel does, so a channel
// never spills into its neighbour. Level 0 rewrites a passing pixel with its
// own colour and bit 15 clear.
bool DrawSpansDepthAlpha(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                         const DepthArgs& params, uint32_t level) {
    uint32_t L = level & 0xffffu;
    if (L > 256) L = 256;
    if (params.flags & DEPTH_WRITE) WriteSpansDepth(canvas, x, y, params);
    Kernels().drawDepthBlend(canvas, x, y, image, params.depth, params.bias, L);
    return true;
}

}  // namespace vc15
