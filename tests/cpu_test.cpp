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
