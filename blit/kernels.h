// The vector kernels of the blits, written once over the operations of
// simd/vec.h and instantiated by each level's file with its own structs:
// the row blend (groups of four pixels with the lane formula and its key,
// and whole runs with an overlapping last window) and the depth rows (write,
// copy, write-copy, blend). Each kernel takes its structs widest first; a
// run too short for one width goes to the next, and below the narrowest to
// the scalar forms. The scalar forms stay the plain reading of each rule and
// are what the tests compare these with.
//
// Included only by the level files (levels/), after their simd/<level>.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blit/blend_row_internal.h"
#include "blit/depth_rows.h"
#include "blit/depth_walks.h"
#include "core/kernel_table.h"
#include "simd/vec.h"

namespace vc15::kernels {

// A struct with masked loads and stores (see simd_avx512.h) does a run
// shorter than its width, when it is the narrowest of a kernel, as one masked
// step (nothing read or written beyond the run) instead of pixel by pixel.
// Longer runs keep the windows of full width: a masked store stalls the next
// run's loads of the same 64 bytes on this kind of processor (measured: the
// depth rows on scene-like runs took 1.3-1.5x as long with masked ends).
template <class O>
constexpr bool kMasked = requires {
    requires O::kMaskedTail;
};

// The lanes one step covers: all of them, or the first n (masked structs
// only).
struct AllLanes {};
struct FirstLanes {
    uint32_t n;
};

template <class O>
VC15_ALWAYS_INLINE typename O::V LoadLanes(const void* p, AllLanes) {
    return O::Load(p);
}
template <class O>
VC15_ALWAYS_INLINE typename O::V LoadLanes(const void* p, FirstLanes f) {
    return O::LoadN16(p, f.n);
}
template <class O>
VC15_ALWAYS_INLINE void StoreLanes(void* p, typename O::V v, AllLanes) {
    O::Store(p, v);
}
template <class O>
VC15_ALWAYS_INLINE void StoreLanes(void* p, typename O::V v, FirstLanes f) {
    O::StoreN16(p, v, f.n);
}
// The same with one byte per element.
template <class O>
VC15_ALWAYS_INLINE typename O::V LoadBytes(const void* p, AllLanes) {
    return O::Load(p);
}
template <class O>
VC15_ALWAYS_INLINE typename O::V LoadBytes(const void* p, FirstLanes f) {
    return O::LoadN8(p, f.n);
}
template <class O>
VC15_ALWAYS_INLINE void StoreBytes(void* p, typename O::V v, AllLanes) {
    O::Store(p, v);
}
template <class O>
VC15_ALWAYS_INLINE void StoreBytes(void* p, typename O::V v, FirstLanes f) {
    O::StoreN8(p, v, f.n);
}

// Structs with mask registers (simd/avx512.h): the depth test of B's bytes
// gives one bit a sample, which with one sample a pixel is, as it stands,
// the store mask of P's pixels. The depth rows then write the passing
// pixels alone and never read the canvas, with no mask widened to lanes.
template <class B, class P>
constexpr bool kPassBits = requires(typename B::V v, void* p, typename P::V x) {
    P::StoreBits16(p, x, B::PassBits(v, v, v));
};

// The pass bits of a step: beyond the first f.n elements the masked loads
// give zeros, which may pass, so those bits are cleared.
template <class B>
VC15_ALWAYS_INLINE auto PassBits(typename B::V v, typename B::V plane, typename B::V bias, AllLanes) {
    return B::PassBits(v, plane, bias);
}
template <class B>
VC15_ALWAYS_INLINE auto PassBits(typename B::V v, typename B::V plane, typename B::V bias, FirstLanes f) {
    const auto bits = B::PassBits(v, plane, bias);
    return static_cast<decltype(bits)>(bits & ((uint64_t{1} << f.n) - 1u));
}

// ---- Row blend ------------------------------------------------------------

template <class O>
struct BlendLanes {
    using V = typename O::V;
    V red, green, blue, bias, level, quarter, level64;

    explicit BlendLanes(uint32_t L)
        : red(O::Set(0x7c00)),
          green(O::Set(0x03e0)),
          blue(O::Set(0x001f)),
          bias(O::Set(0x0040)),
          level(O::Set(static_cast<short>(L))),
          quarter(O::Set(static_cast<short>(L >> 2))),
          level64(O::Mul(bias, level)) {}
    // From constants prepared once per draw: loads instead of broadcasts.
    explicit BlendLanes(const BlendRunConsts& k)
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

    // Splits s and d into channels, applies ch to each pair and packs the
    // results.
    template <class Channel>
    V PerChannel(V s, V d, const Channel& ch) const {
        const V r = ch(O::template Shr<10>(O::And(s, red)), O::template Shr<10>(O::And(d, red)));
        const V g = ch(O::template Shr<5>(O::And(s, green)), O::template Shr<5>(O::And(d, green)));
        const V b = ch(O::And(s, blue), O::And(d, blue));
        return O::Or(O::Or(O::template Shl<10>(r), O::template Shl<5>(g)), b);
    }

    // The per-pixel formula on every lane.
    V Pixels(V s, V d) const {
        return PerChannel(s, d, [this](V sc, V dc) { return PixelChannel(sc, dc); });
    }

    // Groups: the lane formula, and the destination kept where the source is
    // the key value.
    V Groups(V s, V d) const {
        const V out = PerChannel(s, d, [this](V sc, V dc) { return LaneChannel(sc, dc); });
        return O::Pick(out, d, O::Eq(s, bias));
    }

    // Last window of a run: lanes under `tail` take the per-pixel formula,
    // the others the group form. Computed from the destination as it was
    // before the run, like every other step, so lanes an earlier step also
    // does get the same value from both.
    // Both formulas share one product per channel: (s - d) * L for the
    // per-pixel one, and plus 64 * L it is the lane formula's (s + 64 - d) * L
    // (at most 24,320, exact in 16 bits); the key applies to group lanes only.
    V Last(V s, V d, V tail) const {
        const V out = PerChannel(s, d, [this, tail](V sc, V dc) {
            const V prod = O::Mul(O::Sub(sc, dc), level);
            const V pixel = O::Add(dc, O::template Sar<8>(prod));
            const V lane = O::Sub(O::Add(O::template Shr<8>(O::Add(prod, level64)), dc), quarter);
            return O::Pick(lane, pixel, tail);
        });
        return O::Pick(out, d, O::AndNot(tail, O::Eq(s, bias)));
    }
};

// `groups` groups of four pixels at the clamped level L (1..256), as many as
// fit in steps of the widest struct, the rest with the narrower ones.
// Inlined into the run kernels too: a call there would make them spill the
// constants of the run.
template <class O, class... Narrower>
VC15_ALWAYS_INLINE void BlendGroups(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L) {
    constexpr size_t kStep = O::kLanes / 4;
    const BlendLanes<O> k(L);
    for (; groups >= kStep; groups -= kStep, dst += O::kLanes, src += O::kLanes)
        O::Store(dst, k.Groups(O::Load(src), O::Load(dst)));
    if constexpr (kMasked<O>) {
        if (groups) {
            const FirstLanes f{static_cast<uint32_t>(groups) * 4u};
            StoreLanes<O>(dst, k.Groups(LoadLanes<O>(src, f), LoadLanes<O>(dst, f)), f);
        }
    } else if constexpr (sizeof...(Narrower) > 0) {
        if (groups) BlendGroups<Narrower...>(dst, src, groups, L);
    }
}

// -1 in the 16-bit lanes j >= W - r of a W-lane window (kLastLanes + 32 - W + r).
alignas(32) inline constexpr int16_t kLastLanes[64] = {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                                       0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                                       -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                       -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

// A whole run of n pixels: the groups with the lane formula and the key, a
// step of the widest struct that fits at a time, and the last step as a
// window ending exactly at the end of the run that computes both formulas
// and takes, lane by lane, the lane formula (a group) or the per-pixel
// formula (the tail), so short runs need no pixel-by-pixel code.
// The last window, overlapping the steps before it, is computed before any
// store of the run: a load overlapping a store just made would wait for that
// store to reach the cache, which made every short run pay.
// Inlined into each entry point, so a sprite run costs one call.
template <class O, class... Narrower, class Make>
VC15_ALWAYS_INLINE void BlendRunFrom(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L, const Make& make) {
    constexpr uint32_t W = O::kLanes;
    if (n >= W) {
        const BlendLanes<O> k = make(O{});
        const uint32_t groupEnd = n & ~3u;  // pixels [0, groupEnd) form groups
        const uint32_t w = n - W;
        const auto last = k.Last(O::Load(src + w), O::Load(dst + w), O::Load(kLastLanes + 32 - W + (n - groupEnd)));
        // The first step is always groups; more steps only for runs of two
        // steps and longer, so common sprite runs take no loop. Long runs
        // (only ever at the widest struct) hand their whole steps to the
        // group loop, which streams from memory about twice as fast.
        uint32_t i = W;
        if (n >= 256) {
            i = groupEnd & ~(W - 1);
            BlendGroups<O, Narrower...>(dst, src, i / 4u, L);
        } else {
            O::Store(dst, k.Groups(O::Load(src), O::Load(dst)));
            for (; i + W <= groupEnd; i += W) O::Store(dst + i, k.Groups(O::Load(src + i), O::Load(dst + i)));
        }
        if (i < n) O::Store(dst + w, last);  // fewer than W pixels not done yet
    } else if constexpr (sizeof...(Narrower) > 0) {
        BlendRunFrom<Narrower...>(dst, src, n, L, make);
    } else if constexpr (kMasked<O>) {
        // Shorter than the narrowest step: one masked step, its lanes from the
        // last group boundary on by the per-pixel formula.
        if (n) {
            const BlendLanes<O> k = make(O{});
            const FirstLanes f{n};
            StoreLanes<O>(dst, k.Last(LoadLanes<O>(src, f), LoadLanes<O>(dst, f), O::LanesFrom(n & ~3u)), f);
        }
    } else if (n) {
        // Tail only: nothing may be read beyond the run.
        const BlendLanes<O> k = make(O{});
        uint16_t s[W] = {}, d[W] = {};
        for (uint32_t j = 0; j < n; ++j) s[j] = src[j], d[j] = dst[j];
        O::Store(d, k.Pixels(O::Load(s), O::Load(d)));
        for (uint32_t j = 0; j < n; ++j) dst[j] = d[j];
    }
}

template <class... O>
void BlendRun(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L) {
    BlendRunFrom<O...>(dst, src, n, L, [L](auto o) { return BlendLanes<decltype(o)>(L); });
}

template <class... O>
VC15_ALWAYS_INLINE void BlendRunPrepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k) {
    BlendRunFrom<O...>(dst, src, n, k.L, [&k](auto o) { return BlendLanes<decltype(o)>(k); });
}

// ---- Depth rows -------------------------------------------------------------
// Every pixel of a step is stored, the failing ones with their old value,
// except with structs that store the passing lanes alone (kPassBits).

// 0xFF in each byte where v + bias <= plane (unsigned, no wrap): v <= plane -
// bias with the difference taken only when plane >= bias.
template <class B>
VC15_ALWAYS_INLINE typename B::V PassMask(typename B::V v, typename B::V plane, typename B::V bias) {
    const typename B::V fits = B::EqU8(B::MinU8(v, B::SubsU8(plane, bias)), v);
    const typename B::V reach = B::EqU8(B::MaxU8(plane, bias), plane);
    return B::And(fits, reach);
}

// A run of n >= W elements in windows of W: whole windows from the start and
// a last one ending at the end of the run, overlapping the one before. Every
// window's result depends only on the memory as it was before the run, so
// the last window is computed first, before any store: a load overlapping a
// store just made would wait for that store to reach the cache.
// compute(i, lanes) and put(i, value, lanes) take AllLanes{} for a whole
// window and, with masked structs, FirstLanes{r} for the r < W elements left
// at the end, which then need no overlapping window.
template <uint32_t W, bool kMaskedTail, class Compute, class Put>
VC15_ALWAYS_INLINE void Windows(uint32_t n, const Compute& compute, const Put& put) {
    if constexpr (kMaskedTail) {
        if (n < W) {
            const FirstLanes f{n};
            put(0, compute(0, f), f);
            return;
        }
    }
    const auto last = compute(n - W, AllLanes{});
    uint32_t i = 0;
    for (; i + W <= n; i += W) put(i, compute(i, AllLanes{}), AllLanes{});
    if (i < n) put(n - W, last, AllLanes{});
}

// The first of the structs (widest first) whose window fits n elements gets
// body(struct{}); when none does, small() runs, or body with the narrowest
// struct when that one is masked (a masked step covers any length).
template <class S, class... Narrower, class Body, class Small>
VC15_ALWAYS_INLINE void Widest(uint32_t n, const Body& body, const Small& small) {
    if (n >= S::kWindow) {
        body(S{});
    } else if constexpr (sizeof...(Narrower) > 0) {
        Widest<Narrower...>(n, body, small);
    } else if constexpr (S::kMaskedTail) {
        body(S{});
    } else {
        small();
    }
}

// The plane alone: bytes, a window per register.
template <class B>
struct PlaneStep {
    using Bytes = B;
    static constexpr uint32_t kWindow = B::kBytes;
    static constexpr bool kMaskedTail = kMasked<B>;
};

// Pixels with their samples: a window of as many samples as Bytes holds, its
// pass mask widened to the pixels of Pixels.
template <class B, class P>
struct PixelStep {
    static_assert(B::kBytes == P::kLanes, "one sample per pixel");
    using Bytes = B;
    using Pixels = P;
    static constexpr uint32_t kWindow = P::kLanes;
    static constexpr bool kMaskedTail = kMasked<B> && kMasked<P>;
};

// plane = min(plane, sample + bias); a sum above 255 saturates to 255, which
// never lowers a plane value.
template <class... S>
VC15_ALWAYS_INLINE void DepthWrite(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    if (bias > 255) bias = 255;  // any sum above 255 is rejected anyway
    Widest<S...>(
        n,
        [&](auto step) {
            using B = typename decltype(step)::Bytes;
            const typename B::V b = B::Set8(static_cast<uint8_t>(bias));
            Windows<B::kBytes, decltype(step)::kMaskedTail>(
                n,
                [&](uint32_t i, auto lanes) {
                    return B::MinU8(LoadBytes<B>(plane + i, lanes), B::AddsU8(LoadBytes<B>(samples + i, lanes), b));
                },
                [&](uint32_t i, typename B::V v, auto lanes) { StoreBytes<B>(plane + i, v, lanes); });
        },
        [&] { depth_rows::WriteScalar(plane, samples, n, bias); });
}

template <class... S>
VC15_ALWAYS_INLINE void DepthCopy(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                  uint32_t n, uint32_t bias) {
    if (bias > 255) return;  // nothing can pass
    Widest<S...>(
        n,
        [&](auto step) {
            using B = typename decltype(step)::Bytes;
            using P = typename decltype(step)::Pixels;
            const typename B::V b = B::Set8(static_cast<uint8_t>(bias));
            if constexpr (kPassBits<B, P>) {
                struct Out {
                    typename P::V pixels;
                    decltype(B::PassBits(b, b, b)) pass;
                };
                Windows<P::kLanes, decltype(step)::kMaskedTail>(
                    n,
                    [&](uint32_t i, auto lanes) {
                        return Out{LoadLanes<P>(src + i, lanes), PassBits<B>(LoadBytes<B>(samples + i, lanes),
                                                                             LoadBytes<B>(plane + i, lanes), b, lanes)};
                    },
                    [&](uint32_t i, const Out& o, auto) { P::StoreBits16(dst + i, o.pixels, o.pass); });
            } else {
                Windows<P::kLanes, decltype(step)::kMaskedTail>(
                    n,
                    [&](uint32_t i, auto lanes) {
                        const typename P::V pass = P::WidenBytes(
                            PassMask<B>(LoadBytes<B>(samples + i, lanes), LoadBytes<B>(plane + i, lanes), b));
                        return P::Pick(LoadLanes<P>(dst + i, lanes), LoadLanes<P>(src + i, lanes), pass);
                    },
                    [&](uint32_t i, const typename P::V& v, auto lanes) { StoreLanes<P>(dst + i, v, lanes); });
            }
        },
        [&] { depth_rows::CopyScalar(dst, plane, src, samples, n, bias); });
}

// The plane takes min(plane, sample + bias), saturated at 255 (which never
// lowers it); the pixels pass where the sum fits under the old value.
template <class... S>
VC15_ALWAYS_INLINE void DepthWriteCopy(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                       uint32_t n, uint32_t bias) {
    if (bias > 255) return;  // no sum fits: the plane stays, nothing passes
    Widest<S...>(
        n,
        [&](auto step) {
            using B = typename decltype(step)::Bytes;
            using P = typename decltype(step)::Pixels;
            const typename B::V b = B::Set8(static_cast<uint8_t>(bias));
            if constexpr (kPassBits<B, P>) {
                struct Out {
                    typename B::V plane;
                    typename P::V pixels;
                    decltype(B::PassBits(b, b, b)) pass;
                };
                Windows<P::kLanes, decltype(step)::kMaskedTail>(
                    n,
                    [&](uint32_t i, auto lanes) {
                        const typename B::V p = LoadBytes<B>(plane + i, lanes), v = LoadBytes<B>(samples + i, lanes);
                        return Out{B::MinU8(p, B::AddsU8(v, b)), LoadLanes<P>(src + i, lanes),
                                   PassBits<B>(v, p, b, lanes)};
                    },
                    [&](uint32_t i, const Out& o, auto lanes) {
                        StoreBytes<B>(plane + i, o.plane, lanes);
                        P::StoreBits16(dst + i, o.pixels, o.pass);
                    });
            } else {
                struct Out {
                    typename B::V plane;
                    typename P::V pixels;
                };
                Windows<P::kLanes, decltype(step)::kMaskedTail>(
                    n,
                    [&](uint32_t i, auto lanes) {
                        const typename B::V p = LoadBytes<B>(plane + i, lanes), v = LoadBytes<B>(samples + i, lanes);
                        const typename P::V pass = P::WidenBytes(PassMask<B>(v, p, b));
                        return Out{B::MinU8(p, B::AddsU8(v, b)),
                                   P::Pick(LoadLanes<P>(dst + i, lanes), LoadLanes<P>(src + i, lanes), pass)};
                    },
                    [&](uint32_t i, const Out& o, auto lanes) {
                        StoreBytes<B>(plane + i, o.plane, lanes);
                        StoreLanes<P>(dst + i, o.pixels, lanes);
                    });
            }
        },
        [&] { depth_rows::WriteCopyScalar(dst, plane, src, samples, n, bias); });
}

template <class... S>
VC15_ALWAYS_INLINE void DepthBlend(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                   uint32_t n, uint32_t bias, uint32_t L) {
    if (bias > 255) return;
    Widest<S...>(
        n,
        [&](auto step) {
            using B = typename decltype(step)::Bytes;
            using P = typename decltype(step)::Pixels;
            const typename B::V b = B::Set8(static_cast<uint8_t>(bias));
            const BlendLanes<P> k(L);
            Windows<P::kLanes, decltype(step)::kMaskedTail>(
                n,
                [&](uint32_t i, auto lanes) {
                    const typename P::V pass =
                        P::WidenBytes(PassMask<B>(LoadBytes<B>(samples + i, lanes), LoadBytes<B>(plane + i, lanes), b));
                    const typename P::V d = LoadLanes<P>(dst + i, lanes);
                    return P::Pick(d, k.Pixels(LoadLanes<P>(src + i, lanes), d), pass);
                },
                [&](uint32_t i, const typename P::V& v, auto lanes) { StoreLanes<P>(dst + i, v, lanes); });
        },
        [&] { depth_rows::BlendScalar(dst, plane, src, samples, n, bias, L); });
}

// ---- A level's row kernels in its table -------------------------------------

// The row blend over the structs O (widest first).
template <class... O>
struct BlendForms {
    static void Groups(uint16_t* dst, const uint16_t* src, size_t groups, uint32_t L) {
        BlendGroups<O...>(dst, src, groups, L);
    }
    VC15_KERNEL_ABI static void Run(uint16_t* dst, const uint16_t* src, uint32_t n, uint32_t L) {
        BlendRun<O...>(dst, src, n, L);
    }
    VC15_KERNEL_ABI static void RunPrepared(uint16_t* dst, const uint16_t* src, uint32_t n, const BlendRunConsts& k) {
        BlendRunPrepared<O...>(dst, src, n, k);
    }
};

template <class... S>
struct Steps {};

// The depth rows: the write over the plane steps of Plane, the tests over
// the pixel steps S (widest first).
template <class Plane, class... S>
struct DepthForms;
template <class... P, class... S>
struct DepthForms<Steps<P...>, S...> {
    // The forms the depth walks take (blit/depth_walks.h): inlined, except
    // the blend, which inlined into its walk measured 4% slower on the
    // scene than called.
    struct Rows {
        static VC15_ALWAYS_INLINE void Write(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
            DepthWrite<P...>(plane, samples, n, bias);
        }
        static VC15_ALWAYS_INLINE void Copy(uint16_t* dst, const uint8_t* plane, const uint16_t* src,
                                            const uint8_t* samples, uint32_t n, uint32_t bias) {
            DepthCopy<S...>(dst, plane, src, samples, n, bias);
        }
        static VC15_ALWAYS_INLINE void WriteCopy(uint16_t* dst, uint8_t* plane, const uint16_t* src,
                                                 const uint8_t* samples, uint32_t n, uint32_t bias) {
            DepthWriteCopy<S...>(dst, plane, src, samples, n, bias);
        }
        static VC15_ALWAYS_INLINE void Blend(uint16_t* dst, const uint8_t* plane, const uint16_t* src,
                                             const uint8_t* samples, uint32_t n, uint32_t bias, uint32_t L) {
            DepthForms::Blend(dst, plane, src, samples, n, bias, L);
        }
    };
    VC15_KERNEL_ABI static void Write(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
        Rows::Write(plane, samples, n, bias);
    }
    VC15_KERNEL_ABI static void Copy(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                     uint32_t n, uint32_t bias) {
        Rows::Copy(dst, plane, src, samples, n, bias);
    }
    VC15_KERNEL_ABI static void WriteCopy(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                          uint32_t n, uint32_t bias) {
        Rows::WriteCopy(dst, plane, src, samples, n, bias);
    }
    VC15_KERNEL_ABI static void Blend(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                                      uint32_t n, uint32_t bias, uint32_t L) {
        DepthBlend<S...>(dst, plane, src, samples, n, bias, L);
    }
};

// The row blend and depth slots of a level whose whole runs go through one
// vector routine.
template <class Blend, class Depth>
void SetRowKernels(KernelTable& t) {
    SetDepthDraws<typename Depth::Rows>(t);
    t.blendGroups = Blend::Groups;
    t.blendRun = Blend::Run;
    t.blendRunPrepared = Blend::RunPrepared;
    t.depthWrite = Depth::Write;
    t.depthCopy = Depth::Copy;
    t.depthWriteCopy = Depth::WriteCopy;
    t.depthBlend = Depth::Blend;
}

}  // namespace vc15::kernels
