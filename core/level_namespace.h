// The inline functions of the walk, the row copy and the per-run operations
// are compiled into files built with different instruction-set flags. An
// out-of-line copy of one of them (an unoptimised build inlines nothing) made
// in a file built for a wider level must never be the copy that the linker
// hands to a baseline file. Each flag set therefore gets its own inline
// namespace, so the copies have different names; the source names are the
// same everywhere.
#pragma once

#if defined(__AVX512F__)
#define VC15_LEVEL_NAMESPACE at_avx512
#elif defined(__AVX2__)
#define VC15_LEVEL_NAMESPACE at_avx2
#elif defined(__SSSE3__)
#define VC15_LEVEL_NAMESPACE at_ssse3
#elif defined(__SSE2__)
#define VC15_LEVEL_NAMESPACE at_sse2
#elif defined(__ARM_NEON)
#define VC15_LEVEL_NAMESPACE at_neon
#elif defined(__wasm_simd128__)
#define VC15_LEVEL_NAMESPACE at_simd128
#else
#define VC15_LEVEL_NAMESPACE at_base
#endif
