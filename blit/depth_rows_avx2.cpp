// AVX2 forms of the depth rows: the test on sixteen samples in a 128-bit
// register, widened to a mask over sixteen pixels in a 256-bit one; the
// write 32 samples per step. Every pixel of a step is stored, the failing
// ones with their old value. The write and the copy give the same result when
// a pixel is done twice, so their last step is a whole step ending at the end
// of the run, overlapping the one before; the blend's last step does the same
// but only changes the pixels not done yet. Shorter runs go in halves, and
// below eight pixels through the scalar forms.
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

// -1 in the 16-bit lanes j >= 16 - r: the last r pixels of a step.
alignas(32) const int16_t kLastLanes[32] = {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                            -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

inline __m256i Pass16(const uint8_t* plane, const uint8_t* samples, __m128i b) {
    return _mm256_cvtepi8_epi16(PassMask(Load128(samples), Load128(plane), b));
}
inline __m128i Pass8(const uint8_t* plane, const uint8_t* samples, __m128i b) {
    const __m128i p = PassMask(Load64(samples), Load64(plane), b);
    return _mm_unpacklo_epi8(p, p);
}

inline void CopyStep(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b) {
    Store256(dst, _mm256_blendv_epi8(Load256(dst), Load256(src), Pass16(plane, samples, b)));
}
inline void CopyStep8(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b) {
    Store128(dst, _mm_blendv_epi8(Load128(dst), Load128(src), Pass8(plane, samples, b)));
}

inline void BlendStep(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b,
                      __m256i level, __m256i keep) {
    const __m256i d = Load256(dst);
    const __m256i pass = _mm256_and_si256(Pass16(plane, samples, b), keep);
    Store256(dst, _mm256_blendv_epi8(d, BlendPixels(Load256(src), d, level), pass));
}
inline void BlendStep8(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b,
                       __m128i level, __m128i keep) {
    const __m128i d = Load128(dst);
    const __m128i pass = _mm_and_si128(Pass8(plane, samples, b), keep);
    Store128(dst, _mm_blendv_epi8(d, BlendPixels(Load128(src), d, level), pass));
}

}  // namespace

void WriteAvx2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    if (bias > 255) bias = 255;  // any sum above 255 is rejected anyway
    // A sum above 255 saturates to 255, which never lowers a plane value.
    const __m256i b = _mm256_set1_epi8(static_cast<char>(bias));
    const __m128i b128 = _mm256_castsi256_si128(b);
    if (n > 32) {
        uint32_t i = 0;
        for (; i + 32 <= n; i += 32)
            Store256(plane + i, _mm256_min_epu8(Load256(plane + i), _mm256_adds_epu8(Load256(samples + i), b)));
        if (i < n) {
            const uint32_t j = n - 32;
            Store256(plane + j, _mm256_min_epu8(Load256(plane + j), _mm256_adds_epu8(Load256(samples + j), b)));
        }
    } else if (n >= 16) {  // 16..32: two windows, no loop
        const __m128i head = _mm_min_epu8(Load128(plane), _mm_adds_epu8(Load128(samples), b128));
        const __m128i tail = _mm_min_epu8(Load128(plane + n - 16), _mm_adds_epu8(Load128(samples + n - 16), b128));
        Store128(plane, head);
        Store128(plane + n - 16, tail);
    } else if (n >= 8) {
        const __m128i head = _mm_min_epu8(Load64(plane), _mm_adds_epu8(Load64(samples), b128));
        const __m128i tail = _mm_min_epu8(Load64(plane + n - 8), _mm_adds_epu8(Load64(samples + n - 8), b128));
        Store64(plane, head);
        Store64(plane + n - 8, tail);
    } else {
        WriteScalar(plane, samples, n, bias);
    }
}

void CopyAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
              uint32_t bias) {
    if (bias > 255) return;  // nothing can pass
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    if (n >= 16 && n <= 32) {  // the common sprite run: two windows, no loop
        CopyStep(dst, plane, src, samples, b);
        CopyStep(dst + n - 16, plane + n - 16, src + n - 16, samples + n - 16, b);
    } else if (n > 32) {
        uint32_t i = 0;
        for (; i + 16 <= n; i += 16) CopyStep(dst + i, plane + i, src + i, samples + i, b);
        if (i < n) CopyStep(dst + n - 16, plane + n - 16, src + n - 16, samples + n - 16, b);
    } else if (n >= 8) {
        CopyStep8(dst, plane, src, samples, b);
        CopyStep8(dst + n - 8, plane + n - 8, src + n - 8, samples + n - 8, b);
    } else {
        CopyScalar(dst, plane, src, samples, n, bias);
    }
}

void BlendAvx2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
               uint32_t bias, uint32_t L) {
    if (bias > 255) return;
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    const __m256i level = _mm256_set1_epi16(static_cast<short>(L));
    if (n >= 16) {
        const __m256i all = _mm256_set1_epi16(-1);
        uint32_t i = 0;
        for (; i + 16 <= n; i += 16) BlendStep(dst + i, plane + i, src + i, samples + i, b, level, all);
        if (const uint32_t r = n - i)
            BlendStep(dst + n - 16, plane + n - 16, src + n - 16, samples + n - 16, b, level, Load256(kLastLanes + r));
    } else if (n >= 8) {
        const __m128i level128 = _mm256_castsi256_si128(level);
        BlendStep8(dst, plane, src, samples, b, level128, _mm_set1_epi16(-1));
        if (const uint32_t r = n - 8)
            BlendStep8(dst + n - 8, plane + n - 8, src + n - 8, samples + n - 8, b, level128,
                       Load128(kLastLanes + 8 + r));
    } else {
        BlendScalar(dst, plane, src, samples, n, bias, L);
    }
}

}  // namespace vc15::depth_rows
