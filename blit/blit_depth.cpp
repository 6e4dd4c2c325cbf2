// The depth-write pass and the two depth-tested blits. All take the strict
// whole-sprite test; the drawing blits walk colour and depth records in pairs.
#include <cstring>

#include "blit/blit_ops.h"
#include "blit/blits.h"
#include "core/kernel_table.h"

#if defined(__GNUC__) || defined(__clang__)
#define VC15_PREFETCH(p) __builtin_prefetch(p)
#else
#define VC15_PREFETCH(p) ((void)0)
#endif

namespace vc15 {

namespace {

// Depth plane bytes, addressed with the canvas's row pitch.
struct PlaneTarget {
    explicit PlaneTarget(const DrawTarget& canvas) : plane(canvas.plane), pitch(canvas.width) {}
    uint8_t* At(int64_t row, int64_t col) const { return plane + static_cast<ptrdiff_t>(row * pitch + col); }
    uint8_t* plane;
    int64_t pitch;
};

// Lowers the plane to sample + bias where that is not farther.
struct DepthWriteOp : PlaneTarget {
    DepthWriteOp(const DrawTarget& canvas, uint32_t b) : PlaneTarget(canvas), bias(b), row(Kernels().depthWrite) {}
    void Run(const DepthSpan& s, int64_t r, int64_t col, uint32_t first, uint32_t len) const {
        row(At(r, col), s.samples + first, len, bias);
    }
    void Whole(const DepthSpan& s, int64_t r, int64_t col) const { Run(s, r, col, 0, s.count); }
    uint32_t bias;
    decltype(KernelTable::depthWrite) row;
};

// Depth-tested pixel write; Write decides what a passing pixel becomes.
template <class Write>
struct DepthTestOp : PlaneTarget {
    DepthTestOp(const DrawTarget& canvas, uint32_t b, Write w)
        : PlaneTarget(canvas), pixels(canvas), bias(b), write(w) {}
    void Run(const PairedSpan& s, int64_t row, int64_t col, uint32_t first, uint32_t len) const {
        write(pixels.At(row, col), At(row, col), s.pixels + first, s.samples + first, len, bias);
    }
    void Whole(const PairedSpan& s, int64_t row, int64_t col) const { Run(s, row, col, 0, s.count); }
    PixelTarget pixels;
    uint32_t bias;
    Write write;
};

// A passing pixel becomes the sprite's pixel. The row forms of the active
// level are fetched once per draw.
struct DepthCopy {
    void operator()(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                    uint32_t bias) const {
        row(dst, plane, src, samples, n, bias);
    }
    decltype(KernelTable::depthCopy) row = Kernels().depthCopy;
};

// A passing pixel becomes the per-pixel blend of the sprite's over it.
struct DepthBlend {
    void operator()(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                    uint32_t bias) const {
        row(dst, plane, src, samples, n, bias, level);
    }
    uint32_t level;
    decltype(KernelTable::depthBlend) row = Kernels().depthBlend;
};

// The depth write and the copy of each record in one pass, for images that
// FusedRecords has cleared.
struct WriteCopyOp : PlaneTarget {
    WriteCopyOp(const DrawTarget& canvas, uint32_t b)
        : PlaneTarget(canvas), pixels(canvas), bias(b), row(Kernels().depthWriteCopy) {}
    void Run(const PairedSpan& s, int64_t r, int64_t col, uint32_t first, uint32_t len) const {
        row(pixels.At(r, col), At(r, col), s.pixels + first, s.samples + first, len, bias);
    }
    void Whole(const PairedSpan& s, int64_t r, int64_t col) const { Run(s, r, col, 0, s.count); }
    PixelTarget pixels;
    uint32_t bias;
    decltype(KernelTable::depthWriteCopy) row;
};

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

template <class Write>
void DrawDepthTested(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                     const DepthArgs& params, Write write) {
    if (params.flags & DEPTH_WRITE) WriteSpansDepth(canvas, x, y, params);
    DepthTestOp<Write> op(canvas, params.bias, write);
    WalkSpans<InsideRule::Strict>(canvas.clip, x, y, image.head.width, image.head.height,
                                  PairedSpans<>(image, params.depth), op);
}

}  // namespace

bool WriteSpansDepth(const DrawTarget& canvas, int32_t x, int32_t y, const DepthArgs& params) {
    if (params.flags & DEPTH_CLEAR) FillPlane(canvas, params.clearValue);
    const SpanImageView& depth = params.depth;
    DepthWriteOp op(canvas, params.bias);
    WalkSpans<InsideRule::Strict>(canvas.clip, x, y, depth.head.width, depth.head.height, PackedDepthSpans<>(depth),
                                  op);
    return true;
}

bool DrawSpansDepth(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                    const DepthArgs& params) {
    // One walk instead of two where that provably gives the same frame.
    if ((params.flags & DEPTH_WRITE) && FusedRecords(image, params.depth)) {
        if (params.flags & DEPTH_CLEAR) FillPlane(canvas, params.clearValue);
        WriteCopyOp op(canvas, params.bias);
        WalkSpans<InsideRule::Strict>(canvas.clip, x, y, image.head.width, image.head.height,
                                      PairedSpans<false>(image, params.depth), op);
        return true;
    }
    DrawDepthTested(canvas, x, y, image, params, DepthCopy{});
    return true;
}

// Levels above 256 are clamped to 256, as the row kernel does, so a channel
// never spills into its neighbour. Level 0 rewrites a passing pixel with its
// own colour and bit 15 clear.
bool DrawSpansDepthAlpha(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                         const DepthArgs& params, uint32_t level) {
    uint32_t L = level & 0xffffu;
    if (L > 256) L = 256;
    DrawDepthTested(canvas, x, y, image, params, DepthBlend{L});
    return true;
}

}  // namespace vc15
