// The depth blit that writes and tests each record in one walk: its row forms
// against the write row followed by the copy row, and whole draws against
// the reference model at every kernel level, of sprites that take the single
// walk (rows in order; records covering pixels of earlier ones; records out
// of order) and of those that must not (a depth image with other headers or
// another box).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "blit/depth_rows.h"
#include "canvas/draw.h"
#include "core/cpu.h"
#include "draw_test_support.h"
#include "reference_model.h"
#include "test_hooks.h"

namespace {

using vc15::cpu::Level;
namespace dr = vc15::depth_rows;

struct FusedForm {
    const char* name;
    decltype(&dr::WriteCopyScalar) writeCopy;
    Level level;
};

std::vector<FusedForm> Forms() {
    std::vector<FusedForm> f{{"scalar", dr::WriteCopyScalar, Level::Scalar}};
#if defined(VC15_HAVE_X86_SIMD)
    if (vc15::cpu::Supports(Level::Sse2)) f.push_back({"sse2", dr::WriteCopySse2, Level::Sse2});
    if (vc15::cpu::Supports(Level::Avx2)) f.push_back({"avx2", dr::WriteCopyAvx2, Level::Avx2});
    if (vc15::cpu::Supports(Level::Avx512)) f.push_back({"avx512", dr::WriteCopyAvx512, Level::Avx512});
#endif
    return f;
}

TEST(SimdDepthFused, RowMatchesWriteThenCopy) {
    std::mt19937 rng(11);
    for (const FusedForm& f : Forms())
        for (uint32_t bias : {0u, 1u, 10u, 40u, 128u, 254u, 255u, 256u, 300u})
            for (size_t n :
                 {0, 1, 2, 3, 5, 7, 8, 9, 12, 15, 16, 17, 21, 24, 31, 32, 33, 40, 47, 48, 49, 64, 70, 100, 640, 1001}) {
                const size_t pad = 40, off = n % 3;
                std::vector<uint8_t> plane(n + pad), samples(n + pad);
                std::vector<uint16_t> dst(n + pad), src(n + pad);
                for (size_t i = 0; i < n + pad; ++i) {
                    const uint32_t r = rng();
                    plane[i] = (r & 15) == 0 ? 255 : (r & 15) == 1 ? 0 : static_cast<uint8_t>(100 + (r >> 8) % 60);
                    samples[i] = (r & 0x70) == 0 ? 255 : static_cast<uint8_t>(90 + (r >> 16) % 60);
                    dst[i] = static_cast<uint16_t>(rng());
                    src[i] = static_cast<uint16_t>(rng());
                }
                std::vector<uint8_t> wantPlane = plane, gotPlane = plane;
                std::vector<uint16_t> wantDst = dst, gotDst = dst;
                const uint32_t len = static_cast<uint32_t>(n);
                dr::WriteScalar(wantPlane.data() + off, samples.data() + off, len, bias);
                dr::CopyScalar(wantDst.data() + off, wantPlane.data() + off, src.data() + off, samples.data() + off,
                               len, bias);
                f.writeCopy(gotDst.data() + off, gotPlane.data() + off, src.data() + off, samples.data() + off, len,
                            bias);
                ASSERT_EQ(wantPlane, gotPlane) << f.name << " n " << n << " bias " << bias;
                ASSERT_EQ(wantDst, gotDst) << f.name << " n " << n << " bias " << bias;
            }
}

struct Sprite {
    CSpanImage color;
    CSpanImage depth;
};

// Records row by row, each starting at or after the end of the one before;
// then, for some sprites, one change: overlapping or reordered records (the
// single walk must still give the frame of the two walks) or a depth image
// that does not match (the two walks must be taken).
std::unique_ptr<Sprite> OrderedSprite(std::mt19937& rng, int variant) {
    auto s = std::make_unique<Sprite>();
    auto in = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<uint32_t>(hi - lo + 1)); };
    const int w = in(1, 60), h = in(1, 20);
    struct Rec {
        uint16_t x, y;
        uint32_t count;
    };
    std::vector<Rec> recs;
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
    std::vector<Rec> depthRecs = recs;
    int depthW = w, depthH = h;
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
    vc15test::SetSpans(s->depth, depthW, depthH, static_cast<uint32_t>(depthRecs.size()), ds);
    return s;
}

class SimdDepthFusedDraw : public ::testing::TestWithParam<Level> {
protected:
    void SetUp() override {
        if (!vc15::cpu::ForceLevelForTesting(GetParam())) GTEST_SKIP() << "kernel level not available here";
    }
    void TearDown() override { vc15::cpu::ForceLevelForTesting(vc15::cpu::Detected()); }
};

TEST_P(SimdDepthFusedDraw, MatchesTheReferenceModel) {
    std::mt19937 rng(2024);
    for (int scene = 0; scene < 400; ++scene) {
        const int32_t W = 40 + static_cast<int32_t>(rng() % 60), H = 10 + static_cast<int32_t>(rng() % 30);
        vc15test::GuardedCanvas lib(W, H, true);
        ref::Canvas model;
        model.width = W;
        model.height = H;
        model.hasDepth = true;
        model.pixels.resize(lib.Size());
        model.depth.resize(lib.Size());
        for (size_t i = 0; i < lib.Size(); ++i) {
            model.pixels[i] = lib.Pixels()[i] = static_cast<uint16_t>(rng());
            model.depth[i] = lib.Depth()[i] = static_cast<uint8_t>(rng() % 3 == 0 ? 255 : 80 + rng() % 120);
        }
        const ClipRect clip = rng() % 2
                                  ? ClipRect{0, 0, W, H}
                                  : ClipRect{static_cast<int32_t>(rng() % 8), static_cast<int32_t>(rng() % 5),
                                             W - static_cast<int32_t>(rng() % 8), H - static_cast<int32_t>(rng() % 5)};
        lib.canvas.clip = model.clip = clip;
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
            const int32_t want = ref::Draw(model, x, y, &sprite->color, &effect);
            const int32_t got = vc15::DrawDispatch(lib.canvas, x, y, &sprite->color, &effect);
            const std::string where = "scene " + std::to_string(scene) + " draw " + std::to_string(d) + " variant " +
                                      std::to_string(variant) + " at " + std::to_string(x) + "," + std::to_string(y);
            ASSERT_EQ(got, want) << where;
            for (size_t i = 0; i < lib.Size(); ++i) {
                ASSERT_EQ(lib.Pixels()[i], model.pixels[i]) << where << " pixel " << i;
                ASSERT_EQ(lib.Depth()[i], model.depth[i]) << where << " plane " << i;
            }
        }
        ASSERT_TRUE(lib.GuardsIntact()) << "scene " << scene;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, SimdDepthFusedDraw,
                         ::testing::Values(Level::Scalar, Level::Sse2, Level::Avx2, Level::Avx512),
                         [](const ::testing::TestParamInfo<Level>& info) {
                             switch (info.param) {
                                 case Level::Scalar:
                                     return std::string("scalar");
                                 case Level::Sse2:
                                     return std::string("sse2");
                                 case Level::Avx2:
                                     return std::string("avx2");
                                 default:
                                     return std::string("avx512");
                             }
                         });

}  // namespace
