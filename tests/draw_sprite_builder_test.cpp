// The header's sprite building helpers: colour-keyed pixels to span records,
// and the matching depth image.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "reference_model.h"

namespace {

constexpr uint16_t K = 0x7c1f;  // colour key

TEST(SpriteBuilder, OneRecordPerRunRowByRow) {
    // 5 x 3 pixels in a buffer 7 pixels wide; the two extra columns are not
    // part of the sprite.
    const uint16_t px[] = {
        K, 1, 2, K, 3, 9, 9,  //
        K, K, K, K, K, 9, 9,  //
        4, 5, K, 6, 7, 9, 9,
    };
    CSpanImage img;
    ASSERT_EQ(spnBuildFromPixels(&img, px, 5, 3, 7, K), 0);
    EXPECT_EQ(img.kind, IMAGE_SPANLIST);
    EXPECT_EQ(img.width, 5);
    EXPECT_EQ(img.height, 3);
    const auto spans = ref::ParseColor(img);
    ASSERT_EQ(spans.size(), 4u);
    EXPECT_EQ(img.spanCount, 4u);
    const struct {
        uint32_t x, y;
        std::vector<uint16_t> px;
    } want[] = {{1, 0, {1, 2}}, {4, 0, {3}}, {0, 2, {4, 5}}, {3, 2, {6, 7}}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(spans[i].x, want[i].x) << i;
        EXPECT_EQ(spans[i].y, want[i].y) << i;
        EXPECT_EQ(spans[i].pixels, want[i].px) << i;
    }
}

TEST(SpriteBuilder, DepthImageMatchesTheColourRecords) {
    const uint16_t px[] = {K, 1, 2, 3, K, 4};
    const uint8_t depth[] = {90, 10, 11, 12, 91, 13};  // 2 rows of 3
    CSpanImage color, d;
    ASSERT_EQ(spnBuildFromPixels(&color, px, 3, 2, 3, K), 0);
    ASSERT_EQ(spnBuildDepthFromPixels(&d, &color, depth, 3), 0);
    const auto c = ref::ParseColor(color);
    const auto z = ref::ParseDepth(d);
    ASSERT_EQ(c.size(), z.size());
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 2);
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i].x, z[i].x);
        EXPECT_EQ(c[i].y, z[i].y);
        EXPECT_EQ(c[i].count, z[i].count);
    }
    EXPECT_EQ(z[0].samples, (std::vector<uint8_t>{10, 11}));
    EXPECT_EQ(z[1].samples, (std::vector<uint8_t>{12}));  // row 1 starts at byte 3
    EXPECT_EQ(z[2].samples, (std::vector<uint8_t>{13}));
}

TEST(SpriteBuilder, EmptyAndRefusedInputs) {
    const uint16_t keys[] = {K, K, K, K};
    CSpanImage img;
    ASSERT_EQ(spnBuildFromPixels(&img, keys, 2, 2, 2, K), 0);
    EXPECT_EQ(img.spanCount, 0u);
    EXPECT_EQ(img.width, 2);
    EXPECT_EQ(spnBuildFromPixels(&img, nullptr, 0, 0, 0, K), 0);
    EXPECT_EQ(spnBuildFromPixels(nullptr, keys, 2, 2, 2, K), -1);
    EXPECT_EQ(spnBuildFromPixels(&img, nullptr, 2, 2, 2, K), -1);
    EXPECT_EQ(spnBuildFromPixels(&img, keys, 2, 2, 1, K), -1);  // pitch below width
    EXPECT_EQ(spnBuildFromPixels(&img, keys, -1, 2, 2, K), -1);
    EXPECT_EQ(spnBuildFromPixels(&img, keys, 70000, 1, 70000, K), -1);  // x is 16-bit
    EXPECT_EQ(spnBuildDepthFromPixels(&img, &img, nullptr, 0), -1);
    CSpanImage noSpans, out;  // records announced without span data
    noSpans.width = 2;
    noSpans.height = 1;
    noSpans.spanCount = 1;
    const uint8_t samples[2] = {1, 2};
    EXPECT_EQ(spnBuildDepthFromPixels(&out, &noSpans, samples, 2), -1);
    // A refused call leaves the image as it was.
    const uint16_t one[] = {5};
    ASSERT_EQ(spnBuildFromPixels(&img, one, 1, 1, 1, K), 0);
    EXPECT_EQ(spnBuildFromPixels(&img, one, 1, 1, 0, K), -1);
    EXPECT_EQ(img.spanCount, 1u);
    // Rebuilding replaces the old spans (the sanitizer build checks the release).
    ASSERT_EQ(spnBuildFromPixels(&img, one, 1, 1, 1, 0x0005), 0);
    EXPECT_EQ(img.spanCount, 0u);
}

}  // namespace
