// The row blend kernel: every instruction-set version against the reference
// model (level clamp, the lane key, the split into groups of four and a
// per-pixel tail, bit 15), the single-pixel blend, and the level hook.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "blit/blend_row.h"
#include "blit/blend_row_internal.h"
#include "core/cpu.h"
#include "levels.h"
#include "reference_model.h"
#include "test_hooks.h"

namespace {

using vc15::BlendRow555;
using vc15::cpu::Level;
using vc15test::AtEveryLevel;

TEST(BlendKernel, BlendPixelIsThePerPixelFormula) {
    for (uint32_t L : {0u, 1u, 3u, 128u, 255u, 256u}) {
        uint16_t d = 0x7fff;
        const uint16_t s = 0x0421;
        vc15::BlendPixel555(&d, &s, L);
        EXPECT_EQ(d, ref::PixelFormula(s, 0x7fff, L)) << L;
    }
    // Unclamped: at level 512 a channel overshoots into its neighbour.
    EXPECT_EQ(vc15::BlendPixelValue555(0x001f, 0x0000, 512), 62);
}

using Rng = std::mt19937;  // the same sequence on every platform

uint16_t RichPixel(Rng& r) {
    const uint32_t k = r() % 8;
    if (k < 3) return 0x0040;
    if (k == 3) return static_cast<uint16_t>(0x8000 | r());
    return static_cast<uint16_t>(r());
}

// Every length 0..64 bytes and long runs, at many offsets, with random
// levels 0..0x1FFFF, against the model; pixels around the run never change.
TEST(BlendKernel, EveryLevelMatchesTheModel) {
    AtEveryLevel([](Level) {
        Rng r(12345);
        constexpr size_t kPad = 24;
        std::vector<uint32_t> lengths;
        for (uint32_t b = 0; b <= 64; b += 2) lengths.push_back(b);
        for (uint32_t b : {126u, 128u, 130u, 1000u, 2048u, 4094u, 6006u}) lengths.push_back(b);
        for (uint32_t bytes : lengths) {
            for (int trial = 0; trial < 24; ++trial) {
                const size_t n = bytes / 2;
                const size_t srcOff = r() % 16, dstOff = r() % 16;  // in pixels: any 2-byte alignment
                std::vector<uint16_t> src(n + 2 * kPad), dst(n + 2 * kPad);
                for (auto& p : src) p = RichPixel(r);
                for (auto& p : dst) p = RichPixel(r);
                std::vector<uint16_t> want = dst;
                const uint32_t level = trial < 4 ? std::vector<uint32_t>{0, 1, 256, 0x10040}[trial] : r() % 0x20000;
                ref::BlendRun(want.data() + dstOff, src.data() + srcOff, n, level);
                ASSERT_EQ(BlendRow555(dst.data() + dstOff, src.data() + srcOff, bytes, level), 0);
                ASSERT_EQ(dst, want) << "bytes " << bytes << " level " << level << " offsets " << srcOff << ","
                                     << dstOff;
            }
        }
    });
}

}  // namespace
