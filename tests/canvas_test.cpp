// Canvas object: reference counting, sizing, clip rectangle, fills and the
// copy into a surface.
#include "canvas/canvas.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "VexaCanvas15.h"
#include "memory_surface.h"

namespace {

struct CanvasPtr {
    ICanvas15* p = CreateInstance();
    ~CanvasPtr() {
        if (p) p->Release();
    }
    ICanvas15* operator->() const { return p; }
};

vc15::CCanvas& Impl(ICanvas15* c) { return *static_cast<vc15::CCanvas*>(c); }

TEST(CanvasObject, FreshCanvasCountsAndReleases) {
    ICanvas15* c = CreateInstance();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->AddRef(), 2u);
    EXPECT_EQ(c->Release(), 1u);
    EXPECT_EQ(c->GetWidth(), 0);
    EXPECT_EQ(c->GetHeight(), 0);
    uint16_t* buf = reinterpret_cast<uint16_t*>(1);
    EXPECT_EQ(c->GetBuffer(&buf), 0);
    EXPECT_EQ(buf, nullptr);
    EXPECT_EQ(c->Release(), 0u);  // bare canvas destroyed cleanly
}

TEST(CanvasObject, QueryInterfaceAnswersBothIdentifiersOnly) {
    CanvasPtr c;
    void* a = nullptr;
    void* b = nullptr;
    EXPECT_EQ(c->QueryInterface(0x882C5413u, &a), 0);
    EXPECT_EQ(c->QueryInterface(0x8841051Bu, &b), 0);
    EXPECT_EQ(a, static_cast<void*>(c.p));
    EXPECT_EQ(a, b);
    EXPECT_EQ(c->AddRef(), 4u);  // 1 + 2 queries + this one
    for (uint32_t iid : {0u, 1u, 0x882C5414u, 0xFFFFFFFFu}) {
        void* out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(c->QueryInterface(iid, &out), -1);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(c->Release(), 3u);
    c->Release();
    c->Release();
}

TEST(CanvasObject, AssignmentChangesNeither) {
    CanvasPtr a, b;
    void* tableA = *reinterpret_cast<void**>(a.p);
    ICanvas15& result = (*static_cast<ICanvas15*>(a.p) = *static_cast<ICanvas15*>(b.p));
    EXPECT_EQ(&result, a.p);
    EXPECT_EQ(*reinterpret_cast<void**>(a.p), tableA);
    EXPECT_EQ(a->AddRef(), 2u);
    a->Release();
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

TEST(CanvasSurface, CreateSizesAndResets) {
    CanvasPtr c;
    CanvasDesc d{0, 40, 30};
    ASSERT_EQ(c->Create(&d), 0);
    EXPECT_EQ(c->GetWidth(), 40);
    EXPECT_EQ(c->GetHeight(), 30);
    auto& impl = Impl(c.p);
    EXPECT_EQ(impl.depthPlane, nullptr);
    EXPECT_EQ(impl.clip.right, 40);
    EXPECT_EQ(impl.clip.bottom, 30);
    ClipRect r{5, 6, 7, 8};
    EXPECT_EQ(c->SetClipRect(&r), 0);
    EXPECT_EQ(impl.clip.left, 5);

    CanvasDesc d2{CANVAS_DEPTHPLANE | 0x3u, 17, 9};
    ASSERT_EQ(c->Create(&d2), 0);
    EXPECT_EQ(impl.clip.left, 0);
    EXPECT_EQ(impl.clip.top, 0);
    EXPECT_EQ(impl.clip.right, 17);
    EXPECT_EQ(impl.clip.bottom, 9);
    ASSERT_NE(impl.depthPlane, nullptr);
    EXPECT_EQ(impl.depthPlane->width, 17u);
    EXPECT_EQ(impl.depthPlane->height, 9u);
    for (int i = 0; i < 17 * 9; ++i) ASSERT_EQ(impl.depthPlane->data[i], 255);

    ASSERT_EQ(c->Create(&d), 0);  // without the flag the plane goes away
    EXPECT_EQ(impl.depthPlane, nullptr);
    EXPECT_EQ(c->Create(nullptr), -1);
    EXPECT_EQ(c->GetWidth(), 40);
}

TEST(CanvasSurface, CreateWithImpossibleSizeLeavesEmptyCanvas) {
    CanvasPtr c;
    for (CanvasDesc d : {CanvasDesc{CANVAS_DEPTHPLANE, -5, 10}, CanvasDesc{0, 10, -1},
                         CanvasDesc{CANVAS_DEPTHPLANE, 0x7FFFFFFF, 0x7FFFFFFF}, CanvasDesc{0, 0, 100}}) {
        EXPECT_EQ(c->Create(&d), 0);
        uint16_t* buf = nullptr;
        c->GetBuffer(&buf);
        EXPECT_EQ(buf, nullptr);
        EXPECT_EQ(c->GetWidth(), 0);
        EXPECT_EQ(Impl(c.p).depthPlane, nullptr);
        FillRectDesc f{{1, 2, 3}, 0, 0, 0, 4, 4};
        EXPECT_EQ(c->FillRect(&f), 0);  // writes nothing
    }
}

TEST(CanvasSurface, FillRectConvertsAndStaysInside) {
    CanvasPtr c;
    CanvasDesc d{0, 16, 8};
    ASSERT_EQ(c->Create(&d), 0);
    uint16_t* px = nullptr;
    c->GetBuffer(&px);
    std::fill(px, px + 16 * 8, 0xABCD);
    struct Case {
        uint8_t r, g, b;
        uint16_t expect;
    } cases[] = {{255, 255, 255, 0x7FFF}, {255, 0, 0, 0x7C00}, {0, 0, 255, 0x001F}, {0x08, 0x10, 0x07, 0x0440}};
    for (const auto& k : cases) {
        FillRectDesc f{{k.r, k.g, k.b}, 0x77, 3, 2, 5, 4};
        EXPECT_EQ(c->FillRect(&f), 0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool in = x >= 3 && x < 8 && y >= 2 && y < 6;
                ASSERT_EQ(px[y * 16 + x], in ? k.expect : 0xABCD) << x << "," << y;
            }
    }
    FillRectDesc zero{{1, 1, 1}, 0, 0, 0, 16, 0};
    EXPECT_EQ(c->FillRect(&zero), 0);
    EXPECT_EQ(px[0], 0xABCD);
    EXPECT_EQ(c->FillRect(nullptr), -1);
}

TEST(CanvasSurface, CopyToSurfaceHonoursPitch) {
    CanvasPtr c;
    CanvasDesc d{0, 640, 3};
    ASSERT_EQ(c->Create(&d), 0);
    uint16_t* px = nullptr;
    c->GetBuffer(&px);
    for (int i = 0; i < 640 * 3; ++i) px[i] = static_cast<uint16_t>(i * 7 + 1);
    vc15test::MemorySurface s(1536, 3, 0xEE);
    ASSERT_EQ(c->CopyToSurface(&s), 0);
    EXPECT_EQ(s.locks, 1);
    EXPECT_EQ(s.unlocks, 1);
    EXPECT_EQ(s.lastSize, sizeof(DDSURFACEDESC2));
    EXPECT_EQ(s.lastFlags, static_cast<DWORD>(DDLOCK_WAIT));
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(std::memcmp(s.memory.data() + y * 1536, px + y * 640, 1280), 0);
        for (int b = 1280; b < 1536; ++b) ASSERT_EQ(s.memory[y * 1536 + b], 0xEE);
    }
    s.unlockResult = DDERR_GENERIC;
    EXPECT_EQ(c->CopyToSurface(&s), -1);
    s.lockResult = DDERR_SURFACEBUSY;
    const int unlocksBefore = s.unlocks;
    EXPECT_EQ(c->CopyToSurface(&s), -1);
    EXPECT_EQ(s.unlocks, unlocksBefore);  // nothing unlocked after a failed lock
    EXPECT_EQ(c->CopyToSurface(nullptr), -1);
}

}  // namespace
