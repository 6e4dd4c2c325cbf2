// The calling convention of the row kernels that a blit calls once per run.
//
// The 64-bit Windows convention makes a callee keep xmm6-xmm15, so every
// vector kernel saved and restored ten registers on each call: about twenty
// memory operations per sprite run, a tenth of an alpha draw. The kernels are
// internal, so under the 64-bit Windows build they use the System V
// convention, where every vector register may be overwritten; the registers
// are then saved once per draw, by the blit that calls them. Elsewhere the
// mark is empty.
#pragma once

#if defined(_WIN64) && (defined(__GNUC__) || defined(__clang__))
#define VC15_KERNEL_ABI __attribute__((sysv_abi))
#else
#define VC15_KERNEL_ABI
#endif
