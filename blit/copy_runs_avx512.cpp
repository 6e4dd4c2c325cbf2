// Runs moved with masked 512-bit loads and stores: 32 pixels a register, the
// mask covering exactly the run's pixels, so no branch on the length below
// 32 and nothing read or written past the run (a masked-off element neither
// faults nor touches memory).
#include <immintrin.h>

#include <cstring>

#include "blit/blit_ops.h"
#include "blit/copy_runs.h"

namespace vc15 {

namespace {

// The first `n` (at most 32) lanes.
inline __mmask32 FirstLanes(size_t n) { return static_cast<__mmask32>((uint64_t{1} << n) - 1u); }

struct MaskedCopy {
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
        if (count >= kLibraryCopyFrom) {
            std::memcpy(dst, src, count * sizeof(uint16_t));
            return;
        }
        // 65 .. kLibraryCopyFrom - 1: whole registers, then the last 32
        // pixels again (overlapping what is already written, with the same
        // values).
        size_t i = 0;
        for (; i + 32 < count; i += 32) _mm512_storeu_si512(dst + i, _mm512_loadu_si512(src + i));
        _mm512_storeu_si512(dst + count - 32, _mm512_loadu_si512(src + count - 32));
    }
    // From this length the library's copy is at least as fast.
    static constexpr size_t kLibraryCopyFrom = 2048;
};

}  // namespace

void DrawSpansAvx512(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    CopyOpWith<MaskedCopy> op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
}

void DrawSpansSoftEdgeAvx512(const DrawTarget& canvas, int32_t x, int32_t y, const SpanImageView& image) {
    SoftEdgeOpWith<MaskedCopy> op(canvas);
    WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, image.head.width, image.head.height, PackedColorSpans<>(image),
                                     op);
}

void DrawRawAvx512(const DrawTarget& canvas, int32_t x, int32_t y, const uint16_t* pixels, int32_t w, int32_t h) {
    DrawRawWith<MaskedCopy>(canvas, x, y, pixels, w, h);
}

}  // namespace vc15
