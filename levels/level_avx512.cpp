// The AVX-512 level (F, BW, VL, VBMI2): masked loads and stores, so a run of
// any length is moved or computed without a branch on its length and nothing
// is read or written past it (a masked-off element neither faults nor
// touches memory).
#include "simd/avx512.h"
// The kernels after the structs they are instantiated with.
#include <cstring>

#include "blit/blit_ops.h"
#include "blit/kernels.h"
#include "pixel/convert.h"
#include "pixel/convert_kernels.h"

namespace vc15::kernels {

namespace {
using namespace simd;

// Up to twice O's lanes in one masked register, or a whole one and a masked
// one; false (nothing moved) for longer runs.
template <class O>
VC15_ALWAYS_INLINE bool CopyUpToTwoRegisters(uint16_t* dst, const uint16_t* src, size_t count) {
    if (count <= O::kLanes) {
        const auto n = static_cast<uint32_t>(count);
        O::StoreN16(dst, O::LoadN16(src, n), n);
        return true;
    }
    if (count <= 2 * O::kLanes) {
        const auto n = static_cast<uint32_t>(count - O::kLanes);
        const typename O::V head = O::Load(src), tail = O::LoadN16(src + O::kLanes, n);
        O::Store(dst, head);
        O::StoreN16(dst + O::kLanes, tail, n);
        return true;
    }
    return false;
}

// Sprite runs: up to 32 pixels in 256-bit registers, longer ones in the
// baseline's pieces. Measured on the scene's runs (about 21 pixels): 256-bit
// registers, at most two per run, beat 512-bit ones, whose masked stores cost
// more than the branch they save.
struct MaskedRunCopy {
    static void Copy(uint16_t* dst, const uint16_t* src, size_t count) {
        if (!CopyUpToTwoRegisters<Avx512V256>(dst, src, count)) CopyPixels(dst, src, count);
    }
};

// Raw rows, whole rows being long enough for 512-bit registers: up to 64
// pixels in one or two of them, up to kStringCopyFrom in whole registers with the last one overlapping, beyond
// that the processor's string copy.
struct MaskedRowCopy {
    using O = Avx512V512;
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
    static void Copy(uint16_t* dst, const uint16_t* src, size_t count) {
        if (CopyUpToTwoRegisters<O>(dst, src, count)) return;
        if (count >= kStringCopyFrom) {
            StringCopy(dst, src, count * sizeof(uint16_t));
            return;
        }
        // Rewriting the overlap of the last register stores the same values.
        for (size_t i = 0; i + O::kLanes < count; i += O::kLanes) O::Store(dst + i, O::Load(src + i));
        O::Store(dst + count - O::kLanes, O::Load(src + count - O::kLanes));
    }
};

using Blend = BlendForms<Avx512V512, Avx512V256, Avx512V128>;
using Depth =
    DepthForms<Steps<PlaneStep<Avx512V512>, PlaneStep<Avx512V256>, PlaneStep<Avx512V128>>,
               PixelStep<Avx512V256, Avx512V512>, PixelStep<Avx512V128, Avx512V256>, PixelStep<Avx512V64, Avx512V128>>;
}  // namespace

void FillAvx512(KernelTable& t) {
    t.drawSpans = DrawSpansWith<MaskedRunCopy>;
    t.drawRaw = DrawRawWith<MaskedRowCopy>;
    SetRowKernels<Blend, Depth>(t);

    // The conversions of 4-byte sources keep their AVX2 forms.
    t.rgb555ToRgb565 = convert_kernels::Each16<convert_kernels::Rgb555To565, Avx512V512, scalar::Rgb555ToRgb565>;
    t.rgb565ToRgb555 = convert_kernels::Each16<convert_kernels::Rgb565To555, Avx512V512, scalar::Rgb565ToRgb555>;
    t.rgb888ToRgb565 = vc15::avx512::Rgb888ToRgb565;
    t.rgb888ToRgb555 = vc15::avx512::Rgb888ToRgb555;
    t.rgb555ToRgb565Wide =
        convert_kernels::Each16<convert_kernels::Rgb555To565Wide, Avx512V512, scalar::Rgb555ToRgb565Wide>;
    t.rgb555ToXrgb8888 = vc15::avx512::Rgb555ToXrgb8888;
    t.rgb555ToBgr888 = vc15::avx512::Rgb555ToBgr888;
}

}  // namespace vc15::kernels
