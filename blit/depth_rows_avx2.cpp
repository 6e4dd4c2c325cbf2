// AVX2 forms of the depth rows: the test on sixteen samples in a 128-bit
// register, widened to a mask over sixteen pixels in a 256-bit one; the
// write 32 samples per step. Every pixel of a step is stored, the failing
// ones with their old value. The last step is a whole step ending at the end
// of the run, overlapping the one before, computed from the old values like
// every other step. Shorter runs go in halves, and below eight pixels through
// the scalar forms.
#include <immintrin.h>

#include "blit/depth_rows.h"

namespace vc15::depth_rows {

namespace {

inline __m128i Load128(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline __m128i Load64(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
inline __m256i Load256(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
inline void Store64(void* p, __m128i v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }
inline void Store128(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
inline void Store256(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }

// See the SSE2 form: 0xFF in each byte where v + bias <= plane.
inline __m128i PassMask(__m128i v, __m128i plane, __m128i bias) {
    const __m128i room = _mm_subs_epu8(plane, bias);
    const __m128i fits = _mm_cmpeq_epi8(_mm_min_epu8(v, room), v);
    const __m128i reach = _mm_cmpeq_epi8(_mm_max_epu8(plane, bias), plane);
    return _mm_and_si128(fits, reach);
}

inline __m256i BlendPixels(__m256i s, __m256i d, __m256i level) {
    const __m256i five = _mm256_set1_epi16(31);
    auto channel = [&](__m256i sc, __m256i dc) {
        return _mm256_add_epi16(dc, _mm256_srai_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(sc, dc), level), 8));
    };
    const __m256i r =
        channel(_mm256_and_si256(_mm256_srli_epi16(s, 10), five), _mm256_and_si256(_mm256_srli_epi16(d, 10), five));
    const __m256i g =
        channel(_mm256_and_si256(_mm256_srli_epi16(s, 5), five), _mm256_and_si256(_mm256_srli_epi16(d, 5), five));
    const __m256i b = channel(_mm256_and_si256(s, five), _mm256_and_si256(d, five));
    return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(r, 10), _mm256_slli_epi16(g, 5)), b);
}

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

inline __m256i Pass16(const uint8_t* plane, const uint8_t* samples, __m128i b) {
    return _mm256_cvtepi8_epi16(PassMask(Load128(samples), Load128(plane), b));
}
inline __m128i Pass8(const uint8_t* plane, const uint8_t* samples, __m128i b) {
    const __m128i p = PassMask(Load64(samples), Load64(plane), b);
    return _mm_unpacklo_epi8(p, p);
}

// A run of n >= W elements in windows of W: whole windows from the start and
// a last one ending at the end of the run, overlapping the one before. Every
// window's result depends only on the memory as it was before the run (each
// element is done from its old value), so the last window is computed
// first, before any store: a load that overlaps a store just made would wait
// for the store to reach the cache, and computing it last made every short
// run pay that.
template <uint32_t W, class Compute, class Put>
inline void Windows(uint32_t n, Compute compute, Put put) {
    const auto last = compute(n - W);
    uint32_t i = 0;
    for (; i + W <= n; i += W) put(i, compute(i));
    if (i < n) put(n - W, last);
}

}  // namespace

void WriteAvx2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    if (bias > 255) bias = 255;  // any sum above 255 is rejected anyway
    // A sum above 255 saturates to 255, which never lowers a plane value.
    const __m256i b = _mm256_set1_epi8(static_cast<char>(bias));
    const __m128i b128 = _mm256_castsi256_si128(b);
    if (n >= 32) {
        Windows<32>(
            n,
            [&](uint32_t i) { return _mm256_min_epu8(Load256(plane + i), _mm256_adds_epu8(Load256(samples + i), b)); },
            [&](uint32_t i, __m256i v) { Store256(plane + i, v); });
    } else if (n >= 16) {
        Windows<16>(
            n, [&](uint32_t i) { return _mm_min_epu8(Load128(plane + i), _mm_adds_epu8(Load128(samples + i), b128)); },
            [&](uint32_t i, __m128i v) { Store128(plane + i, v); });
    } else if (n >= 8) {
        Windows<8>(
            n, [&](uint32_t i) { return _mm_min_epu8(Load64(plane + i), _mm_adds_epu8(Load64(samples + i), b128)); },
            [&](uint32_t i, __m128i v) { Store64(plane + i, v); });
    } else {
        WriteScalar(plane, samples, n, bias);
    }
}

void CopyAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
              uint32_t bias) {
    if (bias > 255) return;  // nothing can pass
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    if (n >= 16) {
        Windows<16>(
            n,
            [&](uint32_t i) {
                return _mm256_blendv_epi8(Load256(dst + i), Load256(src + i), Pass16(plane + i, samples + i, b));
            },
            [&](uint32_t i, __m256i v) { Store256(dst + i, v); });
    } else if (n >= 8) {
        Windows<8>(
            n,
            [&](uint32_t i) {
                return _mm_blendv_epi8(Load128(dst + i), Load128(src + i), Pass8(plane + i, samples + i, b));
            },
            [&](uint32_t i, __m128i v) { Store128(dst + i, v); });
    } else {
        CopyScalar(dst, plane, src, samples, n, bias);
    }
}

void WriteCopyAvx2(uint16_t* dst, uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
                   uint32_t bias) {
    if (bias > 255) return;  // no sum fits: the plane stays, nothing passes
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    // The plane takes min(plane, sample + bias), saturated at 255 (which never
    // lowers it); the pixels pass where the sum fits under the old value.
    if (n >= 16) {
        struct Step {
            __m128i plane;
            __m256i pixels;
        };
        Windows<16>(
            n,
            [&](uint32_t i) {
                const __m128i p = Load128(plane + i), v = Load128(samples + i);
                const __m256i pass = _mm256_cvtepi8_epi16(PassMask(v, p, b));
                return Step{_mm_min_epu8(p, _mm_adds_epu8(v, b)),
                            _mm256_blendv_epi8(Load256(dst + i), Load256(src + i), pass)};
            },
            [&](uint32_t i, const Step& st) {
                Store128(plane + i, st.plane);
                Store256(dst + i, st.pixels);
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
                            _mm_blendv_epi8(Load128(dst + i), Load128(src + i), _mm_unpacklo_epi8(pass, pass))};
            },
            [&](uint32_t i, const Step& st) {
                Store64(plane + i, st.plane);
                Store128(dst + i, st.pixels);
            });
    } else {
        WriteCopyScalar(dst, plane, src, samples, n, bias);
    }
}

void BlendAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
               uint32_t bias, uint32_t L) {
    if (bias > 255) return;
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    const __m256i level = _mm256_set1_epi16(static_cast<short>(L));
    if (n >= 16) {
        Windows<16>(
            n,
            [&](uint32_t i) {
                const __m256i d = Load256(dst + i);
                return _mm256_blendv_epi8(d, BlendPixels(Load256(src + i), d, level),
                                          Pass16(plane + i, samples + i, b));
            },
            [&](uint32_t i, __m256i v) { Store256(dst + i, v); });
    } else if (n >= 8) {
        const __m128i level128 = _mm256_castsi256_si128(level);
        Windows<8>(
            n,
            [&](uint32_t i) {
                const __m128i d = Load128(dst + i);
                return _mm_blendv_epi8(d, BlendPixels(Load128(src + i), d, level128), Pass8(plane + i, samples + i, b));
            },
            [&](uint32_t i, __m128i v) { Store128(dst + i, v); });
    } else {
        BlendScalar(dst, plane, src, samples, n, bias, L);
    }
}

}  // namespace vc15::depth_rows
