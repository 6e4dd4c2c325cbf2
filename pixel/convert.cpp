// Each loop reads source pixel i before it writes destination pixel i, and
// no output lies beyond its input, so dst == src converts in place.
#include "pixel/convert.h"

#include <atomic>
#include <cstring>

#include "VexaCanvas15.h"

#if VC15_HAVE_X86_SIMD
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#endif

namespace vc15::scalar {

namespace {
// 16-bit pixels may sit at any address a host hands over: move them bytewise
// (compiles to plain loads and stores).
inline uint32_t Load16(const uint16_t* p) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store16(uint16_t* p, uint32_t v) {
    const uint16_t w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, sizeof w);
}
}  // namespace

void Rgb555ToRgb565(uint16_t* dst, const uint16_t* src, int32_t count) {
    // 0RRRRRGG GGGBBBBB -> RRRRRGGG GG0BBBBB
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = Load16(src + i);
        Store16(dst + i, ((s & 0xFFE0u) << 1) | (s & 0x1Fu));
    }
}

void Rgb565ToRgb555(uint16_t* dst, const uint16_t* src, int32_t count) {
    // RRRRRGGG GGGBBBBB -> 0RRRRRGG GGGBBBBB (lowest green bit dropped)
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = Load16(src + i);
        Store16(dst + i, ((s >> 1) & 0x7FE0u) | (s & 0x1Fu));
    }
}

void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, src += 3)
        Store16(dst + i, ((src[0] >> 3) << 11) | ((src[1] >> 2) << 5) | (src[2] >> 3));
}

void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i, src += 3)
        Store16(dst + i, ((src[0] >> 3) << 10) | ((src[1] >> 3) << 5) | (src[2] >> 3));
}

void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    // Low five bits of each colour byte (not the top five); any alpha sets bit 15.
    for (int32_t i = 0; i < count; ++i, src += 4)
        Store16(dst + i,
                (src[3] ? 0x8000u : 0u) | ((src[0] & 0x1Fu) << 10) | ((src[1] & 0x1Fu) << 5) | (src[2] & 0x1Fu));
}

void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    // Low four bits of each byte; byte 0 lands in the top field.
    for (int32_t i = 0; i < count; ++i, src += 4)
        Store16(dst + i,
                ((src[0] & 0x0Fu) << 12) | ((src[1] & 0x0Fu) << 8) | ((src[2] & 0x0Fu) << 4) | (src[3] & 0x0Fu));
}

}  // namespace vc15::scalar

namespace vc15 {

namespace {

constexpr ConvertTable kScalarTable = {scalar::Rgb555ToRgb565, scalar::Rgb565ToRgb555,     scalar::Rgb888ToRgb565,
                                       scalar::Rgb888ToRgb555, scalar::Rgba8888ToArgb1555, scalar::Rgba8888ToArgb4444};
#if VC15_HAVE_X86_SIMD
constexpr ConvertTable kSse2Table = {sse2::Rgb555ToRgb565, sse2::Rgb565ToRgb555,     sse2::Rgb888ToRgb565,
                                     sse2::Rgb888ToRgb555, sse2::Rgba8888ToArgb1555, sse2::Rgba8888ToArgb4444};
constexpr ConvertTable kSsse3Table = {sse2::Rgb555ToRgb565,  sse2::Rgb565ToRgb555,      ssse3::Rgb888ToRgb565,
                                      ssse3::Rgb888ToRgb555, ssse3::Rgba8888ToArgb1555, ssse3::Rgba8888ToArgb4444};
constexpr ConvertTable kAvx2Table = {avx2::Rgb555ToRgb565, avx2::Rgb565ToRgb555,     avx2::Rgb888ToRgb565,
                                     avx2::Rgb888ToRgb555, avx2::Rgba8888ToArgb1555, avx2::Rgba8888ToArgb4444};

void Cpuid(uint32_t leaf, uint32_t sub, uint32_t r[4]) {
#if defined(_MSC_VER)
    int v[4];
    __cpuidex(v, static_cast<int>(leaf), static_cast<int>(sub));
    for (int i = 0; i < 4; ++i) r[i] = static_cast<uint32_t>(v[i]);
#else
    __cpuid_count(leaf, sub, r[0], r[1], r[2], r[3]);
#endif
}

bool CpuHasSsse3() {
    uint32_t r[4];
    Cpuid(1, 0, r);
    return (r[2] & (1u << 9)) != 0;
}

// SSE2 is part of every processor the x86 builds target. AVX2 also needs the
// operating system to save the 256-bit registers (OSXSAVE and XCR0 bits 1-2).
bool CpuHasAvx2() {
    uint32_t r[4];
    Cpuid(0, 0, r);
    if (r[0] < 7) return false;
    Cpuid(1, 0, r);
    const bool osxsave = (r[2] & (1u << 27)) != 0;
    const bool avx = (r[2] & (1u << 28)) != 0;
    if (!osxsave || !avx) return false;
#if defined(_MSC_VER)
    const uint64_t xcr0 = _xgetbv(0);
#else
    uint32_t lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    const uint64_t xcr0 = (static_cast<uint64_t>(hi) << 32) | lo;
#endif
    if ((xcr0 & 6u) != 6u) return false;
    Cpuid(7, 0, r);
    return (r[1] & (1u << 5)) != 0;
}
#endif

// The table in use; null until the first conversion picks the best level.
// Two threads racing on the first call pick the same table.
std::atomic<const ConvertTable*> g_active{nullptr};

const ConvertTable& Active() {
    const ConvertTable* t = g_active.load(std::memory_order_acquire);
    if (!t) {
        t = &ConvertTableFor(BestConvertLevel());
        g_active.store(t, std::memory_order_release);
    }
    return *t;
}

}  // namespace

bool ConvertLevelSupported(ConvertLevel level) {
    switch (level) {
        case ConvertLevel::Scalar:
            return true;
#if VC15_HAVE_X86_SIMD
        case ConvertLevel::Sse2:
            return true;
        case ConvertLevel::Ssse3: {
            static const bool ssse3 = CpuHasSsse3();
            return ssse3;
        }
        case ConvertLevel::Avx2: {
            static const bool avx2 = CpuHasAvx2();
            return avx2;
        }
#endif
        default:
            return false;
    }
}

ConvertLevel BestConvertLevel() {
    if (ConvertLevelSupported(ConvertLevel::Avx2)) return ConvertLevel::Avx2;
    if (ConvertLevelSupported(ConvertLevel::Ssse3)) return ConvertLevel::Ssse3;
    if (ConvertLevelSupported(ConvertLevel::Sse2)) return ConvertLevel::Sse2;
    return ConvertLevel::Scalar;
}

const ConvertTable& ConvertTableFor(ConvertLevel level) {
    if (!ConvertLevelSupported(level)) return kScalarTable;
#if VC15_HAVE_X86_SIMD
    if (level == ConvertLevel::Avx2) return kAvx2Table;
    if (level == ConvertLevel::Ssse3) return kSsse3Table;
    if (level == ConvertLevel::Sse2) return kSse2Table;
#endif
    return kScalarTable;
}

bool ForceConvertLevelForTesting(ConvertLevel level) {
    if (!ConvertLevelSupported(level)) return false;
    g_active.store(&ConvertTableFor(level), std::memory_order_release);
    return true;
}

ConvertLevel ActiveConvertLevel() {
    const ConvertTable* t = &Active();
#if VC15_HAVE_X86_SIMD
    if (t == &kAvx2Table) return ConvertLevel::Avx2;
    if (t == &kSsse3Table) return ConvertLevel::Ssse3;
    if (t == &kSse2Table) return ConvertLevel::Sse2;
#endif
    (void)t;
    return ConvertLevel::Scalar;
}

}  // namespace vc15

extern "C" {

// A null buffer makes the call do nothing, whatever the count.
VC15_API void VC15_CALL RGB555_RGB565(uint16_t* dst, const uint16_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Active().rgb555ToRgb565(dst, src, count);
}
VC15_API void VC15_CALL RGB565_RGB555(uint16_t* dst, const uint16_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Active().rgb565ToRgb555(dst, src, count);
}
VC15_API void VC15_CALL RGB888_RGB565(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Active().rgb888ToRgb565(dst, src, count);
}
VC15_API void VC15_CALL RGB888_RGB555(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Active().rgb888ToRgb555(dst, src, count);
}
VC15_API void VC15_CALL RGBA8888_ARGB1555(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Active().rgba8888ToArgb1555(dst, src, count);
}
VC15_API void VC15_CALL RGBA8888_ARGB4444(uint16_t* dst, const uint8_t* src, int32_t count) {
    if (!dst || !src) return;
    vc15::Active().rgba8888ToArgb4444(dst, src, count);
}

}  // extern "C"
