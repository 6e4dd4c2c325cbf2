// The SSE2 level: the row blend's groups eight pixels per step (its runs keep
// the tail pixels plus the group loop, which measured faster here on short
// runs than one run routine), the depth rows sixteen samples per step with
// their pixels in two registers, and the converters.
#include "simd/sse2.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"
#include "pixel/convert.h"
#include "pixel/convert_kernels.h"

namespace vc15::kernels {

namespace {
using namespace simd;
using Blend = BlendForms<Sse2V128, Sse2V64>;
using Depth = DepthForms<Steps<PlaneStep<Sse2V128>, PlaneStep<Sse2V64>>, PixelStep<Sse2V128, Sse2Pixels16>,
                         PixelStep<Sse2V64, Sse2V128>>;
}  // namespace

void FillSse2(KernelTable& t) {
    SetRowKernels<Blend, Depth>(t);
    t.blendRun = BlendRunByGroups;
    t.blendRunPrepared = BlendRunByGroupsPrepared;

    t.rgb555ToRgb565 = convert_kernels::Each16<convert_kernels::Rgb555To565, Sse2V128, scalar::Rgb555ToRgb565>;
    t.rgb565ToRgb555 = convert_kernels::Each16<convert_kernels::Rgb565To555, Sse2V128, scalar::Rgb565ToRgb555>;
    t.rgb888ToRgb565 = sse2::Rgb888ToRgb565;
    t.rgb888ToRgb555 = sse2::Rgb888ToRgb555;
    t.rgba8888ToArgb1555 = sse2::Rgba8888ToArgb1555;
    t.rgba8888ToArgb4444 = sse2::Rgba8888ToArgb4444;
    t.rgb555ToRgb565Wide =
        convert_kernels::Each16<convert_kernels::Rgb555To565Wide, Sse2V128, scalar::Rgb555ToRgb565Wide>;
    t.rgb555ToXrgb8888 = sse2::Rgb555ToXrgb8888;
    t.rgb555ToBgr888 = sse2::Rgb555ToBgr888;
}

}  // namespace vc15::kernels
