// Exact behaviour of the draw operation at its edges, as documented cases
// that hold the reference model to the rules: refusals the random scenes do
// not make, region codes, the clip examples, raw images, the alpha, soft-edge
// and depth effects. The random-scene differential test covers the rest.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "blit/blend_row.h"
#include "blit/blits.h"
#include "blit/span_walk.h"
#include "canvas/draw.h"
#include "core/memory.h"
#include "draw_test_support.h"
#include "reference_model.h"
#include "test_hooks.h"

namespace {

using vc15::DrawDispatch;
using vc15test::GuardedCanvas;

struct Rec {
    uint16_t x, y;
    std::vector<uint16_t> px;
};

struct DRec {
    uint16_t x, y;
    std::vector<uint8_t> v;
};

void MakeSprite(CSpanImage& img, int32_t w, int32_t h, const std::vector<Rec>& recs) {
    std::vector<uint8_t> s;
    for (const Rec& r : recs) vc15test::AppendRecord(s, r.x, r.y, r.px);
    vc15test::SetSpans(img, w, h, static_cast<uint32_t>(recs.size()), s);
}

void MakeDepth(CSpanImage& img, int32_t w, int32_t h, const std::vector<DRec>& recs) {
    std::vector<uint8_t> s;
    for (const DRec& r : recs) vc15test::AppendRecord(s, r.x, r.y, r.v);
    vc15test::SetSpans(img, w, h, static_cast<uint32_t>(recs.size()), s);
}

std::vector<uint16_t> Ramp(size_t n, uint16_t base = 0x0100) {
    std::vector<uint16_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint16_t>(base + i);
    return v;
}

// A 120 x 110 canvas filled with `bg`, clip (0, 0, 100, 100) unless given:
// room outside the clip rectangle shows stray writes.
struct Scene {
    explicit Scene(bool depth = false, ClipRect clip = {0, 0, 100, 100}) : c(120, 110, depth) {
        c.Fill(kBg);
        c.canvas.clip = clip;
        before = Snapshot();
    }
    std::vector<uint16_t> Snapshot() { return std::vector<uint16_t>(c.Pixels(), c.Pixels() + c.Size()); }
    // Number of canvas pixels that differ from the snapshot taken at creation.
    size_t Changed() {
        size_t n = 0;
        for (size_t i = 0; i < c.Size(); ++i) n += c.Pixels()[i] != before[i];
        return n;
    }
    int32_t Draw(int32_t x, int32_t y, const CImage* image, const DrawEffect* e = nullptr) {
        return DrawDispatch(c.canvas, x, y, image, e);
    }
    static constexpr uint16_t kBg = 0x1234;
    GuardedCanvas c;
    std::vector<uint16_t> before;
};

// ---- Dispatcher --------------------------------------------------------------

TEST(DrawDispatch, RefusalsDrawNothing) {
    Scene s(true);
    CSpanImage sprite, depth;
    MakeSprite(sprite, 10, 10, {{0, 0, Ramp(10)}});
    MakeDepth(depth, 10, 10, {{0, 0, std::vector<uint8_t>(10, 0)}});
    std::vector<uint16_t> px = Ramp(100);
    CRawImage raw;
    raw.width = raw.height = 10;
    raw.pixels = px.data();
    DepthParams params{DEPTH_WRITE, 0, &depth};
    DrawEffect alpha{EFFECT_ALPHA, 0, 128, nullptr};
    DrawEffect both{EFFECT_ALPHA | EFFECT_SOFT_EDGE, 0, 128, &params};
    DrawEffect unknown{32, 0, 128, &params};

    EXPECT_EQ(s.Draw(5, 5, &raw, &alpha), -1);
    EXPECT_EQ(s.Draw(5, 5, &sprite, &both), -1);
    EXPECT_EQ(s.Draw(5, 5, &sprite, &unknown), -1);
    EXPECT_EQ(s.Draw(5, 5, nullptr, nullptr), -1);
    sprite.kind = 0x00000002;  // drawable bit clear
    EXPECT_EQ(s.Draw(5, 5, &sprite), -1);
    sprite.kind = 0x10000008;  // drawable bit, unknown kind
    EXPECT_EQ(s.Draw(5, 5, &sprite), -1);
    sprite.kind = IMAGE_SPANLIST;
    // Depth effects without params or depth image.
    DrawEffect noParams{EFFECT_DEPTH, 0, 0, nullptr};
    EXPECT_EQ(s.Draw(5, 5, &sprite, &noParams), -1);
    DepthParams noImage{DEPTH_WRITE, 0, nullptr};
    DrawEffect depthNoImage{EFFECT_DEPTH_ALPHA, 0, 128, &noImage};
    EXPECT_EQ(s.Draw(5, 5, &sprite, &depthNoImage), -1);
    EXPECT_EQ(s.Changed(), 0u);
    for (size_t i = 0; i < s.c.Size(); ++i) ASSERT_EQ(s.c.Depth()[i], 255);
}

TEST(DrawDispatch, CanvasWithoutPixelsRefusesEverything) {
    vc15::CCanvas bare;
    CSpanImage sprite;
    MakeSprite(sprite, 4, 1, {{0, 0, Ramp(4)}});
    EXPECT_EQ(DrawDispatch(bare, 0, 0, &sprite, nullptr), -1);
    // Through the public operation after a Create whose buffer is absent.
    ICanvas15* canvas = CreateInstance();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->Draw(0, 0, &sprite, nullptr), -1);
    CanvasDesc desc{0, 0, 0};
    EXPECT_EQ(canvas->Create(&desc), 0);
    EXPECT_EQ(canvas->Draw(0, 0, &sprite, nullptr), -1);
    desc = CanvasDesc{0, 8, 2};
    EXPECT_EQ(canvas->Create(&desc), 0);
    EXPECT_EQ(canvas->Draw(0, 0, &sprite, nullptr), 0);
    uint16_t* px = nullptr;
    canvas->GetBuffer(&px);
    EXPECT_EQ(px[3], 0x0103);
    canvas->Release();
}

// ---- Region codes and the window --------------------------------------------

TEST(SpanClipping, RegionCodesUseTwoDifferentBounds) {
    const ClipRect clip{10, 20, 100, 200};
    EXPECT_EQ(vc15::RegionCode(clip, 9, 19), 0u);
    EXPECT_EQ(vc15::RegionCode(clip, 10, 19), 1u);
    EXPECT_EQ(vc15::RegionCode(clip, 101, 19), 2u);
    EXPECT_EQ(vc15::RegionCode(clip, 9, 20), 3u);
    EXPECT_EQ(vc15::RegionCode(clip, 100, 20), 4u);  // the right edge is column 1
    EXPECT_EQ(vc15::RegionCode(clip, 101, 199), 5u);
    EXPECT_EQ(vc15::RegionCode(clip, 9, 200), 6u);  // the bottom edge is row 2
    EXPECT_EQ(vc15::RegionCode(clip, 100, 200), 7u);
    EXPECT_EQ(vc15::RegionCode(clip, 101, 200), 8u);
    for (int64_t px = 0; px < 110; ++px)
        for (int64_t py = 10; py < 210; py += 7)
            ASSERT_EQ(int(vc15::RegionCode(clip, px, py)), ref::RegionCode(clip, px, py));
}

// ---- Plain span blit -----------------------------------------------------------

TEST(DrawSpans, ClipExamples) {
    {
        Scene s;
        CSpanImage sp;
        MakeSprite(sp, 10, 10, {{0, 0, Ramp(10)}, {0, 9, Ramp(10, 0x200)}});
        EXPECT_EQ(s.Draw(90, 90, &sp), 0);
        EXPECT_EQ(s.c.At(90, 90), 0x0100);
        EXPECT_EQ(s.c.At(99, 99), 0x0209);
        EXPECT_EQ(s.Changed(), 20u);
    }
    {
        Scene s;
        CSpanImage sp;
        MakeSprite(sp, 10, 10, {{0, 0, Ramp(10)}});
        s.Draw(-3, 5, &sp);
        for (int i = 0; i <= 6; ++i) EXPECT_EQ(s.c.At(i, 5), 0x0100 + 3 + i);
        EXPECT_EQ(s.Changed(), 7u);
    }
    {
        Scene s;
        CSpanImage sp;
        MakeSprite(sp, 10, 10, {{2, 0, Ramp(6)}});
        s.Draw(95, 0, &sp);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(s.c.At(97 + i, 0), 0x0100 + i);
        EXPECT_EQ(s.Changed(), 3u);
    }
    {
        Scene s;
        CSpanImage sp;
        MakeSprite(sp, 10, 10, {{0, 0, Ramp(10)}, {0, 5, Ramp(10)}});
        EXPECT_EQ(s.Draw(100, 0, &sp), 0);
        EXPECT_EQ(s.Draw(0, 100, &sp), 0);
        EXPECT_EQ(s.Draw(-11, 40, &sp), 0);
        EXPECT_EQ(s.Changed(), 0u);
    }
    {
        Scene s;
        CSpanImage sp;
        std::vector<Rec> recs;
        for (uint16_t r = 0; r < 10; ++r) recs.push_back({0, r, Ramp(10, static_cast<uint16_t>(0x1000 * (r + 1)))});
        MakeSprite(sp, 10, 10, recs);
        s.Draw(0, -4, &sp);
        EXPECT_EQ(s.c.At(0, 0), 0x5000);  // sprite row 4
        EXPECT_EQ(s.c.At(9, 5), 0xA009);  // sprite row 9
        EXPECT_EQ(s.Changed(), 60u);
    }
    {
        Scene s(false, ClipRect{20, 0, 100, 100});
        CSpanImage sp;
        MakeSprite(sp, 100, 2, {{15, 0, Ramp(85)}, {0, 1, Ramp(100)}});
        s.Draw(10, 0, &sp);
        EXPECT_EQ(s.c.At(24, 0), Scene::kBg);
        EXPECT_EQ(s.c.At(25, 0), 0x0100);
        EXPECT_EQ(s.c.At(99, 0), 0x0100 + 74);
        EXPECT_EQ(s.c.At(19, 1), Scene::kBg);
        EXPECT_EQ(s.c.At(20, 1), 0x0100 + 10);
        EXPECT_EQ(s.c.At(99, 1), 0x0100 + 89);
        EXPECT_EQ(s.Changed(), 75u + 80u);
        EXPECT_TRUE(s.c.GuardsIntact());
    }
}

// The whole-sprite path does not test records against the box: a record that
// reaches past it is drawn whole when the box is inside, and cut when the box
// touches nothing but crosses the clip rectangle.
TEST(DrawSpans, WholeSpritePathDrawsRecordsUntested) {
    Scene s;
    CSpanImage sp;
    MakeSprite(sp, 4, 1, {{2, 0, Ramp(4)}});  // reaches two columns past the box
    s.Draw(90, 0, &sp);
    EXPECT_EQ(s.c.At(95, 0), 0x0103);
    Scene t;
    t.Draw(-1, 0, &sp);  // crossing: the window ends at the box's right edge
    EXPECT_EQ(t.c.At(1, 0), 0x0100);
    EXPECT_EQ(t.c.At(2, 0), 0x0101);
    EXPECT_EQ(t.c.At(3, 0), Scene::kBg);
}

// ---- Raw images ----------------------------------------------------------------

struct RawFixture {
    RawFixture(int32_t w, int32_t h) : px(static_cast<size_t>(w) * h) {
        for (int32_t r = 0; r < h; ++r)
            for (int32_t c = 0; c < w; ++c) px[static_cast<size_t>(r) * w + c] = static_cast<uint16_t>(r << 8 | c);
        raw.width = w;
        raw.height = h;
        raw.pixels = px.data();
    }
    std::vector<uint16_t> px;
    CRawImage raw;
};

TEST(DrawRaw, WholeAndClippedExamples) {
    {
        Scene s;
        RawFixture f(10, 10);
        EXPECT_EQ(s.Draw(90, 90, &f.raw), 0);
        EXPECT_EQ(s.c.At(90, 90), 0x0000);
        EXPECT_EQ(s.c.At(99, 99), 0x0909);
        EXPECT_EQ(s.Draw(3, 7, &f.raw), 0);
        EXPECT_EQ(s.c.At(3, 7), 0x0000);
        EXPECT_EQ(s.c.At(12, 16), 0x0909);
    }
    {
        Scene s;
        RawFixture f(10, 10);
        const std::vector<uint16_t> copy = f.px;
        EXPECT_EQ(s.Draw(-4, 95, &f.raw), 0);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 6; ++c) EXPECT_EQ(s.c.At(c, 95 + r), (r << 8) | (c + 4));
        EXPECT_EQ(s.Changed(), 30u);
        EXPECT_EQ(f.px, copy);  // borrowed, never changed or freed
        EXPECT_EQ(s.Draw(100, 0, &f.raw), 0);
        EXPECT_EQ(s.Draw(0, -10, &f.raw), 0);
        EXPECT_EQ(s.Changed(), 30u);
        EXPECT_TRUE(s.c.GuardsIntact());
    }
    {
        Scene s;
        RawFixture f(10, 0);
        EXPECT_EQ(s.Draw(5, 5, &f.raw), 0);
        f.raw.height = 10;
        f.raw.pixels = nullptr;
        EXPECT_EQ(s.Draw(5, 5, &f.raw), 0);
        EXPECT_EQ(s.Draw(-5, 5, &f.raw), 0);
        EXPECT_EQ(s.Changed(), 0u);
    }
}

// Every temporary of the crossing path can fail: the draw returns -1, draws
// nothing and releases what it made (the sanitizer build checks the leaks).
TEST(DrawRaw, NeitherPathAllocates) {
    RawFixture f(10, 10);
    Scene s;
    vc15::testing::FailAllocationsAfter(0);
    EXPECT_EQ(s.Draw(-4, 95, &f.raw), 0);  // crossing
    EXPECT_EQ(s.Draw(4, 5, &f.raw), 0);    // whole
    EXPECT_EQ(vc15::testing::FailAllocationsAfter(-1), 0);
    EXPECT_EQ(s.c.At(0, 95), 0x0004);  // image (4, 0)
    EXPECT_EQ(s.c.At(5, 99), 0x0409);  // image (9, 4)
    EXPECT_EQ(s.c.At(4, 5), 0x0000);
    EXPECT_EQ(s.Changed(), 30u + 100u);
}

// ---- Alpha -----------------------------------------------------------------------

// Clipping moves pixels between the tail and the groups of four.
TEST(DrawSpansAlpha, ClippingDecidesWhichFormAPixelGets) {
    CSpanImage sp;
    MakeSprite(sp, 5, 1, {{0, 0, std::vector<uint16_t>(5, 0x0000)}});
    DrawEffect fx{EFFECT_ALPHA, 0, 1, nullptr};
    Scene whole;
    whole.c.Fill(0x7fff);
    whole.Draw(10, 0, &sp, &fx);
    EXPECT_EQ(whole.c.At(14, 0), 0x7bde);  // tail: per-pixel formula
    EXPECT_EQ(whole.c.At(13, 0), 0x7fff);
    Scene cut(false, ClipRect{11, 0, 100, 100});
    cut.c.Fill(0x7fff);
    cut.Draw(10, 0, &sp, &fx);
    EXPECT_EQ(cut.c.At(14, 0), 0x7fff);  // pixels 1..4 form one group
    EXPECT_EQ(cut.c.At(10, 0), 0x7fff);
}

// ---- Soft edges --------------------------------------------------------------------

TEST(DrawSpansSoftEdge, EndPixelsAveragedOnlyOnTheUnclippedPath) {
    DrawEffect fx{EFFECT_SOFT_EDGE, 0, 0, nullptr};
    CSpanImage sp;
    MakeSprite(sp, 10, 3,
               {{4, 0, {0x7fff}},                          // count 1: averaged twice
                {0, 1, {0x0000, 0x0000}},                  // count 2: both averaged
                {0, 2, {0xffff, 0x8001, 0x8002, 0x7fff}},  // interior keeps bit 15
                {9, 2, {}}});                              // count 0: nothing
    ClipRect clip{10, 10, 20, 13};
    Scene s(false, clip);
    s.c.Fill(0x0000);
    for (int c = 0; c < 20; ++c) s.c.At(c, 11) = 0x7fff;
    for (int c = 0; c < 20; ++c) s.c.At(c, 12) = 0x8000;
    EXPECT_EQ(s.Draw(10, 10, &sp, &fx), 0);  // touches all four edges: unclipped
    EXPECT_EQ(s.c.At(14, 10), (23 << 10) | (23 << 5) | 23);
    EXPECT_EQ(s.c.At(10, 11), 0x3def);
    EXPECT_EQ(s.c.At(11, 11), 0x3def);
    EXPECT_EQ(s.c.At(10, 12), 0x3def);  // (31 + 0) / 2 per channel, bit 15 clear
    EXPECT_EQ(s.c.At(11, 12), 0x8001);
    EXPECT_EQ(s.c.At(12, 12), 0x8002);
    EXPECT_EQ(s.c.At(13, 12), 0x3def);
    EXPECT_EQ(s.c.At(19, 12), 0x8000);

    Scene t(false, clip);
    t.c.Fill(0x0000);
    t.Draw(11, 10, &sp, &fx);  // one pixel further: clipped, plain copies
    EXPECT_EQ(t.c.At(15, 10), 0x7fff);
    EXPECT_EQ(t.c.At(11, 12), 0xffff);
    EXPECT_EQ(t.c.At(14, 12), 0x7fff);
}

// ---- Depth -------------------------------------------------------------------------

struct DepthSprite {
    DepthSprite(int32_t w, uint16_t color, uint8_t sample) {
        MakeSprite(colorImage, w, 1, {{0, 0, std::vector<uint16_t>(static_cast<size_t>(w), color)}});
        MakeDepth(depthImage, w, 1, {{0, 0, std::vector<uint8_t>(static_cast<size_t>(w), sample)}});
        params.depthImage = &depthImage;
        effect.params = &params;
    }
    CSpanImage colorImage, depthImage;
    DepthParams params{0, 0, nullptr};
    DrawEffect effect{EFFECT_DEPTH, 0, 256, nullptr};
};

TEST(DrawSpansDepth, TestIsLessOrEqualOnAnUnsignedSum) {
    Scene s(true);
    DepthSprite a(4, 0x0111, 100);
    std::fill(s.c.Depth(), s.c.Depth() + s.c.Size(), 110);
    a.params.bias = 10;  // 110 <= 110 passes
    EXPECT_EQ(s.Draw(5, 5, &a.colorImage, &a.effect), 0);
    EXPECT_EQ(s.c.At(5, 5), 0x0111);
    a.params.bias = 11;
    s.c.At(5, 5) = 0;
    s.Draw(5, 5, &a.colorImage, &a.effect);
    EXPECT_EQ(s.c.At(5, 5), 0);
    std::fill(s.c.Depth(), s.c.Depth() + s.c.Size(), 255);
    DepthSprite distant(4, 0x0222, 200);
    distant.params.bias = 100;  // 300 > 255: never drawn, never written
    distant.params.flags = DEPTH_WRITE;
    s.Draw(5, 6, &distant.colorImage, &distant.effect);
    EXPECT_EQ(s.c.At(5, 6), Scene::kBg);
    EXPECT_EQ(s.c.DepthAt(5, 6), 255);
}

// The depth routines take the strict whole-sprite test: a box touching the
// clip edge takes the clipped path, which cuts a record reaching past the box.
TEST(DrawSpansDepth, StrictInsideTest) {
    Scene s(true);
    CSpanImage color, depth;
    MakeSprite(color, 4, 1, {{2, 0, Ramp(4)}});
    MakeDepth(depth, 4, 1, {{2, 0, std::vector<uint8_t>(4, 7)}});
    DepthParams params{DEPTH_WRITE, 0, &depth};
    DrawEffect fx{EFFECT_DEPTH, 0, 0, &params};
    s.Draw(96, 3, &color, &fx);  // x + w = right
    EXPECT_EQ(s.c.At(99, 3), 0x0101);
    EXPECT_EQ(s.c.At(100, 3), Scene::kBg);
    EXPECT_EQ(s.c.DepthAt(100, 3), 255);
    s.Draw(95, 3, &color, &fx);  // strictly inside: drawn untested
    EXPECT_EQ(s.c.At(100, 3), 0x0103);
    EXPECT_EQ(s.c.DepthAt(100, 3), 7);
}

TEST(DrawSpansDepthAlpha, Levels) {
    for (uint16_t level : {0, 128, 256, 300, 0xffff}) {
        Scene s(true);
        DepthSprite a(4, 0x7fff, 0);
        a.effect.code = EFFECT_DEPTH_ALPHA;
        a.effect.level = level;
        s.c.Fill(0x8000);
        s.Draw(5, 5, &a.colorImage, &a.effect);
        const uint16_t want = level == 0 ? 0x0000 : level == 128 ? 0x3def : 0x7fff;
        EXPECT_EQ(s.c.At(5, 5), want) << level;
        EXPECT_EQ(s.c.At(9, 5), 0x8000) << level;
    }
    // Only the low 16 bits of the level count.
    Scene s(true);
    DepthSprite a(4, 0x7fff, 0);
    s.c.Fill(0);
    const vc15::DepthArgs args{a.params.flags, a.params.bias, vc15::PlaneClearValue(a.params.flags),
                               vc15::ReadRecord<vc15::SpanImageView>(&a.depthImage)};
    vc15::DrawSpansDepthAlpha(vc15::TargetOf(s.c.canvas), 5, 5, vc15::ReadRecord<vc15::SpanImageView>(&a.colorImage),
                              args, 0x10080);
    EXPECT_EQ(s.c.At(5, 5), 0x3def);
}

}  // namespace
