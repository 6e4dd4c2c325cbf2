// Random scenes drawn by the library and by the reference model; whole
// canvases and depth planes must agree after every draw, for every kernel
// level the processor has. Every canvas and plane is also folded into a
// CRC32 pinned below, so every build (native, and the Windows DLLs of both
// widths) and every level gives the same bits as every earlier version: a
// change of the constant is a visible decision.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "canvas/draw.h"
#include "core/cpu.h"
#include "draw_test_support.h"
#include "levels.h"
#include "reference_model.h"

namespace {

// The CRC32 of the first kPinnedScenes scenes, which every build runs, and
// of all of them for the builds that run more.
constexpr uint32_t kPinnedScenes = 300;
constexpr uint32_t kPinnedCrc = 0x0639F193u;
#if defined(_WIN32)
constexpr uint32_t kScenes = kPinnedScenes;  // each emulated process is slow
#else
constexpr uint32_t kScenes = 6000;
constexpr uint32_t kAllScenesCrc = 0x4C94D005u;
#endif

// CRC32 (the reflected 0xEDB88320 polynomial), folded over any bytes.
uint32_t Crc32(uint32_t crc, const void* data, size_t n) {
    static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    const auto* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// splitmix64: the same sequence on every platform and standard library.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint64_t Next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    int64_t In(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
    }
    bool Chance(int percent) { return In(0, 99) < percent; }
    template <class T>
    T Pick(std::initializer_list<T> list) {
        return *(list.begin() + In(0, static_cast<int64_t>(list.size()) - 1));
    }

private:
    uint64_t s_;
};

uint16_t RandomPixel(Rng& r) {
    const int64_t k = r.In(0, 5);
    if (k == 0) return r.Pick<uint16_t>({0x0000, 0x7FFF, 0x8000, 0x0040, 0xFFFF, 0x8040});
    return k == 1 ? 0x0040 : static_cast<uint16_t>(r.Next());
}

uint8_t RandomSample(Rng& r) {
    return r.Chance(40) ? r.Pick<uint8_t>({0, 1, 127, 128, 254, 255}) : static_cast<uint8_t>(r.Next());
}

uint32_t RandomLevel(Rng& r) {
    if (r.Chance(70)) return r.Pick<uint32_t>({0, 1, 2, 3, 4, 5, 64, 127, 128, 129, 255, 256, 257, 300, 0xFFFF});
    return static_cast<uint32_t>(r.Next() & 0xFFFF);
}

// A well-formed sprite and the matching depth image (same records, with a
// box at least as large).
std::unique_ptr<vc15test::Sprite> RandomSprite(Rng& r, bool wide) {
    auto s = std::make_unique<vc15test::Sprite>();
    const bool small = !wide && r.Chance(60);
    const int32_t w = static_cast<int32_t>(r.Chance(5) ? 0 : r.In(1, small ? 12 : wide ? 260 : 40));
    const int32_t h = static_cast<int32_t>(r.Chance(5) ? 0 : r.In(1, small ? 10 : 30));
    std::vector<uint8_t> cs, ds;
    uint32_t n = 0;
    if (h > 0) {
        n = static_cast<uint32_t>(r.In(0, 14));
        for (uint32_t i = 0; i < n; ++i) {
            const uint16_t y = static_cast<uint16_t>(r.In(0, h - 1));
            uint16_t x;
            uint32_t count;
            switch (r.In(0, 5)) {
                case 0:  // full row
                    x = 0;
                    count = static_cast<uint32_t>(w);
                    break;
                case 1:  // empty record
                    x = static_cast<uint16_t>(r.In(0, w));
                    count = 0;
                    break;
                case 2:  // touching the right edge of the box
                    count = static_cast<uint32_t>(r.In(0, w));
                    x = static_cast<uint16_t>(w - static_cast<int32_t>(count));
                    break;
                default:
                    x = static_cast<uint16_t>(r.In(0, w));
                    count = static_cast<uint32_t>(r.In(0, w - x));
            }
            std::vector<uint16_t> px(count);
            std::vector<uint8_t> v(count);
            for (auto& p : px) p = RandomPixel(r);
            for (auto& d : v) d = RandomSample(r);
            vc15test::AppendRecord(cs, x, y, px);
            vc15test::AppendRecord(ds, x, y, v);
        }
    }
    vc15test::SetSpans(s->color, w, h, n, cs);
    const int32_t grow = r.Chance(20) ? static_cast<int32_t>(r.In(1, 3)) : 0;
    vc15test::SetSpans(s->depth, w + grow, h + grow, n, ds);
    return s;
}

// Positions that hit every edge of the clip rectangle, plus far-away ones.
int32_t RandomPosition(Rng& r, int32_t lo, int32_t hi, int32_t size, bool inside) {
    if (inside && hi - size >= lo) return static_cast<int32_t>(r.In(lo, hi - size));
    const int64_t k = r.In(0, 19);
    if (k < 6) {  // on an edge, or just beyond it
        const int64_t edge[] = {lo, lo, hi - size, hi - size, hi, lo - size};
        return static_cast<int32_t>(edge[k] + r.In(-1, 1));
    }
    if (k == 6) return r.Pick<int32_t>({INT32_MIN, INT32_MIN + 5, INT32_MAX, INT32_MAX - 10, -70000, 70000});
    if (k < 9) return static_cast<int32_t>(r.In(lo - size - 4, hi + 4));
    // Crossing or inside: overlaps the clip range.
    return lo - size + 1 <= hi - 1 ? static_cast<int32_t>(r.In(lo - size + 1, hi - 1)) : lo;
}

class DrawDifferential : public ::testing::TestWithParam<vc15::cpu::Level> {
protected:
    void SetUp() override {
        if (!vc15::cpu::ForceLevelForTesting(GetParam())) GTEST_SKIP() << "kernel level not available here";
    }
    void TearDown() override { vc15::cpu::ForceLevelForTesting(vc15::kernels::Detected()); }
};

TEST_P(DrawDifferential, RandomScenesMatchTheModel) {
    uint32_t crc = 0;
    for (uint32_t scene = 0; scene < kScenes; ++scene) {
        const uint64_t seed = 0xC0FFEEull * 1000003ull + scene;
        Rng r(seed);
        // Now and then a wide scene, for long runs through the vector forms.
        const bool wide = r.Chance(5);
        const int32_t W = static_cast<int32_t>(r.In(1, wide ? 320 : 64));
        const int32_t H = static_cast<int32_t>(r.In(1, 48));
        const bool withDepth = r.Chance(85);
        vc15test::Twin t(W, H, withDepth);
        t.Fill([&](size_t) { return RandomPixel(r); }, [&](size_t) { return RandomSample(r); });
        ClipRect clip;
        clip.left = static_cast<int32_t>(r.In(0, W));
        clip.right = static_cast<int32_t>(r.In(clip.left, W));
        clip.top = static_cast<int32_t>(r.In(0, H));
        clip.bottom = static_cast<int32_t>(r.In(clip.top, H));
        if (r.Chance(40)) {  // a large clip rectangle: room for whole sprites
            clip.left = static_cast<int32_t>(r.In(0, W / 4));
            clip.right = static_cast<int32_t>(r.In(W - W / 4, W));
            clip.top = static_cast<int32_t>(r.In(0, H / 4));
            clip.bottom = static_cast<int32_t>(r.In(H - H / 4, H));
        }
        if (r.Chance(20)) clip = ClipRect{0, 0, W, H};
        t.SetClip(clip);

        const int draws = static_cast<int>(r.In(1, 8));
        for (int d = 0; d < draws; ++d) {
            auto sprite = RandomSprite(r, wide);
            std::vector<uint16_t> rawPixels;
            CRawImage raw;
            DepthParams params{};
            DrawEffect effect{};
            const CImage* image = &sprite->color;
            const DrawEffect* fx = nullptr;
            effect.level = static_cast<uint16_t>(RandomLevel(r));
            params.bias = r.Chance(50) ? r.Pick<uint8_t>({0, 1, 128, 254, 255}) : static_cast<uint8_t>(r.Next());
            params.flags = static_cast<uint32_t>(r.Next() & 0xFF);
            if (r.Chance(50)) params.flags |= DEPTH_WRITE;
            if (r.Chance(15)) params.flags |= DEPTH_CLEAR;
            if (r.Chance(15)) params.flags |= DEPTH_CLEAR_VALUE;
            params.depthImage = &sprite->depth;
            effect.params = &params;

            // Two in fourteen each: plain, raw, the four effects; then one
            // plane-clearing request and one refusal.
            const int64_t kind = r.In(0, 13);
            if (kind == 2 || kind == 3) {
                raw.width = static_cast<int32_t>(r.In(0, 30));
                raw.height = static_cast<int32_t>(r.In(0, 30));
                rawPixels.resize(static_cast<size_t>(raw.width) * raw.height);
                for (auto& p : rawPixels) p = RandomPixel(r);
                raw.pixels = rawPixels.empty() || r.Chance(3) ? nullptr : rawPixels.data();
                image = &raw;
                if (r.Chance(10)) fx = &effect;  // refused
                effect.code = EFFECT_ALPHA;
            } else if (kind >= 4 && kind < 12) {
                const uint32_t codes[] = {EFFECT_ALPHA, EFFECT_SOFT_EDGE, EFFECT_DEPTH, EFFECT_DEPTH_ALPHA};
                effect.code = codes[kind / 2 - 2];
                fx = &effect;
            } else if (kind == 12) {  // plane-clearing request
                image = nullptr;
                effect.code = static_cast<uint32_t>(r.Next());
                if (r.Chance(20)) effect.params = nullptr;
                fx = r.Chance(5) ? nullptr : &effect;
            } else if (kind == 13) {  // unknown code, undrawable kind
                effect.code = r.Pick<uint32_t>({0, 24, 4096 + 8, 32, 0xFFFFFFFF});
                fx = &effect;
                if (r.Chance(50)) {
                    sprite->color.kind = r.Pick<uint32_t>({0x00000002, 0x10000008, 0});
                    fx = r.Chance(50) ? nullptr : &effect;
                }
            }

            int32_t w = image ? image->width : 0, h = image ? image->height : 0;
            const bool inside = r.Chance(40);
            const int32_t x = RandomPosition(r, clip.left, clip.right, w, inside);
            const int32_t y = RandomPosition(r, clip.top, clip.bottom, h, inside);

            int32_t got = 0;
            ASSERT_EQ(t.Draw(x, y, image, fx, &got), "")
                << "scene seed " << seed << ", draw " << d << " at " << x << "," << y << ", clip " << clip.left << ","
                << clip.top << "," << clip.right << "," << clip.bottom;
            crc = Crc32(crc, &got, sizeof got);
            crc = Crc32(crc, t.lib.Pixels(), 2 * t.lib.Size());
            if (withDepth) crc = Crc32(crc, t.lib.Depth(), t.lib.Size());
        }
        if (scene + 1 == kPinnedScenes) {
            EXPECT_EQ(crc, kPinnedCrc) << std::hex << "CRC32 of the first " << std::dec << kPinnedScenes << " scenes";
        }
    }
#if !defined(_WIN32)
    EXPECT_EQ(crc, kAllScenesCrc) << std::hex << "CRC32 of all " << std::dec << kScenes << " scenes";
#endif
}

INSTANTIATE_TEST_SUITE_P(Levels, DrawDifferential, ::testing::ValuesIn(vc15test::SupportedLevels()),
                         [](const ::testing::TestParamInfo<vc15::cpu::Level>& info) {
                             return vc15test::LevelName(info.param);
                         });

}  // namespace
