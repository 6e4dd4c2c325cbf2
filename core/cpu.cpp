#include "core/cpu.h"

#include <atomic>
#include <cstdint>

#if VC15_HAVE_X86_SIMD
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#endif

namespace vc15::cpu {

namespace {

#if VC15_HAVE_X86_SIMD
void Cpuid(uint32_t leaf, uint32_t sub, uint32_t r[4]) {
#if defined(_MSC_VER)
    int v[4];
    __cpuidex(v, static_cast<int>(leaf), static_cast<int>(sub));
    for (int i = 0; i < 4; ++i) r[i] = static_cast<uint32_t>(v[i]);
#else
    __cpuid_count(leaf, sub, r[0], r[1], r[2], r[3]);
#endif
}

// XCR0: the register state the operating system saves on a task switch.
uint64_t SavedRegisterState() {
#if defined(_MSC_VER)
    return _xgetbv(0);
#else
    uint32_t lo, hi;
    // xgetbv by its encoding: the baseline i686 assembler flags may not know it.
    __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<uint64_t>(hi) << 32) | lo;
#endif
}

Level Detect() {
    Facts f{};
    uint32_t r[4] = {0, 0, 0, 0};
    Cpuid(0, 0, r);
    f.maxLeaf = r[0];
    if (f.maxLeaf < 1) return Level::Scalar;
    Cpuid(1, 0, r);
    f.leaf1Ecx = r[2];
    f.leaf1Edx = r[3];
    // XGETBV faults unless the operating system enabled it (OSXSAVE).
    if ((f.leaf1Ecx >> 27) & 1u) f.xcr0 = SavedRegisterState();
    if (f.maxLeaf >= 7) {
        Cpuid(7, 0, r);
        f.leaf7Ebx = r[1];
        f.leaf7Ecx = r[2];
    }
    return LevelOf(f);
}
#else
Level Detect() { return Level::Scalar; }
#endif

}  // namespace

Level LevelOf(const Facts& f) {
    // On x86_64 SSE2 is architectural, but the bit is checked anyway: the
    // i686 build runs on processors that have only the 64-bit MMX registers.
    const bool sse2 = (f.leaf1Edx >> 26) & 1u;
    const bool ssse3 = (f.leaf1Ecx >> 9) & 1u;
    const bool osxsave = (f.leaf1Ecx >> 27) & 1u;
    const bool avx = (f.leaf1Ecx >> 28) & 1u;
    if (f.maxLeaf < 1 || !sse2) return Level::Scalar;
    if (!ssse3) return Level::Sse2;
    if (f.maxLeaf < 7 || !osxsave || !avx || (f.xcr0 & 6u) != 6u) return Level::Ssse3;
    const bool avx2 = (f.leaf7Ebx >> 5) & 1u;
    if (!avx2) return Level::Ssse3;
    const bool avx512 =
        ((f.leaf7Ebx >> 16) & 1u) && ((f.leaf7Ebx >> 30) & 1u) && ((f.leaf7Ebx >> 31) & 1u) && ((f.leaf7Ecx >> 6) & 1u);
    // The mask registers and both halves of the 32 wide registers must be saved too.
    if (!avx512 || (f.xcr0 & 0xe6u) != 0xe6u) return Level::Avx2;
    return Level::Avx512;
}

Level Detected() {
    static const Level level = Detect();
    return level;
}

std::atomic<int> detail::g_active{-1};

Level Active() {
    int level = detail::g_active.load(std::memory_order_relaxed);
    if (level < 0) {
        level = static_cast<int>(Detected());
        detail::g_active.store(level, std::memory_order_relaxed);
    }
    return static_cast<Level>(level);
}

}  // namespace vc15::cpu
