// Image records, span nodes and the intrusive list shared with hosts, and
// the sprite checks for span data from files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "canvas/canvas.h"
#include "core/node_list.h"

namespace {

TEST(SpanImage, RecordsArePackedBackToBack) {
    // Two records of 3 and 5 pixels: 14 + 18 bytes, the second at offset 14.
    const uint16_t art[2 * 8] = {1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 4, 5, 6, 7, 8};
    CSpanImage img;
    ASSERT_EQ(spnBuildFromPixels(&img, art, 8, 2, 8, 0), 0);
    ASSERT_EQ(img.spanCount, 2u);
    SpanRecord first, second;
    std::memcpy(&first, img.spans, sizeof first);
    std::memcpy(&second, img.spans + 14, sizeof second);
    EXPECT_EQ(first.x, 0);
    EXPECT_EQ(first.y, 0);
    EXPECT_EQ(first.count, 3u);
    EXPECT_EQ(second.x, 3);
    EXPECT_EQ(second.y, 1);
    EXPECT_EQ(second.count, 5u);
    uint16_t last;
    std::memcpy(&last, img.spans + 30, 2);
    EXPECT_EQ(last, 8);  // the stream is exactly 32 bytes long
}

// Counts destructions to show what a node's destructor does and does not do.
int g_destroyed = 0;
class CountingNode : public CListNode {
public:
    VC15_VIRTUAL_DESTRUCTOR(CountingNode) { ++g_destroyed; }
};

TEST(NodeList, AppendBuildsDoublyLinkedList) {
    CNodeList list{0, nullptr, nullptr};
    CountingNode a, b, c;
    vc15::AppendNode(&list, &a);
    vc15::AppendNode(&list, &b);
    vc15::AppendNode(&list, &c);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.head, &a);
    EXPECT_EQ(list.tail, &c);
    EXPECT_EQ(a.prev, nullptr);
    EXPECT_EQ(a.next, &b);
    EXPECT_EQ(b.prev, &a);
    EXPECT_EQ(b.next, &c);
    EXPECT_EQ(c.prev, &b);
    EXPECT_EQ(c.next, nullptr);
    for (CListNode* n : {static_cast<CListNode*>(&a), static_cast<CListNode*>(&b), static_cast<CListNode*>(&c)})
        EXPECT_EQ(n->owner, &list);
}

TEST(NodeList, HeaderWithCountButNoLinksIsEmptyForLinks) {
    CNodeList list{5, nullptr, nullptr};
    CountingNode a;
    a.prev = &a;  // stale links are overwritten
    a.next = &a;
    vc15::AppendNode(&list, &a);
    EXPECT_EQ(list.GetCount(), 6);
    EXPECT_EQ(list.head, &a);
    EXPECT_EQ(list.tail, &a);
    EXPECT_EQ(a.prev, nullptr);
    EXPECT_EQ(a.next, nullptr);
    vc15::AppendNode(&list, nullptr);  // a node that could not be made is skipped
    EXPECT_EQ(list.GetCount(), 6);
}

TEST(NodeList, DestroyingNodeLeavesNeighboursAndHeader) {
    CNodeList list{0, nullptr, nullptr};
    CountingNode a, c;
    auto* b = new CountingNode;
    vc15::AppendNode(&list, &a);
    vc15::AppendNode(&list, b);
    vc15::AppendNode(&list, &c);
    g_destroyed = 0;
    vcDeleteNode(b);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(a.next, b);  // not unlinked: the host owns the links
    EXPECT_EQ(c.prev, b);
    EXPECT_EQ(list.head, &a);
    EXPECT_EQ(list.tail, &c);
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
    EXPECT_EQ(borrowed[0], 0x1234);
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

    ICanvas15* canvases[2] = {CreateInstance(), CreateInstance()};
    uint16_t* px[2];
    for (ICanvas15* c : canvases) {
        const CanvasDesc d{CANVAS_DEPTHPLANE, 64, 48};
        ASSERT_EQ(c->Create(&d), 0);
        const FillRectDesc f{{40, 80, 120}, 0, 0, 0, 64, 48};
        ASSERT_EQ(c->FillRect(&f), 0);
    }
    for (int k = 0; k < 2; ++k) canvases[k]->GetBuffer(&px[k]);
    const CImage* spriteOf[2] = {&sprite, reinterpret_cast<const CImage*>(&cSprite)};
    const CImage* rawOf[2] = {&raw, reinterpret_cast<const CImage*>(&cRaw)};
    CSpanImage* depthOf[2] = {&depth, reinterpret_cast<CSpanImage*>(const_cast<CHostSpanImage*>(&cDepth))};
    for (int k = 0; k < 2; ++k) {
        ICanvas15* c = canvases[k];
        DepthParams params{DEPTH_WRITE, 2, depthOf[k]};
        const DrawEffect effects[] = {{EFFECT_ALPHA, 0, 100, nullptr},
                                      {EFFECT_SOFT_EDGE, 0, 0, nullptr},
                                      {EFFECT_DEPTH, 0, 0, &params},
                                      {EFFECT_DEPTH_ALPHA, 0, 77, &params}};
        EXPECT_EQ(c->Draw(-3, 30, rawOf[k], nullptr), 0);
        EXPECT_EQ(c->Draw(5, 2, rawOf[k], nullptr), 0);
        EXPECT_EQ(c->Draw(50, -4, spriteOf[k], nullptr), 0);
        EXPECT_EQ(c->Draw(20, 20, spriteOf[k], nullptr), 0);
        int32_t at = 1;
        for (const DrawEffect& e : effects) {
            EXPECT_EQ(c->Draw(at, at + 3, spriteOf[k], &e), 0);
            EXPECT_EQ(c->Draw(at + 45, at + 33, spriteOf[k], &e), 0);
            at += 9;
        }
    }
    EXPECT_EQ(std::memcmp(px[0], px[1], 64 * 48 * sizeof(uint16_t)), 0);
    const uint8_t* plane[2] = {static_cast<vc15::CCanvas*>(canvases[0])->depthPlane->data,
                               static_cast<vc15::CCanvas*>(canvases[1])->depthPlane->data};
    EXPECT_EQ(std::memcmp(plane[0], plane[1], 64 * 48), 0);
    for (ICanvas15* c : canvases) c->Release();
}

// ---- Sprite checks -------------------------------------------------------------

struct Stream {
    std::vector<uint8_t> bytes;
    void Add(uint16_t x, uint16_t y, uint32_t count, size_t elementSize) {
        const SpanRecord r{x, y, count};
        const size_t at = bytes.size();
        bytes.resize(at + sizeof r + count * elementSize, 0x5A);
        std::memcpy(bytes.data() + at, &r, sizeof r);
    }
};

// A record view of a stream the test owns (the image never frees it).
struct Borrowed {
    Borrowed(const Stream& s, int32_t w, int32_t h, uint32_t count) {
        image.width = w;
        image.height = h;
        image.spanCount = count;
        image.spans = const_cast<uint8_t*>(s.bytes.data());
    }
    ~Borrowed() { image.spans = nullptr; }
    CSpanImage image;
};

TEST(SpriteChecks, RecordsMustFitTheBytesAndTheBox) {
    Stream s;
    s.Add(0, 0, 3, 2);  // 14 bytes
    s.Add(5, 2, 5, 2);  // 18 bytes: x + count = 10, y = 2
    const size_t all = s.bytes.size();
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
    for (const Case& k : cases) {
        Borrowed b(s, k.w, k.h, k.count);
        EXPECT_EQ(spnValidate(&b.image, k.bytes), k.result) << k.w << "x" << k.h << " " << k.count << " " << k.bytes;
    }
    // A count near 2^32 must not wrap the byte sum.
    Stream huge;
    huge.Add(0, 0, 0, 2);
    const uint32_t big = 0xFFFFFFFFu;
    std::memcpy(huge.bytes.data() + 4, &big, 4);
    Borrowed h(huge, 65535, 1, 1);
    EXPECT_EQ(spnValidate(&h.image, huge.bytes.size()), -1);
    EXPECT_EQ(spnValidate(nullptr, 100), -1);
    CSpanImage empty;
    EXPECT_EQ(spnValidate(&empty, 0), 0);
    empty.spanCount = 1;  // records without span data
    EXPECT_EQ(spnValidate(&empty, 100), -1);
    empty.spanCount = 0;
    Borrowed wrongKind(s, 10, 3, 2);
    wrongKind.image.kind = IMAGE_RAW16;
    EXPECT_EQ(spnValidate(&wrongKind.image, all), -1);
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

}  // namespace
