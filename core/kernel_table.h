// The kernel table: every kernel family of the library (span copy, raw rows,
// row blend, depth rows, converters, presenting conversions) is a slot here.
// Each level fills the slots it has a form for in its own file (levels/),
// over the table of the level below it, and one place (kernel_table.cpp)
// builds the tables of this build's levels once and chooses the one to use.
// The draw path, the converters and the presenting code call through
// Kernels() and never look at a level themselves.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/cpu.h"
#include "core/kernel_abi.h"

namespace vc15 {

// What the drawing slots take (blit/target.h, blit/image_view.h,
// blit/blend_row_internal.h).
struct DrawTarget;
struct SpanImageView;
struct BlendRunConsts;

struct KernelTable {
    cpu::Level level;

    // Span copy and raw rows: whole draws, each the one clipping walk
    // instantiated with the level's run copy, so no run pays an indirect call.
    void (*drawSpans)(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image);
    void (*drawRaw)(const DrawTarget& canvas, int32_t x, int32_t y, const uint16_t* pixels, int32_t w, int32_t h);

    // Row blend at the clamped level L (1..256): `groups` groups of four
    // pixels with the lane formula and its key; a whole run of n < 2^30
    // pixels (groups, then the n % 4 tail pixels by the per-pixel formula);
    // the same with constants prepared once per draw.
    void (*blendGroups)(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L);
    void(VC15_KERNEL_ABI* blendRun)(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L);
    void(VC15_KERNEL_ABI* blendRunPrepared)(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k);

    // Depth rows (blit/depth_rows.h says what each computes).
    void(VC15_KERNEL_ABI* depthWrite)(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias);
    void(VC15_KERNEL_ABI* depthCopy)(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias);
    void(VC15_KERNEL_ABI* depthBlend)(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                      uint32_t n, uint32_t bias, uint32_t L);
    void(VC15_KERNEL_ABI* depthWriteCopy)(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                          uint32_t n, uint32_t bias);

    // The depth draws: whole walks with the level's depth row inlined
    // (blit/depth_walks.h), so no record pays an indirect call. The write
    // pass; the depth-tested copy and blend; the write and copy of each
    // record in one pass. System V convention inside the 64-bit DLL, as the
    // row kernels: the Windows one would save ten vector registers a call,
    // and the compiler cannot lay out that frame around 512-bit spills.
    void(VC15_KERNEL_ABI* drawDepthWrite)(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& depth,
                                          uint32_t bias);
    void(VC15_KERNEL_ABI* drawDepthCopy)(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                                         const SpanImageView& depth, uint32_t bias);
    void(VC15_KERNEL_ABI* drawDepthBlend)(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image,
                                          const SpanImageView& depth, uint32_t bias, uint32_t L);
    void(VC15_KERNEL_ABI* drawDepthWriteCopy)(const DrawTarget& canvas, int32_t x, int32_t y,
                                              const SpanImageView& image, const SpanImageView& depth, uint32_t bias);
    // The six exported converters (pixel/convert.h).
    void (*rgb555ToRgb565)(uint16_t* dst, const uint16_t* src, int32_t count);
    void (*rgb565ToRgb555)(uint16_t* dst, const uint16_t* src, int32_t count);
    void (*rgb888ToRgb565)(uint16_t* dst, const uint8_t* src, int32_t count);
    void (*rgb888ToRgb555)(uint16_t* dst, const uint8_t* src, int32_t count);
    void (*rgba8888ToArgb1555)(uint16_t* dst, const uint8_t* src, int32_t count);
    void (*rgba8888ToArgb4444)(uint16_t* dst, const uint8_t* src, int32_t count);

    // Canvas rows to the presenting formats.
    void (*rgb555ToRgb565Wide)(uint16_t* dst, const uint16_t* src, int32_t count);
    void (*rgb555ToXrgb8888)(uint32_t* dst, const uint16_t* src, int32_t count);
    void (*rgb555ToBgr888)(uint8_t* dst, const uint16_t* src, int32_t count);
    void (*rgb555ToRgba8888)(uint8_t* dst, const uint16_t* src, int32_t count);  // bytes R, G, B, 255
};

// The table in use: one relaxed load.
const KernelTable& Kernels();

namespace kernels {

// This build's levels, scalar first, each including the ones before it.
std::span<const cpu::Level> Levels();
// The best of them that this processor runs, lowered to the one named in
// the environment variable VC15_LEVEL when that is one of them. Decided once.
cpu::Level Detected();
// True when `level` is one of Levels() at or below Detected().
bool Supports(cpu::Level level);
// The table of a supported level; null for any other.
const KernelTable* For(cpu::Level level);

// The level fills, one per file of levels/: each sets the slots its level
// has a form for and leaves the others as the level below set them. A fill
// runs only on a processor that has its level.
void FillScalar(KernelTable& t);
void FillSse2(KernelTable& t);
void FillSsse3(KernelTable& t);
void FillAvx2(KernelTable& t);
void FillAvx512(KernelTable& t);
void FillNeon(KernelTable& t);
void FillSimd128(KernelTable& t);

namespace detail {
// What Kernels() returns: null until first use. The tests' level hook sets it.
extern std::atomic<const KernelTable*> g_active;
}  // namespace detail

}  // namespace kernels

}  // namespace vc15
