// The blit routines of the canvas. Each returns true on success; the draw
// operation turns that into 0 or -1. They trust their arguments: the
// dispatcher has checked the image kind, the canvas's pixels and (for the
// depth routines) the depth plane and the depth parameters.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

namespace vc15 {

bool DrawSpans(CCanvas& canvas, int32_t x, int32_t y, const CSpanImage& image);
// False when a temporary of the crossing path cannot be allocated; nothing is
// drawn then.
bool DrawRaw(CCanvas& canvas, int32_t x, int32_t y, const CRawImage& image);
bool DrawSpansAlpha(CCanvas& canvas, int32_t x, int32_t y, uint32_t level, const CSpanImage& image);
bool DrawSpansSoftEdge(CCanvas& canvas, int32_t x, int32_t y, const CSpanImage& image);
bool WriteSpansDepth(CCanvas& canvas, int32_t x, int32_t y, const DepthParams& params);
bool DrawSpansDepth(CCanvas& canvas, int32_t x, int32_t y, const CSpanImage& image, const DepthParams& params);
bool DrawSpansDepthAlpha(CCanvas& canvas, int32_t x, int32_t y, const CSpanImage& image, const DepthParams& params,
                         uint32_t level);

}  // namespace vc15
