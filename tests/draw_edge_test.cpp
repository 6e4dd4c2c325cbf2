// The draw operation where the random scenes of the differential test do not
// go: region codes at every boundary, records reaching past their image's
// box (the random sprites keep theirs inside), depth effects missing their
// parameters, levels above 16 bits on the internal depth-alpha row, and raw
// draws while every allocation fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "blit/blits.h"
#include "blit/span_walk.h"
#include "canvas/draw.h"
#include "draw_test_support.h"
#include "levels.h"
#include "reference_model.h"
#include "test_hooks.h"

namespace {

using vc15test::AtEveryLevel;

template <class T>
void MakeImage(CSpanImage& img, int32_t w, int32_t h, uint16_t x, const std::vector<T>& v) {
    std::vector<uint8_t> s;
    vc15test::AppendRecord(s, x, 0, v);
    vc15test::SetSpans(img, w, h, 1, s);
}

TEST(SpanClipping, RegionCodesAtEveryBoundary) {
    const ClipRect clip{10, 20, 100, 200};
    for (int64_t px = 0; px < 110; ++px)
        for (int64_t py = 10; py < 210; ++py)
            ASSERT_EQ(int(vc15::RegionCode(clip, px, py)), ref::RegionCode(clip, px, py)) << px << "," << py;
}

// A record two columns past its 4 x 1 box. The whole-sprite paths draw it
// untested (the plain and alpha ones when the box is inside, the depth ones
// only when strictly inside); the clipped paths cut it at the box's edge.
// Every effect at boxes inside, touching and crossing each clip edge must
// give the model's canvas and plane.
TEST(DrawSpans, RecordsPastTheBoxAtEveryEdge) {
    CSpanImage color, depth, wide;
    MakeImage(color, 4, 1, 2, std::vector<uint16_t>{0x0040, 0x7fff, 0x8421, 0x0040});
    MakeImage(depth, 4, 1, 2, std::vector<uint8_t>{7, 200, 0, 9});
    MakeImage(wide, 4, 1, 2, std::vector<uint8_t>{7, 200, 0, 9});
    wide.width = 6;  // a depth image whose box holds the record
    DepthParams params{DEPTH_WRITE, 3, &depth}, wideParams{DEPTH_WRITE, 3, &wide};
    DepthParams noImage{DEPTH_WRITE, 0, nullptr};
    const DrawEffect effects[] = {{EFFECT_ALPHA, 0, 100, nullptr},     {EFFECT_SOFT_EDGE, 0, 0, nullptr},
                                  {EFFECT_DEPTH, 0, 0, &params},       {EFFECT_DEPTH_ALPHA, 0, 77, &params},
                                  {EFFECT_DEPTH, 0, 0, &wideParams},   {EFFECT_DEPTH, 0, 0, nullptr},
                                  {EFFECT_DEPTH_ALPHA, 0, 9, &noImage}};
    const int32_t xs[] = {-4, -3, -1, 0, 1, 10, 94, 95, 96, 97, 100};
    const int32_t ys[] = {-1, 0, 1, 50, 98, 99, 100};
    AtEveryLevel([&](vc15::cpu::Level) {
        vc15test::Twin t(120, 110, true);
        t.Fill([](size_t i) { return static_cast<uint16_t>(i * 0x9E37u); },
               [](size_t i) { return static_cast<uint8_t>(i % 5 ? 100 + i % 50 : 255); });
        t.SetClip(ClipRect{0, 0, 100, 100});
        for (int e = -1; e < 7; ++e)
            for (int32_t x : xs)
                for (int32_t y : ys)
                    ASSERT_EQ(t.Draw(x, y, &color, e < 0 ? nullptr : &effects[e]), "") << e << " at " << x << "," << y;
    });
}

// The dispatcher hands on a 16-bit level; the row itself keeps only the low
// 16 bits of what it is given.
TEST(DrawSpansDepthAlpha, LevelAbove16BitsKeepsTheLowBits) {
    vc15test::GuardedCanvas c(16, 8, true);
    std::fill_n(c.Pixels(), c.Size(), 0);
    CSpanImage color, depth;
    MakeImage(color, 4, 1, 0, std::vector<uint16_t>(4, 0x7fff));
    MakeImage(depth, 4, 1, 0, std::vector<uint8_t>(4, 0));
    const vc15::DepthArgs args{0, 0, vc15::PlaneClearValue(0), vc15::ReadRecord<vc15::SpanImageView>(&depth)};
    vc15::DrawSpansDepthAlpha(vc15::TargetOf(c.canvas), 5, 5, vc15::ReadRecord<vc15::SpanImageView>(&color), args,
                              0x10080);
    EXPECT_EQ(c.Pixels()[5 * 16 + 5], 0x3def);  // level 0x80
}

// Neither raw path needs memory of its own: with every allocation failing,
// a crossing and a whole raw image still draw as the model does.
TEST(DrawRaw, NeitherPathAllocates) {
    std::vector<uint16_t> px(100);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i * 0x0101u + 1);
    CRawImage raw;
    raw.width = raw.height = 10;
    raw.pixels = px.data();
    vc15test::Twin t(120, 110, false);
    t.SetClip(ClipRect{0, 0, 100, 100});
    vc15::testing::FailAllocationsAfter(0);
    const std::string crossing = t.Draw(-4, 95, &raw, nullptr), whole = t.Draw(4, 5, &raw, nullptr);
    EXPECT_EQ(vc15::testing::FailAllocationsAfter(-1), 0);
    EXPECT_EQ(crossing, "");
    EXPECT_EQ(whole, "");
}

}  // namespace