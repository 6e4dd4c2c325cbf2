// BMP loader on well-formed files: the worked 2 x 2 example, row padding for
// every width class, header fields that are not read, and a differential
// check against a plain reference decoder for many sizes and truncations.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "bmp_test_files.h"
#include "core/memory.h"
#include "pixel/bmp.h"
#include "test_hooks.h"

namespace {

using namespace bmptest;

struct Loaded {
    ImgData rec = Sentinel();
    bool ok = false;
    ~Loaded() {
        if (ok) imgFreeBMP(&rec);
    }
};

void Load(const std::vector<uint8_t>& file, Loaded& out) {
    TempFile t("image.bmp");
    t.Write(file);
    out.ok = imgLoadBMP(t.Name().c_str(), &out.rec);
}

std::vector<uint8_t> Block(const ImgData& r, size_t bytes) {
    return r.pixels ? std::vector<uint8_t>(r.pixels, r.pixels + bytes) : std::vector<uint8_t>();
}

TEST(BmpLoader, TwoByTwoExample) {
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0xA1, 0xA2, 7, 8, 9, 10, 11, 12, 0xB1, 0xB2};
    Loaded l;
    Load(MakeFile(2, 2, rows), l);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.rec.width, 2);
    EXPECT_EQ(l.rec.height, 2);
    EXPECT_EQ(l.rec.format, FORMAT_RGB888);
    EXPECT_EQ(l.rec.reserved1, 0u);
    EXPECT_EQ(l.rec.reserved2, 0u);
    ASSERT_NE(l.rec.pixels, nullptr);
    const std::vector<uint8_t> want = {9, 8, 7, 12, 11, 10, 0xB1, 0xB2, 3, 2, 1, 6, 5, 4, 0xA1, 0xA2};
    EXPECT_EQ(Block(l.rec, 16), want);
}

TEST(BmpLoader, WidthOneRowsAreFourBytesWithPaddingKept) {
    // Three rows of one pixel and one padding byte, bottom row first.
    const std::vector<uint8_t> rows = {10, 11, 12, 0xE0, 20, 21, 22, 0xE1, 30, 31, 32, 0xE2};
    Loaded l;
    Load(MakeFile(1, 3, rows), l);
    ASSERT_TRUE(l.ok);
    const std::vector<uint8_t> want = {32, 31, 30, 0xE2, 22, 21, 20, 0xE1, 12, 11, 10, 0xE0};
    EXPECT_EQ(Block(l.rec, 12), want);
}

TEST(BmpLoader, WidthMultipleOfFourHasNoPadding) {
    for (int32_t w : {4, 8, 12}) {
        std::vector<uint8_t> rows(static_cast<size_t>(3 * w * 2));
        for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 7 + 1);
        const std::vector<uint8_t> file = MakeFile(w, 2, rows);
        Loaded l;
        Load(file, l);
        ASSERT_TRUE(l.ok) << w;
        EXPECT_EQ(Block(l.rec, rows.size()), ReferenceBlock(file, w, 2)) << w;
        // The image's top row is the file's second row, reversed per pixel.
        EXPECT_EQ(l.rec.pixels[0], rows[3 * w + 2]) << w;
        EXPECT_EQ(l.rec.pixels[3 * w - 1], rows[3 * w + 3 * (w - 1)]) << w;
    }
}

TEST(BmpLoader, HeaderFieldsOtherThanSizesAreIgnored) {
    // Bit count 8, no signature, a colour-table offset, compression set: the
    // bytes at 54 are still read as 24-bit pixels.
    std::vector<uint8_t> rows(static_cast<size_t>(Stride(3) * 2));
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(200 - i);
    std::vector<uint8_t> file = MakeFile(3, 2, rows, 8);
    file[0] = 'X';
    file[1] = 'Y';
    Put32(file, 10, 1078);  // data offset of an 8-bit file with a palette
    Put32(file, 30, 1);     // compression
    Put32(file, 46, 256);   // colours used
    Loaded l8;
    Load(file, l8);
    Loaded l24;
    Load(MakeFile(3, 2, rows), l24);
    ASSERT_TRUE(l8.ok);
    ASSERT_TRUE(l24.ok);
    EXPECT_EQ(l8.rec.width, 3);
    EXPECT_EQ(l8.rec.height, 2);
    EXPECT_EQ(Block(l8.rec, rows.size()), Block(l24.rec, rows.size()));
    EXPECT_EQ(Block(l8.rec, rows.size()), ReferenceBlock(file, 3, 2));
}

TEST(BmpLoader, MissingFileLeavesRecordUntouched) {
    TempFile t("absent.bmp");
    ImgData rec = Sentinel();
    EXPECT_FALSE(imgLoadBMP(t.Name().c_str(), &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
    EXPECT_FALSE(imgLoadBMP("", &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
    EXPECT_FALSE(imgLoadBMP(nullptr, &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
}

TEST(BmpLoader, NullRecordIsRefusedBeforeTheFileIsRead) {
    TempFile t("null-record.bmp");
    t.Write(MakeFile(2, 2, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_FALSE(imgLoadBMP(t.Name().c_str(), nullptr));
    EXPECT_EQ(vc15::testing::FailAllocationsAfter(-1), 0);  // nothing allocated
}

TEST(BmpLoader, LoadedRowsConvertToCanvasPixels) {
    // Block bytes are R,G,B: the 3-byte converters take them as they are.
    const std::vector<uint8_t> rows = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 0};  // file B,G,R: red, blue
    Loaded l;
    Load(MakeFile(2, 1, rows), l);
    ASSERT_TRUE(l.ok);
    uint16_t px[2];
    RGB888_RGB555(px, l.rec.pixels, 2);
    EXPECT_EQ(px[0], 0x7C00);
    EXPECT_EQ(px[1], 0x001F);
}

// Random images of every width class, complete and cut at every length
// (missing bytes must read as 0), decoded through the buffer decoder; a
// sample of them also through a file.
TEST(BmpLoader, MatchesReferenceForSizesAndTruncations) {
    std::mt19937 rng(5);
    for (int32_t w = 1; w <= 13; ++w) {
        for (int32_t h = 1; h <= 5; ++h) {
            std::vector<uint8_t> rows(static_cast<size_t>(Stride(w) * h) + (rng() % 3) * 5);  // maybe trailing bytes
            for (auto& b : rows) b = static_cast<uint8_t>(rng());
            const std::vector<uint8_t> full = MakeFile(w, h, rows);
            for (size_t len = 0; len <= full.size(); ++len) {
                const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
                // A heap copy of exactly len bytes, so an overread is caught.
                std::unique_ptr<uint8_t[]> exact(new uint8_t[len ? len : 1]);
                if (len) std::memcpy(exact.get(), cut.data(), len);
                ImgData rec = Sentinel();
                ASSERT_TRUE(vc15::DecodeBmp(exact.get(), len, &rec)) << w << "x" << h << " len " << len;
                // The sizes are below 256, so only their first byte matters;
                // a field cut short reads its missing bytes as 0.
                const int32_t ew = len >= 19 ? w : 0;
                const int32_t eh = len >= 23 ? h : 0;
                EXPECT_EQ(rec.width, ew);
                EXPECT_EQ(rec.height, eh);
                EXPECT_EQ(rec.format, FORMAT_RGB888);
                EXPECT_EQ(rec.reserved1 | rec.reserved2, 0u);
                if (ew > 0 && eh > 0) {
                    ASSERT_NE(rec.pixels, nullptr);
                    EXPECT_EQ(Block(rec, static_cast<size_t>(Stride(w) * h)), ReferenceBlock(cut, w, h))
                        << w << "x" << h << " len " << len;
                } else {
                    EXPECT_EQ(rec.pixels, nullptr);
                }
                imgFreeBMP(&rec);
                EXPECT_EQ(rec.pixels, nullptr);
            }
            Loaded l;
            Load(full, l);
            ASSERT_TRUE(l.ok);
            EXPECT_EQ(Block(l.rec, static_cast<size_t>(Stride(w) * h)), ReferenceBlock(full, w, h));
        }
    }
}

TEST(BmpLoader, FreeAcceptsNullAndClearsThePointer) {
    imgFreeBMP(nullptr);
    ImgData rec{};
    imgFreeBMP(&rec);
    EXPECT_EQ(rec.pixels, nullptr);
    Loaded l;
    Load(MakeFile(1, 1, {1, 2, 3, 4}), l);
    ASSERT_TRUE(l.ok);
    imgFreeBMP(&l.rec);
    EXPECT_EQ(l.rec.pixels, nullptr);
    EXPECT_EQ(l.rec.width, 1);  // only the pointer changes
}

}  // namespace
