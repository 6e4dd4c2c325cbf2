// Pixel converters: one scalar form per conversion that reads like its rule,
// SIMD forms with the same results, and the table the exported functions
// call through (chosen once, from what the processor offers).
#pragma once

#include <cstdint>

// The six conversions, declared once for every level that has all of them.
#define VC15_DECLARE_CONVERTERS                                                \
    void Rgb555ToRgb565(uint16_t* dst, const uint16_t* src, int32_t count);    \
    void Rgb565ToRgb555(uint16_t* dst, const uint16_t* src, int32_t count);    \
    void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count);     \
    void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count);     \
    void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count); \
    void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count);

// Conversions of canvas rows (RGB555) for presenting: each 5-bit channel v is
// widened to 8 bits as (v << 3) | (v >> 2) and the 5-bit green to 6 bits as
// (g << 1) | (g >> 4), so 31 becomes full intensity. Bit 15 is ignored. The
// outputs are wider than the inputs: dst must not overlap src.
#define VC15_DECLARE_PRESENT_CONVERTERS                                         \
    void Rgb555ToRgb565Wide(uint16_t* dst, const uint16_t* src, int32_t count); \
    void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count);   \
    void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count);

namespace vc15 {

namespace scalar {
VC15_DECLARE_CONVERTERS
VC15_DECLARE_PRESENT_CONVERTERS
}  // namespace scalar

// Every form reads source pixel i before it writes destination pixel i and
// never writes beyond its own input position, so dst == src works.
#if VC15_HAVE_X86_SIMD
namespace sse2 {
VC15_DECLARE_CONVERTERS
void Rgb555ToRgb565Wide(uint16_t* dst, const uint16_t* src, int32_t count);
void Rgb555ToXrgb8888(uint32_t* dst, const uint16_t* src, int32_t count);
}  // namespace sse2

namespace avx2 {
VC15_DECLARE_CONVERTERS
VC15_DECLARE_PRESENT_CONVERTERS
}  // namespace avx2

// Only the conversions with byte sources or byte outputs have an SSSE3 form
// (they need its byte shuffle); its table takes the SSE2 forms for the rest,
// and the SSE2 table the scalar form of Rgb555ToBgr888.
namespace ssse3 {
void Rgb555ToBgr888(uint8_t* dst, const uint16_t* src, int32_t count);
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count);
}  // namespace ssse3
#endif

// The values are stable (benchmarks and tests pass them as numbers), so the
// later SSSE3 level comes last.
enum class ConvertLevel { Scalar = 0, Sse2 = 1, Avx2 = 2, Ssse3 = 3 };

using Convert16Fn = void (*)(uint16_t* dst, const uint16_t* src, int32_t count);
using Convert8Fn = void (*)(uint16_t* dst, const uint8_t* src, int32_t count);
using Convert555To32Fn = void (*)(uint32_t* dst, const uint16_t* src, int32_t count);
using Convert555To24Fn = void (*)(uint8_t* dst, const uint16_t* src, int32_t count);

struct ConvertTable {
    Convert16Fn rgb555ToRgb565;
    Convert16Fn rgb565ToRgb555;
    Convert8Fn rgb888ToRgb565;
    Convert8Fn rgb888ToRgb555;
    Convert8Fn rgba8888ToArgb1555;
    Convert8Fn rgba8888ToArgb4444;
    Convert16Fn rgb555ToRgb565Wide;
    Convert555To32Fn rgb555ToXrgb8888;
    Convert555To24Fn rgb555ToBgr888;
};

// True when this build has the level and the processor can run it.
bool ConvertLevelSupported(ConvertLevel level);
// The best supported level.
ConvertLevel BestConvertLevel();
// The forms of one level (the scalar table for an unsupported level).
const ConvertTable& ConvertTableFor(ConvertLevel level);

// Test-only: makes the exported functions use the given level from now on.
// False (and nothing changed) when the level is not supported.
bool ForceConvertLevelForTesting(ConvertLevel level);
// The level the exported functions use now.
ConvertLevel ActiveConvertLevel();
// The forms the exported functions use now (the best level on first use).
const ConvertTable& ActiveConvertTable();

}  // namespace vc15
