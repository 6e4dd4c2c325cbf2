// The AVX2 level: the row blend sixteen pixels per step with the remaining
// groups 128 and 64 bits at a time, whole runs in one routine; the depth
// rows' test on sixteen samples widened to a mask over sixteen pixels, the
// write 32 samples per step; and the converters.
#include "simd/avx2.h"
// The kernels after the structs they are instantiated with.
#include "blit/kernels.h"
#include "pixel/convert.h"
#include "pixel/convert_kernels.h"

namespace vc15::kernels {

namespace {
using namespace simd;
using Blend = BlendForms<Avx2V256, Avx2V128, Avx2V64>;
using Depth = DepthForms<Steps<PlaneStep<Avx2V256>, PlaneStep<Avx2V128>, PlaneStep<Avx2V64>>,
                         PixelStep<Avx2V128, Avx2V256>, PixelStep<Avx2V64, Avx2V128>>;
}  // namespace

void FillAvx2(KernelTable& t) {
    SetRowKernels<Blend, Depth>(t);

    t.rgb555ToRgb565 = convert_kernels::Each16<convert_kernels::Rgb555To565, Avx2V256, scalar::Rgb555ToRgb565>;
    t.rgb565ToRgb555 = convert_kernels::Each16<convert_kernels::Rgb565To555, Avx2V256, scalar::Rgb565ToRgb555>;
    t.rgb888ToRgb565 = avx2::Rgb888ToRgb565;
    t.rgb888ToRgb555 = avx2::Rgb888ToRgb555;
    t.rgba8888ToArgb1555 = avx2::Rgba8888ToArgb1555;
    t.rgba8888ToArgb4444 = avx2::Rgba8888ToArgb4444;
    t.rgb555ToRgb565Wide =
        convert_kernels::Each16<convert_kernels::Rgb555To565Wide, Avx2V256, scalar::Rgb555ToRgb565Wide>;
    t.rgb555ToXrgb8888 = avx2::Rgb555ToXrgb8888;
    t.rgb555ToBgr888 = avx2::Rgb555ToBgr888;
}

}  // namespace vc15::kernels
