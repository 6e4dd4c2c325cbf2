#include "core/cpu.h"

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#define VC15_CPU_X86 1
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#elif defined(__aarch64__) && defined(__linux__)
#include <asm/hwcap.h>
#include <sys/auxv.h>
#endif

namespace vc15::cpu {

namespace {

#if VC15_CPU_X86
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

Level DetectX86() {
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

// The x86 ladder's order, for the one comparison it needs.
int X86Rank(Level level) {
    switch (level) {
        case Level::Sse2:
            return 1;
        case Level::Ssse3:
            return 2;
        case Level::Avx2:
            return 3;
        case Level::Avx512:
            return 4;
        default:
            return 0;
    }
}
#endif

}  // namespace

const char* Name(Level level) {
    switch (level) {
        case Level::Scalar:
            return "scalar";
        case Level::Sse2:
            return "sse2";
        case Level::Ssse3:
            return "ssse3";
        case Level::Avx2:
            return "avx2";
        case Level::Avx512:
            return "avx512";
        case Level::Neon:
            return "neon";
        case Level::Simd128:
            return "simd128";
    }
    return "?";
}

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

bool ProcessorHas(Level level) {
    if (level == Level::Scalar) return true;
#if VC15_CPU_X86
    static const int best = X86Rank(DetectX86());
    const int rank = X86Rank(level);
    return rank > 0 && rank <= best;
#elif defined(__aarch64__)
        // Advanced SIMD is part of every ARMv8-A processor; Linux still says so
        // in its hardware capabilities, which is asked rather than assumed.
#if defined(__linux__)
    static const bool asimd = (getauxval(AT_HWCAP) & HWCAP_ASIMD) != 0;
#else
    constexpr bool asimd = true;
#endif
    return level == Level::Neon && asimd;
#elif defined(__wasm__)
        // A module with SIMD128 instructions does not load on an engine without
        // them, so a running build that has the level (chosen when it is built)
        // has them.
#if defined(VC15_HAVE_SIMD128)
    return level == Level::Simd128;
#else
    return false;
#endif
#else
    return false;
#endif
}

}  // namespace vc15::cpu
