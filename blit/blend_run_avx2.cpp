// A whole run through the row blend kernel with AVX2, for runs whose groups
// and tail together make the run (every length below 2^31 pixels): the
// groups with the lane formula and the key, sixteen pixels per step, and the
// last step as a window ending exactly at the end of the run that computes
// both formulas and takes, lane by lane, the lane formula (a group) or the
// per-pixel formula (the tail). So short sprite runs need no pixel-by-pixel
// code at all.
#include <immintrin.h>

#include "blit/blend_row_internal.h"

namespace vc15 {

namespace {

struct Ops256 {
    using V = __m256i;
    static V Set(short v) { return _mm256_set1_epi16(v); }
    static V Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    static void Store(void* p, V v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V Add(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V SubSat(V a, V b) { return _mm256_subs_epi16(a, b); }
    static V Mul(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V Eq(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
    static V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }
    template <int n>
    static V Shl(V a) {
        return _mm256_slli_epi16(a, n);
    }
    template <int n>
    static V Shr(V a) {
        return _mm256_srli_epi16(a, n);
    }
    template <int n>
    static V Sar(V a) {
        return _mm256_srai_epi16(a, n);
    }
    static V Pick(V no, V yes, V mask) { return _mm256_blendv_epi8(no, yes, mask); }
};

struct Ops128 {
    using V = __m128i;
    static V Set(short v) { return _mm_set1_epi16(v); }
    static V Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
    static void Store(void* p, V v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V SubSat(V a, V b) { return _mm_subs_epi16(a, b); }
    static V Mul(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V Eq(V a, V b) { return _mm_cmpeq_epi16(a, b); }
    static V AndNot(V a, V b) { return _mm_andnot_si128(a, b); }
    template <int n>
    static V Shl(V a) {
        return _mm_slli_epi16(a, n);
    }
    template <int n>
    static V Shr(V a) {
        return _mm_srli_epi16(a, n);
    }
    template <int n>
    static V Sar(V a) {
        return _mm_srai_epi16(a, n);
    }
    static V Pick(V no, V yes, V mask) { return _mm_blendv_epi8(no, yes, mask); }
};

// Four pixels in the low half of a 128-bit register.
struct Half {
    static __m128i Load(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
    static void Store(void* p, __m128i v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }
};

// -1 in the 16-bit lanes j >= 16 - r of a 16-lane window (kLast + r), of an
// 8-lane one (kLast + 8 + r) and of a 4-lane one (kLast + 12 + r).
alignas(32) const int16_t kLast[32] = {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                       -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

template <class O>
struct Kernel {
    using V = typename O::V;
    V red, green, blue, bias, level, quarter, level64;

    explicit Kernel(uint32_t L)
        : red(O::Set(0x7c00)),
          green(O::Set(0x03e0)),
          blue(O::Set(0x001f)),
          bias(O::Set(0x0040)),
          level(O::Set(static_cast<short>(L))),
          quarter(O::Set(static_cast<short>(L >> 2))),
          level64(O::Mul(bias, level)) {}
    // From constants prepared once per draw: loads instead of broadcasts.
    explicit Kernel(const BlendRunConsts& k)
        : red(O::Load(k.red)),
          green(O::Load(k.green)),
          blue(O::Load(k.blue)),
          bias(O::Load(k.bias)),
          level(O::Load(k.level)),
          quarter(O::Load(k.quarter)),
          level64(O::Mul(bias, level)) {}

    // The lane formula on one channel: ((s + 64) -sat d) * L, logical >> 8,
    // + d - L/4.
    V LaneChannel(V s, V d) const {
        const V t = O::template Shr<8>(O::Mul(O::SubSat(O::Add(s, bias), d), level));
        return O::Sub(O::Add(t, d), quarter);
    }
    // The per-pixel formula on one channel: d + (((s - d) * L) >> 8),
    // arithmetic; |s - d| * L fits 16 signed bits.
    V PixelChannel(V s, V d) const { return O::Add(d, O::template Sar<8>(O::Mul(O::Sub(s, d), level))); }

    template <bool kLane>
    V Formula(V s, V d) const {
        auto ch = [&](V sc, V dc) { return kLane ? LaneChannel(sc, dc) : PixelChannel(sc, dc); };
        const V r = ch(O::template Shr<10>(O::And(s, red)), O::template Shr<10>(O::And(d, red)));
        const V g = ch(O::template Shr<5>(O::And(s, green)), O::template Shr<5>(O::And(d, green)));
        const V b = ch(O::And(s, blue), O::And(d, blue));
        return O::Or(O::Or(O::template Shl<10>(r), O::template Shl<5>(g)), b);
    }

    // Groups: the lane formula, and the destination kept where the source is
    // the key value.
    V Groups(V s, V d) const { return O::Pick(Formula<true>(s, d), d, O::Eq(s, bias)); }

    // Last window: lanes under `tail` take the per-pixel formula, the others
    // the group form. Computed from the destination as it was before the
    // run, like every other step, so lanes an earlier step also does get the
    // same value from both.
    // Both formulas share one product per channel: (s - d) * L for the
    // per-pixel one, and plus 64 * L it is the lane formula's (s + 64 - d) * L
    // (at most 24,320, exact in 16 bits); the key applies to group lanes only.
    V Last(V s, V d, V tail) const {
        auto ch = [&](V sc, V dc) {
            const V prod = O::Mul(O::Sub(sc, dc), level);
            const V pixel = O::Add(dc, O::template Sar<8>(prod));
            const V lane = O::Sub(O::Add(O::template Shr<8>(O::Add(prod, level64)), dc), quarter);
            return O::Pick(lane, pixel, tail);
        };
        const V r = ch(O::template Shr<10>(O::And(s, red)), O::template Shr<10>(O::And(d, red)));
        const V g = ch(O::template Shr<5>(O::And(s, green)), O::template Shr<5>(O::And(d, green)));
        const V b = ch(O::And(s, blue), O::And(d, blue));
        const V out = O::Or(O::Or(O::template Shl<10>(r), O::template Shl<5>(g)), b);
        return O::Pick(out, d, O::AndNot(tail, O::Eq(s, bias)));
    }
};

// The last window, overlapping the steps before it, is computed before any
// store of the run: a load overlapping a store just made would wait for that
// store to reach the cache, which made every short run pay.
// Inlined into each entry point, so a sprite run costs one call.
#if defined(__GNUC__) || defined(__clang__)
#define VC15_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VC15_ALWAYS_INLINE inline
#endif
template <class Make>
VC15_ALWAYS_INLINE void Run(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L, const Make& make) {
    const uint32_t groupEnd = n & ~3u;  // pixels [0, groupEnd) form groups
    const uint32_t tail = n - groupEnd;
    if (n >= 16) {
        using O = Ops256;
        const Kernel<O> k = make(O{});
        const uint32_t w = n - 16;
        const O::V last = k.Last(O::Load(src + w), O::Load(dst + w), O::Load(kLast + tail));
        // The first step is always groups (n >= 16); more steps only for runs
        // of 32 pixels and longer, so common sprite runs take no loop.
        // Long runs hand their whole steps to the group loop of the kernel,
        // which streams from memory about twice as fast as a loop here.
        uint32_t i = 16;
        if (n >= 256) {
            i = groupEnd & ~15u;
            BlendGroupsAvx2(dst, src, i / 4u, L);
        } else {
            O::Store(dst, k.Groups(O::Load(src), O::Load(dst)));
            for (; i + 16 <= groupEnd; i += 16) O::Store(dst + i, k.Groups(O::Load(src + i), O::Load(dst + i)));
        }
        if (i < n) O::Store(dst + w, last);  // at most 12 group pixels and 3 tail pixels not done yet
    } else if (n >= 8) {
        using O = Ops128;
        const Kernel<O> k = make(O{});
        const uint32_t w = n - 8;
        const O::V last = k.Last(O::Load(src + w), O::Load(dst + w), O::Load(kLast + 8 + tail));
        O::Store(dst, k.Groups(O::Load(src), O::Load(dst)));
        if (w) O::Store(dst + w, last);
    } else if (n >= 4) {
        const Kernel<Ops128> k = make(Ops128{});
        const uint32_t w = n - 4;
        const __m128i last = k.Last(Half::Load(src + w), Half::Load(dst + w), Half::Load(kLast + 12 + tail));
        Half::Store(dst, k.Groups(Half::Load(src), Half::Load(dst)));
        if (tail) Half::Store(dst + w, last);
    } else if (n) {
        // Tail only: nothing may be read beyond the run.
        const Kernel<Ops128> k = make(Ops128{});
        uint16_t s[4] = {0, 0, 0, 0}, d[4] = {0, 0, 0, 0};
        for (uint32_t j = 0; j < n; ++j) s[j] = src[j], d[j] = dst[j];
        const __m128i out = k.Formula<false>(Half::Load(s), Half::Load(d));
        Half::Store(d, out);
        for (uint32_t j = 0; j < n; ++j) dst[j] = d[j];
    }
}

}  // namespace

void BlendRunAvx2(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L) {
    Run(dst, src, n, L, [L](auto o) { return Kernel<decltype(o)>(L); });
}

void BlendRunAvx2Prepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k) {
    Run(dst, src, n, k.L, [&k](auto o) { return Kernel<decltype(o)>(k); });
}

}  // namespace vc15
