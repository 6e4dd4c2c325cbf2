#include "blit/blend_row.h"

#include <cstring>

#include "blit/blend_row_internal.h"
#include "core/kernel_table.h"

namespace vc15 {

namespace {

// Pixels are read and written through memcpy, so neither run needs any
// alignment.
inline uint16_t Load(const uint16_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline void Store(uint16_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// One channel of the lane formula, in the 16-bit unsigned arithmetic of a
// lane: t = (s + 64) - d lies in 33..95, so the saturating subtraction never
// saturates and t * L (at most 95 * 256) never wraps.
inline uint16_t LaneChannel(uint16_t s, uint16_t d, uint16_t L) {
    uint16_t t = static_cast<uint16_t>(s + 64 - d);
    t = static_cast<uint16_t>(t * L);
    t = static_cast<uint16_t>(t >> 8);
    return static_cast<uint16_t>(t + d - (L >> 2));
}

constexpr uint16_t kKey = 0x0040;

// Groups of the run: the group loop continues while the remaining length,
// read as a signed 32-bit value, exceeds 7. For every length below 2^31 this
// is byteLength / 8.
size_t GroupCount(uint32_t byteLength) {
    if (byteLength < 8) return 0;
    const int32_t rest = static_cast<int32_t>(byteLength - 8u);
    return 1u + (rest > 7 ? static_cast<size_t>(rest) / 8u : 0u);
}

}  // namespace

void BlendGroupsScalar(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t level) {
    const uint16_t L = static_cast<uint16_t>(level);
    for (size_t i = 0; i < groups * 4; ++i) {
        const uint16_t s = Load(src + i);
        const uint16_t d = Load(dst + i);
        const uint16_t r = LaneChannel((s & 0x7c00) >> 10, (d & 0x7c00) >> 10, L);
        const uint16_t g = LaneChannel((s & 0x03e0) >> 5, (d & 0x03e0) >> 5, L);
        const uint16_t b = LaneChannel(s & 0x001f, d & 0x001f, L);
        const uint16_t blended = static_cast<uint16_t>((r << 10) | (g << 5) | b);
        Store(dst + i, s == kKey ? d : blended);
    }
}

namespace {
// The last n % 4 pixels by the per-pixel formula, from the last one toward
// the start.
void BlendTail(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L) {
    for (uint32_t k = 1; k <= (n & 3u); ++k) {
        const uint32_t i = n - k;
        Store(dst + i, BlendPixelValue555(Load(src + i), Load(dst + i), L));
    }
}
}  // namespace

VC15_KERNEL_ABI void BlendRunByGroups(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L) {
    BlendTail(dst, src, n, L);
    if (n >= 4) Kernels().blendGroups(dst, src, n / 4u, L);
}

VC15_KERNEL_ABI void BlendRunByGroupsPrepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k) {
    BlendRunByGroups(dst, src, n, k.L);
}

void PrepareBlendRun(BlendRunConsts& k, uint32_t L) {
    for (int i = 0; i < 32; ++i) {
        k.red[i] = 0x7c00;
        k.green[i] = 0x03e0;
        k.blue[i] = 0x001f;
        k.bias[i] = 0x0040;
        k.level[i] = static_cast<int16_t>(L);
        k.quarter[i] = static_cast<int16_t>(L >> 2);
    }
    k.L = L;
}

int32_t BlendRow555(uint16_t* dst, const uint16_t* src, uint32_t byteLength, uint32_t level) {
    uint32_t L = level & 0xffffu;
    if (L == 0) return 0;
    if (L > 256) L = 256;
    const uint32_t pixels = byteLength >> 1;
    const KernelTable& k = Kernels();
    const size_t groups = GroupCount(byteLength);
    // Runs whose groups and tail make up the whole run (all but lengths of
    // 2^31 pixels and more) go through the level's run form in one call.
    if (groups * 4u + (pixels & 3u) == pixels) {
        k.blendRun(dst, src, pixels, L);
        return 0;
    }
    BlendTail(dst, src, pixels, L);
    if (groups) k.blendGroups(dst, src, groups, L);
    return 0;
}

}  // namespace vc15
