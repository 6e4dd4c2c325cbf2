// Internals of the row blend kernel: the group and run routines of each
// instruction set. Which one runs follows cpu::Active(), so cpu's test hook
// selects them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blit/kernel_abi.h"

namespace vc15 {

// Blends `groups` groups of four pixels with the lane formula and the key
// selection. L is the clamped level, 1..256.
using BlendGroupsFn = void (*)(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L);

void BlendGroupsScalar(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L);
#if defined(VC15_HAVE_X86_SIMD)
void BlendGroupsSse2(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L);
void BlendGroupsAvx2(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L);
// A whole run of n pixels (groups, then the n % 4 tail pixels) with AVX2; L is
// the clamped level, 1..256.
void BlendRunAvx2(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L);
void BlendGroupsAvx512(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L);
void BlendRunAvx512(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L);
#endif

// The kernel's lane constants for one clamped level L (1..256), laid out for
// vector loads, so that a blit calling the kernel for every sprite run builds
// them once per draw instead of once per run.
// Each array fills the widest register (32 lanes); the loads need no
// alignment.
struct alignas(32) BlendRunConsts {
    int16_t red[32], green[32], blue[32], bias[32], level[32], quarter[32];
    uint32_t L;
};
void PrepareBlendRun(BlendRunConsts& k, uint32_t L);
// A whole run of n < 2^30 pixels (groups, then the n % 4 tail pixels) with
// prepared constants, by the active level's forms. Blits that call the kernel
// once per sprite run fetch this once per draw.
using BlendRunPreparedFn = void(VC15_KERNEL_ABI*)(uint16_t* dst, const uint16_t* src, uint32_t n,
                                                  const BlendRunConsts& k);
BlendRunPreparedFn ActiveBlendRunPrepared();
#if defined(VC15_HAVE_X86_SIMD)
VC15_KERNEL_ABI void BlendRunAvx2Prepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k);
VC15_KERNEL_ABI void BlendRunAvx512Prepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k);
#endif

}  // namespace vc15
