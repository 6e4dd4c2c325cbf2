// The plain copy and raw images at the levels that move a run
// in fewer pieces than the baseline's row copy. Each is the one clipping walk
// instantiated with that level's run copy, so the level is chosen once per
// draw and no run pays an indirect call.
#pragma once

#include <cstdint>

#include "blit/image_view.h"
#include "blit/target.h"

namespace vc15 {

// AVX-512 (BW, VL): masked loads and stores move a run without a branch on
// its length.
void DrawSpansAvx512(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image);
void DrawRawAvx512(const DrawTarget& canvas, int32_t x, int32_t y, const uint16_t* pixels, int32_t w, int32_t h);

}  // namespace vc15
