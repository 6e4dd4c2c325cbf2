// The canvas's draw operation: its pixels, clip rectangle and depth plane
// handed to the drawing engine.
#pragma once

#include <cstdint>

#include "blit/target.h"
#include "canvas/canvas.h"

namespace vc15 {

inline DrawTarget TargetOf(const CCanvas& canvas) {
    DrawTarget t;
    t.pixels = canvas.pixels;
    t.width = canvas.width;
    t.height = canvas.height;
    t.clip = canvas.clip;
    t.plane = canvas.depthPlane ? canvas.depthPlane->data : nullptr;
    return t;
}

inline int32_t DrawDispatch(const CCanvas& canvas, int32_t x, int32_t y, const CImage* image,
                            const DrawEffect* effect) {
    return DrawImage(TargetOf(canvas), x, y, image, effect);
}

}  // namespace vc15
