// The traps a new host fell into, each now a compile error, a documented
// refusal or correct: copying a sprite, swapping the allocator while its
// blocks live, surfaces whose pitch cannot hold a row (both presenting paths
// agree), and a surface of the host's own from the ready base.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <type_traits>
#include <utility>
#include <vector>

#include "VexaCanvas15.h"
#include "memory_surface.h"
#include "test_hooks.h"

namespace {

// A copy could only share the span data, and both destructors would free it.
static_assert(!std::is_copy_constructible_v<CSpanImage> && !std::is_copy_assignable_v<CSpanImage>);
static_assert(!std::is_copy_constructible_v<CSpanNode> && !std::is_copy_assignable_v<CSpanNode>);
static_assert(std::is_nothrow_move_constructible_v<CSpanImage> && std::is_nothrow_move_assignable_v<CSpanImage>);

struct Frame {
    ICanvas15* c = CreateInstance();
    explicit Frame(int32_t w, int32_t h) {
        const CanvasDesc d{0, w, h};
        const FillRectDesc black{{0, 0, 0}, 0, 0, 0, w, h};
        c->Create(&d);
        c->FillRect(&black);
    }
    ~Frame() { c->Release(); }
};

// Sprites moved into a growing vector, and over a sprite that had spans of
// its own, keep their records byte for byte; the sources are left empty (the
// sanitizer build fails on a double free or a leak).
TEST(Traps, SpritesMoveWithTheirSpans) {
    const uint16_t K = 0x7C1F;
    const uint16_t art[3 * 4] = {K, 0x03E0, 0x03E0, K, 0x001F, 0x001F, 0x001F, 0x001F, K, 0x7C00, K, K};
    CSpanImage built, target;
    ASSERT_EQ(spnBuildFromPixels(&built, art, 4, 3, 4, K) | spnBuildFromPixels(&target, art + 4, 4, 1, 4, K), 0);
    const std::vector<uint8_t> want(built.spans, built.spans + 3 * sizeof(SpanRecord) + 7 * 2);
    std::vector<CSpanImage> sprites;
    for (int i = 0; i < 9; ++i) {
        CSpanImage s;
        ASSERT_EQ(spnBuildFromPixels(&s, art, 4, 3, 4, K), 0);
        sprites.push_back(std::move(s));
        EXPECT_TRUE(!s.spans && s.spanCount == 0 && s.width == 0 && s.height == 0 && s.kind == IMAGE_SPANLIST);
    }
    target = std::move(sprites[8]);
    for (const CSpanImage* m : {&sprites[0], &target}) {
        EXPECT_TRUE(m->spanCount == 3 && m->width == 4 && m->height == 3);
        EXPECT_EQ(std::vector<uint8_t>(m->spans, m->spans + want.size()), want);
    }
}

void* OtherAlloc(size_t bytes) { return std::malloc(bytes); }
void OtherFree(void* block) { std::free(block); }

// While any block of the current pair lives, another pair (malloc/free
// included) is refused and nothing changes; the same pair again is taken. A
// failed allocation leaves no block behind to hold the pair.
TEST(Traps, AllocatorSwapWaitsForTheLastBlock) {
    const vc15::memory_detail::BlockAllocator before = vc15::memory_detail::Current();
    {
        Frame f(4, 4);
        EXPECT_EQ(vcSetAllocator(&OtherAlloc, &OtherFree), -1);
        EXPECT_EQ(vcSetAllocator(nullptr, nullptr), -1);
        EXPECT_EQ(vcSetAllocator(before.alloc, before.free), 0);
        EXPECT_EQ(vc15::memory_detail::Current().alloc, before.alloc);
        vc15::testing::FailAllocationsAfter(0);
        const CanvasDesc huge{0, 4000, 4000};
        f.c->Create(&huge);  // frees the old pixels, fails to make new ones
        vc15::testing::FailAllocationsAfter(-1);
        EXPECT_EQ(f.c->GetWidth(), 0);
        EXPECT_EQ(vcSetAllocator(&OtherAlloc, &OtherFree), 0);
        EXPECT_EQ(vcSetAllocator(before.alloc, before.free), 0);
    }
    ASSERT_EQ(vcSetAllocator(&OtherAlloc, &OtherFree), 0);
    {
        Frame f(4, 4);  // made by the other pair, so the first waits for it
        EXPECT_EQ(vcSetAllocator(before.alloc, before.free), -1);
        EXPECT_EQ(vc15::memory_detail::Current().free, &OtherFree);
    }
    EXPECT_EQ(vcSetAllocator(before.alloc, before.free), 0);
}

// CopyToSurface and vcPresent on the same 555 surfaces: the rows and columns
// both have; nothing into one that is not 16 bits, gives no memory, or whose
// pitch is negative or below its own row (its rows would overlap, or lie
// before the memory). Unlocked on every path after a lock.
TEST(Traps, BothPresentingPathsCopyWhatBothHave) {
    Frame f(320, 240);
    uint16_t* px = nullptr;
    f.c->GetBuffer(&px);
    for (int i = 0; i < 320 * 240; ++i) px[i] = static_cast<uint16_t>(i * 13 + 5);
    vc15test::MemorySurface bare(64, 4, 0xEE);
    Frame empty(0, 0);
    EXPECT_EQ(empty.c->CopyToSurface(&bare) | vcPresent(empty.c, &bare), -1);  // no pixels: not even locked
    EXPECT_EQ(bare.locks, 0);
    struct Case {
        int32_t pitch, rows, width;
        DWORD bits;
        int32_t result, copiedCols, copiedRows;
        LONG reportedPitch = 0;  // 0: the real one
    } cases[] = {
        {64, 32, 32, 16, 0, 32, 32},        // smaller than the canvas
        {1000, 250, 500, 16, 0, 320, 240},  // wider and higher: the rest untouched
        {640, 4, 320, 16, 0, 320, 4},       // fewer rows, a pitch of exactly one row
        {1000, 4, 100, 16, 0, 100, 4},      // a width below the pitch and the canvas's: the width holds
        {64, 32, 100, 16, -1, 0, 0},        // a width beyond the pitch
        {640, 4, 320, 16, -1, 0, 0, 639},   // one byte short of a row
        {640, 4, 320, 16, -1, 0, 0, -640},  // rows going up from the pointer
        {0, 0, 0, 16, -1, 0, 0},            // no memory
        {128, 32, 32, 32, -1, 0, 0},        // 32-bit pixels
        {64, 32, 32, 8, -1, 0, 0},          // 8-bit pixels
        {64, 32, 32, 0, -1, 0, 0},          // no format reported
    };
    for (const Case& k : cases)
        for (int path = 0; path < 2; ++path) {
            vc15test::MemorySurface s(k.pitch, k.rows, 0xEE, k.width, k.bits);
            s.format.dwRBitMask = 0x7C00;
            s.format.dwGBitMask = 0x03E0;
            s.format.dwBBitMask = 0x001F;
            if (k.reportedPitch) s.pitch = k.reportedPitch;
            EXPECT_EQ(path ? vcPresent(f.c, &s) : f.c->CopyToSurface(&s), k.result) << k.pitch << " " << path;
            EXPECT_TRUE(s.locks == 1 && s.unlocks == 1 && s.lastSize == sizeof(DDSURFACEDESC2));
            EXPECT_EQ(s.lastFlags, static_cast<DWORD>(path ? DDLOCK_WAIT | DDLOCK_WRITEONLY : DDLOCK_WAIT));
            for (int y = 0; y < k.rows; ++y)
                for (int b = 0; b < k.pitch; ++b) {
                    const bool copied = y < k.copiedRows && b < 2 * k.copiedCols;
                    const uint8_t want = copied ? reinterpret_cast<const uint8_t*>(px + y * 320)[b] : 0xEE;
                    ASSERT_EQ(s.memory[static_cast<size_t>(y) * k.pitch + b], want) << k.pitch << ": " << y << "," << b;
                }
        }
    vc15test::MemorySurface s(640, 4, 0xEE);
    s.unlockResult = DDERR_GENERIC;
    EXPECT_EQ(f.c->CopyToSurface(&s), -1);
    s.lockResult = DDERR_SURFACEBUSY;
    EXPECT_EQ(f.c->CopyToSurface(&s), -1);
    EXPECT_EQ(s.unlocks, 1);  // nothing unlocked after a failed lock
}

// The ready base alone: every call the library makes on it is answered
// "unsupported" and each path fails cleanly (a host surface that adds Lock and
// Unlock to it, MemorySurface, presents above).
TEST(Traps, ReadyBaseSurfaceAnswersUnsupported) {
    Frame f(4, 4);
    CDirectDrawSurfaceBase bare;
    void* out = &bare;
    EXPECT_EQ(bare.QueryInterface(IID_IDirectDrawSurface7, &out), E_NOINTERFACE);
    EXPECT_TRUE(!out && bare.Release() == 1u);
    EXPECT_EQ(f.c->CopyToSurface(&bare) | vcPresent(f.c, &bare), -1);
    EXPECT_EQ(vdxColorMatch(&bare, 0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(vdxSetColorKey(&bare, 0), DDERR_UNSUPPORTED);
    EXPECT_FALSE(vdxFillColor(&bare, 1, 2, 3));
}

}  // namespace
