// Canvas object: reference counting and interfaces, sizing, clip rectangle,
// fills and the copy into a surface, as a careless host uses them, and every
// allocation failing in turn.
#include "canvas/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "VexaCanvas15.h"
#include "guard_pages.h"
#include "test_hooks.h"

namespace {

struct CanvasPtr {
    ICanvas15* p = CreateInstance();
    ~CanvasPtr() {
        if (p) p->Release();
    }
    ICanvas15* operator->() const { return p; }
};

vc15::CCanvas& Impl(ICanvas15* c) { return *static_cast<vc15::CCanvas*>(c); }

bool In(const ClipRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST(CanvasObject, CountsInterfacesAndNullArguments) {
    ICanvas15* c = CreateInstance();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetWidth(), 0);
    EXPECT_EQ(c->GetHeight(), 0);
    uint16_t* buf = reinterpret_cast<uint16_t*>(1);
    EXPECT_EQ(c->GetBuffer(&buf), 0);
    EXPECT_EQ(buf, nullptr);
    void *a = nullptr, *b = nullptr;
    EXPECT_EQ(c->QueryInterface(0x882C5413u, &a), 0);
    EXPECT_EQ(c->QueryInterface(0x8841051Bu, &b), 0);
    EXPECT_EQ(a, static_cast<void*>(c));
    EXPECT_EQ(a, b);
    for (uint32_t iid : {0u, 1u, 0x882C5414u, 0xFFFFFFFFu}) {
        void* out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(c->QueryInterface(iid, &out), -1);
        EXPECT_EQ(out, nullptr);
    }
    // Null where a record belongs, before and after Create: refused, no
    // reference taken.
    for (int created = 0; created < 2; ++created) {
        EXPECT_EQ(c->GetBuffer(nullptr), -1);
        EXPECT_EQ(c->QueryInterface(VC15_IID_CANVAS, nullptr), -1);
        EXPECT_EQ(c->QueryInterface(VC15_IID_CANVAS15, nullptr), -1);
        EXPECT_EQ(c->SetClipRect(nullptr), -1);
        EXPECT_EQ(c->FillRect(nullptr), -1);
        EXPECT_EQ(c->Draw(0, 0, nullptr, nullptr), -1);
        EXPECT_EQ(c->CopyToSurface(nullptr), -1);
        CanvasDesc d{CANVAS_DEPTHPLANE, 8, 8};
        EXPECT_EQ(c->Create(created ? nullptr : &d), created ? -1 : 0);
    }
    EXPECT_EQ(c->GetWidth(), 8);  // unchanged by the refused Create
    EXPECT_EQ(c->AddRef(), 4u);   // 1 + 2 queries + this one
    EXPECT_EQ(c->Release(), 3u);
    c->Release();
    c->Release();
    EXPECT_EQ(c->Release(), 0u);
}

TEST(CanvasObject, ConcurrentAddRefReleaseKeepsExactCount) {
    ICanvas15* c = CreateInstance();
    constexpr int kThreads = 4, kPairs = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([c] {
            for (int i = 0; i < kPairs; ++i) {
                c->AddRef();
                c->Release();
                void* again = nullptr;  // QueryInterface takes its reference the same way
                if (i % 8 == 0 && c->QueryInterface(VC15_IID_CANVAS, &again) == 0)
                    static_cast<ICanvas15*>(again)->Release();
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(c->AddRef(), 2u);
    // Now release from many threads at once: exactly one sees 0.
    for (int i = 0; i < 998; ++i) c->AddRef();  // count 1000
    std::atomic<int> zeros{0};
    threads.clear();
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([c, &zeros] {
            for (int i = 0; i < 250; ++i)
                if (c->Release() == 0) zeros++;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(zeros.load(), 1);
}

// Each Create replaces the buffers: the given size, a clip rectangle of the
// whole canvas and, on request, a plane of 255 (gone after a Create without
// the flag). Beyond the size limit (a side above 32767, or pixels above 1 GiB)
// and for empty or negative sizes: no pixels, no plane, a fill writes nothing.
TEST(CanvasSurface, CreateSizesAndResets) {
    CanvasPtr c;
    const struct {
        CanvasDesc desc;
        bool made;
    } cases[] = {{{0, 40, 30}, true},
                 {{CANVAS_DEPTHPLANE | 0x3u, 17, 9}, true},
                 {{0, 40, 30}, true},
                 {{CANVAS_DEPTHPLANE, 32767, 2}, true},
                 {{CANVAS_DEPTHPLANE, 2, 32767}, true},
                 {{CANVAS_DEPTHPLANE, -5, 10}, false},
                 {{0, 10, -1}, false},
                 {{CANVAS_DEPTHPLANE, 0x7FFFFFFF, 0x7FFFFFFF}, false},
                 {{0, 0, 100}, false},
                 {{CANVAS_DEPTHPLANE, 100000, 100000}, false},
                 {{CANVAS_DEPTHPLANE, 32768, 2}, false},
                 {{0, 2, 32768}, false},
                 {{0, 16385, 32767}, false},
                 {{0, 32767, 32767}, false}};
    for (const auto& k : cases) {
        const ClipRect narrow{1, 1, 2, 2};
        c->SetClipRect(&narrow);
        ASSERT_EQ(c->Create(&k.desc), 0);
        const int32_t w = k.made ? k.desc.width : 0, h = k.made ? k.desc.height : 0;
        const auto& impl = Impl(c.p);
        EXPECT_EQ(c->GetWidth(), w);
        EXPECT_EQ(c->GetHeight(), h);
        EXPECT_EQ(impl.pixels != nullptr, k.made);
        EXPECT_TRUE(impl.clip.left == 0 && impl.clip.top == 0 && impl.clip.right == w && impl.clip.bottom == h);
        const bool plane = k.made && (k.desc.flags & CANVAS_DEPTHPLANE);
        ASSERT_EQ(impl.depthPlane != nullptr, plane) << k.desc.width << "x" << k.desc.height;
        if (plane) {
            EXPECT_EQ(impl.depthPlane->width, static_cast<uint32_t>(w));
            EXPECT_EQ(impl.depthPlane->height, static_cast<uint32_t>(h));
            const size_t n = static_cast<size_t>(w) * h;
            EXPECT_EQ(std::count(impl.depthPlane->data, impl.depthPlane->data + n, 255), static_cast<ptrdiff_t>(n));
        }
        FillRectDesc f{{1, 2, 3}, 0, 0, 0, 4, 4};
        EXPECT_EQ(c->FillRect(&f), 0);
    }
}

// ---- A careless host -----------------------------------------------------
// Every rectangle and surface is held to the canvas; the canvas's pixels and
// depth plane sit against guard pages, so one element too far faults.

struct Guarded16 {
    explicit Guarded16(vc15test::GuardSide side) : guard(side) {
        CanvasDesc d{CANVAS_DEPTHPLANE, 16, 16};
        EXPECT_EQ(c->Create(&d), 0);
        c->GetBuffer(&px);
    }
    ~Guarded16() {
        c->Release();
        EXPECT_EQ(vc15test::GuardPages::Live(), 0u);
    }
    vc15test::GuardPages guard;
    ICanvas15* c = CreateInstance();
    uint16_t* px = nullptr;
};

TEST(CanvasMisuse, ClipRectIsHeldToTheCanvas) {
    struct Case {
        ClipRect given, kept;
    } cases[] = {
        {{-10, -10, 8, 8}, {0, 0, 8, 8}},
        {{0, 0, 1000, 1000}, {0, 0, 16, 16}},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 16, 16}},
        {{3, 4, 15, 16}, {3, 4, 15, 16}},      // within: kept as given
        {{10, 10, 5, 5}, {10, 10, 10, 10}},    // inverted: empty
        {{20, 20, 30, 30}, {16, 16, 16, 16}},  // beyond: empty
        {{-9, 3, -1, 9}, {0, 3, 0, 9}},
    };
    // A 40 x 40 sprite and raw image over the whole canvas, drawn with every
    // effect: only pixels inside the kept rectangle may change.
    std::vector<uint16_t> rawPixels(40 * 40, 0x1111);
    CSpanImage sprite, depth;
    ASSERT_EQ(spnBuildFromPixels(&sprite, rawPixels.data(), 40, 40, 40, 0), 0);
    std::vector<uint8_t> samples(40 * 40, 3);
    ASSERT_EQ(spnBuildDepthFromPixels(&depth, &sprite, samples.data(), 40), 0);
    CRawImage raw;
    raw.width = 40;
    raw.height = 40;
    raw.pixels = rawPixels.data();
    DepthParams params{DEPTH_WRITE, 0, &depth};
    const DrawEffect alpha{EFFECT_ALPHA, 0, 256, nullptr}, soft{EFFECT_SOFT_EDGE, 0, 0, nullptr},
        depthEffect{EFFECT_DEPTH, 0, 0, &params}, depthAlpha{EFFECT_DEPTH_ALPHA, 0, 256, &params};
    for (auto side : {vc15test::GuardSide::Before, vc15test::GuardSide::After})
        for (const Case& k : cases) {
            Guarded16 g(side);
            std::fill(g.px, g.px + 256, 0);
            ASSERT_EQ(g.c->SetClipRect(&k.given), 0);
            EXPECT_EQ(g.c->SetClipRect(nullptr), -1);  // refused, the rectangle unchanged
            const ClipRect& kept = Impl(g.c).clip;
            EXPECT_TRUE(kept.left == k.kept.left && kept.top == k.kept.top && kept.right == k.kept.right &&
                        kept.bottom == k.kept.bottom)
                << kept.left << "," << kept.top << "," << kept.right << "," << kept.bottom;
            const uint8_t* plane = Impl(g.c).depthPlane->data;
            for (const DrawEffect* e :
                 {static_cast<const DrawEffect*>(nullptr), &alpha, &soft, &depthEffect, &depthAlpha}) {
                for (int32_t at : {-10, -12, 0}) {
                    EXPECT_EQ(g.c->Draw(at, at, &sprite, e), 0);
                    if (!e) {
                        EXPECT_EQ(g.c->Draw(at, at, &raw, nullptr), 0);
                    }
                }
            }
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const bool in = In(k.kept, x, y);
                    ASSERT_EQ(g.px[y * 16 + x], in ? 0x1111 : 0) << x << "," << y;
                    ASSERT_EQ(plane[y * 16 + x], in ? 3 : 255) << x << "," << y;
                }
        }
}

// A fill converts its colour (the low three bits of each channel dropped)
// and is held to the canvas only, never to the clip rectangle.
TEST(CanvasMisuse, FillRectIsClippedToTheCanvasOnly) {
    struct Case {
        int32_t x, y, w, h;
        uint8_t r, g, b;
        uint16_t want;
    } cases[] = {{-4, -3, 8, 6, 255, 255, 255, 0x7FFF},
                 {12, 13, 10, 10, 255, 0, 0, 0x7C00},
                 {-100, 5, 1000, 2, 0, 0, 255, 0x001F},
                 {16, 0, 4, 4, 255, 255, 255, 0x7FFF},
                 {0, -5, 16, 5, 255, 255, 255, 0x7FFF},
                 {INT_MAX - 1, 0, INT_MAX, 4, 255, 255, 255, 0x7FFF},
                 {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 255, 255, 255, 0x7FFF},
                 {5, 5, INT_MAX, INT_MAX, 0x08, 0x10, 0x07, 0x0440},
                 {2, 3, 4, 5, 0x08, 0x10, 0x07, 0x0440},
                 {0, 0, 16, 0, 255, 255, 255, 0x7FFF},   // no rows
                 {7, 9, 1, 3, 255, 255, 255, 0x7FFF},    // one column
                 {0, 15, 16, 1, 255, 255, 255, 0x7FFF},  // one row, the last
                 {-1, 4, 2, 1, 255, 255, 255, 0x7FFF}};  // one pixel left after holding it to the canvas
    for (auto side : {vc15test::GuardSide::Before, vc15test::GuardSide::After})
        for (const Case& k : cases) {
            Guarded16 g(side);
            std::fill(g.px, g.px + 256, 0x5555);
            ClipRect narrow{6, 6, 8, 8};  // not consulted by FillRect
            g.c->SetClipRect(&narrow);
            FillRectDesc f{{k.r, k.g, k.b}, 0x77, k.x, k.y, k.w, k.h};
            EXPECT_EQ(g.c->FillRect(&f), 0);
            const ClipRect area{k.x, k.y, static_cast<int32_t>(std::min<int64_t>(int64_t{k.x} + k.w, INT_MAX)),
                                static_cast<int32_t>(std::min<int64_t>(int64_t{k.y} + k.h, INT_MAX))};
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_EQ(g.px[y * 16 + x], In(area, x, y) ? k.want : 0x5555)
                        << k.x << "," << k.y << " " << x << "," << y;
        }
}

// A sprite, raw image or depth image whose box has a negative side.
TEST(CanvasMisuse, ImagesWithANegativeBoxAreRefused) {
    CanvasPtr c;
    CanvasDesc d{CANVAS_DEPTHPLANE, 8, 8};
    ASSERT_EQ(c->Create(&d), 0);
    uint16_t pixels[4] = {1, 2, 3, 4};
    const uint8_t samples[4] = {0, 0, 0, 0};
    CRawImage raw;
    raw.pixels = pixels;
    CSpanImage sprite, depth;
    ASSERT_EQ(spnBuildFromPixels(&sprite, pixels, 4, 1, 4, 0), 0);
    ASSERT_EQ(spnBuildDepthFromPixels(&depth, &sprite, samples, 4), 0);
    DepthParams params{0, 0, &depth};
    const DrawEffect depthEffect{EFFECT_DEPTH, 0, 0, &params};
    for (auto box : {std::make_pair(-1, -1), std::make_pair(-1, 1), std::make_pair(4, -1)}) {
        raw.width = sprite.width = box.first;
        raw.height = sprite.height = box.second;
        EXPECT_EQ(c->Draw(2, 2, &raw, nullptr), -1);
        EXPECT_EQ(c->Draw(2, 2, &sprite, nullptr), -1);
    }
    sprite.width = 4;
    sprite.height = 1;
    depth.width = -4;
    EXPECT_EQ(c->Draw(2, 2, &sprite, &depthEffect), -1);
}

// ---- Every allocation failing --------------------------------------------
// Each caller gives its documented result, leaves the canvas usable and
// leaks nothing (the sanitizer build checks the leaks).

struct InjectionOff {
    ~InjectionOff() { vc15::testing::FailAllocationsAfter(-1); }
};

TEST(AllocationFailure, CreateInstanceReturnsNull) {
    InjectionOff guard;
    vc15::testing::FailAllocationsAfter(0);
    EXPECT_EQ(CreateInstance(), nullptr);
}

TEST(AllocationFailure, CreateWithoutPixelsOrPlaneStillSucceeds) {
    InjectionOff guard;
    CanvasPtr c;
    ASSERT_NE(c.p, nullptr);
    auto& impl = Impl(c.p);
    const CanvasDesc desc{CANVAS_DEPTHPLANE, 32, 16};
    CSpanImage sprite;
    const uint16_t px[4] = {1, 2, 3, 4};
    ASSERT_EQ(spnBuildFromPixels(&sprite, px, 4, 1, 4, 0x0040), 0);
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    const DrawEffect fx{EFFECT_DEPTH, 0, 0, &clear};
    // The pixel buffer, the plane object, then the plane's bytes fail.
    for (long allowed : {0L, 1L, 2L}) {
        vc15::testing::FailAllocationsAfter(allowed);
        EXPECT_EQ(c->Create(&desc), 0);
        vc15::testing::FailAllocationsAfter(-1);
        EXPECT_EQ(impl.pixels != nullptr, allowed > 0);
        EXPECT_EQ(impl.depthPlane, nullptr);
        EXPECT_EQ(c->GetWidth(), allowed ? 32 : 0);
        EXPECT_EQ(c->Draw(0, 0, &sprite, nullptr), allowed ? 0 : -1);  // no pixels: refused
        EXPECT_EQ(c->Draw(0, 0, nullptr, &fx), -1);                    // no plane to clear
    }
}

TEST(AllocationFailure, FillRectWithoutItsRowWritesNothing) {
    InjectionOff guard;
    CanvasPtr c;
    const CanvasDesc desc{0, 8, 8};
    ASSERT_EQ(c->Create(&desc), 0);
    uint16_t* px = nullptr;
    c->GetBuffer(&px);
    std::fill(px, px + 64, 0x1111);
    const FillRectDesc fill{{255, 255, 255}, 0, 0, 0, 8, 8};
    vc15::testing::FailAllocationsAfter(0);
    EXPECT_EQ(c->FillRect(&fill), 0);
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_EQ(std::count(px, px + 64, 0x1111), 64);
}

}  // namespace