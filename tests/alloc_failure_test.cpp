// Every allocation the canvas makes can fail: each caller must give its
// specified result, leave the canvas usable and leak nothing (the sanitizer
// build checks the leaks).
#include <gtest/gtest.h>

#include <vector>

#include "VexaCanvas15.h"
#include "canvas/canvas.h"
#include "core/memory.h"
#include "test_hooks.h"

namespace {

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
    ICanvas15* c = CreateInstance();
    ASSERT_NE(c, nullptr);
    auto& impl = *static_cast<vc15::CCanvas*>(c);
    const CanvasDesc desc{CANVAS_DEPTHPLANE, 32, 16};

    vc15::testing::FailAllocationsAfter(0);  // the pixel buffer fails
    EXPECT_EQ(c->Create(&desc), 0);
    EXPECT_EQ(impl.pixels, nullptr);
    EXPECT_EQ(impl.depthPlane, nullptr);
    EXPECT_EQ(c->GetWidth(), 0);
    CSpanImage sprite;
    const uint16_t px[4] = {1, 2, 3, 4};
    ASSERT_EQ(spnBuildFromPixels(&sprite, px, 4, 1, 4, 0x0040), 0);
    EXPECT_EQ(c->Draw(0, 0, &sprite, nullptr), -1);  // no pixels: refused

    for (long allowed : {1L, 2L}) {  // the plane object, then its bytes, fail
        vc15::testing::FailAllocationsAfter(allowed);
        EXPECT_EQ(c->Create(&desc), 0);
        vc15::testing::FailAllocationsAfter(-1);
        EXPECT_NE(impl.pixels, nullptr);
        EXPECT_EQ(impl.depthPlane, nullptr);
        EXPECT_EQ(c->GetWidth(), 32);
        EXPECT_EQ(c->Draw(0, 0, &sprite, nullptr), 0);
        DepthParams clear{DEPTH_CLEAR, 0, nullptr};
        DrawEffect fx{EFFECT_DEPTH, 0, 0, &clear};
        EXPECT_EQ(c->Draw(0, 0, nullptr, &fx), -1);  // no plane to clear
    }
    c->Release();
}

TEST(AllocationFailure, FillRectWithoutItsRowWritesNothing) {
    InjectionOff guard;
    ICanvas15* c = CreateInstance();
    const CanvasDesc desc{0, 8, 8};
    ASSERT_EQ(c->Create(&desc), 0);
    uint16_t* px = nullptr;
    c->GetBuffer(&px);
    std::fill(px, px + 64, 0x1111);
    const FillRectDesc fill{{255, 255, 255}, 0, 0, 0, 8, 8};
    vc15::testing::FailAllocationsAfter(0);
    EXPECT_EQ(c->FillRect(&fill), 0);
    vc15::testing::FailAllocationsAfter(-1);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(px[i], 0x1111);
    c->Release();
}

}  // namespace
