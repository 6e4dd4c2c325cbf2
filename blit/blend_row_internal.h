// Internals of the row blend kernel: the scalar group form, the run built
// from a level's group form, and the constants a blit prepares once per draw.
// Each level's forms are slots of the kernel table (core/kernel_table.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/kernel_abi.h"

namespace vc15 {

// Blends `groups` groups of four pixels with the lane formula and the key
// selection. L is the clamped level, 1..256.
void BlendGroupsScalar(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L);

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

// A whole run of n pixels as the tail pixels (per-pixel formula, last pixel
// first) and then the groups of the table in use: the run of the levels
// without a run form of their own.
VC15_KERNEL_ABI void BlendRunByGroups(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L);
VC15_KERNEL_ABI void BlendRunByGroupsPrepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k);

}  // namespace vc15
