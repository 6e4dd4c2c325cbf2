// The traps a new host fell into, each now a compile error, a documented
// refusal or correct: copying a sprite, swapping the allocator while its
// blocks live, a surface of the host's own from the ready base, and surfaces
// whose pitch cannot hold a row.
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
    std::vector<uint16_t> Pixels() {
        uint16_t* px = nullptr;
        c->GetBuffer(&px);
        return {px, px + c->GetWidth() * c->GetHeight()};
    }
};

// Sprites moved into a growing vector, and over a sprite that had spans of
// its own, keep their data and draw as the one built in place; the sources
// are left empty (the sanitizer build fails on a double free or a leak).
TEST(Traps, SpritesMoveAndDrawAsBuilt) {
    const uint16_t K = 0x7C1F;
    const uint16_t art[3 * 4] = {K, 0x03E0, 0x03E0, K, 0x001F, 0x001F, 0x001F, 0x001F, K, 0x7C00, K, K};
    CSpanImage built;
    ASSERT_EQ(spnBuildFromPixels(&built, art, 4, 3, 4, K), 0);
    std::vector<CSpanImage> sprites;
    for (int i = 0; i < 9; ++i) {
        CSpanImage s;
        ASSERT_EQ(spnBuildFromPixels(&s, art, 4, 3, 4, K), 0);
        sprites.push_back(std::move(s));
        EXPECT_TRUE(!s.spans && s.spanCount == 0 && s.width == 0 && s.height == 0 && s.kind == IMAGE_SPANLIST);
    }
    CSpanImage target;
    ASSERT_EQ(spnBuildFromPixels(&target, art + 4, 4, 1, 4, K), 0);
    target = std::move(sprites[8]);
    Frame want(8, 8), moved(8, 8), assigned(8, 8);
    ASSERT_EQ(want.c->Draw(2, 3, &built, nullptr), 0);
    ASSERT_EQ(moved.c->Draw(2, 3, &sprites[0], nullptr), 0);
    ASSERT_EQ(assigned.c->Draw(2, 3, &target, nullptr), 0);
    EXPECT_EQ(moved.Pixels(), want.Pixels());
    EXPECT_EQ(assigned.Pixels(), want.Pixels());
    EXPECT_EQ(target.spanCount, 3u);
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

// Surfaces whose pitch is negative or smaller than their own row: both
// presenting paths write nothing, unlock and refuse; exactly one row is
// enough for both.
TEST(Traps, PitchBelowARowIsRefusedByBothPaths) {
    Frame f(8, 3);
    const FillRectDesc white{{255, 255, 255}, 0, 0, 0, 8, 3};
    f.c->FillRect(&white);
    for (const LONG pitch : {-16, -1, 0, 15, 16})
        for (int path = 0; path < 2; ++path) {
            vc15test::MemorySurface s(16, 3, 0xEE);  // 8 pixels a row
            s.format.dwRBitMask = 0x7C00;
            s.format.dwGBitMask = 0x03E0;
            s.format.dwBBitMask = 0x001F;
            s.pitch = pitch;
            const bool fits = pitch >= 16;
            EXPECT_EQ(path ? vcPresent(f.c, &s) : f.c->CopyToSurface(&s), fits ? 0 : -1) << pitch << " " << path;
            EXPECT_EQ(s.unlocks, 1);
            EXPECT_EQ(std::count(s.memory.begin(), s.memory.end(), 0xEE), fits ? 0 : 48) << pitch << " " << path;
        }
}

#if !defined(_WIN32)
// The ready base alone: every call the library makes on it is answered
// "unsupported" and each path fails cleanly; a host surface that adds Lock
// and Unlock (MemorySurface) presents, and its other slots still refuse.
TEST(Traps, ReadyBaseSurfaceAnswersUnsupported) {
    Frame f(4, 4);
    CDirectDrawSurfaceBase bare;
    void* out = &bare;
    EXPECT_EQ(bare.QueryInterface(IID_IDirectDrawSurface7, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(f.c->CopyToSurface(&bare), -1);
    EXPECT_EQ(vcPresent(f.c, &bare), -1);
    EXPECT_EQ(vdxColorMatch(&bare, 0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(vdxSetColorKey(&bare, 0), DDERR_UNSUPPORTED);
    EXPECT_FALSE(vdxFillColor(&bare, 1, 2, 3));
    vc15test::MemorySurface host(8, 4);
    EXPECT_EQ(f.c->CopyToSurface(&host), 0);
    EXPECT_FALSE(vdxFillColor(&host, 1, 2, 3));
    DDSURFACEDESC2 desc{};
    EXPECT_EQ(host.GetSurfaceDesc(&desc), DDERR_UNSUPPORTED);
    EXPECT_EQ(host.Release(), 1u);
}
#endif

}  // namespace
