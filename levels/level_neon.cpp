// The NEON level (64-bit ARM): the 128-bit slots (levels/fill_128.h), and the
// conversions of 3- and 4-byte pixels by the structure loads and stores of
// pixel/convert_neon.cpp.
#include "simd/neon.h"
// The kernels after the structs they are instantiated with.
#include "levels/fill_128.h"

namespace vc15::kernels {

void FillNeon(KernelTable& t) {
    Fill128<simd::NeonV128>(t);
    t.rgb888ToRgb565 = neon::Rgb888ToRgb565;
    t.rgb888ToRgb555 = neon::Rgb888ToRgb555;
    t.rgba8888ToArgb1555 = neon::Rgba8888ToArgb1555;
    t.rgba8888ToArgb4444 = neon::Rgba8888ToArgb4444;
    t.rgb555ToXrgb8888 = neon::Rgb555ToXrgb8888;
    t.rgb555ToBgr888 = neon::Rgb555ToBgr888;
}

}  // namespace vc15::kernels
