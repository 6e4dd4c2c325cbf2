// The depth rows at every processor level against the scalar rules, bit for
// bit (write, copy, blend, and the fused write-and-copy against the write then
// the copy) over all short lengths, long runs, every bias class and unaligned
// pointers, and every row against guard pages (the canvas row is written
// only where pixels pass, and nothing is touched beyond a run); then whole depth draws against the reference model, of
// sprites that take the single walk (rows in order, overlapping or out-of-order records) and of those that must not
// (other depth headers or box).
#include "blit/depth_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "blit/blits.h"
#include "canvas/draw.h"
#include "core/kernel_table.h"
#include "draw_test_support.h"
#include "guard_pages.h"
#include "levels.h"
#include "reference_model.h"

namespace {

namespace dr = vc15::depth_rows;
using vc15test::AtEveryLevel;

struct Rows {
    std::vector<uint8_t> plane, samples;
    std::vector<uint16_t> dst, src;
};

// Plane and samples close to each other so that passes and fails mix, with
// the extremes (0, 255) frequent; bit 15 set in half of the pixels.
Rows MakeRows(size_t n, std::mt19937& rng) {
    Rows c;
    for (size_t i = 0; i < n + 40; ++i) {
        const uint32_t r = rng();
        c.plane.push_back((r & 15) == 0 ? 255 : (r & 15) == 1 ? 0 : static_cast<uint8_t>(100 + (r >> 8) % 60));
        c.samples.push_back((r & 0x70) == 0 ? 255 : (r & 0x70) == 0x10 ? 0 : static_cast<uint8_t>(90 + (r >> 16) % 60));
        c.dst.push_back(static_cast<uint16_t>(rng()));
        c.src.push_back(static_cast<uint16_t>(rng()));
    }
    return c;
}

void CheckRows(size_t n, size_t off, uint32_t bias, uint32_t level, std::mt19937& rng) {
    const Rows base = MakeRows(n, rng);
    const uint32_t len = static_cast<uint32_t>(n);
    const std::string what = "n " + std::to_string(n) + " bias " + std::to_string(bias);
    Rows want = base, got = base;
    auto at = [off](auto& v) { return v.data() + off; };
    dr::WriteScalar(at(want.plane), at(want.samples), len, bias);
    vc15::DepthWriteRow(at(got.plane), at(got.samples), len, bias);
    ASSERT_EQ(want.plane, got.plane) << "write " << what;
    want = got = base;
    dr::CopyScalar(at(want.dst), at(want.plane), at(want.src), at(want.samples), len, bias);
    vc15::DepthCopyRow(at(got.dst), at(got.plane), at(got.src), at(got.samples), len, bias);
    ASSERT_EQ(want.dst, got.dst) << "copy " << what;
    want = got = base;
    dr::BlendScalar(at(want.dst), at(want.plane), at(want.src), at(want.samples), len, bias, level);
    vc15::DepthBlendRow(at(got.dst), at(got.plane), at(got.src), at(got.samples), len, bias, level);
    ASSERT_EQ(want.dst, got.dst) << "blend " << what << " level " << level;
    // The fused row gives the frame of the write followed by the copy.
    want = got = base;
    dr::WriteScalar(at(want.plane), at(want.samples), len, bias);
    dr::CopyScalar(at(want.dst), at(want.plane), at(want.src), at(want.samples), len, bias);
    vc15::Kernels().depthWriteCopy(at(got.dst), at(got.plane), at(got.src), at(got.samples), len, bias);
    ASSERT_EQ(want.plane, got.plane) << "write-copy " << what;
    ASSERT_EQ(want.dst, got.dst) << "write-copy " << what;
}

TEST(DepthRows, EveryLengthBiasAndLevelMatchesScalar) {
    AtEveryLevel([](vc15::cpu::Level) {
        std::mt19937 rng(42);
        const uint32_t levels[] = {0, 1, 3, 77, 128, 200, 255, 256};
        for (uint32_t bias : {0u, 1u, 10u, 40u, 128u, 254u, 255u, 256u, 300u})
            for (size_t n = 0; n <= 70; ++n) {
                CheckRows(n, n % 3, bias, levels[n % 8], rng);
                if (testing::Test::HasFatalFailure()) return;
            }
        for (size_t n : {640u, 1001u, 4099u})
            for (uint32_t level = 0; level <= 256; level += 37) {
                CheckRows(n, 1, level % 50, level, rng);
                if (testing::Test::HasFatalFailure()) return;
            }
    });
}

// Each of the four rows in its own block against a guard page, on either
// side, for the lengths around every step width: a load or store of one
// element beyond the run faults. The results must equal the scalar rules'.
TEST(DepthRows, RowsAgainstGuardPagesMatchScalar) {
    AtEveryLevel([](vc15::cpu::Level) {
        std::mt19937 rng(5);
        for (auto side : {vc15test::GuardSide::After, vc15test::GuardSide::Before})
            for (uint32_t n : {1u, 3u, 4u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 32u, 33u, 63u, 64u, 65u, 100u}) {
                const Rows base = MakeRows(n, rng);
                vc15test::GuardedBuffer dst(2 * n, side), plane(n, side), src(2 * n, side), samples(n, side);
                auto* d = reinterpret_cast<uint16_t*>(dst.data());
                std::memcpy(src.data(), base.src.data(), 2 * n);
                std::memcpy(samples.data(), base.samples.data(), n);
                Rows want = base;
                dr::WriteScalar(want.plane.data(), want.samples.data(), n, 0);
                dr::CopyScalar(want.dst.data(), want.plane.data(), want.src.data(), want.samples.data(), n, 0);
                std::memcpy(d, base.dst.data(), 2 * n);
                std::memcpy(plane.data(), base.plane.data(), n);
                vc15::Kernels().depthWriteCopy(d, plane.data(), reinterpret_cast<const uint16_t*>(src.data()),
                                               samples.data(), n, 0);
                ASSERT_TRUE(std::equal(d, d + n, want.dst.begin())) << "write-copy n " << n;
                ASSERT_TRUE(std::equal(plane.data(), plane.data() + n, want.plane.begin())) << "write-copy n " << n;
                std::memcpy(d, base.dst.data(), 2 * n);
                vc15::Kernels().depthCopy(d, plane.data(), reinterpret_cast<const uint16_t*>(src.data()),
                                          samples.data(), n, 0);
                want.dst = base.dst;
                dr::CopyScalar(want.dst.data(), want.plane.data(), want.src.data(), want.samples.data(), n, 0);
                ASSERT_TRUE(std::equal(d, d + n, want.dst.begin())) << "copy n " << n;
            }
    });
}

// Records row by row, each starting at or after the end of the one before;
// then, for some sprites, one change: overlapping or reordered records (the
// single walk must still give the frame of the two walks) or a depth image
// that does not match (the two walks must be taken).
std::unique_ptr<vc15test::Sprite> OrderedSprite(std::mt19937& rng, int variant) {
    auto s = std::make_unique<vc15test::Sprite>();
    auto in = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<uint32_t>(hi - lo + 1)); };
    const int w = in(1, 60), h = in(1, 20);
    std::vector<SpanRecord> recs;
    for (int y = 0; y < h; ++y) {
        if (rng() % 5 == 0) continue;  // an empty row
        int x = in(0, 3);
        while (x < w) {
            const int count = in(0, w - x);
            recs.push_back({static_cast<uint16_t>(x), static_cast<uint16_t>(y), static_cast<uint32_t>(count)});
            x += count + in(0, 6);
            if (rng() % 3 == 0) break;
        }
    }
    std::vector<SpanRecord> depthRecs = recs;
    int depthW = w;
    if (!recs.empty()) {
        const size_t k = rng() % recs.size();
        switch (variant) {
            case 1:  // a later record reaching back over an earlier one's pixels
                if (recs[k].count > 0)
                    recs.push_back({recs[k].x, recs[k].y, static_cast<uint32_t>(1 + rng() % recs[k].count)});
                depthRecs = recs;
                break;
            case 2:  // records out of row order
                std::swap(recs[k], recs[rng() % recs.size()]);
                depthRecs = recs;
                break;
            case 3:  // the depth image's headers differ
                depthRecs[k].x = static_cast<uint16_t>(depthRecs[k].x ? depthRecs[k].x - 1 : 1);
                break;
            case 4:  // the depth image's box is narrower: its window cuts records the colour one keeps
                depthW = w / 2;
                break;
            default:
                break;
        }
    }
    std::vector<uint8_t> cs, ds;
    for (size_t i = 0; i < recs.size(); ++i) {
        std::vector<uint16_t> px(recs[i].count);
        for (auto& p : px) p = static_cast<uint16_t>(rng());
        std::vector<uint8_t> v(depthRecs[i].count);
        for (auto& d : v) d = static_cast<uint8_t>(rng() % 4 == 0 ? 255 : 60 + rng() % 100);
        vc15test::AppendRecord(cs, recs[i].x, recs[i].y, px);
        vc15test::AppendRecord(ds, depthRecs[i].x, depthRecs[i].y, v);
    }
    vc15test::SetSpans(s->color, w, h, static_cast<uint32_t>(recs.size()), cs);
    vc15test::SetSpans(s->depth, depthW, h, static_cast<uint32_t>(depthRecs.size()), ds);
    return s;
}

// The check that lets a depth draw take one walk accepts every sprite whose
// depth image has the colour image's box and headers (overlapping and
// out-of-order records included) and refuses every other, also a record
// reaching beyond the box; a check that refused too much would only be
// slower, one that accepted too much would draw another frame.
TEST(DepthRows, SingleWalkIsTakenExactlyWhenTheHeadersMatch) {
    std::mt19937 rng(77);
    int matching = 0;
    for (int i = 0; i < 600; ++i) {
        const int variant = i % 5;
        const auto sprite = OrderedSprite(rng, variant);
        const auto color = vc15::ReadRecord<vc15::SpanImageView>(&sprite->color);
        const auto depth = vc15::ReadRecord<vc15::SpanImageView>(&sprite->depth);
        const bool same = variant < 3 || color.spanCount == 0;  // 3 and 4 change a header or the box
        matching += same && color.spanCount > 1;
        EXPECT_EQ(vc15::FusedRecords(color, depth), same) << "sprite " << i << " variant " << variant;
    }
    EXPECT_GT(matching, 300);  // most of them long enough to walk a chain
    vc15test::Sprite beyond;
    std::vector<uint8_t> cs, ds;
    vc15test::AppendRecord(cs, 0, 0, std::vector<uint16_t>(4, 1));
    vc15test::AppendRecord(cs, 5, 1, std::vector<uint16_t>(4, 1));  // columns 5..8 of an 8-wide box
    vc15test::AppendRecord(ds, 0, 0, std::vector<uint8_t>(4, 1));
    vc15test::AppendRecord(ds, 5, 1, std::vector<uint8_t>(4, 1));
    vc15test::SetSpans(beyond.color, 8, 2, 2, cs);
    vc15test::SetSpans(beyond.depth, 8, 2, 2, ds);
    EXPECT_FALSE(vc15::FusedRecords(vc15::ReadRecord<vc15::SpanImageView>(&beyond.color),
                                    vc15::ReadRecord<vc15::SpanImageView>(&beyond.depth)));
    vc15test::SetSpans(beyond.color, 9, 2, 2, cs);
    vc15test::SetSpans(beyond.depth, 9, 2, 2, ds);
    EXPECT_TRUE(vc15::FusedRecords(vc15::ReadRecord<vc15::SpanImageView>(&beyond.color),
                                   vc15::ReadRecord<vc15::SpanImageView>(&beyond.depth)));
}

TEST(DepthRows, SingleWalkDrawsMatchTheReferenceModel) {
    AtEveryLevel([](vc15::cpu::Level) {
        std::mt19937 rng(2024);
        for (int scene = 0; scene < 400; ++scene) {
            const int32_t W = 40 + static_cast<int32_t>(rng() % 60), H = 10 + static_cast<int32_t>(rng() % 30);
            vc15test::Twin t(W, H, true);
            t.Fill([&](size_t) { return static_cast<uint16_t>(rng()); },
                   [&](size_t) { return static_cast<uint8_t>(rng() % 3 == 0 ? 255 : 80 + rng() % 120); });
            t.SetClip(rng() % 2 ? ClipRect{0, 0, W, H}
                                : ClipRect{static_cast<int32_t>(rng() % 8), static_cast<int32_t>(rng() % 5),
                                           W - static_cast<int32_t>(rng() % 8), H - static_cast<int32_t>(rng() % 5)});
            for (int d = 0; d < 6; ++d) {
                const int variant = static_cast<int>(rng() % 8);  // 0 and 5-7: the single walk
                auto sprite = OrderedSprite(rng, variant > 4 ? 0 : variant);
                DepthParams params{};
                params.flags = DEPTH_WRITE | (rng() % 6 == 0 ? DEPTH_CLEAR : 0u);
                params.bias = static_cast<uint8_t>(rng() % 3 == 0 ? rng() : rng() % 8);
                params.depthImage = &sprite->depth;
                DrawEffect effect{};
                effect.code = EFFECT_DEPTH;
                effect.params = &params;
                // Inside, touching and crossing every edge.
                const int32_t x = static_cast<int32_t>(rng() % (W + 40)) - 30;
                const int32_t y = static_cast<int32_t>(rng() % (H + 30)) - 20;
                ASSERT_EQ(t.Draw(x, y, &sprite->color, &effect), "")
                    << "scene " << scene << " draw " << d << " variant " << variant;
            }
        }
    });
}

}  // namespace
