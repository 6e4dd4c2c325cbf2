// BMP loader on hostile files: every kind of file the loader's table lists,
// with the result, the record and (in a sanitizer build) the absence of
// overreads and leaks checked.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "bmp_test_files.h"
#include "core/memory.h"
#include "pixel/bmp.h"
#include "test_hooks.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace bmptest;

// Decodes from a heap copy of exactly the file's bytes.
bool DecodeExact(const std::vector<uint8_t>& file, ImgData* rec) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size() ? file.size() : 1]);
    if (!file.empty()) std::memcpy(exact.get(), file.data(), file.size());
    return vc15::DecodeBmp(file.empty() ? nullptr : exact.get(), file.size(), rec);
}

bool LoadFile(const std::vector<uint8_t>& file, ImgData* rec) {
    TempFile t("hostile.bmp");
    t.Write(file);
    return imgLoadBMP(t.Name().c_str(), rec);
}

void ExpectSetWithoutBlock(const ImgData& rec, int32_t w, int32_t h) {
    EXPECT_EQ(rec.pixels, nullptr);
    EXPECT_EQ(rec.width, w);
    EXPECT_EQ(rec.height, h);
    EXPECT_EQ(rec.format, FORMAT_RGB888);
    EXPECT_EQ(rec.reserved1, 0u);
    EXPECT_EQ(rec.reserved2, 0u);
}

TEST(BmpHostile, EmptyFileIsAnEmptyImage) {
    ImgData rec = Sentinel();
    ASSERT_TRUE(LoadFile({}, &rec));
    ExpectSetWithoutBlock(rec, 0, 0);
    rec = Sentinel();
    ASSERT_TRUE(DecodeExact({}, &rec));
    ExpectSetWithoutBlock(rec, 0, 0);
}

TEST(BmpHostile, FileShorterThanTheHeaderReadsMissingBytesAsZero) {
    std::vector<uint8_t> f = MakeFile(0x01020304, 7, {});
    f.resize(20);  // two bytes of the width, no height
    ImgData rec = Sentinel();
    ASSERT_TRUE(LoadFile(f, &rec));
    ExpectSetWithoutBlock(rec, 0x0304, 0);
}

TEST(BmpHostile, HeightZeroOrNegativeGivesNoBlockForAnyWidth) {
    for (int32_t h : {0, -1, -2, -1000, INT32_MIN}) {
        for (int32_t w : {0, 1, 5, -3, INT32_MAX, INT32_MIN}) {
            // Data present or not makes no difference.
            ImgData rec = Sentinel();
            ASSERT_TRUE(LoadFile(MakeFile(w, h, std::vector<uint8_t>(64, 0x11)), &rec)) << w << "x" << h;
            ExpectSetWithoutBlock(rec, w, h);
        }
    }
}

TEST(BmpHostile, WidthZeroGivesEmptyRowsAndNoBlock) {
    for (int32_t h : {1, 3, INT32_MAX}) {
        ImgData rec = Sentinel();
        ASSERT_TRUE(LoadFile(MakeFile(0, h, {1, 2, 3, 4}), &rec)) << h;
        ExpectSetWithoutBlock(rec, 0, h);
    }
}

TEST(BmpHostile, NegativeWidthIsRefusedAndRecordUntouched) {
    for (int32_t w : {-1, -2, -3, -4, -5, -1000, INT32_MIN}) {
        ImgData rec = Sentinel();
        EXPECT_FALSE(LoadFile(MakeFile(w, 2, std::vector<uint8_t>(32, 0x22)), &rec)) << w;
        EXPECT_TRUE(SameRecord(rec, Sentinel())) << w;
    }
}

// Sizes whose block is above the limit are refused before allocating,
// including ones whose product wraps to a small value in 32 or 64 bits.
TEST(BmpHostile, OversizedImagesAreRefusedBeforeAllocating) {
    struct Dim {
        int32_t w, h;
    } dims[] = {
        {INT32_MAX, INT32_MAX},  // every field at its largest
        {INT32_MAX, 1},          // one row longer than the limit
        {65536, 21846},          // 196608 * 21846 = 2^32 + 12288: wraps to 12288 in 32 bits
        {1 << 20, 1 << 20},      // 3 TiB
        {0x55555556, 3},         // 3 * width wraps in 32 bits
        {1, (1 << 26) + 1},      // 4 bytes per row: one row past 256 MiB
        {22369622, 4},           // stride 67108868: 4 rows just past 256 MiB
    };
    for (const Dim& d : dims) {
        vc15::testing::FailAllocationsAfter(-1);  // starts the count
        ImgData rec = Sentinel();
        EXPECT_FALSE(DecodeExact(MakeFile(d.w, d.h, std::vector<uint8_t>(16, 0x33)), &rec)) << d.w << "x" << d.h;
        EXPECT_TRUE(SameRecord(rec, Sentinel()));
        // Refused before the allocator was asked.
        EXPECT_EQ(vc15::testing::FailAllocationsAfter(-1), 0) << "allocation made for " << d.w << "x" << d.h;
        ImgData through = Sentinel();
        EXPECT_FALSE(LoadFile(MakeFile(d.w, d.h, {}), &through));
        EXPECT_TRUE(SameRecord(through, Sentinel()));
    }
}

TEST(BmpHostile, BlockOfExactlyTheLimitIsAccepted) {
    // Width 1, 2^26 rows of 4 bytes: 256 MiB, almost all of it missing from
    // the file and therefore zero.
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 7, 8};
    ImgData rec = Sentinel();
    ASSERT_TRUE(DecodeExact(MakeFile(1, 1 << 26, rows), &rec));
    ASSERT_NE(rec.pixels, nullptr);
    const size_t last = (size_t{1} << 28) - 8;
    const uint8_t want[8] = {7, 6, 5, 8, 3, 2, 1, 4};  // file rows 1 and 0 are the block's last two
    EXPECT_EQ(std::memcmp(rec.pixels + last, want, 8), 0);
    EXPECT_EQ(rec.pixels[0], 0);
    EXPECT_EQ(rec.pixels[last - 1], 0);
    imgFreeBMP(&rec);
}

TEST(BmpHostile, ShortPixelDataReadsAsZeroRows) {
    // 3 x 4 image (stride 12), only one and a half file rows present: the
    // image's bottom row is complete, the next is half there, the top two are 0.
    std::vector<uint8_t> rows(18);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i + 1);
    const std::vector<uint8_t> file = MakeFile(3, 4, rows);
    ImgData rec = Sentinel();
    ASSERT_TRUE(LoadFile(file, &rec));
    ASSERT_NE(rec.pixels, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(rec.pixels, rec.pixels + 48), ReferenceBlock(file, 3, 4));
    const uint8_t row2[12] = {15, 14, 13, 18, 17, 16, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(rec.pixels + 24, row2, 12), 0);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(rec.pixels[i], 0) << i;
    imgFreeBMP(&rec);
}

TEST(BmpHostile, HugeRowFromTinyFileCostsOnlyTheFile) {
    // One row of 80 million pixels (240 MB), 3 bytes of it in the file.
    ImgData rec = Sentinel();
    ASSERT_TRUE(DecodeExact(MakeFile(80000000, 1, {1, 2, 3}), &rec));
    ASSERT_NE(rec.pixels, nullptr);
    EXPECT_EQ(rec.pixels[0], 3);
    EXPECT_EQ(rec.pixels[1], 2);
    EXPECT_EQ(rec.pixels[2], 1);
    EXPECT_EQ(rec.pixels[3], 0);
    EXPECT_EQ(rec.pixels[239999999], 0);
    imgFreeBMP(&rec);
}

// The loader makes exactly two allocations (the file buffer, then the pixel
// block); failing either gives false, the record untouched and nothing leaked
// (checked by the leak checker of a sanitizer build).
TEST(BmpHostile, LibraryAllocationFailuresAreCleanRefusals) {
    TempFile t("alloc2.bmp");
    t.Write(MakeFile(3, 2, std::vector<uint8_t>(24, 0x66)));
    for (long allowed : {0L, 1L}) {
        vc15::testing::FailAllocationsAfter(allowed);
        ImgData rec = Sentinel();
        const bool ok = imgLoadBMP(t.Name().c_str(), &rec);
        vc15::testing::FailAllocationsAfter(-1);
        EXPECT_FALSE(ok) << allowed;
        EXPECT_TRUE(SameRecord(rec, Sentinel())) << allowed;
    }
    vc15::testing::FailAllocationsAfter(2);
    ImgData rec = Sentinel();
    const bool ok = imgLoadBMP(t.Name().c_str(), &rec);
    EXPECT_EQ(vc15::testing::FailAllocationsAfter(-1), 2);
    ASSERT_TRUE(ok);
    imgFreeBMP(&rec);
    // The decoder alone: its only allocation is the block.
    vc15::testing::FailAllocationsAfter(0);
    ImgData alone = Sentinel();
    EXPECT_FALSE(DecodeExact(MakeFile(2, 2, std::vector<uint8_t>(16, 0x44)), &alone));
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_TRUE(SameRecord(alone, Sentinel()));
}

TEST(BmpHostile, ThingsThatAreNotFilesAreRefused) {
    TempFile t("x.bmp");
    t.Write(MakeFile(1, 1, {1, 2, 3, 4}));
    ImgData rec = Sentinel();
    EXPECT_FALSE(imgLoadBMP(t.Dir().string().c_str(), &rec));  // a directory
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
    const std::string throughFile = (t.Path() / "inner.bmp").string();  // a file used as a directory
    EXPECT_FALSE(imgLoadBMP(throughFile.c_str(), &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
#if !defined(_WIN32)
    // A pipe with no writer must neither block the open nor the read.
    const std::string fifo = (t.Dir() / "pipe.bmp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(imgLoadBMP(fifo.c_str(), &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
    EXPECT_FALSE(imgLoadBMP("/dev/zero", &rec));  // a device that never ends
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
#endif
}

#if !defined(_WIN32)
TEST(BmpHostile, UnreadableFileIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
    TempFile t("locked.bmp");
    t.Write(MakeFile(1, 1, {1, 2, 3, 4}));
    ASSERT_EQ(::chmod(t.Name().c_str(), 0), 0);
    ImgData rec = Sentinel();
    EXPECT_FALSE(imgLoadBMP(t.Name().c_str(), &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
}
#endif

// Sparse files: the size is real, the disk use is not.
TEST(BmpHostile, FileAboveOneGibibyteIsRefused) {
    TempFile t("big.bmp");
    t.Write(MakeFile(2, 2, std::vector<uint8_t>(16, 0x55)));
    std::error_code ec;
    std::filesystem::resize_file(t.Path(), (uint64_t{1} << 30) + 1, ec);
    if (ec) GTEST_SKIP() << "cannot make a large sparse file here: " << ec.message();
    ImgData rec = Sentinel();
    EXPECT_FALSE(imgLoadBMP(t.Name().c_str(), &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
}

TEST(BmpHostile, FileOfFourGibibytesAndMore) {
    // 4 GiB + 70 bytes whose first 70 bytes are the 2 x 2 example. Windows
    // reports the low 32 bits of the size (70), so the loader reads those 70
    // bytes; elsewhere the real size is above the limit and the load refused.
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0xA1, 0xA2, 7, 8, 9, 10, 11, 12, 0xB1, 0xB2};
    TempFile t("huge.bmp");
    t.Write(MakeFile(2, 2, rows));
    std::error_code ec;
    std::filesystem::resize_file(t.Path(), (uint64_t{1} << 32) + 70, ec);
    if (ec) GTEST_SKIP() << "cannot make a large sparse file here: " << ec.message();
    ImgData rec = Sentinel();
#if defined(_WIN32)
    ASSERT_TRUE(imgLoadBMP(t.Name().c_str(), &rec));
    ASSERT_NE(rec.pixels, nullptr);
    const uint8_t want[16] = {9, 8, 7, 12, 11, 10, 0xB1, 0xB2, 3, 2, 1, 6, 5, 4, 0xA1, 0xA2};
    EXPECT_EQ(std::memcmp(rec.pixels, want, 16), 0);
    imgFreeBMP(&rec);
#else
    EXPECT_FALSE(imgLoadBMP(t.Name().c_str(), &rec));
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
#endif
}

}  // namespace
