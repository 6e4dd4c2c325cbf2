// The draw operation of the canvas: selects one blit routine for an image
// and an effect. Implemented by the draw engine.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

namespace vc15 {

int32_t DrawDispatch(CCanvas& canvas, int32_t x, int32_t y, const CImage* image, const DrawEffect* effect);

}  // namespace vc15
