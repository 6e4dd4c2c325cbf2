// DirectDraw tests that need a display (run under Wine with an Xvfb server
// started by run-with-xvfb.sh): video-memory surfaces at 16 bits and one
// whole frame the way a host puts it on the screen. The DirectDraw unit tests
// compiled into the same program cover depth buffers and the 3-D device
// with this display.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ddraw_support.h"

namespace {

using namespace ddtest;

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Skips without an X server; else a window, a DirectDraw object on it at
// exclusive full-screen 640x480x16.
class DDrawDisplay : public testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        if (const char* why = std::getenv("VC15_DISPLAY_UNAVAILABLE")) GTEST_SKIP() << "no display: " << why;
        if (!std::getenv("VC15_XVFB_DISPLAY"))
            GTEST_SKIP() << "no display: run these tests through tests/ddraw_display/run-with-xvfb.sh";
        window = std::make_unique<TestWindow>();
        ASSERT_NE(window->hwnd, nullptr);
        PumpMessages();
        ASSERT_TRUE(MakeDirectDraw(dd, false));
        ASSERT_EQ(dd->SetCooperativeLevel(window->hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
        ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), 0);
        PumpMessages();
    }
    void TearDown() override {
        dd.reset();
        ResetAll();
    }
    std::unique_ptr<TestWindow> window;
    Ref<IDirectDraw7> dd;
};

// A host's frame: primary with one back buffer, a canvas frame copied to the
// back buffer, flip, and the frame read back from the primary.
TEST_F(DDrawDisplay, FrameThroughAFlippingChain) {
    Ref<IDirectDrawSurface7> primary, back;
    ASSERT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 1, primary.out(), back.out()), 0);
    ASSERT_TRUE(back);
    const DDPIXELFORMAT pf = DescOf(back.get()).ddpfPixelFormat;
    ASSERT_EQ(pf.dwRGBBitCount, 16u);
    std::printf("[ report   ] 16-bit mode masks %04X %04X %04X\n", static_cast<unsigned>(pf.dwRBitMask),
                static_cast<unsigned>(pf.dwGBitMask), static_cast<unsigned>(pf.dwBBitMask));
    ICanvas15* canvas = CreateInstance();
    ASSERT_NE(canvas, nullptr);
    const auto frame = DrawFrame(canvas, 640, 480, 7);
    EXPECT_EQ(canvas->CopyToSurface(back.get()), 0);
    canvas->Release();
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), 0);
    PumpMessages();
    Locked shown(primary.get());
    ASSERT_EQ(shown.desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    shown.ExpectAll(0, &frame, 640, 480);
}

TEST_F(DDrawDisplay, VideoMemoryOffScreenAt16Bits) {
    for (uint8_t video : {uint8_t{0}, uint8_t{1}, uint8_t{255}}) {
        Ref<IDirectDrawSurface7> s;
        ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 40, 30, video), 0) << int(video);
        EXPECT_NE(CapsOf(s.get()) & (video ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY), 0u);
        Locked l(s.get());
        ASSERT_EQ(l.desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        l.ExpectAll(0x7000);
    }
    // Colour matching on the display's own 16-bit format.
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 8, 8, 1), 0);
    DDPIXELFORMAT pf = Sized<DDPIXELFORMAT>();
    ASSERT_EQ(s->GetPixelFormat(&pf), 0);
    for (COLORREF c : {Colour(255, 0, 0), Colour(0, 255, 0)}) EXPECT_EQ(vdxColorMatch(s.get(), c), NativeOf(pf, c));
}

}  // namespace
