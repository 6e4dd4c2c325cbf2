// The six exported pixel converters against field-by-field references, at
// every processor level this machine runs (scalar, SSE2, AVX2): every 16-bit
// input of the 16-bit converters, every 24-bit input of the 3-byte ones, byte
// sweeps and random inputs of the 4-byte ones, in-place use, exact buffer
// bounds and counts of 0 or less.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "VexaCanvas15.h"
#include "pixel/convert.h"
#include "test_hooks.h"

namespace {

// Runs body once per supported level with the exported functions switched to
// it, then restores the level that was active.
template <class Body>
void AtEveryLevel(Body body) {
    const vc15::cpu::Level before = vc15::cpu::Active();
    for (vc15::cpu::Level l : {vc15::cpu::Level::Scalar, vc15::cpu::Level::Sse2, vc15::cpu::Level::Ssse3,
                               vc15::cpu::Level::Avx2, vc15::cpu::Level::Avx512}) {
        if (!vc15::cpu::ForceLevelForTesting(l)) continue;
        SCOPED_TRACE(testing::Message() << "level " << static_cast<int>(l));
        body();
        if (testing::Test::HasFatalFailure()) break;
    }
    vc15::cpu::ForceLevelForTesting(before);
}

// References written from the field layouts, not from the shift formulas.
uint16_t Ref555To565(uint16_t s) {
    const unsigned r = (s >> 10) & 31, g = (s >> 5) & 31, b = s & 31;
    return static_cast<uint16_t>(r << 11 | (g * 2) << 5 | b);  // green gains a 0 low bit
}
uint16_t Ref565To555(uint16_t s) {
    const unsigned r = (s >> 11) & 31, g = (s >> 5) & 63, b = s & 31;
    return static_cast<uint16_t>(r << 10 | (g / 2) << 5 | b);
}
uint16_t Ref888To565(uint8_t b0, uint8_t b1, uint8_t b2) {
    return static_cast<uint16_t>((b0 / 8) * 2048 + (b1 / 4) * 32 + b2 / 8);
}
uint16_t Ref888To555(uint8_t b0, uint8_t b1, uint8_t b2) {
    return static_cast<uint16_t>((b0 / 8) * 1024 + (b1 / 8) * 32 + b2 / 8);
}
uint16_t Ref8888To1555(const uint8_t* p) {
    return static_cast<uint16_t>((p[3] != 0 ? 32768 : 0) + (p[0] % 32) * 1024 + (p[1] % 32) * 32 + p[2] % 32);
}
uint16_t Ref8888To4444(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] % 16) * 4096 + (p[1] % 16) * 256 + (p[2] % 16) * 16 + p[3] % 16);
}

std::vector<uint16_t> AllSixteenBitValues() {
    std::vector<uint16_t> v(65536);
    for (uint32_t i = 0; i < 65536; ++i) v[i] = static_cast<uint16_t>(i);
    return v;
}

TEST(Convert16, EveryInputBothDirectionsSeparateAndInPlace) {
    AtEveryLevel([&] {
        const std::vector<uint16_t> all = AllSixteenBitValues();
        std::vector<uint16_t> out(all.size());
        RGB555_RGB565(out.data(), all.data(), 65536);
        for (uint32_t s = 0; s < 65536; ++s) ASSERT_EQ(out[s], Ref555To565(static_cast<uint16_t>(s))) << std::hex << s;
        std::vector<uint16_t> inplace = all;
        RGB555_RGB565(inplace.data(), inplace.data(), 65536);
        EXPECT_EQ(inplace, out);

        RGB565_RGB555(out.data(), all.data(), 65536);
        for (uint32_t s = 0; s < 65536; ++s) ASSERT_EQ(out[s], Ref565To555(static_cast<uint16_t>(s))) << std::hex << s;
        inplace = all;
        RGB565_RGB555(inplace.data(), inplace.data(), 65536);
        EXPECT_EQ(inplace, out);
    });
}

TEST(Convert16, RoundTripKeepsEveryRgb555Colour) {
    AtEveryLevel([&] {
        // 555 -> 565 -> 555 is the identity on the 15 colour bits.
        const std::vector<uint16_t> all = AllSixteenBitValues();
        std::vector<uint16_t> a(65536), b(65536);
        RGB555_RGB565(a.data(), all.data(), 65536);
        RGB565_RGB555(b.data(), a.data(), 65536);
        for (uint32_t s = 0; s < 65536; ++s) ASSERT_EQ(b[s], s & 0x7FFF);
    });
}

TEST(Convert16, DocumentedValues) {
    AtEveryLevel([&] {
        const uint16_t in555[] = {0x7FFF, 0x8000};
        uint16_t out[2];
        RGB555_RGB565(out, in555, 2);
        EXPECT_EQ(out[0], 0xFFDF);
        EXPECT_EQ(out[1], 0x0000);
        const uint16_t in565[] = {0xFFFF, 0x0020};
        RGB565_RGB555(out, in565, 2);
        EXPECT_EQ(out[0], 0x7FFF);
        EXPECT_EQ(out[1], 0x0000);
    });
}

// All 2^24 three-byte inputs, 65536 at a time (b0 fixed per chunk).
TEST(Convert888, EveryInputBothFormats) {
    AtEveryLevel([&] {
        std::vector<uint8_t> src(65536 * 3);
        std::vector<uint16_t> o565(65536), o555(65536);
        for (uint32_t b0 = 0; b0 < 256; ++b0) {
            for (uint32_t i = 0; i < 65536; ++i) {
                src[3 * i] = static_cast<uint8_t>(b0);
                src[3 * i + 1] = static_cast<uint8_t>(i >> 8);
                src[3 * i + 2] = static_cast<uint8_t>(i);
            }
            RGB888_RGB565(o565.data(), src.data(), 65536);
            RGB888_RGB555(o555.data(), src.data(), 65536);
            for (uint32_t i = 0; i < 65536; ++i) {
                const uint8_t b1 = static_cast<uint8_t>(i >> 8), b2 = static_cast<uint8_t>(i);
                ASSERT_EQ(o565[i], Ref888To565(static_cast<uint8_t>(b0), b1, b2)) << b0 << "," << +b1 << "," << +b2;
                ASSERT_EQ(o555[i], Ref888To555(static_cast<uint8_t>(b0), b1, b2)) << b0 << "," << +b1 << "," << +b2;
            }
        }
    });
}

TEST(Convert888, DocumentedValues) {
    AtEveryLevel([&] {
        const uint8_t a[] = {0xFF, 0x80, 0x07, 0xFF, 0xFF, 0xFF};
        uint16_t out[2];
        RGB888_RGB555(out, a, 2);
        EXPECT_EQ(out[0], 0x7E00);
        EXPECT_EQ(out[1], 0x7FFF);
        const uint8_t b[] = {0xFF, 0xFF, 0xFF, 0x08, 0x04, 0x08};
        RGB888_RGB565(out, b, 2);
        EXPECT_EQ(out[0], 0xFFFF);
        EXPECT_EQ(out[1], 0x0821);
    });
}

TEST(Convert8888, ByteSweepsAndRandomInputs) {
    AtEveryLevel([&] {
        // Each byte through all 256 values with the others held at varied values,
        // then random pixels.
        std::vector<uint8_t> src;
        const uint8_t fills[] = {0x00, 0xFF, 0xA5, 0x5A, 0x10};
        for (int pos = 0; pos < 4; ++pos)
            for (uint8_t f : fills)
                for (int v = 0; v < 256; ++v) {
                    uint8_t p[4] = {f, f, f, f};
                    p[pos] = static_cast<uint8_t>(v);
                    src.insert(src.end(), p, p + 4);
                }
        std::mt19937 rng(1234);
        for (int i = 0; i < 200000; ++i) src.push_back(static_cast<uint8_t>(rng()));
        while (src.size() % 4) src.push_back(0);
        const int32_t n = static_cast<int32_t>(src.size() / 4);
        std::vector<uint16_t> o1555(n), o4444(n);
        RGBA8888_ARGB1555(o1555.data(), src.data(), n);
        RGBA8888_ARGB4444(o4444.data(), src.data(), n);
        for (int32_t i = 0; i < n; ++i) {
            ASSERT_EQ(o1555[i], Ref8888To1555(&src[4 * i])) << i;
            ASSERT_EQ(o4444[i], Ref8888To4444(&src[4 * i])) << i;
        }
    });
}

TEST(Convert8888, DocumentedValues) {
    AtEveryLevel([&] {
        const uint8_t a[] = {0xFF, 0xFF, 0xFF, 0x01, 0x20, 0x20, 0x20, 0x00};
        uint16_t out[2];
        RGBA8888_ARGB1555(out, a, 2);
        EXPECT_EQ(out[0], 0xFFFF);
        EXPECT_EQ(out[1], 0x0000);
        const uint8_t b[] = {0x12, 0x34, 0x56, 0x78};
        RGBA8888_ARGB4444(out, b, 1);
        EXPECT_EQ(out[0], 0x2468);
    });
}

// Byte converters writing 16-bit results over their own source: output
// pixel i never lies beyond source pixel i, so the result equals a separate
// conversion.
TEST(ConvertInPlace, ByteSourcesGiveTheSameResult) {
    AtEveryLevel([&] {
        std::mt19937 rng(99);
        const int32_t n = 1001;
        struct Case {
            int bytesPerPixel;
            void (*fn)(uint16_t*, const uint8_t*, int32_t);
        } cases[] = {{3, RGB888_RGB565}, {3, RGB888_RGB555}, {4, RGBA8888_ARGB1555}, {4, RGBA8888_ARGB4444}};
        for (const Case& c : cases) {
            std::vector<uint16_t> storage((n * c.bytesPerPixel + 1) / 2);  // 16-bit aligned bytes
            auto* bytes = reinterpret_cast<uint8_t*>(storage.data());
            for (int32_t i = 0; i < n * c.bytesPerPixel; ++i) bytes[i] = static_cast<uint8_t>(rng());
            std::vector<uint8_t> copy(bytes, bytes + n * c.bytesPerPixel);
            std::vector<uint16_t> separate(n);
            c.fn(separate.data(), copy.data(), n);
            c.fn(storage.data(), bytes, n);
            EXPECT_EQ(0, std::memcmp(storage.data(), separate.data(), n * sizeof(uint16_t))) << c.bytesPerPixel;
        }
    });
}

// Exactly count pixels are read and written: the buffers are heap blocks of
// exactly that size (a sanitizer build catches any overrun), with a guard
// value after the output.
TEST(ConvertBounds, ReadAndWriteExactlyCountPixels) {
    AtEveryLevel([&] {
        for (int32_t n : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100}) {
            const size_t un = static_cast<size_t>(n);
            std::unique_ptr<uint16_t[]> s16(new uint16_t[un]);
            std::unique_ptr<uint8_t[]> s24(new uint8_t[3 * un]);
            std::unique_ptr<uint8_t[]> s32(new uint8_t[4 * un]);
            for (size_t i = 0; i < un; ++i) s16[i] = static_cast<uint16_t>(0x9999 + i);
            std::memset(s24.get(), 0xEE, 3 * un);
            std::memset(s32.get(), 0xEE, 4 * un);
            std::vector<uint16_t> out(n + 1);
            auto check = [&](const char* what) { EXPECT_EQ(out[n], 0xBEEF) << what << " n=" << n; };
            out[n] = 0xBEEF;
            RGB555_RGB565(out.data(), s16.get(), n);
            check("555-565");
            RGB565_RGB555(out.data(), s16.get(), n);
            check("565-555");
            RGB888_RGB565(out.data(), s24.get(), n);
            check("888-565");
            RGB888_RGB555(out.data(), s24.get(), n);
            check("888-555");
            RGBA8888_ARGB1555(out.data(), s32.get(), n);
            check("8888-1555");
            RGBA8888_ARGB4444(out.data(), s32.get(), n);
            check("8888-4444");
        }
    });
}

TEST(ConvertBounds, OneColourIntoZeroedLocalWritesOnlyLowHalf) {
    AtEveryLevel([&] {
        // The canvas's fill colour path: three bytes in, one 16-bit value into a
        // 32-bit local set to 0.
        std::unique_ptr<uint8_t[]> rgb(new uint8_t[3]{0xFF, 0x00, 0xFF});
        uint32_t local = 0;
        uint16_t halves[2];
        std::memcpy(halves, &local, sizeof local);
        RGB888_RGB555(&halves[0], rgb.get(), 1);
        std::memcpy(&local, halves, sizeof local);
        EXPECT_EQ(local, 0x7C1Fu);
    });
}

TEST(ConvertBounds, CountZeroOrLessOrANullBufferTouchesNothing) {
    AtEveryLevel([&] {
        // Null buffers: any access would fault. With a null buffer on either
        // side even a positive count does nothing.
        for (int32_t n : {0, -1, -5, INT32_MIN, 1, 4, INT32_MAX}) {
            RGB555_RGB565(nullptr, nullptr, n);
            RGB565_RGB555(nullptr, nullptr, n);
            RGB888_RGB565(nullptr, nullptr, n);
            RGB888_RGB555(nullptr, nullptr, n);
            RGBA8888_ARGB1555(nullptr, nullptr, n);
            RGBA8888_ARGB4444(nullptr, nullptr, n);
            uint16_t dst[4] = {1, 2, 3, 4};
            const uint8_t src[16] = {0xFF};
            if (n <= 0) {
                RGB888_RGB565(dst, src, n);
                RGBA8888_ARGB4444(dst, src, n);
                RGB555_RGB565(dst, dst, n);
            }
            RGB555_RGB565(dst, nullptr, n);
            RGB565_RGB555(dst, nullptr, n);
            RGB888_RGB565(dst, nullptr, n);
            RGB888_RGB555(dst, nullptr, n);
            RGBA8888_ARGB1555(dst, nullptr, n);
            RGBA8888_ARGB4444(dst, nullptr, n);
            RGB555_RGB565(nullptr, dst, n);
            RGB888_RGB555(nullptr, src, n);
            RGBA8888_ARGB1555(nullptr, src, n);
            EXPECT_EQ(dst[0], 1);
            EXPECT_EQ(dst[3], 4);
        }
    });
}

}  // namespace
