// DirectDraw tests that need a display (run under Wine with an Xvfb server
// started by run-with-xvfb.sh): video-memory surfaces at 16 bits and one
// whole frame the way a host puts it on the screen. The DirectDraw unit tests
// compiled into the same program cover depth buffers and the 3-D device
// with this display.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "ddraw_support.h"

namespace {

using namespace ddtest;

// Skips the calling test when there is no X server to run on.
#define VC15_NEED_DISPLAY()                                                                                   \
    do {                                                                                                      \
        if (const char* why = std::getenv("VC15_DISPLAY_UNAVAILABLE")) GTEST_SKIP() << "no display: " << why; \
        if (!std::getenv("VC15_XVFB_DISPLAY"))                                                                \
            GTEST_SKIP() << "no display: run these tests through tests/ddraw_display/run-with-xvfb.sh";       \
    } while (0)

class DDrawDisplay : public testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }
};

HWND MakeWindow() {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA wc;
        std::memset(&wc, 0, sizeof wc);
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = "vc15_ddraw_display";
        registered = RegisterClassA(&wc) != 0;
    }
    return CreateWindowExA(0, "vc15_ddraw_display", "VexaCanvas15 display test", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                           nullptr, nullptr, instance, nullptr);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct Window {
    HWND hwnd = MakeWindow();
    ~Window() {
        if (hwnd) DestroyWindow(hwnd);
    }
};

// A host's frame: DirectDraw from a driver node, exclusive full-screen
// 640x480x16 on a window, primary with one back buffer, a canvas frame copied
// to the back buffer, flip, and the frame read back from the primary.
TEST_F(DDrawDisplay, FrameThroughAFlippingChain) {
    VC15_NEED_DISPLAY();
    Window window;
    ASSERT_NE(window.hwnd, nullptr);
    PumpMessages();
    OwnedList drivers;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &drivers), 0);
    Ref<IDirectDraw7> dd;
    ASSERT_EQ(vdxCreateDDraw(static_cast<CDDrawDriverNode*>(drivers.list.head), dd.out()), 0);
    ASSERT_EQ(dd->SetCooperativeLevel(window.hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), 0);
    PumpMessages();

    Ref<IDirectDrawSurface7> primary, back;
    ASSERT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 1, primary.out(), back.out()), 0);
    ASSERT_TRUE(back);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    ASSERT_EQ(back->GetSurfaceDesc(&desc), 0);
    ASSERT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    std::printf(
        "[ report   ] 16-bit mode masks %04X %04X %04X\n", static_cast<unsigned>(desc.ddpfPixelFormat.dwRBitMask),
        static_cast<unsigned>(desc.ddpfPixelFormat.dwGBitMask), static_cast<unsigned>(desc.ddpfPixelFormat.dwBBitMask));

    ICanvas15* canvas = CreateInstance();
    ASSERT_NE(canvas, nullptr);
    CanvasDesc cd{0, 640, 480};
    ASSERT_EQ(canvas->Create(&cd), 0);
    FillRectDesc background{{0x00, 0x40, 0x80}, 0, 0, 0, 640, 480};
    ASSERT_EQ(canvas->FillRect(&background), 0);
    std::mt19937 rng(7);
    for (int i = 0; i < 20; ++i) {
        const int x = static_cast<int>(rng() % 600), y = static_cast<int>(rng() % 440);
        FillRectDesc r{{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())},
                       0,
                       x,
                       y,
                       1 + static_cast<int>(rng() % 40),
                       1 + static_cast<int>(rng() % 40)};
        ASSERT_EQ(canvas->FillRect(&r), 0);
    }
    uint16_t* pixels = nullptr;
    canvas->GetBuffer(&pixels);
    std::vector<uint16_t> frame(pixels, pixels + 640 * 480);

    ASSERT_EQ(canvas->CopyToSurface(back.get()), 0);
    canvas->Release();
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), 0);
    PumpMessages();

    Locked shown(primary.get());
    ASSERT_TRUE(shown.ok);
    ASSERT_EQ(shown.desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    int wrong = 0;
    for (DWORD y = 0; y < 480; ++y)
        for (DWORD x = 0; x < 640; ++x)
            if (shown.get(x, y) != frame[y * 640 + x] && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << shown.get(x, y)
                              << " != " << frame[y * 640 + x];
    EXPECT_EQ(wrong, 0);
}

TEST_F(DDrawDisplay, VideoMemoryOffScreenAt16Bits) {
    VC15_NEED_DISPLAY();
    Window window;
    ASSERT_NE(window.hwnd, nullptr);
    Ref<IDirectDraw7> dd;
    OwnedList drivers;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &drivers), 0);
    ASSERT_EQ(vdxCreateDDraw(static_cast<CDDrawDriverNode*>(drivers.list.head), dd.out()), 0);
    ASSERT_EQ(dd->SetCooperativeLevel(window.hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), 0);
    for (uint8_t video : {uint8_t{0}, uint8_t{1}, uint8_t{255}}) {
        Ref<IDirectDrawSurface7> s;
        ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 40, 30, video), 0) << int(video);
        DDSCAPS2 caps;
        ASSERT_EQ(s->GetCaps(&caps), 0);
        EXPECT_NE(caps.dwCaps & (video ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY), 0u);
        Locked l(s.get());
        ASSERT_TRUE(l.ok);
        ASSERT_EQ(l.desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        for (DWORD y = 0; y < 30; ++y)
            for (DWORD x = 0; x < 40; ++x) ASSERT_EQ(l.get(x, y), 0x7000u) << x << "," << y;
    }
    // Colour matching on the display's own 16-bit format.
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 8, 8, 1), 0);
    DDPIXELFORMAT pf;
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    ASSERT_EQ(s->GetPixelFormat(&pf), 0);
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(255, 0, 0)), NativeOf(pf, Colour(255, 0, 0)));
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(0, 255, 0)), NativeOf(pf, Colour(0, 255, 0)));
}

}  // namespace
