// The slots every level whose widest register is 128 bits, and that has no
// faster form of its own, fills the same way: the row blend with whole runs
// in one routine, the depth rows sixteen samples per step with their pixels
// in two registers, the conversions between 16-bit pixels, and the span copy
// and raw rows as the baseline's walk compiled with the level's flags (the
// 16-byte pieces of the row copy become vector moves). V is the level's
// 128-bit struct.
//
// Included only by level files, after their simd/<level>.h.
#pragma once

#include "blit/blit_ops.h"
#include "blit/kernels.h"
#include "pixel/convert.h"
#include "pixel/convert_kernels.h"

namespace vc15::kernels {

template <class V>
void Fill128(KernelTable& t) {
    using V64 = simd::Half<V>;
    t.drawSpans = DrawSpansWith<PieceCopy>;
    t.drawRaw = DrawRawWith<PieceCopy>;
    SetRowKernels<BlendForms<V, V64>,
                  DepthForms<Steps<PlaneStep<V>, PlaneStep<V64>>, PixelStep<V, simd::Twice<V>>, PixelStep<V64, V>>>(t);
    t.rgb555ToRgb565Wide = convert_kernels::Each16<convert_kernels::Rgb555To565Wide, V, scalar::Rgb555ToRgb565Wide>;
    t.rgb565ToRgb555 = convert_kernels::Each16<convert_kernels::Rgb565To555, V, scalar::Rgb565ToRgb555>;
    t.rgb555ToRgb565 = convert_kernels::Each16<convert_kernels::Rgb555To565, V, scalar::Rgb555ToRgb565>;
}

}  // namespace vc15::kernels
