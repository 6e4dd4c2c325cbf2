// Runs and rows moved with masked loads and stores (AVX-512 BW and VL): the
// mask covers exactly the run's pixels, so short runs need no branch on their
// length and nothing is read or written past a run (a masked-off element
// neither faults nor touches memory).
//
// Measured on the scene's runs (about 21 pixels): 256-bit registers, at most
// two per run, beat 512-bit ones, whose masked stores cost more than the
// branch they save; whole raw rows are long enough for 512-bit registers.
#include <immintrin.h>

#include <cstring>

#include "blit/blit_ops.h"
#include "blit/copy_runs.h"

namespace vc15 {

namespace {

// Sprite runs: up to 16 pixels in one masked register, up to 32 in a whole
// one and a masked one, longer ones in the baseline's pieces.
struct MaskedRunCopy {
    static void Copy(uint16_t* dst, const uint16_t* src, size_t count) {
        if (count <= 16) {
            const __mmask16 m = static_cast<__mmask16>((1u << count) - 1u);
            _mm256_mask_storeu_epi16(dst, m, _mm256_maskz_loadu_epi16(m, src));
            return;
        }
        if (count <= 32) {
            const __mmask16 m = static_cast<__mmask16>((1u << (count - 16)) - 1u);
            const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
            const __m256i tail = _mm256_maskz_loadu_epi16(m, src + 16);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), head);
            _mm256_mask_storeu_epi16(dst + 16, m, tail);
            return;
        }
        CopyPixels(dst, src, count);
    }
};

// Raw rows: up to 32 pixels in one masked 512-bit register, up to 64 in a
// whole one and a masked one, up to kStringCopyFrom in whole registers with
// the last one overlapping, beyond that the processor's string copy.
struct MaskedRowCopy {
    static constexpr size_t kStringCopyFrom = 2048;
    // The processor's string copy, which processors with these registers
    // run at full line width; the C runtime's memcpy is not the same
    // everywhere (the Windows one measured a third slower on whole frames).
    static void StringCopy(void* dst, const void* src, size_t bytes) {
#if defined(__GNUC__) || defined(__clang__)
        __asm__ volatile("rep movsb" : "+D"(dst), "+S"(src), "+c"(bytes) : : "memory");
#else
        std::memcpy(dst, src, bytes);
#endif
    }
    static __mmask32 FirstLanes(size_t n) { return static_cast<__mmask32>((uint64_t{1} << n) - 1u); }
    static void Copy(uint16_t* dst, const uint16_t* src, size_t count) {
        if (count <= 32) {
            const __mmask32 m = FirstLanes(count);
            _mm512_mask_storeu_epi16(dst, m, _mm512_maskz_loadu_epi16(m, src));
            return;
        }
        if (count <= 64) {
            const __mmask32 m = FirstLanes(count - 32);
            const __m512i head = _mm512_loadu_si512(src);
            const __m512i tail = _mm512_maskz_loadu_epi16(m, src + 32);
            _mm512_storeu_si512(dst, head);
            _mm512_mask_storeu_epi16(dst + 32, m, tail);
            return;
        }
        if (count >= kStringCopyFrom) {
            StringCopy(dst, src, count * sizeof(uint16_t));
            return;
        }
        // Rewriting the overlap of the last register stores the same values.
        for (size_t i = 0; i + 32 < count; i += 32) _mm512_storeu_si512(dst + i, _mm512_loadu_si512(src + i));
        _mm512_storeu_si512(dst + count - 32, _mm512_loadu_si512(src + count - 32));
    }
};

}  // namespace

void DrawSpansAvx512(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    CopyOpWith<MaskedRunCopy> op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
}

void DrawRawAvx512(const DrawTarget& canvas, int32_t x, int32_t y, const uint16_t* pixels, int32_t w, int32_t h) {
    DrawRawWith<MaskedRowCopy>(canvas, x, y, pixels, w, h);
}

}  // namespace vc15
