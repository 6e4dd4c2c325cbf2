// The one processor check: which instruction-set level the kernels may use.
#pragma once

#include <atomic>

namespace vc15::cpu {

// Each level includes the ones before it, so a level can be compared with <.
// Avx512 means AVX-512 F, BW, VL and VBMI2 together: the 16-bit lanes, the
// masked loads and stores, and the 256-bit forms of both.
enum class Level : int { Scalar = 0, Sse2 = 1, Ssse3 = 2, Avx2 = 3, Avx512 = 4 };

// The best level that this build compiled, the processor reports and the
// operating system saves the registers of. Detected once.
Level Detected();

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
