// The row blend kernel: exact values of the two formulas and their split,
// and every instruction-set version against the reference model.
#include <gtest/gtest.h>

#include <cstdint>
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

std::vector<uint16_t> Blend(std::vector<uint16_t> dst, const std::vector<uint16_t>& src, uint32_t bytes,
                            uint32_t level) {
    EXPECT_EQ(BlendRow555(dst.data(), src.data(), bytes, level), 0);
    return dst;
}

TEST(BlendKernel, LevelZeroWritesNothingAndWideLevelsClamp) {
    AtEveryLevel([](Level) {
        const std::vector<uint16_t> dst{0x8123, 0x0040, 0x7fff, 0x1234, 0x8000};
        const std::vector<uint16_t> src{0x0040, 0x1111, 0x0000, 0x7c1f, 0x0040};
        EXPECT_EQ(Blend(dst, src, 10, 0), dst);
        EXPECT_EQ(Blend(dst, src, 10, 0x10000), dst);  // low 16 bits are 0
        const auto at256 = Blend(dst, src, 10, 256);
        EXPECT_EQ(Blend(dst, src, 10, 300), at256);
        EXPECT_EQ(Blend(dst, src, 10, 0xffff), at256);
        EXPECT_EQ(Blend(dst, src, 10, 0x00010080), Blend(dst, src, 10, 128));
    });
}

TEST(BlendKernel, KeyPixelsInsideGroupsKeepTheDestination) {
    AtEveryLevel([](Level) {
        const std::vector<uint16_t> dst(5, 0x8123);
        const std::vector<uint16_t> src{0x1234, 0x0040, 0x5555, 0x0040, 0x0040};
        EXPECT_EQ(Blend(dst, src, 10, 256), (std::vector<uint16_t>{0x1234, 0x8123, 0x5555, 0x8123, 0x0040}));
    });
}

TEST(BlendKernel, GroupAndTailRoundDifferently) {
    AtEveryLevel([](Level) {
        EXPECT_EQ(Blend(std::vector<uint16_t>(5, 0x0000), std::vector<uint16_t>(5, 0x7fff), 10, 128),
                  std::vector<uint16_t>(5, 0x3def));
        EXPECT_EQ(Blend(std::vector<uint16_t>(5, 0x7fff), std::vector<uint16_t>(5, 0x0000), 10, 128),
                  std::vector<uint16_t>(5, 0x3def));
        // Level 3: the lane formula lifts red to 1 in the group, the tail stays 0.
        EXPECT_EQ(Blend(std::vector<uint16_t>(5, 0x0000), std::vector<uint16_t>(5, 0x7c00), 10, 3),
                  (std::vector<uint16_t>{0x0400, 0x0400, 0x0400, 0x0400, 0x0000}));
        // Level 1: the group is unchanged, the tail loses one in each channel.
        EXPECT_EQ(Blend(std::vector<uint16_t>(5, 0x7fff), std::vector<uint16_t>(5, 0x0000), 10, 1),
                  (std::vector<uint16_t>{0x7fff, 0x7fff, 0x7fff, 0x7fff, 0x7bde}));
        EXPECT_EQ(Blend(std::vector<uint16_t>(5, 0x7fff), std::vector<uint16_t>(5, 0x0000), 10, 2),
                  (std::vector<uint16_t>{0x7fff, 0x7fff, 0x7fff, 0x7fff, 0x7bde}));
    });
}

TEST(BlendKernel, LengthDecidesTheSplit) {
    AtEveryLevel([](Level) {
        // Source 0x0040 is the key in groups only; level 256 makes a blended
        // pixel equal to the source, so each pixel shows which form it got.
        const std::vector<uint16_t> src(8, 0x0040);
        const std::vector<uint16_t> dst(8, 0x9999);
        EXPECT_EQ(Blend(dst, src, 0, 256), dst);
        EXPECT_EQ(Blend(dst, src, 2, 256),
                  (std::vector<uint16_t>{0x0040, 0x9999, 0x9999, 0x9999, 0x9999, 0x9999, 0x9999, 0x9999}));
        EXPECT_EQ(Blend(dst, src, 6, 256),
                  (std::vector<uint16_t>{0x0040, 0x0040, 0x0040, 0x9999, 0x9999, 0x9999, 0x9999, 0x9999}));
        EXPECT_EQ(Blend(dst, src, 8, 256), dst);  // one group, no tail
        EXPECT_EQ(Blend(dst, src, 14, 256),
                  (std::vector<uint16_t>{0x9999, 0x9999, 0x9999, 0x9999, 0x0040, 0x0040, 0x0040, 0x9999}));
    });
}

TEST(BlendKernel, BlendedPixelsLoseBit15) {
    AtEveryLevel([](Level) {
        const std::vector<uint16_t> src{0x8001, 0x8002, 0x8003, 0x8004, 0x8005};
        const auto out = Blend(std::vector<uint16_t>(5, 0xffff), src, 10, 200);
        for (uint16_t v : out) EXPECT_EQ(v & 0x8000, 0) << std::hex << v;
    });
}

TEST(BlendKernel, LaneFormulaEqualsOrExceedsPerPixelByOne) {
    for (uint32_t L = 1; L <= 256; ++L)
        for (uint16_t s = 0; s < 32; ++s)
            for (uint16_t d = 0; d < 32; ++d) {
                const int lane = ref::LaneFormula(s, d, L), pixel = ref::PixelFormula(s, d, L);
                ASSERT_GE(lane, pixel);
                ASSERT_LE(lane, pixel + 1);
                if (L % 4 == 0) {
                    ASSERT_EQ(lane, pixel) << "L " << L;
                }
            }
}

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

// xorshift: portable sequence.
struct Rng {
    uint32_t s;
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
};

uint16_t RichPixel(Rng& r) {
    const uint32_t k = r.Next() % 8;
    if (k < 3) return 0x0040;
    if (k == 3) return static_cast<uint16_t>(0x8000 | r.Next());
    return static_cast<uint16_t>(r.Next());
}

// Every length 0..64 bytes and long runs, at many offsets, with random
// levels 0..0x1FFFF, against the model; pixels around the run never change.
TEST(BlendKernel, EveryLevelMatchesTheModel) {
    AtEveryLevel([](Level) {
        Rng r{12345};
        constexpr size_t kPad = 24;
        std::vector<uint32_t> lengths;
        for (uint32_t b = 0; b <= 64; b += 2) lengths.push_back(b);
        for (uint32_t b : {126u, 128u, 130u, 1000u, 2048u, 4094u, 6006u}) lengths.push_back(b);
        for (uint32_t bytes : lengths) {
            for (int trial = 0; trial < 24; ++trial) {
                const size_t n = bytes / 2;
                const size_t srcOff = r.Next() % 16, dstOff = r.Next() % 16;  // in pixels: any 2-byte alignment
                std::vector<uint16_t> src(n + 2 * kPad), dst(n + 2 * kPad);
                for (auto& p : src) p = RichPixel(r);
                for (auto& p : dst) p = RichPixel(r);
                std::vector<uint16_t> want = dst;
                const uint32_t level =
                    trial < 4 ? std::vector<uint32_t>{0, 1, 256, 0x10040}[trial] : r.Next() % 0x20000;
                ref::BlendRun(want.data() + dstOff, src.data() + srcOff, n, level);
                BlendRow555(dst.data() + dstOff, src.data() + srcOff, bytes, level);
                ASSERT_EQ(dst, want) << "bytes " << bytes << " level " << level << " offsets " << srcOff << ","
                                     << dstOff;
            }
        }
    });
}

// The hook caps the kernel: only AVX2 runs the AVX2 run routine, and a level
// the processor lacks is refused.
TEST(BlendKernel, TheLevelHookPicksTheRunRoutine) {
    const Level best = vc15::cpu::Detected();
    ASSERT_TRUE(vc15::cpu::ForceLevelForTesting(Level::Scalar));
    EXPECT_EQ(vc15::cpu::Active(), Level::Scalar);
#if defined(VC15_HAVE_X86_SIMD)
    EXPECT_NE(vc15::ActiveBlendRunPrepared(), &vc15::BlendRunAvx2Prepared);
    if (vc15::cpu::ForceLevelForTesting(Level::Ssse3)) {
        EXPECT_NE(vc15::ActiveBlendRunPrepared(), &vc15::BlendRunAvx2Prepared);
    }
    if (vc15::cpu::ForceLevelForTesting(Level::Avx2)) {
        EXPECT_EQ(vc15::ActiveBlendRunPrepared(), &vc15::BlendRunAvx2Prepared);
    }
#endif
    ASSERT_TRUE(vc15::cpu::ForceLevelForTesting(best));
    EXPECT_EQ(vc15::cpu::Active(), best);
    if (best < Level::Avx2) {
        EXPECT_FALSE(vc15::cpu::ForceLevelForTesting(Level::Avx2));
    }
}

}  // namespace
