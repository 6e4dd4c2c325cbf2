// The processor check against the compiler runtime's own reading of the
// processor, and the level every kernel family takes from it.
#include "core/cpu.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "blit/blend_row_internal.h"
#include "pixel/convert.h"

namespace {

using vc15::cpu::Level;

#if VC15_HAVE_X86_SIMD && (defined(__GNUC__) || defined(__clang__))
Level CompilerView() {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("sse2")) return Level::Scalar;
    if (!__builtin_cpu_supports("ssse3")) return Level::Sse2;
    if (!__builtin_cpu_supports("avx2")) return Level::Ssse3;
    return Level::Avx2;
}

TEST(Cpu, DetectedLevelIsTheOneTheCompilerRuntimeSees) { EXPECT_EQ(vc15::cpu::Detected(), CompilerView()); }
#endif

TEST(Cpu, EveryKernelFamilyStartsAtTheDetectedLevel) {
    const Level level = vc15::cpu::Detected();
    const vc15::KernelLevel blend = level >= Level::Avx2   ? vc15::KernelLevel::Avx2
                                    : level >= Level::Sse2 ? vc15::KernelLevel::Sse2
                                                           : vc15::KernelLevel::Scalar;
    EXPECT_EQ(vc15::BestKernelLevel(), blend);
    const vc15::ConvertLevel convert = level >= Level::Avx2    ? vc15::ConvertLevel::Avx2
                                       : level >= Level::Ssse3 ? vc15::ConvertLevel::Ssse3
                                       : level >= Level::Sse2  ? vc15::ConvertLevel::Sse2
                                                               : vc15::ConvertLevel::Scalar;
    EXPECT_EQ(vc15::BestConvertLevel(), convert);

    // The suite's run on an emulated processor without SSE2 names the level
    // it expects, so that a run which had SSE2 after all fails instead of
    // proving nothing.
    if (const char* expect = std::getenv("VC15_EXPECT_CPU_LEVEL")) {
        ASSERT_EQ(std::strcmp(expect, "scalar"), 0) << "unknown expected level " << expect;
        EXPECT_EQ(level, Level::Scalar);
    }
}

}  // namespace
