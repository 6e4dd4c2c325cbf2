// A canvas frame put on a DirectDraw surface the way a host does it: draw,
// CopyToSurface, read the surface back.
#include <random>

#include "ddraw_support.h"

namespace {

using namespace ddtest;

// A canvas with some rectangles drawn on it; returns its pixels.
std::vector<uint16_t> DrawFrame(ICanvas15* canvas, int w, int h) {
    CanvasDesc cd{0, w, h};
    EXPECT_EQ(canvas->Create(&cd), 0);
    FillRectDesc background{{0x10, 0x20, 0x30}, 0, 0, 0, w, h};
    EXPECT_EQ(canvas->FillRect(&background), 0);
    std::mt19937 rng(99);
    for (int i = 0; i < 12; ++i) {
        const int x = static_cast<int>(rng() % static_cast<unsigned>(w - 8));
        const int y = static_cast<int>(rng() % static_cast<unsigned>(h - 8));
        FillRectDesc r{{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())},
                       0,
                       x,
                       y,
                       1 + static_cast<int>(rng() % static_cast<unsigned>(w - x)),
                       1 + static_cast<int>(rng() % static_cast<unsigned>(h - y))};
        EXPECT_EQ(canvas->FillRect(&r), 0);
    }
    uint16_t* pixels = nullptr;
    canvas->GetBuffer(&pixels);
    return std::vector<uint16_t>(pixels, pixels + static_cast<size_t>(w) * static_cast<size_t>(h));
}

// The surface shows the frame in its top-left corner and `outside` elsewhere.
void ExpectFrame(IDirectDrawSurface7* s, const std::vector<uint16_t>& frame, int w, int h, DWORD sw, DWORD sh,
                 uint32_t outside) {
    Locked l(s);
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    for (DWORD y = 0; y < sh; ++y)
        for (DWORD x = 0; x < sw; ++x) {
            const bool in = x < static_cast<DWORD>(w) && y < static_cast<DWORD>(h);
            const uint32_t want = in ? frame[y * static_cast<size_t>(w) + x] : outside;
            ASSERT_EQ(l.get(x, y), want) << x << "," << y;
        }
}

class DDrawFrame : public testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        ASSERT_TRUE(MakeDirectDraw(dd));
        canvas = CreateInstance();
        ASSERT_NE(canvas, nullptr);
    }
    void TearDown() override {
        if (canvas) canvas->Release();
        ResetAll();
    }
    Ref<IDirectDraw7> dd;
    ICanvas15* canvas = nullptr;
};

TEST_F(DDrawFrame, CanvasToOffScreenSurface) {
    // The surface is wider than the canvas (its pitch differs) and keeps its
    // fill outside the copied area.
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 83, 61, Rgb555(), s), 0);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0x7000;
    ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), 0);
    const auto frame = DrawFrame(canvas, 64, 48);
    ASSERT_EQ(canvas->CopyToSurface(s.get()), 0);
    ExpectFrame(s.get(), frame, 64, 48, 83, 61, 0x7000);
}

#if !defined(_WIN32)
TEST_F(DDrawFrame, StandInCanvasThroughTheLibrarysOwnSurfaces) {
    // The stand-in's desktop is 16-bit, so vdxCreateOffScreenSurface gives a
    // surface the canvas can be copied into directly.
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 100, 50, 0), 0);
    const auto frame = DrawFrame(canvas, 90, 40);
    ASSERT_EQ(canvas->CopyToSurface(s.get()), 0);
    ExpectFrame(s.get(), frame, 90, 40, 100, 50, 0x7000);
}

TEST_F(DDrawFrame, StandInBackBufferAndFlip) {
    auto* window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x77));
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), 0);
    Ref<IDirectDrawSurface7> primary, back;
    ASSERT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 1, primary.out(), back.out()), 0);
    ASSERT_TRUE(vdxFillColor(primary.get(), 0, 0, 0));
    const auto frame = DrawFrame(canvas, 640, 480);
    ASSERT_EQ(canvas->CopyToSurface(back.get()), 0);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), 0);
    ExpectFrame(primary.get(), frame, 640, 480, 640, 480, 0);
    ExpectFrame(back.get(), std::vector<uint16_t>(640 * 480, 0), 640, 480, 640, 480, 0);
}
#endif

}  // namespace
