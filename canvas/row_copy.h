// Row block copy: every copy of pixels in the canvas and the blits goes
// through here, so one place decides how small and large runs are moved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vc15 {

inline void CopyPixels(uint16_t* dst, const uint16_t* src, size_t count) {
    std::memcpy(dst, src, count * sizeof(uint16_t));
}

}  // namespace vc15
