// The processor check against the compiler runtime's own reading of the
// processor, and the kernel tables of the levels it allows.
#include "core/cpu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "core/kernel_table.h"
#include "test_hooks.h"

namespace {

using vc15::cpu::Level;

#if VC15_LEVELS_X86 && (defined(__GNUC__) || defined(__clang__))
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

TEST(Cpu, DetectedLevelIsTheOneTheCompilerRuntimeSees) {
    if (std::getenv("VC15_LEVEL")) GTEST_SKIP() << "the level is held by VC15_LEVEL";
    EXPECT_EQ(vc15::kernels::Detected(), CompilerView());
}
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

// Every table of the ladder has every slot filled, and each level's file
// changes at least one slot of the table below it.
TEST(KernelTable, EveryLevelFillsItsTableOverTheOneBelow) {
    constexpr size_t kFirstSlot = offsetof(vc15::KernelTable, drawSpans);
    constexpr size_t kSlots = (sizeof(vc15::KernelTable) - kFirstSlot) / sizeof(void*);
    const vc15::KernelTable* below = nullptr;
    for (Level level : vc15::kernels::Levels()) {
        const vc15::KernelTable* t = vc15::kernels::For(level);
        if (!t) continue;  // beyond the detected level
        EXPECT_EQ(t->level, level);
        const auto* slots = reinterpret_cast<const unsigned char*>(t) + kFirstSlot;
        for (size_t i = 0; i < kSlots; ++i) {
            void* slot;
            std::memcpy(&slot, slots + i * sizeof(void*), sizeof slot);
            EXPECT_NE(slot, nullptr) << vc15::cpu::Name(level) << " slot " << i;
        }
        if (below) {
            EXPECT_NE(
                std::memcmp(slots, reinterpret_cast<const unsigned char*>(below) + kFirstSlot, kSlots * sizeof(void*)),
                0)
                << vc15::cpu::Name(level);
        }
        below = t;
    }
}

// The library starts at the detected level; the suite's runs that hold it
// lower (VC15_LEVEL), or that run on an emulated processor without SSE2,
// name the level they expect, so a run at another level fails instead of
// proving nothing.
TEST(KernelTable, StartsAtTheDetectedLevel) {
    const Level level = vc15::kernels::Detected();
    EXPECT_EQ(vc15::Kernels().level, level);
    EXPECT_EQ(&vc15::Kernels(), vc15::kernels::For(level));
    if (const char* expect = std::getenv("VC15_EXPECT_CPU_LEVEL")) {
        EXPECT_STREQ(vc15::cpu::Name(level), expect);
    }
}

// The hook moves every family at once, and takes only the levels of this
// build's ladder that the processor has: never another architecture's.
TEST(KernelTable, TheHookTakesOnlyLevelsThisProcessorRuns) {
    const Level best = vc15::kernels::Detected();
    for (Level level :
         {Level::Scalar, Level::Sse2, Level::Ssse3, Level::Avx2, Level::Avx512, Level::Neon, Level::Simd128}) {
        const auto levels = vc15::kernels::Levels();
        const bool onLadder = std::find(levels.begin(), levels.end(), level) != levels.end();
        if (!vc15::cpu::ForceLevelForTesting(level)) {
            EXPECT_FALSE(vc15::kernels::Supports(level)) << vc15::cpu::Name(level);
            EXPECT_TRUE(!onLadder || !vc15::cpu::ProcessorHas(level) || std::getenv("VC15_LEVEL"))
                << vc15::cpu::Name(level);
            continue;
        }
        EXPECT_TRUE(onLadder) << vc15::cpu::Name(level);
        EXPECT_EQ(vc15::Kernels().level, level);
        EXPECT_EQ(&vc15::Kernels(), vc15::kernels::For(level));
    }
    EXPECT_TRUE(vc15::cpu::ForceLevelForTesting(Level::Scalar));
    ASSERT_TRUE(vc15::cpu::ForceLevelForTesting(best));
}

}  // namespace
