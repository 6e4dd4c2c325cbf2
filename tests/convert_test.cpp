// The six exported pixel converters against field-by-field references at
// every processor level: every input of the 16-bit and 3-byte converters,
// byte sweeps and random inputs of the 4-byte ones, every short length at
// unaligned addresses, long runs, in-place use, exact buffer bounds and
// counts of 0 or less.
#include "pixel/convert.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "VexaCanvas15.h"
#include "core/kernel_table.h"
#include "guard_pages.h"
#include "levels.h"

namespace {

using vc15::KernelTable;
using vc15test::AtEveryLevel;

// References written from the field layouts, not from the shift formulas.
uint16_t Ref555To565(const uint8_t* p) {
    const unsigned s = p[0] | p[1] << 8, r = (s >> 10) & 31, g = (s >> 5) & 31, b = s & 31;
    return static_cast<uint16_t>(r << 11 | (g * 2) << 5 | b);  // green gains a 0 low bit
}
uint16_t Ref565To555(const uint8_t* p) {
    const unsigned s = p[0] | p[1] << 8, r = (s >> 11) & 31, g = (s >> 5) & 63, b = s & 31;
    return static_cast<uint16_t>(r << 10 | (g / 2) << 5 | b);
}
uint16_t Ref888To565(const uint8_t* p) { return static_cast<uint16_t>((p[0] / 8) * 2048 + (p[1] / 4) * 32 + p[2] / 8); }
uint16_t Ref888To555(const uint8_t* p) { return static_cast<uint16_t>((p[0] / 8) * 1024 + (p[1] / 8) * 32 + p[2] / 8); }
uint16_t Ref8888To1555(const uint8_t* p) {
    return static_cast<uint16_t>((p[3] != 0 ? 32768 : 0) + (p[0] % 32) * 1024 + (p[1] % 32) * 32 + p[2] % 32);
}
uint16_t Ref8888To4444(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] % 16) * 4096 + (p[1] % 16) * 256 + (p[2] % 16) * 16 + p[3] % 16);
}

struct Conversion {
    const char* name;
    int srcBytes;
    void (*exported)(uint16_t*, const void*, int32_t);
    void (*level)(const vc15::KernelTable& t, uint16_t* dst, const void* src, int32_t count);
    uint16_t (*reference)(const uint8_t* pixel);
};

template <class Src, auto Exported, auto Field>
Conversion Make(const char* name, int bytes, uint16_t (*reference)(const uint8_t*)) {
    return {name, bytes, [](uint16_t* d, const void* s, int32_t n) { Exported(d, static_cast<const Src*>(s), n); },
            [](const vc15::KernelTable& t, uint16_t* d, const void* s, int32_t n) {
                (t.*Field)(d, static_cast<const Src*>(s), n);
            },
            reference};
}
const Conversion kConversions[] = {
    Make<uint16_t, RGB555_RGB565, &vc15::KernelTable::rgb555ToRgb565>("RGB555_RGB565", 2, Ref555To565),
    Make<uint16_t, RGB565_RGB555, &vc15::KernelTable::rgb565ToRgb555>("RGB565_RGB555", 2, Ref565To555),
    Make<uint8_t, RGB888_RGB565, &vc15::KernelTable::rgb888ToRgb565>("RGB888_RGB565", 3, Ref888To565),
    Make<uint8_t, RGB888_RGB555, &vc15::KernelTable::rgb888ToRgb555>("RGB888_RGB555", 3, Ref888To555),
    Make<uint8_t, RGBA8888_ARGB1555, &vc15::KernelTable::rgba8888ToArgb1555>("RGBA8888_ARGB1555", 4, Ref8888To1555),
    Make<uint8_t, RGBA8888_ARGB4444, &vc15::KernelTable::rgba8888ToArgb4444>("RGBA8888_ARGB4444", 4, Ref8888To4444),
};

// Converts `bytes` (whole pixels) through the exported function, separately
// and in place, and compares both with the reference.
void ExpectReference(const Conversion& c, const std::vector<uint8_t>& bytes) {
    const int32_t n = static_cast<int32_t>(bytes.size() / c.srcBytes);
    std::vector<uint16_t> out(static_cast<size_t>(n));
    c.exported(out.data(), bytes.data(), n);
    for (int32_t i = 0; i < n; ++i)
        ASSERT_EQ(out[i], c.reference(&bytes[static_cast<size_t>(i) * c.srcBytes])) << c.name << " pixel " << i;
    // In place: output pixel i never lies beyond source pixel i.
    std::vector<uint16_t> storage((bytes.size() + 1) / 2);
    std::memcpy(storage.data(), bytes.data(), bytes.size());
    c.exported(storage.data(), storage.data(), n);
    ASSERT_EQ(0, std::memcmp(storage.data(), out.data(), out.size() * 2)) << c.name << " in place";
}

TEST(Convert, EveryInputAtEveryLevel) {
    AtEveryLevel([](vc15::cpu::Level) {
        std::vector<uint8_t> all16(65536 * 2);
        for (uint32_t v = 0; v < 65536; ++v) all16[2 * v] = uint8_t(v), all16[2 * v + 1] = uint8_t(v >> 8);
        ExpectReference(kConversions[0], all16);
        ExpectReference(kConversions[1], all16);
        // All 2^24 three-byte inputs, 65536 at a time.
        std::vector<uint8_t> rgb(65536 * 3);
        for (uint32_t b0 = 0; b0 < 256; ++b0) {
            for (uint32_t i = 0; i < 65536; ++i)
                rgb[3 * i] = uint8_t(b0), rgb[3 * i + 1] = uint8_t(i >> 8), rgb[3 * i + 2] = uint8_t(i);
            ExpectReference(kConversions[2], rgb);
            ExpectReference(kConversions[3], rgb);
        }
        // Each byte of four through all 256 values with the others held at
        // varied values, then random pixels.
        std::vector<uint8_t> rgba;
        for (int pos = 0; pos < 4; ++pos)
            for (uint8_t f : {0x00, 0xFF, 0xA5, 0x5A, 0x10})
                for (int v = 0; v < 256; ++v) {
                    uint8_t p[4] = {f, f, f, f};
                    p[pos] = static_cast<uint8_t>(v);
                    rgba.insert(rgba.end(), p, p + 4);
                }
        std::mt19937 rng(1234);
        for (int i = 0; i < 200000; ++i) rgba.push_back(static_cast<uint8_t>(rng()));
        ExpectReference(kConversions[4], rgba);
        ExpectReference(kConversions[5], rgba);
    });
}

// Every length up to 100 and some long runs, at odd and even source and
// destination addresses: the vector loops' heads and tails. Guards around
// the output, and the source must stay as it was.
TEST(Convert, EveryLengthAndAlignmentAtEveryLevel) {
    AtEveryLevel([](vc15::cpu::Level level) {
        const vc15::KernelTable& table = *vc15::kernels::For(level);
        std::mt19937 rng(7);
        std::vector<int32_t> lengths;
        for (int32_t n = 0; n <= 100; ++n) lengths.push_back(n);
        for (int32_t n : {1000, 4099, 65536 + 13}) lengths.push_back(n);
        for (const Conversion& c : kConversions)
            for (int32_t n : lengths)
                for (size_t off = 0; off < (n <= 100 ? 8u : 2u); ++off) {
                    const size_t srcOff = off, dstOff = off % 4;
                    std::vector<uint8_t> src(static_cast<size_t>(n) * c.srcBytes + srcOff + 8);
                    for (auto& b : src) b = static_cast<uint8_t>(rng());
                    for (size_t i = srcOff + 3; i < src.size(); i += 8) src[i] = 0;  // zero alpha bytes
                    const std::vector<uint8_t> before = src;
                    std::vector<uint16_t> out(static_cast<size_t>(n) + dstOff + 8, 0xA5C3);
                    c.level(table, out.data() + dstOff, src.data() + srcOff, n);
                    ASSERT_EQ(src, before) << c.name << " wrote to its source";
                    for (size_t i = 0; i < out.size(); ++i) {
                        const bool written = i >= dstOff && i < dstOff + static_cast<size_t>(n);
                        const uint16_t want = written ? c.reference(&src[srcOff + (i - dstOff) * c.srcBytes]) : 0xA5C3;
                        ASSERT_EQ(out[i], want) << c.name << " n=" << n << " offset " << off << " index " << i;
                    }
                }
    });
}

// Exactly count pixels are read and written: source and output end against
// an inaccessible page (then start right after one), so a read or write past
// either end faults on every platform, sanitizer or not. Counts of 0 or
// less, or a null buffer, touch nothing.
TEST(Convert, BoundsCountsAndNullBuffers) {
    // The emulated processor of the 32-bit Windows tests reads a whole
    // 32-byte register where the AVX2 forms insert a 16-byte half, so there
    // the source's end is not put against a guard from AVX2 up.
    const bool wideInserts = std::getenv("VC15_EMULATED_CPU") != nullptr;
    AtEveryLevel([wideInserts](vc15::cpu::Level level) {
        for (const Conversion& c : kConversions) {
            for (int32_t n : {1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 96, 128, 129}) {
                for (auto side : {vc15test::GuardSide::After, vc15test::GuardSide::Before}) {
                    const size_t bytes = static_cast<size_t>(n) * c.srcBytes;
                    const bool srcEnd = !(wideInserts && level >= vc15::cpu::Level::Avx2);
                    vc15test::GuardedBuffer src(bytes, srcEnd ? side : vc15test::GuardSide::Before);
                    vc15test::GuardedBuffer out(2 * static_cast<size_t>(n), side);
                    ASSERT_TRUE(src.data() && out.data());
                    std::memset(src.data(), 0x5A, bytes);
                    c.exported(reinterpret_cast<uint16_t*>(out.data()), src.data(), n);
                    const uint8_t pixel[4] = {0x5A, 0x5A, 0x5A, 0x5A};
                    uint16_t last;
                    std::memcpy(&last, out.data() + 2 * (n - 1), 2);
                    EXPECT_EQ(last, c.reference(pixel)) << c.name << " n=" << n;
                }
            }
            const uint8_t src[16] = {0xFF, 0xFF, 0xFF, 0xFF};
            for (int32_t n : {0, -1, -5, INT32_MIN, 1, 4, INT32_MAX}) {
                uint16_t dst[4] = {1, 2, 3, 4};
                c.exported(nullptr, nullptr, n);
                c.exported(dst, nullptr, n);
                c.exported(nullptr, src, n);
                if (n <= 0) c.exported(dst, src, n);
                EXPECT_EQ(dst[0], 1) << c.name << " n=" << n;
                EXPECT_EQ(dst[3], 4) << c.name << " n=" << n;
            }
        }
    });
}

}  // namespace
