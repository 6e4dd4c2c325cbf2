// SSE2 forms of the depth rows: sixteen samples per step, pixels eight to a
// register. Every pixel of a step is stored, the failing ones with their old
// value. The last step is a whole step ending at the end of the run,
// overlapping the one before, computed from the old values like every other
// step. Runs shorter than a step go eight at a time, and below eight through
// the scalar forms.
#include <emmintrin.h>

#include "blit/depth_rows.h"

namespace vc15::depth_rows {

namespace {

inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline __m128i Load64(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
inline void Store64(void* p, __m128i v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }

// 0xFF in each byte where v + bias <= plane (unsigned, no wrap): v <= plane -
// bias with the difference taken only when plane >= bias.
inline __m128i PassMask(__m128i v, __m128i plane, __m128i bias) {
    const __m128i room = _mm_subs_epu8(plane, bias);
    const __m128i fits = _mm_cmpeq_epi8(_mm_min_epu8(v, room), v);
    const __m128i reach = _mm_cmpeq_epi8(_mm_max_epu8(plane, bias), plane);
    return _mm_and_si128(fits, reach);
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// The per-pixel formula on eight pixels: per channel d + (((s - d) * L) >> 8)
// with an arithmetic shift; |s - d| * L stays within 16 signed bits.
inline __m128i BlendPixels(__m128i s, __m128i d, __m128i level) {
    const __m128i five = _mm_set1_epi16(31);
    auto channel = [&](__m128i sc, __m128i dc) {
        return _mm_add_epi16(dc, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(sc, dc), level), 8));
    };
    const __m128i r = channel(_mm_and_si128(_mm_srli_epi16(s, 10), five), _mm_and_si128(_mm_srli_epi16(d, 10), five));
    const __m128i g = channel(_mm_and_si128(_mm_srli_epi16(s, 5), five), _mm_and_si128(_mm_srli_epi16(d, 5), five));
    const __m128i b = channel(_mm_and_si128(s, five), _mm_and_si128(d, five));
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 10), _mm_slli_epi16(g, 5)), b);
}

// Sixteen pixels from their old values: copied where the test passes, kept
// elsewhere (every pixel of a window is stored).
struct Pixels16 {
    __m128i lo, hi;
};

inline Pixels16 CopyWindow(const uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                           __m128i b) {
    const __m128i pass = PassMask(Load(samples), Load(plane), b);
    return {Select(_mm_unpacklo_epi8(pass, pass), Load(src), Load(dst)),
            Select(_mm_unpackhi_epi8(pass, pass), Load(src + 8), Load(dst + 8))};
}

inline Pixels16 BlendWindow(const uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples,
                            __m128i b, __m128i level) {
    const __m128i pass = PassMask(Load(samples), Load(plane), b);
    const __m128i d0 = Load(dst), d1 = Load(dst + 8);
    return {Select(_mm_unpacklo_epi8(pass, pass), BlendPixels(Load(src), d0, level), d0),
            Select(_mm_unpackhi_epi8(pass, pass), BlendPixels(Load(src + 8), d1, level), d1)};
}

inline void Put(uint16_t* dst, const Pixels16& v) {
    Store(dst, v.lo);
    Store(dst + 8, v.hi);
}

// A run of n >= W elements in windows of W: whole windows from the start and
// a last one ending at the end of the run, overlapping the one before. Every
// window's result depends only on the memory as it was before the run, so
// the last window is computed first, before any store: a load overlapping a
// store just made would wait for that store to reach the cache.
template <uint32_t W, class Compute, class PutFn>
inline void Windows(uint32_t n, Compute compute, PutFn put) {
    const auto last = compute(n - W);
    uint32_t i = 0;
    for (; i + W <= n; i += W) put(i, compute(i));
    if (i < n) put(n - W, last);
}

}  // namespace

void WriteSse2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    if (bias > 255) bias = 255;  // any sum above 255 is rejected anyway
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    // A sum above 255 saturates to 255, which never lowers a plane value.
    if (n >= 16) {
        Windows<16>(
            n, [&](uint32_t i) { return _mm_min_epu8(Load(plane + i), _mm_adds_epu8(Load(samples + i), b)); },
            [&](uint32_t i, __m128i v) { Store(plane + i, v); });
    } else if (n >= 8) {
        Windows<8>(
            n, [&](uint32_t i) { return _mm_min_epu8(Load64(plane + i), _mm_adds_epu8(Load64(samples + i), b)); },
            [&](uint32_t i, __m128i v) { Store64(plane + i, v); });
    } else {
        WriteScalar(plane, samples, n, bias);
    }
}

void CopySse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
              uint32_t bias) {
    if (bias > 255) return;  // nothing can pass
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    if (n >= 16) {
        Windows<16>(
            n, [&](uint32_t i) { return CopyWindow(dst + i, plane + i, src + i, samples + i, b); },
            [&](uint32_t i, const Pixels16& v) { Put(dst + i, v); });
    } else if (n >= 8) {
        Windows<8>(
            n,
            [&](uint32_t i) {
                const __m128i pass = PassMask(Load64(samples + i), Load64(plane + i), b);
                return Select(_mm_unpacklo_epi8(pass, pass), Load(src + i), Load(dst + i));
            },
            [&](uint32_t i, __m128i v) { Store(dst + i, v); });
    } else {
        CopyScalar(dst, plane, src, samples, n, bias);
    }
}

void WriteCopySse2(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                   uint32_t bias) {
    if (bias > 255) return;  // no sum fits: the plane stays, nothing passes
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    // The plane takes min(plane, sample + bias), saturated at 255 (which never
    // lowers it); the pixels pass where the sum fits under the old value.
    if (n >= 16) {
        struct Step {
            __m128i plane;
            Pixels16 pixels;
        };
        Windows<16>(
            n,
            [&](uint32_t i) {
                const __m128i p = Load(plane + i), v = Load(samples + i);
                const __m128i pass = PassMask(v, p, b);
                return Step{_mm_min_epu8(p, _mm_adds_epu8(v, b)),
                            {Select(_mm_unpacklo_epi8(pass, pass), Load(src + i), Load(dst + i)),
                             Select(_mm_unpackhi_epi8(pass, pass), Load(src + i + 8), Load(dst + i + 8))}};
            },
            [&](uint32_t i, const Step& st) {
                Store(plane + i, st.plane);
                Put(dst + i, st.pixels);
            });
    } else if (n >= 8) {
        struct Step {
            __m128i plane, pixels;
        };
        Windows<8>(
            n,
            [&](uint32_t i) {
                const __m128i p = Load64(plane + i), v = Load64(samples + i);
                const __m128i pass = PassMask(v, p, b);
                return Step{_mm_min_epu8(p, _mm_adds_epu8(v, b)),
                            Select(_mm_unpacklo_epi8(pass, pass), Load(src + i), Load(dst + i))};
            },
            [&](uint32_t i, const Step& st) {
                Store64(plane + i, st.plane);
                Store(dst + i, st.pixels);
            });
    } else {
        WriteCopyScalar(dst, plane, src, samples, n, bias);
    }
}

void BlendSse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
               uint32_t bias, uint32_t L) {
    if (bias > 255) return;
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    const __m128i level = _mm_set1_epi16(static_cast<short>(L));
    if (n >= 16) {
        Windows<16>(
            n, [&](uint32_t i) { return BlendWindow(dst + i, plane + i, src + i, samples + i, b, level); },
            [&](uint32_t i, const Pixels16& v) { Put(dst + i, v); });
    } else if (n >= 8) {
        Windows<8>(
            n,
            [&](uint32_t i) {
                const __m128i pass = PassMask(Load64(samples + i), Load64(plane + i), b);
                const __m128i d = Load(dst + i);
                return Select(_mm_unpacklo_epi8(pass, pass), BlendPixels(Load(src + i), d, level), d);
            },
            [&](uint32_t i, __m128i v) { Store(dst + i, v); });
    } else {
        BlendScalar(dst, plane, src, samples, n, bias, L);
    }
}

}  // namespace vc15::depth_rows
