// Image records, span nodes and the intrusive list shared with hosts, the
// sprite checks for span data from files, and the sprite building helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "canvas/canvas.h"
#include "core/node_list.h"
#include "draw_test_support.h"

namespace {

// Counts destructions to show what a node's destructor does and does not do.
int g_destroyed = 0;
class CountingNode : public CListNode {
public:
    VC15_VIRTUAL_DESTRUCTOR(CountingNode) { ++g_destroyed; }
};

// Appending links the node at the tail (a header with a count but no links is
// empty for the links; stale links are overwritten; null is skipped);
// destroying a node leaves its neighbours and the header to the host.
TEST(NodeList, AppendLinksAndDestroyLeavesTheLinks) {
    CNodeList list{5, nullptr, nullptr};
    CountingNode a, c;
    auto* b = new CountingNode;
    a.prev = a.next = &a;  // stale links are overwritten
    c.prev = c.next = &c;
    for (CListNode* n : {static_cast<CListNode*>(&a), static_cast<CListNode*>(b), static_cast<CListNode*>(nullptr),
                         static_cast<CListNode*>(&c)})
        vc15::AppendNode(&list, n);
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_EQ(list.head, &a);
    EXPECT_EQ(list.tail, &c);
    EXPECT_TRUE(a.prev == nullptr && a.next == b && b->prev == &a && b->next == &c && c.prev == b && !c.next);
    EXPECT_TRUE(a.owner == &list && b->owner == &list && c.owner == &list);
    g_destroyed = 0;
    vcDeleteNode(b);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_TRUE(a.next == b && c.prev == b && list.head == &a && list.tail == &c);
}

TEST(SpanNode, OwnsItsPixelsUnlessCleared) {
    auto* owning = new CSpanNode;
    EXPECT_EQ(owning->pixels, nullptr);
    EXPECT_EQ(owning->prev, nullptr);
    owning->pixels = static_cast<uint16_t*>(std::malloc(64));
    vcDeleteNode(owning);  // frees pixels too (ASan: no leak)
    std::vector<uint16_t> borrowed(8, 0x1234);
    auto* borrowing = new CSpanNode;
    borrowing->pixels = borrowed.data();
    borrowing->pixels = nullptr;  // cleared before destruction: frees only the node
    vcDeleteNode(borrowing);
}

// ---- Records laid out by a host in C -----------------------------------------
// A C host (or one built by another compiler) declares the published layout
// itself, with a table pointer of its own that carries no C++ type. Drawing
// such records must read only their fields: in the sanitizer build a read
// through CImage's dynamic type is reported and fails the run.

struct CHostSpanImage {
    const void* const* table;
    uint32_t kind;
    int32_t width, height;
    uint32_t attr;
    uint32_t spanCount, reserved;
    const uint8_t* spans;
};
struct CHostRawImage {
    const void* const* table;
    uint32_t kind;
    int32_t width, height;
    uint32_t attr;
    const uint16_t* pixels;
};
static_assert(sizeof(CHostSpanImage) == sizeof(CSpanImage), "C host span record");
static_assert(sizeof(CHostRawImage) == sizeof(CRawImage), "C host raw record");

// The host's own table: no type information before it, one slot after.
const void* const kHostTable[3] = {nullptr, nullptr, nullptr};

CHostSpanImage AsCHost(const CSpanImage& img) {
    return CHostSpanImage{kHostTable + 2, img.kind,      img.width,    img.height,
                          img.attr,       img.spanCount, img.reserved, img.spans};
}

// Draws the same scene with the C++ records and with the C host's copies of
// them on two canvases: every pixel and depth byte must agree.
TEST(HostRecords, RecordsOfACHostDrawAsTheirCppTwins) {
    std::vector<uint16_t> art(24 * 20);
    for (size_t i = 0; i < art.size(); ++i) art[i] = static_cast<uint16_t>(i % 7 == 0 ? 0 : i * 37 + 0x0401);
    std::vector<uint8_t> samples(24 * 20);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 11);
    CSpanImage sprite, depth;
    ASSERT_EQ(spnBuildFromPixels(&sprite, art.data(), 24, 20, 24, 0), 0);
    ASSERT_EQ(spnBuildDepthFromPixels(&depth, &sprite, samples.data(), 24), 0);
    CRawImage raw;
    raw.width = 24;
    raw.height = 20;
    raw.pixels = art.data();
    const CHostSpanImage cSprite = AsCHost(sprite), cDepth = AsCHost(depth);
    const CHostRawImage cRaw{kHostTable + 2, raw.kind, raw.width, raw.height, raw.attr, raw.pixels};

    const CImage* spriteOf[2] = {&sprite, reinterpret_cast<const CImage*>(&cSprite)};
    const CImage* rawOf[2] = {&raw, reinterpret_cast<const CImage*>(&cRaw)};
    CSpanImage* depthOf[2] = {&depth, reinterpret_cast<CSpanImage*>(const_cast<CHostSpanImage*>(&cDepth))};
    vc15test::GuardedCanvas canvases[2] = {{64, 48, true}, {64, 48, true}};
    for (int k = 0; k < 2; ++k) {
        vc15::CCanvas& c = canvases[k].canvas;
        DepthParams params{DEPTH_WRITE, 2, depthOf[k]};
        const DrawEffect effects[] = {{EFFECT_ALPHA, 0, 100, nullptr},
                                      {EFFECT_SOFT_EDGE, 0, 0, nullptr},
                                      {EFFECT_DEPTH, 0, 0, &params},
                                      {EFFECT_DEPTH_ALPHA, 0, 77, &params}};
        EXPECT_EQ(c.Draw(-3, 30, rawOf[k], nullptr) | c.Draw(5, 2, rawOf[k], nullptr), 0);
        EXPECT_EQ(c.Draw(50, -4, spriteOf[k], nullptr) | c.Draw(20, 20, spriteOf[k], nullptr), 0);
        for (int32_t e = 0, at = 1; e < 4; ++e, at += 9)
            EXPECT_EQ(c.Draw(at, at + 3, spriteOf[k], &effects[e]) | c.Draw(at + 45, at + 33, spriteOf[k], &effects[e]),
                      0);
    }
    EXPECT_EQ(std::memcmp(canvases[0].Pixels(), canvases[1].Pixels(), 64 * 48 * sizeof(uint16_t)), 0);
    EXPECT_EQ(std::memcmp(canvases[0].Depth(), canvases[1].Depth(), 64 * 48), 0);
}

// ---- Sprite checks -------------------------------------------------------------

TEST(SpriteChecks, RecordsMustFitTheBytesAndTheBox) {
    std::vector<uint8_t> s;
    vc15test::AppendRecord(s, 0, 0, std::vector<uint16_t>(3, 0x5A5A));  // 14 bytes
    vc15test::AppendRecord(s, 5, 2, std::vector<uint16_t>(5, 0x5A5A));  // 18 bytes: x + count = 10, y = 2
    const size_t all = s.size();
    ASSERT_EQ(all, 32u);
    struct Case {
        int32_t w, h;
        uint32_t count;
        size_t bytes;
        int32_t result;
    } cases[] = {
        {10, 3, 2, all, 0},      {10, 3, 2, all + 100, 0},  // trailing bytes are allowed
        {10, 3, 2, all - 1, -1}, {10, 3, 2, 14 + 7, -1},    // second header cut
        {10, 3, 1, 14, 0},       {10, 3, 3, all, -1},       // a count beyond the records
        {9, 3, 2, all, -1},      {10, 2, 2, all, -1},       // a record past the right or bottom edge
        {-1, 3, 0, 0, -1},       {10, -1, 0, 0, -1},        // negative boxes
        {0, 0, 0, 0, 0},                                    // empty
    };
    CSpanImage img;
    for (const Case& k : cases) {
        vc15test::SetSpans(img, k.w, k.h, k.count, s);
        EXPECT_EQ(spnValidate(&img, k.bytes), k.result) << k.w << "x" << k.h << " " << k.count << " " << k.bytes;
    }
    // A count near 2^32 must not wrap the byte sum.
    const uint32_t big = 0xFFFFFFFFu;
    vc15test::SetSpans(img, 65535, 1, 1, std::vector<uint8_t>(s.begin(), s.begin() + 14));
    std::memcpy(img.spans + 4, &big, 4);
    EXPECT_EQ(spnValidate(&img, 14), -1);
    vc15test::SetSpans(img, 10, 3, 2, s);
    img.kind = IMAGE_RAW16;
    EXPECT_EQ(spnValidate(&img, all), -1);
    EXPECT_EQ(spnValidate(nullptr, 100), -1);
    CSpanImage empty;
    EXPECT_EQ(spnValidate(&empty, 0), 0);
    empty.spanCount = 1;  // records without span data
    EXPECT_EQ(spnValidate(&empty, 100), -1);
    empty.spanCount = 0;
}

TEST(SpriteChecks, DepthImagesMustPairWithTheirSprite) {
    std::vector<uint16_t> art(6 * 4, 0x1234);
    art[3] = 0;
    std::vector<uint8_t> samples(6 * 4, 9);
    CSpanImage sprite, depth;
    ASSERT_EQ(spnBuildFromPixels(&sprite, art.data(), 6, 4, 6, 0), 0);
    ASSERT_EQ(spnBuildDepthFromPixels(&depth, &sprite, samples.data(), 6), 0);
    const size_t colorBytes = 5 * 8 + 23 * 2, depthBytes = 5 * 8 + 23;
    EXPECT_EQ(spnValidate(&sprite, colorBytes), 0);
    EXPECT_EQ(spnValidateDepth(&sprite, colorBytes, &depth, depthBytes), 0);
    EXPECT_EQ(spnValidateDepth(&sprite, colorBytes, &depth, depthBytes - 1), -1);
    EXPECT_EQ(spnValidateDepth(&sprite, colorBytes - 1, &depth, depthBytes), -1);
    EXPECT_EQ(spnValidateDepth(nullptr, colorBytes, &depth, depthBytes), -1);
    EXPECT_EQ(spnValidateDepth(&sprite, colorBytes, nullptr, depthBytes), -1);
    // Another box, another record count, or one record with another count.
    depth.height = 5;
    EXPECT_EQ(spnValidateDepth(&sprite, colorBytes, &depth, depthBytes), -1);
    depth.height = 4;
    depth.spanCount = 4;
    EXPECT_EQ(spnValidateDepth(&sprite, colorBytes, &depth, depthBytes), -1);
    depth.spanCount = 5;
    const uint32_t shorter = 2;  // the first record holds 3 samples
    std::memcpy(depth.spans + 4, &shorter, 4);
    EXPECT_EQ(spnValidateDepth(&sprite, colorBytes, &depth, depthBytes), -1);
}

// ---- Building sprites from colour-keyed pixels ------------------------------

constexpr uint16_t K = 0x7c1f;  // colour key

// One record per run, row by row; the depth image takes the colour records'
// headers and the samples under their pixels.
TEST(SpriteBuilder, OneRecordPerRunAndTheDepthImageMatches) {
    // 5 x 3 pixels in buffers 7 wide; the two extra columns are not part of
    // the sprite.
    const uint16_t px[] = {
        K, 1, 2, K, 3, 9, 9,  //
        K, K, K, K, K, 9, 9,  //
        4, 5, K, 6, 7, 9, 9,
    };
    const uint8_t depth[] = {90, 10, 11, 91, 12, 93, 93, 94, 94, 94, 94, 94, 93, 93, 13, 14, 95, 15, 16, 93, 93};
    CSpanImage img, d;
    ASSERT_EQ(spnBuildFromPixels(&img, px, 5, 3, 7, K), 0);
    ASSERT_EQ(spnBuildDepthFromPixels(&d, &img, depth, 7), 0);
    EXPECT_TRUE(img.kind == IMAGE_SPANLIST && img.width == 5 && img.height == 3 && img.spanCount == 4u);
    EXPECT_TRUE(d.width == 5 && d.height == 3 && d.spanCount == 4u);
    std::vector<uint8_t> want, wantDepth;  // records back to back, nothing between
    const struct {
        uint16_t x, y;
        std::vector<uint16_t> px;
        std::vector<uint8_t> samples;
    } runs[] = {{1, 0, {1, 2}, {10, 11}}, {4, 0, {3}, {12}}, {0, 2, {4, 5}, {13, 14}}, {3, 2, {6, 7}, {15, 16}}};
    for (const auto& r : runs) {
        vc15test::AppendRecord(want, r.x, r.y, r.px);
        vc15test::AppendRecord(wantDepth, r.x, r.y, r.samples);
    }
    EXPECT_EQ(std::vector<uint8_t>(img.spans, img.spans + want.size()), want);
    EXPECT_EQ(std::vector<uint8_t>(d.spans, d.spans + wantDepth.size()), wantDepth);
    EXPECT_EQ(spnValidate(&img, want.size()), 0);
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
