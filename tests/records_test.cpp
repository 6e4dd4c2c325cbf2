// Image records, span nodes and the intrusive list shared with hosts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "canvas/node_list.h"

namespace {

TEST(SpanImage, NewAndClearedImagesAreEmpty) {
    CSpanImage img;
    EXPECT_EQ(img.kind, IMAGE_SPANLIST);
    EXPECT_EQ(img.attr, 1u);
    EXPECT_EQ(img.width, 0);
    EXPECT_EQ(img.height, 0);
    EXPECT_EQ(img.spanCount, 0u);
    EXPECT_EQ(img.reserved, 0u);
    EXPECT_EQ(img.spans, nullptr);
    img.Clear();  // harmless on a new image
    EXPECT_EQ(img.spans, nullptr);

    img.width = 7;
    img.height = 3;
    img.attr = 9;
    img.reserved = 4;
    img.spanCount = 2;
    img.spans = new uint8_t[32];
    img.kind = 0x10000099u;
    img.Clear();  // frees once (ASan would catch a double free at destruction)
    EXPECT_EQ(img.kind, 0x10000099u);
    EXPECT_EQ(img.spans, nullptr);
    EXPECT_EQ(img.attr, 1u);
    EXPECT_EQ(img.width, 0);
    EXPECT_EQ(img.height, 0);
    EXPECT_EQ(img.spanCount, 0u);
    EXPECT_EQ(img.reserved, 0u);
}

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

}  // namespace
