// SSE2 forms of the depth rows: sixteen samples per step, pixels eight to a
// register. Every pixel of a step is stored, the failing ones with their old
// value. The write and the copy give the same result when a pixel is done
// twice, so their last step is a whole step ending at the end of the run,
// overlapping the one before; the blend's last step does the same but only
// changes the pixels not done yet. Runs shorter than a step go eight at a
// time, and below eight through the scalar forms.
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

// -1 in the 16-bit lanes j >= 16 - r of two registers (lanes 0-7, 8-15):
// the last r pixels of a step.
alignas(16) const int16_t kLastLanes[32] = {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                            -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

// Sixteen pixels: copied where the test passes, rewritten unchanged elsewhere.
inline void CopyStep(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b) {
    const __m128i pass = PassMask(Load(samples), Load(plane), b);
    Store(dst, Select(_mm_unpacklo_epi8(pass, pass), Load(src), Load(dst)));
    Store(dst + 8, Select(_mm_unpackhi_epi8(pass, pass), Load(src + 8), Load(dst + 8)));
}

inline void CopyStep8(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b) {
    const __m128i pass = PassMask(Load64(samples), Load64(plane), b);
    Store(dst, Select(_mm_unpacklo_epi8(pass, pass), Load(src), Load(dst)));
}

inline void BlendStep(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b,
                      __m128i level, __m128i keepLo, __m128i keepHi) {
    const __m128i pass = PassMask(Load(samples), Load(plane), b);
    const __m128i d0 = Load(dst), d1 = Load(dst + 8);
    Store(dst, Select(_mm_and_si128(_mm_unpacklo_epi8(pass, pass), keepLo), BlendPixels(Load(src), d0, level), d0));
    Store(dst + 8,
          Select(_mm_and_si128(_mm_unpackhi_epi8(pass, pass), keepHi), BlendPixels(Load(src + 8), d1, level), d1));
}

inline void BlendStep8(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, __m128i b,
                       __m128i level, __m128i keep) {
    const __m128i pass = PassMask(Load64(samples), Load64(plane), b);
    const __m128i d = Load(dst);
    Store(dst, Select(_mm_and_si128(_mm_unpacklo_epi8(pass, pass), keep), BlendPixels(Load(src), d, level), d));
}

}  // namespace

void WriteSse2(uint8_t* plane, const uint8_t* samples, uint32_t n, uint32_t bias) {
    if (bias > 255) bias = 255;  // any sum above 255 is rejected anyway
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    // A sum above 255 saturates to 255, which never lowers a plane value.
    if (n >= 16) {
        uint32_t i = 0;
        for (; i + 16 <= n; i += 16)
            Store(plane + i, _mm_min_epu8(Load(plane + i), _mm_adds_epu8(Load(samples + i), b)));
        if (i < n) {
            const uint32_t j = n - 16;
            Store(plane + j, _mm_min_epu8(Load(plane + j), _mm_adds_epu8(Load(samples + j), b)));
        }
    } else if (n >= 8) {
        const __m128i head = _mm_min_epu8(Load64(plane), _mm_adds_epu8(Load64(samples), b));
        const __m128i tail = _mm_min_epu8(Load64(plane + n - 8), _mm_adds_epu8(Load64(samples + n - 8), b));
        Store64(plane, head);
        Store64(plane + n - 8, tail);
    } else {
        WriteScalar(plane, samples, n, bias);
    }
}

void CopySse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
              uint32_t bias) {
    if (bias > 255) return;  // nothing can pass
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    if (n >= 16) {
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

void BlendSse2(uint16_t* dst, const uint8_t* plane, const uint16_t* src, const uint8_t* samples, uint32_t n,
               uint32_t bias, uint32_t L) {
    if (bias > 255) return;
    const __m128i b = _mm_set1_epi8(static_cast<char>(bias));
    const __m128i level = _mm_set1_epi16(static_cast<short>(L));
    const __m128i all = _mm_set1_epi16(-1);
    if (n >= 16) {
        uint32_t i = 0;
        for (; i + 16 <= n; i += 16) BlendStep(dst + i, plane + i, src + i, samples + i, b, level, all, all);
        if (const uint32_t r = n - i) {
            const int16_t* last = kLastLanes + r;
            BlendStep(dst + n - 16, plane + n - 16, src + n - 16, samples + n - 16, b, level, Load(last),
                      Load(last + 8));
        }
    } else if (n >= 8) {
        BlendStep8(dst, plane, src, samples, b, level, all);
        if (const uint32_t r = n - 8)
            BlendStep8(dst + n - 8, plane + n - 8, src + n - 8, samples + n - 8, b, level, Load(kLastLanes + 8 + r));
    } else {
        BlendScalar(dst, plane, src, samples, n, bias, L);
    }
}

}  // namespace vc15::depth_rows
