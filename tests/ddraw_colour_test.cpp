// Colour matching, colour keys and fills on RGB555, RGB565, 24-bit and
// 32-bit surfaces, compared with a reference that places each channel's top
// bits under its mask; the probe pixel is checked to be put back. And a
// canvas frame put on a surface the way a host does it.
#include <random>

#include "ddraw_support.h"

namespace {

using namespace ddtest;

class DDrawColour : public DDrawTest {};

TEST_F(DDrawColour, NullSurfaceIsRefused) {
    EXPECT_EQ(vdxColorMatch(nullptr, Colour(1, 2, 3)), 0xFFFFFFFFu);
    EXPECT_EQ(vdxSetColorKey(nullptr, Colour(1, 2, 3)), static_cast<HRESULT>(DDERR_INVALIDPARAMS));
    EXPECT_FALSE(vdxFillColor(nullptr, 1, 2, 3));
}

// On every format: the match is the reference value (only the pixel's own
// bytes, whatever follows it) and puts the probe pixel back, the colour key
// is the matched value, the fill fills every pixel with it.
TEST_F(DDrawColour, MatchKeyAndFillGiveTheNativeValue) {
    std::vector<COLORREF> colours = {Colour(0, 0, 0),   Colour(255, 255, 255), Colour(255, 0, 0),
                                     Colour(0, 255, 0), Colour(0, 0, 255),     Colour(8, 4, 8),
                                     Colour(7, 3, 7),   Colour(128, 64, 32),   Colour(0x12, 0x34, 0x56)};
    std::mt19937 rng(1234);
    for (int i = 0; i < 40; ++i) colours.push_back(rng() & 0xFFFFFF);
    for (const DDPIXELFORMAT& pf : {Rgb555(), Rgb565(), Rgb888(), Xrgb8888()}) {
        SCOPED_TRACE(testing::Message() << std::hex << pf.dwRBitMask << " " << pf.dwGBitMask);
        Ref<IDirectDrawSurface7> s;
        const HRESULT made = MakeSurface(dd.get(), 13, 5, pf, s);
        if (made != 0 && pf.dwRGBBitCount == 24 && !kStandIn) continue;  // the platform has no 24-bit surfaces
        ASSERT_EQ(made, 0);
        const uint32_t probe = NativeOf(pf, Colour(0x40, 0x80, 0xC0));
        const uint32_t neighbour = pf.dwRGBBitCount == 16 ? 0x1234u : 0x00ABCDEFu;
        {
            Locked l(s.get());
            ASSERT_TRUE(l.ok);
            for (DWORD y = 0; y < 5; ++y)
                for (DWORD x = 0; x < 13; ++x) l.set(x, y, x || y ? neighbour : probe);
        }
        for (COLORREF c : colours) {
            ASSERT_EQ(vdxColorMatch(s.get(), c), NativeOf(pf, c)) << std::hex << "colour 0x" << c;
            Locked l(s.get());
            for (DWORD y = 0; y < 5; ++y)
                for (DWORD x = 0; x < 13; ++x) ASSERT_EQ(l.get(x, y), x || y ? neighbour : probe) << x << "," << y;
        }
        const COLORREF c = Colour(0xF0, 0x0F, 0x80);
        ASSERT_EQ(vdxSetColorKey(s.get(), c), 0);
        DDCOLORKEY key{0, 0};
        ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), 0);
        EXPECT_EQ(key.dwColorSpaceLowValue, NativeOf(pf, c));
        EXPECT_EQ(key.dwColorSpaceHighValue, key.dwColorSpaceLowValue);
        ASSERT_TRUE(vdxFillColor(s.get(), 0x20, 0x90, 0xFF));
        Locked(s.get()).ExpectAll(NativeOf(pf, Colour(0x20, 0x90, 0xFF)));
#if !defined(_WIN32)
        const auto& j = vc15::standin::GetJournal();
        EXPECT_EQ(j.setColorKeyFlags, DDCKEY_SRCBLT);
        EXPECT_EQ(j.blt.flags, 0x1000400u);
        EXPECT_EQ(j.blt.fx.dwSize, sizeof(DDBLTFX));
        EXPECT_TRUE(j.blt.destRectNull && j.blt.srcNull && j.blt.srcRectNull);
#endif
    }
}

// A canvas frame copied to a surface wider than the canvas (its pitch
// differs), which keeps its fill outside the copied area.
TEST_F(DDrawColour, CanvasFrameOnASurface) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 83, 61, Rgb555(), s), 0);
    DDBLTFX fx = Sized<DDBLTFX>();
    fx.dwFillColor = 0x7000;
    ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), 0);
    ICanvas15* canvas = CreateInstance();
    ASSERT_NE(canvas, nullptr);
    const auto frame = DrawFrame(canvas, 64, 48, 99);
    EXPECT_EQ(canvas->CopyToSurface(s.get()), 0);
    canvas->Release();
    Locked(s.get()).ExpectAll(0x7000, &frame, 64, 48);
}

#if !defined(_WIN32)
TEST_F(DDrawColour, StandInLockFailure) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 4, 4, Rgb555(), s), 0);
    Locked(s.get()).set(0, 0, 0x1234);
    auto& config = vc15::standin::GetConfig();
    const auto& j = vc15::standin::GetJournal();
    config.failLock = true;
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(255, 255, 255)), 0xFFFFFFFFu);
    // Probe written, then put back although the lock failed.
    EXPECT_EQ(j.setPixelCalls, 2);
    config.failLock = false;
    EXPECT_EQ(Locked(s.get()).get(0, 0), 0x1234u);
    // The key and the fill go on with 0xFFFFFFFF.
    config.failLock = true;
    EXPECT_EQ(vdxSetColorKey(s.get(), Colour(1, 2, 3)), 0);
    EXPECT_EQ(j.setColorKey.dwColorSpaceLowValue, 0xFFFFFFFFu);
    EXPECT_EQ(j.setColorKey.dwColorSpaceHighValue, 0xFFFFFFFFu);
    EXPECT_TRUE(vdxFillColor(s.get(), 1, 2, 3));
    config.failLock = false;
    EXPECT_EQ(Locked(s.get()).get(3, 3), 0xFFFFu);
}

TEST_F(DDrawColour, StandInWithoutDeviceContextAndFailedCalls) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 4, 4, Rgb565(), s), 0);
    {
        Locked l(s.get());
        l.set(0, 0, 0xBEEF);
        l.set(1, 0, 0xFFFF);
    }
    auto& config = vc15::standin::GetConfig();
    const auto& j = vc15::standin::GetJournal();
    config.failGetDC = true;  // the match reads what is there
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(0, 0, 0)), 0xBEEFu);
    EXPECT_EQ(j.setPixelCalls, 0);
    EXPECT_EQ(j.lockFlags, 0x801u);
    EXPECT_EQ(j.lockDescSize, sizeof(DDSURFACEDESC2));
    config.failSetColorKey = true;  // the platform's results are passed on
    EXPECT_EQ(vdxSetColorKey(s.get(), 0), DDERR_GENERIC);
    config.failBlt = true;
    EXPECT_FALSE(vdxFillColor(s.get(), 1, 2, 3));
}
#endif

}  // namespace
