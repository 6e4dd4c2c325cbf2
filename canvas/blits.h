// The blit routines of the canvas. Each returns true on success; the draw
// operation turns that into 0 or -1. They trust their arguments: the
// dispatcher has checked the image kind and box, the canvas's pixels and (for
// the depth routines) the depth plane and the depth parameters, and copied
// the host's records into the views below.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"
#include "canvas/image_view.h"

namespace vc15 {

// DepthParams with its depth image read.
struct DepthArgs {
    uint32_t flags;
    uint32_t bias;
    SpanImageView depth;
};

bool DrawSpans(CCanvas& canvas, int32_t x, int32_t y, const SpanImageView& image);
// False when a temporary of the crossing path cannot be allocated; nothing is
// drawn then.
bool DrawRaw(CCanvas& canvas, int32_t x, int32_t y, const RawImageView& image);
bool DrawSpansAlpha(CCanvas& canvas, int32_t x, int32_t y, uint32_t level, const SpanImageView& image);
bool DrawSpansSoftEdge(CCanvas& canvas, int32_t x, int32_t y, const SpanImageView& image);
bool WriteSpansDepth(CCanvas& canvas, int32_t x, int32_t y, const DepthArgs& params);
bool DrawSpansDepth(CCanvas& canvas, int32_t x, int32_t y, const SpanImageView& image, const DepthArgs& params);
bool DrawSpansDepthAlpha(CCanvas& canvas, int32_t x, int32_t y, const SpanImageView& image, const DepthArgs& params,
                         uint32_t level);

}  // namespace vc15
