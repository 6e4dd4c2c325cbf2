// BMP loader: the worked 2 x 2 example, a differential check against a plain
// reference decoder for many sizes and truncations, and hostile files (with
// the result, the record and, in a sanitizer build, the absence of overreads
// and leaks checked).
#include "pixel/bmp.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>

#include "bmp_test_files.h"
#include "core/memory.h"
#include "test_hooks.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace bmptest;

// Decodes from a heap copy of exactly the file's bytes, so an overread is caught.
bool DecodeExact(const std::vector<uint8_t>& file, ImgData* rec) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size() ? file.size() : 1]);
    if (!file.empty()) std::memcpy(exact.get(), file.data(), file.size());
    return vc15::DecodeBmp(file.empty() ? nullptr : exact.get(), file.size(), rec);
}

bool LoadFile(const std::vector<uint8_t>& file, ImgData* rec) {
    TempFile t("image.bmp");
    t.Write(file);
    return imgLoadBMP(t.Name().c_str(), rec);
}

std::vector<uint8_t> Block(const ImgData& r, size_t bytes) {
    return r.pixels ? std::vector<uint8_t>(r.pixels, r.pixels + bytes) : std::vector<uint8_t>();
}

const std::vector<uint8_t> kTwoByTwoRows = {1, 2, 3, 4, 5, 6, 0xA1, 0xA2, 7, 8, 9, 10, 11, 12, 0xB1, 0xB2};
const std::vector<uint8_t> kTwoByTwoBlock = {9, 8, 7, 12, 11, 10, 0xB1, 0xB2, 3, 2, 1, 6, 5, 4, 0xA1, 0xA2};

TEST(BmpLoader, TwoByTwoExampleAndIgnoredHeaderFields) {
    // The second file has bit count 8, no signature, a palette's data offset,
    // compression and a colour count: the bytes at 54 are still 24-bit pixels.
    std::vector<uint8_t> odd = MakeFile(2, 2, kTwoByTwoRows, 8);
    odd[0] = 'X';
    Put32(odd, 10, 1078);
    Put32(odd, 30, 1);
    Put32(odd, 46, 256);
    for (const auto& file : {MakeFile(2, 2, kTwoByTwoRows), odd}) {
        ImgData rec = Sentinel();
        ASSERT_TRUE(LoadFile(file, &rec));
        EXPECT_EQ(rec.width, 2);
        EXPECT_EQ(rec.height, 2);
        EXPECT_EQ(rec.format, FORMAT_RGB888);
        EXPECT_EQ(rec.reserved1 | rec.reserved2, 0u);
        EXPECT_EQ(Block(rec, 16), kTwoByTwoBlock);
        // Block bytes are R,G,B: the 3-byte converters take them as they are.
        uint16_t px[2];
        RGB888_RGB555(px, rec.pixels, 2);
        EXPECT_EQ(px[0], 0x0420);  // R 9, G 8, B 7
        EXPECT_EQ(px[1], 0x0421);  // R 12, G 11, B 10
        imgFreeBMP(&rec);
        EXPECT_EQ(rec.pixels, nullptr);
        EXPECT_EQ(rec.width, 2);  // only the pointer changes
    }
    imgFreeBMP(nullptr);
}

// Random images of every width class, complete and cut at every length
// (missing bytes must read as 0), decoded through the buffer decoder; each
// complete one also through a file.
TEST(BmpLoader, MatchesReferenceForSizesAndTruncations) {
    std::mt19937 rng(5);
    for (int32_t w = 1; w <= 13; ++w) {
        for (int32_t h = 1; h <= 5; ++h) {
            std::vector<uint8_t> rows(static_cast<size_t>(Stride(w) * h) + (rng() % 3) * 5);  // maybe trailing bytes
            for (auto& b : rows) b = static_cast<uint8_t>(rng());
            const std::vector<uint8_t> full = MakeFile(w, h, rows);
            const size_t bytes = static_cast<size_t>(Stride(w) * h);
            for (size_t len = 0; len <= full.size(); ++len) {
                const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
                ImgData rec = Sentinel();
                ASSERT_TRUE(DecodeExact(cut, &rec)) << w << "x" << h << " len " << len;
                // The sizes are below 256, so only their first byte matters;
                // a field cut short reads its missing bytes as 0.
                const int32_t ew = len >= 19 ? w : 0;
                const int32_t eh = len >= 23 ? h : 0;
                EXPECT_EQ(rec.width, ew);
                EXPECT_EQ(rec.height, eh);
                EXPECT_EQ(rec.format, FORMAT_RGB888);
                EXPECT_EQ(rec.reserved1 | rec.reserved2, 0u);
                if (ew > 0 && eh > 0) {
                    EXPECT_EQ(Block(rec, bytes), ReferenceBlock(cut, w, h)) << w << "x" << h << " len " << len;
                } else {
                    EXPECT_EQ(rec.pixels, nullptr);
                }
                imgFreeBMP(&rec);
            }
            ImgData rec = Sentinel();
            ASSERT_TRUE(LoadFile(full, &rec));
            EXPECT_EQ(Block(rec, bytes), ReferenceBlock(full, w, h));
            imgFreeBMP(&rec);
        }
    }
}

// Sizes that give no block, and negative widths, which are refused; the
// pixel data present or not makes no difference.
TEST(BmpHostile, SizesWithoutABlockAndNegativeWidths) {
    const int32_t widths[] = {0, 1, 5, -1, -2, -3, -4, -5, -1000, INT32_MAX, INT32_MIN};
    const int32_t heights[] = {0, -1, -2, -1000, INT32_MIN, 1, 3, INT32_MAX};
    for (int32_t h : heights) {
        for (int32_t w : widths) {
            const bool refused = w < 0 && h > 0;
            if (h > 0 && w > 0) continue;  // images with a block: elsewhere
            ImgData rec = Sentinel();
            EXPECT_EQ(LoadFile(MakeFile(w, h, std::vector<uint8_t>(64, 0x11)), &rec), !refused) << w << "x" << h;
            if (refused) {
                EXPECT_TRUE(SameRecord(rec, Sentinel())) << w << "x" << h;
                continue;
            }
            EXPECT_EQ(rec.pixels, nullptr);
            EXPECT_EQ(rec.width, w);
            EXPECT_EQ(rec.height, h);
            EXPECT_EQ(rec.format, FORMAT_RGB888);
            EXPECT_EQ(rec.reserved1 | rec.reserved2, 0u);
        }
    }
    ImgData rec = Sentinel();
    ASSERT_TRUE(LoadFile({}, &rec));  // an empty file is an empty image
    EXPECT_EQ(rec.pixels, nullptr);
    EXPECT_EQ(rec.width | rec.height, 0);
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
        EXPECT_EQ(vc15::testing::FailAllocationsAfter(-1), 0) << "allocation made for " << d.w << "x" << d.h;
    }
}

// The largest block, and a huge row from a tiny file: the missing bytes are
// zero and cost only the block.
TEST(BmpHostile, LargestBlocksFromTinyFiles) {
    ImgData rec = Sentinel();
    ASSERT_TRUE(DecodeExact(MakeFile(1, 1 << 26, {1, 2, 3, 4, 5, 6, 7, 8}), &rec));  // exactly 256 MiB
    ASSERT_NE(rec.pixels, nullptr);
    const size_t last = (size_t{1} << 28) - 8;
    const std::vector<uint8_t> tail = {0, 7, 6, 5, 8, 3, 2, 1, 4};  // file rows 1 and 0 are the last two
    EXPECT_EQ(std::vector<uint8_t>(rec.pixels + last - 1, rec.pixels + last + 8), tail);
    EXPECT_EQ(rec.pixels[0], 0);
    imgFreeBMP(&rec);
    rec = Sentinel();
    ASSERT_TRUE(DecodeExact(MakeFile(80000000, 1, {1, 2, 3}), &rec));  // one row of 240 MB
    EXPECT_EQ(std::vector<uint8_t>(rec.pixels, rec.pixels + 4), (std::vector<uint8_t>{3, 2, 1, 0}));
    EXPECT_EQ(rec.pixels[239999999], 0);
    imgFreeBMP(&rec);
}

// The loader makes exactly two allocations (the file buffer, then the pixel
// block); failing either gives false, the record untouched and nothing leaked
// (checked by the leak checker of a sanitizer build). A null record is
// refused before anything is allocated.
TEST(BmpHostile, AllocationFailuresAndNullRecordsAreCleanRefusals) {
    TempFile t("alloc.bmp");
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
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_FALSE(imgLoadBMP(t.Name().c_str(), nullptr));
    EXPECT_EQ(vc15::testing::FailAllocationsAfter(-1), 0);
}

TEST(BmpHostile, ThingsThatAreNotFilesAreRefused) {
    TempFile t("x.bmp");
    t.Write(MakeFile(1, 1, {1, 2, 3, 4}));
    std::vector<std::string> names = {
        "", (t.Dir() / "absent.bmp").string(), t.Dir().string(),
        (t.Path() / "inner.bmp").string(),  // a file used as a directory
    };
#if defined(__EMSCRIPTEN__)
    // The in-memory file system has no named pipes: reported below.
#elif !defined(_WIN32)
    // A pipe with no writer must block neither the open nor the read.
    names.push_back((t.Dir() / "pipe.bmp").string());
    ASSERT_EQ(::mkfifo(names.back().c_str(), 0600), 0);
    names.push_back("/dev/zero");  // a device that never ends
#endif
    ImgData rec = Sentinel();
    EXPECT_FALSE(imgLoadBMP(nullptr, &rec));
    for (const std::string& name : names) EXPECT_FALSE(imgLoadBMP(name.c_str(), &rec)) << name;
    EXPECT_TRUE(SameRecord(rec, Sentinel()));
#if defined(__EMSCRIPTEN__)
    GTEST_SKIP() << "the pipe case: the in-memory file system has no named pipes";
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

// Sparse files: the size is real, the disk use is not. Above 1 GiB a file is
// refused; at 4 GiB + 70 bytes (the 2 x 2 example first) Windows reports the
// low 32 bits of the size, so the loader reads those 70 bytes.
TEST(BmpHostile, FilesAboveOneGibibyte) {
    for (uint64_t size : {(uint64_t{1} << 30) + 1, (uint64_t{1} << 32) + 70}) {
        TempFile t("big.bmp");
        t.Write(MakeFile(2, 2, kTwoByTwoRows));
        std::error_code ec;
        std::filesystem::resize_file(t.Path(), size, ec);
        if (ec) GTEST_SKIP() << "cannot make a large sparse file here: " << ec.message();
        if (const auto kept = std::filesystem::file_size(t.Path(), ec); kept != size)
            GTEST_SKIP() << "this file system keeps " << kept << " of " << size << " bytes (sizes cut to 32 bits)";
        ImgData rec = Sentinel();
        bool wrapsToTheExample = false;
#if defined(_WIN32)
        wrapsToTheExample = size > (uint64_t{1} << 32);
#endif
        ASSERT_EQ(imgLoadBMP(t.Name().c_str(), &rec), wrapsToTheExample) << size;
        if (wrapsToTheExample) {
            EXPECT_EQ(Block(rec, 16), kTwoByTwoBlock);
            imgFreeBMP(&rec);
        } else {
            EXPECT_TRUE(SameRecord(rec, Sentinel()));
        }
    }
}

}  // namespace
