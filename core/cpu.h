// The one processor check: which instruction-set level the kernels may use.
#pragma once

#include <atomic>
#include <cstdint>

namespace vc15::cpu {

// Each level includes the ones before it, so a level can be compared with <.
// Avx512 means AVX-512 F, BW, VL and VBMI2 together: the 16-bit lanes, the
// masked loads and stores, and the 256-bit forms of both.
enum class Level : int { Scalar = 0, Sse2 = 1, Ssse3 = 2, Avx2 = 3, Avx512 = 4 };

// The best level that this build compiled, the processor reports and the
// operating system saves the registers of. Detected once.
Level Detected();

// The processor's answers the level is decided from: CPUID leaf 0's highest
// leaf, leaf 1's ECX and EDX, leaf 7's EBX and ECX, and XCR0 (0 when the
// operating system does not enable XGETBV). Kept apart from the reading so
// the decision can be checked without the processor.
struct Facts {
    uint32_t maxLeaf, leaf1Ecx, leaf1Edx, leaf7Ebx, leaf7Ecx;
    uint64_t xcr0;
};
Level LevelOf(const Facts& f);

// True when kernels of `level` may run here.
inline bool Supports(Level level) { return static_cast<int>(level) <= static_cast<int>(Detected()); }

// The level every kernel family (row blend, depth rows, converters) uses
// now, each taking its best form at or below it: Detected() unless the test
// hook changed it.
Level Active();

namespace detail {
// What Active() reports: -1 until first read, then the detected level, so
// the common path is one relaxed load. The tests' level hook sets it.
extern std::atomic<int> g_active;
}  // namespace detail

}  // namespace vc15::cpu
