// The one place that chooses kernels: this build's ladder of levels, their
// tables built once, and the table in use.
#include "core/kernel_table.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace vc15 {

namespace kernels {

namespace {

struct LevelFill {
    cpu::Level level;
    void (*fill)(KernelTable&);
};

// This build's ladder, scalar first: one line a level. The build defines
// VC15_LEVELS_<ARCH> where it compiles that architecture's level files.
constexpr LevelFill kLadder[] = {
    {cpu::Level::Scalar, FillScalar},
#if VC15_LEVELS_X86
    {cpu::Level::Sse2, FillSse2},       {cpu::Level::Ssse3, FillSsse3},
    {cpu::Level::Avx2, FillAvx2},       {cpu::Level::Avx512, FillAvx512},
#endif
#if VC15_LEVELS_ARM64
    {cpu::Level::Neon, FillNeon},
#endif
#if VC15_LEVELS_WASM
    {cpu::Level::Simd128, FillSimd128},
#endif
};
constexpr size_t kCount = std::size(kLadder);

constexpr std::array<cpu::Level, kCount> kLevels = [] {
    std::array<cpu::Level, kCount> out{};
    for (size_t i = 0; i < kCount; ++i) out[i] = kLadder[i].level;
    return out;
}();

struct Tables {
    std::array<KernelTable, kCount> table;
    size_t detected;
};

// The level to use: the best of the ladder the processor runs, held lower
// by VC15_LEVEL when that names a lower level of the ladder.
size_t ChooseLevel() {
    size_t best = 0;
    while (best + 1 < kCount && cpu::ProcessorHas(kLadder[best + 1].level)) ++best;
    if (const char* want = std::getenv("VC15_LEVEL")) {
        for (size_t i = 0; i < best; ++i)
            if (std::strcmp(want, cpu::Name(kLadder[i].level)) == 0) best = i;
    }
    return best;
}

// Each table up to the chosen level starts as a copy of the one below it and
// takes its level's forms over it. The levels above are never filled: a
// level's file is compiled with its instruction set, so not even its fill
// may run on a processor without it.
const Tables& Built() {
    static const Tables built = [] {
        Tables t{};
        t.detected = ChooseLevel();
        for (size_t i = 0; i <= t.detected; ++i) {
            if (i > 0) t.table[i] = t.table[i - 1];
            t.table[i].level = kLadder[i].level;
            kLadder[i].fill(t.table[i]);
        }
        return t;
    }();
    return built;
}

size_t IndexOf(cpu::Level level) {
    for (size_t i = 0; i < kCount; ++i)
        if (kLadder[i].level == level) return i;
    return kCount;
}

}  // namespace

std::span<const cpu::Level> Levels() { return kLevels; }

cpu::Level Detected() { return kLadder[Built().detected].level; }

bool Supports(cpu::Level level) { return IndexOf(level) <= Built().detected; }

const KernelTable* For(cpu::Level level) { return Supports(level) ? &Built().table[IndexOf(level)] : nullptr; }

std::atomic<const KernelTable*> detail::g_active{nullptr};

}  // namespace kernels

const KernelTable& Kernels() {
    const KernelTable* t = kernels::detail::g_active.load(std::memory_order_relaxed);
    if (!t) {
        t = &kernels::Built().table[kernels::Built().detected];
        kernels::detail::g_active.store(t, std::memory_order_relaxed);
    }
    return *t;
}

}  // namespace vc15
