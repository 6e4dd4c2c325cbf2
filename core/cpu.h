// The one processor check: which kernel levels this processor can run.
#pragma once

#include <cstdint>

namespace vc15::cpu {

// The kernel levels of every architecture. Each architecture's build has its
// own ladder of them (core/kernel_table.cpp), scalar first, each level
// including the ones before it on that ladder; levels of different
// architectures are never compared. Avx512 means AVX-512 F, BW, VL and VBMI2
// together: the 16-bit lanes, the masked loads and stores, and the 256-bit
// forms of both.
enum class Level : int { Scalar, Sse2, Ssse3, Avx2, Avx512, Neon, Simd128 };

// The level's name as hosts set it in VC15_LEVEL ("scalar", "sse2", ...).
const char* Name(Level level);

// True when the processor, and the operating system's saving of registers,
// let kernels of `level` run here (whether this build has them aside).
bool ProcessorHas(Level level);

// The processor's answers the x86 levels are decided from: CPUID leaf 0's
// highest leaf, leaf 1's ECX and EDX, leaf 7's EBX and ECX, and XCR0 (0 when
// the operating system does not enable XGETBV). Kept apart from the reading
// so the decision can be checked without the processor.
struct Facts {
    uint32_t maxLeaf, leaf1Ecx, leaf1Edx, leaf7Ebx, leaf7Ecx;
    uint64_t xcr0;
};
// The best x86 level those answers allow.
Level LevelOf(const Facts& f);

}  // namespace vc15::cpu
