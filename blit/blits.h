// The blit routines of the canvas. Each returns true on success; the draw
// operation turns that into 0 or -1. They trust their arguments: the
// dispatcher has checked the image kind and box, the canvas's pixels and (for
// the depth routines) the depth plane and the depth parameters, and copied
// the host's records into the views below.
#pragma once

#include <cstdint>

#include "blit/image_view.h"
#include "blit/target.h"

namespace vc15 {

// DepthParams with its depth image read and its plane value decided.
struct DepthArgs {
    uint32_t flags;
    uint32_t bias;
    uint32_t clearValue;  // what DEPTH_CLEAR sets every plane byte to
    SpanImageView depth;
};

// The plane value a DEPTH_CLEAR request asks for: its own low byte with
// DEPTH_CLEAR_VALUE, else the farthest, 255.
inline uint32_t PlaneClearValue(uint32_t flags) { return (flags & DEPTH_CLEAR_VALUE) ? (flags & 0xFFu) : 255u; }

bool DrawSpans(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image);
bool DrawRaw(const DrawTarget& canvas, int32_t x, int32_t y, const RawImageView& image);
bool DrawSpansAlpha(const DrawTarget& canvas, int32_t x, int32_t y, uint32_t level, const SpanImageView& image);
bool DrawSpansSoftEdge(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image);
bool WriteSpansDepth(const DrawTarget& canvas, int32_t x, int32_t y, const DepthArgs& params);
bool DrawSpansDepth(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                    const DepthArgs& params);
bool DrawSpansDepthAlpha(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                         const DepthArgs& params, uint32_t level);

// True when the depth image's box, record count and record headers are the
// colour image's, so that writing and testing each record in turn gives the
// frame of the whole write pass followed by the test walk (blit_depth.cpp
// says why); DrawSpansDepth then takes one walk. Reads the headers only.
bool FusedRecords(const SpanImageView& image, const SpanImageView& depth);

}  // namespace vc15
