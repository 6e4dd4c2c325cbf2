// The NEON level (64-bit ARM): the same structure as SSE2, the widest
// register being 128 bits. The row blend takes whole runs in one routine; the
// depth rows sixteen samples per step with their pixels in two registers.
// The span copy and raw rows are the baseline's walk compiled here, where
// the 16-byte pieces of the row copy become vector moves.
#include "simd/neon.h"
// The kernels after the structs they are instantiated with.
#include "blit/blit_ops.h"
#include "blit/kernels.h"
#include "pixel/convert.h"

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
}

}  // namespace vc15::kernels
