// The SSSE3 level: the byte shuffle serves the conversions with 3- and 4-byte
// pixels; every other slot keeps its SSE2 form.
#include "core/kernel_table.h"
#include "pixel/convert.h"

namespace vc15::kernels {

void FillSsse3(KernelTable& t) {
    t.rgb888ToRgb565 = ssse3::Rgb888ToRgb565;
    t.rgb888ToRgb555 = ssse3::Rgb888ToRgb555;
    t.rgba8888ToArgb1555 = ssse3::Rgba8888ToArgb1555;
    t.rgba8888ToArgb4444 = ssse3::Rgba8888ToArgb4444;
    t.rgb555ToBgr888 = ssse3::Rgb555ToBgr888;
}

}  // namespace vc15::kernels
