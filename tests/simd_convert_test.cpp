// Differential tests of the converters: every SIMD level against the scalar
// forms, bit for bit, over all short lengths, long runs, random bytes,
// unaligned pointers and in-place conversion; plus the level hook itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "pixel/convert.h"
#include "test_hooks.h"

namespace {

using vc15::ConvertTable;
using vc15::cpu::Level;

struct Conversion {
    const char* name;
    int srcBytes;  // bytes per source pixel
    // Calls the conversion of one table on raw buffers.
    void (*run)(const ConvertTable& t, uint16_t* dst, const void* src, int32_t count);
};

const Conversion kConversions[] = {
    {"RGB555_RGB565", 2,
     [](const ConvertTable& t, uint16_t* d, const void* s, int32_t n) {
         t.rgb555ToRgb565(d, static_cast<const uint16_t*>(s), n);
     }},
    {"RGB565_RGB555", 2,
     [](const ConvertTable& t, uint16_t* d, const void* s, int32_t n) {
         t.rgb565ToRgb555(d, static_cast<const uint16_t*>(s), n);
     }},
    {"RGB888_RGB565", 3,
     [](const ConvertTable& t, uint16_t* d, const void* s, int32_t n) {
         t.rgb888ToRgb565(d, static_cast<const uint8_t*>(s), n);
     }},
    {"RGB888_RGB555", 3,
     [](const ConvertTable& t, uint16_t* d, const void* s, int32_t n) {
         t.rgb888ToRgb555(d, static_cast<const uint8_t*>(s), n);
     }},
    {"RGBA8888_ARGB1555", 4,
     [](const ConvertTable& t, uint16_t* d, const void* s, int32_t n) {
         t.rgba8888ToArgb1555(d, static_cast<const uint8_t*>(s), n);
     }},
    {"RGBA8888_ARGB4444", 4,
     [](const ConvertTable& t, uint16_t* d, const void* s, int32_t n) {
         t.rgba8888ToArgb4444(d, static_cast<const uint8_t*>(s), n);
     }},
};

std::vector<Level> SimdLevels() {
    std::vector<Level> levels;
    for (Level l : {Level::Sse2, Level::Ssse3, Level::Avx2, Level::Avx512})
        if (vc15::cpu::Supports(l)) levels.push_back(l);
    return levels;
}

const char* LevelName(Level l) {
    switch (l) {
        case Level::Scalar:
            return "scalar";
        case Level::Sse2:
            return "sse2";
        case Level::Avx2:
            return "avx2";
        case Level::Avx512:
            return "avx512";
        case Level::Ssse3:
            return "ssse3";
    }
    return "?";
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    // Zero alpha bytes must be common enough to test the alpha flag.
    for (size_t i = 3; i < n; i += 7) v[i] = 0;
    return v;
}

constexpr uint16_t kGuard = 0xA5C3;

// Converts count pixels at src + srcOffset into dst + dstOffset with one
// level and with the scalar forms; outputs and the guards around them must
// match, and the source must be untouched.
void CompareSeparate(const Conversion& c, Level level, int32_t count, size_t srcOffset, size_t dstOffset,
                     uint32_t seed) {
    const size_t srcBytes = static_cast<size_t>(count) * c.srcBytes;
    std::vector<uint8_t> src = RandomBytes(srcBytes + srcOffset + 64, seed);
    const std::vector<uint8_t> srcCopy = src;
    std::vector<uint16_t> want(static_cast<size_t>(count) + dstOffset + 16, kGuard);
    std::vector<uint16_t> got = want;
    // Byte offsets into uint16_t storage give odd addresses for 16-bit sources
    // too; the converters read 16-bit pixels without alignment.
    c.run(vc15::ConvertTableFor(Level::Scalar), want.data() + dstOffset, src.data() + srcOffset, count);
    c.run(vc15::ConvertTableFor(level), got.data() + dstOffset, src.data() + srcOffset, count);
    ASSERT_EQ(want, got) << c.name << " " << LevelName(level) << " count " << count << " src+" << srcOffset << " dst+"
                         << dstOffset;
    ASSERT_EQ(src, srcCopy) << c.name << " wrote to its source";
}

// dst == src: the scalar form and the level must leave the same bytes in the
// whole buffer (the part past the outputs keeps the unread source tail).
void CompareInPlace(const Conversion& c, Level level, int32_t count, size_t offset, uint32_t seed) {
    const size_t bytes = static_cast<size_t>(count) * c.srcBytes + offset + 32;
    // uint16_t storage so that even offsets give 16-bit aligned pixels.
    std::vector<uint16_t> want(bytes / 2 + 1);
    const std::vector<uint8_t> init = RandomBytes(want.size() * 2, seed);
    std::memcpy(want.data(), init.data(), init.size());
    std::vector<uint16_t> got = want;
    auto* w = reinterpret_cast<uint8_t*>(want.data()) + offset;
    auto* g = reinterpret_cast<uint8_t*>(got.data()) + offset;
    c.run(vc15::ConvertTableFor(Level::Scalar), reinterpret_cast<uint16_t*>(w), w, count);
    c.run(vc15::ConvertTableFor(level), reinterpret_cast<uint16_t*>(g), g, count);
    ASSERT_EQ(want, got) << c.name << " " << LevelName(level) << " in place, count " << count << " offset " << offset;
}

TEST(SimdConvert, EveryLengthUpTo100MatchesScalar) {
    const auto levels = SimdLevels();
    if (levels.empty()) GTEST_SKIP() << "no SIMD level";
    for (const Conversion& c : kConversions)
        for (Level level : levels)
            for (int32_t n = 0; n <= 100; ++n) CompareSeparate(c, level, n, 0, 0, 1000u + static_cast<uint32_t>(n));
}

TEST(SimdConvert, UnalignedPointersMatchScalar) {
    const auto levels = SimdLevels();
    if (levels.empty()) GTEST_SKIP() << "no SIMD level";
    for (const Conversion& c : kConversions)
        for (Level level : levels)
            for (size_t so = 0; so < 8; ++so)
                for (size_t dOff = 0; dOff < 4; ++dOff)
                    for (int32_t n : {1, 7, 8, 15, 16, 17, 31, 33, 63, 64, 65, 77})
                        CompareSeparate(c, level, n, so * (c.srcBytes == 2 ? 2 : 1) + (so & 1), dOff, 7u * n + so);
}

TEST(SimdConvert, LongRunsMatchScalar) {
    const auto levels = SimdLevels();
    if (levels.empty()) GTEST_SKIP() << "no SIMD level";
    for (const Conversion& c : kConversions)
        for (Level level : levels)
            for (int32_t n : {1000, 4096, 4099, 65536 + 13, 640 * 480})
                CompareSeparate(c, level, n, 1, 1, static_cast<uint32_t>(n));
}

TEST(SimdConvert, InPlaceMatchesScalar) {
    const auto levels = SimdLevels();
    if (levels.empty()) GTEST_SKIP() << "no SIMD level";
    for (const Conversion& c : kConversions)
        for (Level level : levels) {
            for (int32_t n = 0; n <= 100; ++n) CompareInPlace(c, level, n, 0, 50u + static_cast<uint32_t>(n));
            for (int32_t n : {1000, 4099, 100003}) {
                CompareInPlace(c, level, n, 0, static_cast<uint32_t>(n));
                CompareInPlace(c, level, n, 2, static_cast<uint32_t>(n) + 1);  // misaligned for vectors
            }
        }
}

TEST(SimdConvert, AllSourceValuesMatchScalar) {
    // Every 16-bit source value, and every value of each byte position with
    // random neighbours, so no field slips past a mask.
    const auto levels = SimdLevels();
    std::vector<uint16_t> all(65536);
    for (uint32_t v = 0; v < 65536; ++v) all[v] = static_cast<uint16_t>(v);
    for (Level level : levels) {
        for (int which = 0; which < 2; ++which) {
            std::vector<uint16_t> want(65536), got(65536);
            const Conversion& c = kConversions[which];
            c.run(vc15::ConvertTableFor(Level::Scalar), want.data(), all.data(), 65536);
            c.run(vc15::ConvertTableFor(level), got.data(), all.data(), 65536);
            ASSERT_EQ(want, got) << c.name << " " << LevelName(level);
        }
        for (int which = 2; which < 6; ++which) {
            const Conversion& c = kConversions[which];
            const int32_t n = 256 * c.srcBytes;  // each byte position takes each value once
            std::vector<uint8_t> src = RandomBytes(static_cast<size_t>(n) * c.srcBytes, 99u + which);
            for (int32_t i = 0; i < n; ++i)
                src[static_cast<size_t>(i) * c.srcBytes + i % c.srcBytes] = uint8_t(i / c.srcBytes);
            std::vector<uint16_t> want(static_cast<size_t>(n)), got(static_cast<size_t>(n));
            c.run(vc15::ConvertTableFor(Level::Scalar), want.data(), src.data(), n);
            c.run(vc15::ConvertTableFor(level), got.data(), src.data(), n);
            ASSERT_EQ(want, got) << c.name << " " << LevelName(level);
        }
    }
}

TEST(SimdConvert, HookSwitchesTheExportedFunctions) {
    const Level before = vc15::cpu::Active();
    EXPECT_EQ(before, vc15::cpu::Detected());
    for (Level level : {Level::Scalar, Level::Sse2, Level::Ssse3, Level::Avx2, Level::Avx512}) {
        if (!vc15::cpu::Supports(level)) {
            EXPECT_FALSE(vc15::cpu::ForceLevelForTesting(level));
            continue;
        }
        ASSERT_TRUE(vc15::cpu::ForceLevelForTesting(level));
        EXPECT_EQ(vc15::cpu::Active(), level);
        // The exported functions give the documented values at every level,
        // on a run long enough for the vector loops.
        std::vector<uint8_t> rgb(3 * 40), rgba(4 * 40);
        std::vector<uint16_t> px(40, 0x7FFF), out(40, 0);
        for (int i = 0; i < 40; ++i) {
            rgb[3 * i] = 0xFF, rgb[3 * i + 1] = 0x80, rgb[3 * i + 2] = 0x07;
            rgba[4 * i] = 0x12, rgba[4 * i + 1] = 0x34, rgba[4 * i + 2] = 0x56, rgba[4 * i + 3] = 0x78;
        }
        RGB555_RGB565(out.data(), px.data(), 40);
        EXPECT_EQ(out[37], 0xFFDF) << LevelName(level);
        RGB888_RGB555(out.data(), rgb.data(), 40);
        EXPECT_EQ(out[0], 0x7E00) << LevelName(level);
        EXPECT_EQ(out[39], 0x7E00) << LevelName(level);
        RGBA8888_ARGB4444(out.data(), rgba.data(), 40);
        EXPECT_EQ(out[20], 0x2468) << LevelName(level);
        std::vector<uint16_t> untouched(40, 0x1111);
        RGB565_RGB555(untouched.data(), px.data(), -5);
        EXPECT_EQ(untouched, std::vector<uint16_t>(40, 0x1111));
    }
    ASSERT_TRUE(vc15::cpu::ForceLevelForTesting(before));
}

}  // namespace
