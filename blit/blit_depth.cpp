// The depth-write pass and the two depth-tested blits. All take the strict
// whole-sprite test; the drawing blits walk colour and depth records in pairs.
#include "blit/depth_rows.h"
#include "canvas/blit_ops.h"
#include "canvas/blits.h"

namespace vc15 {

namespace {

// Depth plane bytes, addressed with the canvas's row pitch.
struct PlaneTarget {
    explicit PlaneTarget(CCanvas& canvas) : plane(canvas.depthPlane->data), pitch(canvas.width) {}
    uint8_t* At(int64_t row, int64_t col) const { return plane + static_cast<ptrdiff_t>(row * pitch + col); }
    uint8_t* plane;
    int64_t pitch;
};

// Lowers the plane to sample + bias where that is not farther.
struct DepthWriteOp : PlaneTarget {
    DepthWriteOp(CCanvas& canvas, uint32_t b) : PlaneTarget(canvas), bias(b), row(ActiveDepthRowForms().write) {}
    void Run(const DepthSpan& s, int64_t r, int64_t col, uint32_t first, uint32_t len) const {
        row(At(r, col), s.samples + first, len, bias);
    }
    void Whole(const DepthSpan& s, int64_t r, int64_t col) const { Run(s, r, col, 0, s.count); }
    uint32_t bias;
    decltype(DepthRowForms::write) row;
};

// Depth-tested pixel write; Write decides what a passing pixel becomes.
template <class Write>
struct DepthTestOp : PlaneTarget {
    DepthTestOp(CCanvas& canvas, uint32_t b, Write w) : PlaneTarget(canvas), pixels(canvas), bias(b), write(w) {}
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
    decltype(DepthRowForms::copy) row = ActiveDepthRowForms().copy;
};

// A passing pixel becomes the per-pixel blend of the sprite's over it.
struct DepthBlend {
    void operator()(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                    uint32_t bias) const {
        row(dst, plane, src, samples, n, bias, level);
    }
    uint32_t level;
    decltype(DepthRowForms::blend) row = ActiveDepthRowForms().blend;
};

template <class Write>
void DrawDepthTested(CCanvas& canvas, int32_t x, int32_t y, const CSpanImage& image, const DepthParams& params,
                     Write write) {
    if (params.flags & DEPTH_WRITE) WriteSpansDepth(canvas, x, y, params);
    DepthTestOp<Write> op(canvas, params.bias, write);
    WalkSpans<InsideRule::Strict>(canvas.clip, x, y, image.width, image.height, PairedSpans(image, *params.depthImage),
                                  op);
}

}  // namespace

bool WriteSpansDepth(CCanvas& canvas, int32_t x, int32_t y, const DepthParams& params) {
    if (params.flags & DEPTH_CLEAR)
        canvas.depthPlane->Fill((params.flags & DEPTH_CLEAR_VALUE) ? (params.flags & 0xffu) : 255u);
    const CSpanImage& depth = *params.depthImage;
    DepthWriteOp op(canvas, params.bias);
    WalkSpans<InsideRule::Strict>(canvas.clip, x, y, depth.width, depth.height, PackedDepthSpans(depth), op);
    return true;
}

bool DrawSpansDepth(CCanvas& canvas, int32_t x, int32_t y, const CSpanImage& image, const DepthParams& params) {
    DrawDepthTested(canvas, x, y, image, params, DepthCopy{});
    return true;
}

// Levels above 256 are clamped to 256, as the row kernel does, so a channel
// never spills into its neighbour. Level 0 rewrites a passing pixel with its
// own colour and bit 15 clear.
bool DrawSpansDepthAlpha(CCanvas& canvas, int32_t x, int32_t y, const CSpanImage& image, const DepthParams& params,
                         uint32_t level) {
    uint32_t L = level & 0xffffu;
    if (L > 256) L = 256;
    DrawDepthTested(canvas, x, y, image, params, DepthBlend{L});
    return true;
}

}  // namespace vc15
