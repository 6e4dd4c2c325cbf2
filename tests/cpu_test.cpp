// The processor check against the compiler runtime's own reading of the
// processor, and the level every kernel family takes from it.
#include "core/cpu.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "blit/depth_rows.h"
#include "pixel/convert.h"
#include "test_hooks.h"

namespace {

using vc15::cpu::Level;

decltype(vc15::DepthRowForms::write) DepthWriteOf(Level level) {
#if defined(VC15_HAVE_X86_SIMD)
    if (level == Level::Avx512) return vc15::depth_rows::WriteAvx512;
    if (level == Level::Avx2) return vc15::depth_rows::WriteAvx2;
    if (level == Level::Sse2) return vc15::depth_rows::WriteSse2;
#endif
    (void)level;
    return vc15::depth_rows::WriteScalar;
}

#if VC15_HAVE_X86_SIMD && (defined(__GNUC__) || defined(__clang__))
Level CompilerView() {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("sse2")) return Level::Scalar;
    if (!__builtin_cpu_supports("ssse3")) return Level::Sse2;
    if (!__builtin_cpu_supports("avx2")) return Level::Ssse3;
    if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512bw") ||
        !__builtin_cpu_supports("avx512vl") || !__builtin_cpu_supports("avx512vbmi2"))
        return Level::Avx2;
    return Level::Avx512;
}

TEST(Cpu, DetectedLevelIsTheOneTheCompilerRuntimeSees) { EXPECT_EQ(vc15::cpu::Detected(), CompilerView()); }
#endif

// The decision from the processor's answers: with every required bit the
// best level, and each bit taken away alone costs the level that needs it.
TEST(Cpu, EachRequiredBitDecidesItsLevel) {
    using vc15::cpu::Facts;
    const uint32_t osxsave = 1u << 27, avx = 1u << 28, avx2 = 1u << 5;
    const Facts all{7, 1u << 9 | osxsave | avx, 1u << 26, avx2 | 1u << 16 | 1u << 30 | 1u << 31, 1u << 6, 0xE7};
    auto without = [&](uint32_t Facts::*field, uint32_t bits) {
        Facts f = all;
        f.*field &= ~bits;
        return vc15::cpu::LevelOf(f);
    };
    EXPECT_EQ(vc15::cpu::LevelOf(all), Level::Avx512);
    for (uint32_t bit : {1u << 16, 1u << 30, 1u << 31}) EXPECT_EQ(without(&Facts::leaf7Ebx, bit), Level::Avx2) << bit;
    EXPECT_EQ(without(&Facts::leaf7Ecx, 1u << 6), Level::Avx2);
    EXPECT_EQ(without(&Facts::leaf7Ebx, avx2), Level::Ssse3);
    EXPECT_EQ(without(&Facts::leaf1Ecx, osxsave), Level::Ssse3);
    EXPECT_EQ(without(&Facts::leaf1Ecx, avx), Level::Ssse3);
    EXPECT_EQ(without(&Facts::leaf1Ecx, 1u << 9), Level::Sse2);
    EXPECT_EQ(without(&Facts::leaf1Edx, 1u << 26), Level::Scalar);
    EXPECT_EQ(without(&Facts::maxLeaf, 1u), Level::Ssse3);  // highest leaf 6
    EXPECT_EQ(without(&Facts::maxLeaf, 7u), Level::Scalar);
    for (uint64_t xcr0 : {0xC7u, 0xA7u, 0x67u}) {  // one of the three AVX-512 states not saved
        Facts f = all;
        f.xcr0 = xcr0;
        EXPECT_EQ(vc15::cpu::LevelOf(f), Level::Avx2) << xcr0;
        f.xcr0 &= ~uint64_t{4};  // nor the upper halves of the 256-bit registers
        EXPECT_EQ(vc15::cpu::LevelOf(f), Level::Ssse3) << xcr0;
    }
}

TEST(Cpu, EveryKernelFamilyStartsAtTheDetectedLevel) {
    const Level level = vc15::cpu::Detected();
    EXPECT_EQ(vc15::cpu::Active(), level);
    // Each family's forms are those of the best level it has at or below it.
    const Level rows = level == Level::Ssse3 ? Level::Sse2 : level;
    EXPECT_EQ(vc15::ActiveDepthRowForms().write, DepthWriteOf(rows));

    // The suite's run on an emulated processor without SSE2 names the level
    // it expects, so that a run which had SSE2 after all fails instead of
    // proving nothing.
    if (const char* expect = std::getenv("VC15_EXPECT_CPU_LEVEL")) {
        ASSERT_EQ(std::strcmp(expect, "scalar"), 0) << "unknown expected level " << expect;
        EXPECT_EQ(level, Level::Scalar);
    }
}

// One hook moves every family: forced to a level, the depth rows take that
// level's forms (SSE2 for SSSE3). The converters' and the blend kernel's own
// tests check the same hook on theirs.
TEST(Cpu, TheHookMovesEveryFamily) {
    const Level best = vc15::cpu::Detected();
    for (Level level : {Level::Scalar, Level::Sse2, Level::Ssse3, Level::Avx2, Level::Avx512}) {
        if (!vc15::cpu::ForceLevelForTesting(level)) {
            EXPECT_FALSE(vc15::cpu::Supports(level));
            continue;
        }
        EXPECT_EQ(vc15::cpu::Active(), level);
        const Level rows = level == Level::Ssse3 ? Level::Sse2 : level;
        EXPECT_EQ(vc15::ActiveDepthRowForms().write, DepthWriteOf(rows));
    }
    ASSERT_TRUE(vc15::cpu::ForceLevelForTesting(best));
}

}  // namespace
