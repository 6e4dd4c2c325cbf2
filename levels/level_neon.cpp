// The NEON level (64-bit ARM): the same structure as SSE2, the widest
// register being 128 bits. The row blend takes whole runs in one routine; the
// depth rows sixteen samples per step with their pixels in two registers.
// The span copy and raw rows are the baseline's walk compiled here, where
// the 16-byte pieces of the row copy become vector moves. The conversions
// between 16-bit pixels are the vector layer's templates, the others the
// structure loads and stores of pixel/convert_neon.cpp.
#include "simd/neon.h"
// The kernels after the structs they are instantiated with.
#include "blit/blit_ops.h"
#include "blit/kernels.h"
#include "pixel/convert.h"
#include "pixel/convert_kernels.h"

namespace vc15::kernels {

namespace {
using namespace simd;
using Blend = BlendForms<NeonV128, NeonV64>;
using Depth = DepthForms<Steps<PlaneStep<NeonV128>, PlaneStep<NeonV64>>, PixelStep<NeonV128, NeonPixels16>,
                         PixelStep<NeonV64, NeonV128>>;
}  // namespace

void FillNeon(KernelTable& t) {
    t.drawSpans = DrawSpansWith<PieceCopy>;
    t.drawRaw = DrawRawWith<PieceCopy>;
    SetRowKernels<Blend, Depth>(t);
    t.rgb555ToRgb565Wide =
        convert_kernels::Each16<convert_kernels::Rgb555To565Wide, NeonV128, scalar::Rgb555ToRgb565Wide>;
    t.rgb565ToRgb555 = convert_kernels::Each16<convert_kernels::Rgb565To555, NeonV128, scalar::Rgb565ToRgb555>;
    t.rgb555ToRgb565 = convert_kernels::Each16<convert_kernels::Rgb555To565, NeonV128, scalar::Rgb555ToRgb565>;
    t.rgb888ToRgb565 = neon::Rgb888ToRgb565;
    t.rgb888ToRgb555 = neon::Rgb888ToRgb555;
    t.rgba8888ToArgb1555 = neon::Rgba8888ToArgb1555;
    t.rgba8888ToArgb4444 = neon::Rgba8888ToArgb4444;
    t.rgb555ToXrgb8888 = neon::Rgb555ToXrgb8888;
    t.rgb555ToBgr888 = neon::Rgb555ToBgr888;
}

}  // namespace vc15::kernels
