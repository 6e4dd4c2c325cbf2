// The WebAssembly SIMD128 level: the same structure as NEON, the widest
// register being 128 bits. The row blend takes whole runs in one routine; the
// depth rows sixteen samples per step with their pixels in two values. The
// span copy and raw rows are the baseline's walk compiled here, where the
// 16-byte pieces of the row copy become vector moves. The conversions between
// 16-bit pixels are the vector layer's templates; the others keep the scalar
// forms for now.
#include "simd/simd128.h"
// The kernels after the structs they are instantiated with.
#include "blit/blit_ops.h"
#include "blit/kernels.h"
#include "pixel/convert.h"
#include "pixel/convert_kernels.h"

namespace vc15::kernels {

namespace {
using namespace simd;
using Blend = BlendForms<Simd128V128, Simd128V64>;
using Depth = DepthForms<Steps<PlaneStep<Simd128V128>, PlaneStep<Simd128V64>>, PixelStep<Simd128V128, Simd128Pixels16>,
                         PixelStep<Simd128V64, Simd128V128>>;
}  // namespace

void FillSimd128(KernelTable& t) {
    t.drawSpans = DrawSpansWith<PieceCopy>;
    t.drawRaw = DrawRawWith<PieceCopy>;
    SetRowKernels<Blend, Depth>(t);
    t.rgb555ToRgb565Wide =
        convert_kernels::Each16<convert_kernels::Rgb555To565Wide, Simd128V128, scalar::Rgb555ToRgb565Wide>;
    t.rgb565ToRgb555 = convert_kernels::Each16<convert_kernels::Rgb565To555, Simd128V128, scalar::Rgb565ToRgb555>;
    t.rgb555ToRgb565 = convert_kernels::Each16<convert_kernels::Rgb555To565, Simd128V128, scalar::Rgb555ToRgb565>;
}

}  // namespace vc15::kernels
