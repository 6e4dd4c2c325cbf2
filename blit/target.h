// What the blits draw on: a canvas's pixels (rows `width` pixels apart), its
// clip rectangle and its depth plane (null without one), all width x height.
// The canvas hands this down, so the drawing engine needs nothing of the
// canvas object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "VexaCanvas15.h"

namespace vc15 {

struct DrawTarget {
    uint16_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ClipRect clip{0, 0, 0, 0};
    uint8_t* plane = nullptr;
};

// Sets every depth-plane byte to the value's low byte.
inline void FillPlane(const DrawTarget& t, uint32_t value) {
    if (t.plane)
        std::memset(t.plane, static_cast<int>(value & 0xFFu),
                    static_cast<size_t>(t.width) * static_cast<size_t>(t.height));
}

// The draw operation: selects one blit routine for an image and an effect;
// 0, or -1 when refused (nothing drawn).
int32_t DrawImage(const DrawTarget& target, int32_t x, int32_t y, const CImage* image, const DrawEffect* effect);

}  // namespace vc15
