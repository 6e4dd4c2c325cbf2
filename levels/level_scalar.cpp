// The scalar level: the plain form of every kernel family (the reference the
// vector forms are tested against), and the table every other level of the
// ladder starts from, so no slot is ever empty.
#include "blit/blend_row_internal.h"
#include "blit/blit_ops.h"
#include "blit/depth_rows.h"
#include "blit/depth_walks.h"
#include "core/kernel_table.h"
#include "pixel/convert.h"

namespace vc15::kernels {

void FillScalar(KernelTable& t) {
    t.drawSpans = DrawSpansWith<PieceCopy>;
    t.drawRaw = DrawRawWith<PieceCopy>;

    t.blendGroups = BlendGroupsScalar;
    t.blendRun = BlendRunByGroups;
    t.blendRunPrepared = BlendRunByGroupsPrepared;

    t.depthWrite = depth_rows::WriteScalar;
    t.depthCopy = depth_rows::CopyScalar;
    t.depthBlend = depth_rows::BlendScalar;
    t.depthWriteCopy = depth_rows::WriteCopyScalar;
    SetDepthDraws<depth_rows::ScalarRows>(t);

    t.rgb555ToRgb565 = scalar::Rgb555ToRgb565;
    t.rgb565ToRgb555 = scalar::Rgb565ToRgb555;
    t.rgb888ToRgb565 = scalar::Rgb888ToRgb565;
    t.rgb888ToRgb555 = scalar::Rgb888ToRgb555;
    t.rgba8888ToArgb1555 = scalar::Rgba8888ToArgb1555;
    t.rgba8888ToArgb4444 = scalar::Rgba8888ToArgb4444;
    t.rgb555ToRgb565Wide = scalar::Rgb555ToRgb565Wide;
    t.rgb555ToXrgb8888 = scalar::Rgb555ToXrgb8888;
    t.rgb555ToBgr888 = scalar::Rgb555ToBgr888;
    t.rgb555ToRgba8888 = scalar::Rgb555ToRgba8888;
}

}  // namespace vc15::kernels
