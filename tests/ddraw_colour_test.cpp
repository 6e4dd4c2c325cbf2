// Colour matching, colour keys and fills on RGB555, RGB565 and 32-bit
// surfaces, compared with a reference that places each channel's top bits
// under its mask; the probe pixel is checked to be put back.
#include <random>

#include "ddraw_support.h"

namespace {

using namespace ddtest;

struct FormatCase {
    const char* name;
    DDPIXELFORMAT (*make)();
};

const FormatCase kFormats[] = {{"RGB555", Rgb555}, {"RGB565", Rgb565}, {"XRGB8888", Xrgb8888}};

class DDrawColour : public testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        ASSERT_TRUE(MakeDirectDraw(dd));
    }
    void TearDown() override { ResetAll(); }
    Ref<IDirectDraw7> dd;
};

std::vector<COLORREF> SampleColours() {
    std::vector<COLORREF> colours = {Colour(0, 0, 0),   Colour(255, 255, 255), Colour(255, 0, 0),
                                     Colour(0, 255, 0), Colour(0, 0, 255),     Colour(8, 4, 8),
                                     Colour(7, 3, 7),   Colour(128, 64, 32),   Colour(0x12, 0x34, 0x56)};
    std::mt19937 rng(1234);
    for (int i = 0; i < 40; ++i) colours.push_back(rng() & 0xFFFFFF);
    return colours;
}

TEST_F(DDrawColour, NullSurfaceIsRefused) {
    EXPECT_EQ(vdxColorMatch(nullptr, Colour(1, 2, 3)), 0xFFFFFFFFu);
    EXPECT_EQ(vdxSetColorKey(nullptr, Colour(1, 2, 3)), static_cast<HRESULT>(DDERR_INVALIDPARAMS));
    EXPECT_FALSE(vdxFillColor(nullptr, 1, 2, 3));
}

// On every format: the match is the reference value and puts the probe
// pixel back, the colour key is the matched value, the fill fills every
// pixel with it.
TEST_F(DDrawColour, MatchKeyAndFillGiveTheNativeValue) {
    for (const FormatCase& f : kFormats) {
        SCOPED_TRACE(f.name);
        const DDPIXELFORMAT pf = f.make();
        Ref<IDirectDrawSurface7> s;
        ASSERT_EQ(MakeSurface(dd.get(), 13, 5, pf, s), 0);
        const uint32_t probe = NativeOf(pf, Colour(0x40, 0x80, 0xC0));
        const uint32_t neighbour = pf.dwRGBBitCount == 16 ? 0x1234u : 0x00ABCDEFu;
        {
            Locked l(s.get());
            ASSERT_TRUE(l.ok);
            for (DWORD y = 0; y < 5; ++y)
                for (DWORD x = 0; x < 13; ++x) l.set(x, y, neighbour);
            l.set(0, 0, probe);
        }
        for (COLORREF c : SampleColours()) {
            const uint32_t got = vdxColorMatch(s.get(), c);
            ASSERT_EQ(got, NativeOf(pf, c)) << std::hex << "colour 0x" << c;
            Locked l(s.get());
            ASSERT_TRUE(l.ok);
            ASSERT_EQ(l.get(0, 0), probe) << "the probe pixel is put back";
            for (DWORD y = 0; y < 5; ++y)
                for (DWORD x = (y == 0 ? 1 : 0); x < 13; ++x) ASSERT_EQ(l.get(x, y), neighbour);
        }
        const COLORREF c = Colour(0xF0, 0x0F, 0x80);
        ASSERT_EQ(vdxSetColorKey(s.get(), c), 0);
        DDCOLORKEY key{0, 0};
        ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), 0);
        EXPECT_EQ(key.dwColorSpaceLowValue, NativeOf(pf, c));
        EXPECT_EQ(key.dwColorSpaceHighValue, key.dwColorSpaceLowValue);
        ASSERT_TRUE(vdxFillColor(s.get(), 0x20, 0x90, 0xFF));
        const uint32_t expected = NativeOf(pf, Colour(0x20, 0x90, 0xFF));
        Locked l(s.get());
        ASSERT_TRUE(l.ok);
        for (DWORD y = 0; y < 5; ++y)
            for (DWORD x = 0; x < 13; ++x) ASSERT_EQ(l.get(x, y), expected) << x << "," << y;
#if !defined(_WIN32)
        const auto& j = vc15::standin::GetJournal();
        EXPECT_EQ(j.setColorKeyFlags, DDCKEY_SRCBLT);
        EXPECT_EQ(j.blt.flags, 0x1000400u);
        EXPECT_EQ(j.blt.fx.dwSize, sizeof(DDBLTFX));
        EXPECT_TRUE(j.blt.destRectNull && j.blt.srcNull && j.blt.srcRectNull);
#endif
    }
}

TEST_F(DDrawColour, SixteenBitMatchIgnoresTheNextPixel) {
    // Memory after the probe: 0x00 0xF8 0x12 0x34 -> 0xF800 on RGB565.
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 4, 1, Rgb565(), s), 0);
    {
        Locked l(s.get());
        ASSERT_TRUE(l.ok);
        l.set(1, 0, 0x3412);
    }
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(255, 0, 0)), 0xF800u);
}

TEST_F(DDrawColour, TwentyFourBitMatchHasItsTopByteClear) {
    Ref<IDirectDrawSurface7> s;
    if (MakeSurface(dd.get(), 4, 1, Rgb888(), s) != 0) GTEST_SKIP() << "the platform has no 24-bit surfaces";
    {
        Locked l(s.get());
        ASSERT_TRUE(l.ok);
        l.set(1, 0, 0xABABAB);
    }
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(0x11, 0x22, 0x33)), 0x112233u);
}

#if !defined(_WIN32)
TEST_F(DDrawColour, StandInLockFailure) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 4, 4, Rgb555(), s), 0);
    {
        Locked l(s.get());
        l.set(0, 0, 0x1234);
    }
    vc15::standin::GetConfig().failLock = true;
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(255, 255, 255)), 0xFFFFFFFFu);
    // Probe written, then put back although the lock failed.
    EXPECT_EQ(vc15::standin::GetJournal().setPixelCalls, 2);
    vc15::standin::GetConfig().failLock = false;
    {
        Locked l(s.get());
        EXPECT_EQ(l.get(0, 0), 0x1234u);
    }
    // The key and the fill go on with 0xFFFFFFFF.
    vc15::standin::GetConfig().failLock = true;
    EXPECT_EQ(vdxSetColorKey(s.get(), Colour(1, 2, 3)), 0);
    EXPECT_EQ(vc15::standin::GetJournal().setColorKey.dwColorSpaceLowValue, 0xFFFFFFFFu);
    EXPECT_EQ(vc15::standin::GetJournal().setColorKey.dwColorSpaceHighValue, 0xFFFFFFFFu);
    EXPECT_TRUE(vdxFillColor(s.get(), 1, 2, 3));
    vc15::standin::GetConfig().failLock = false;
    Locked l(s.get());
    EXPECT_EQ(l.get(3, 3), 0xFFFFu);
}

TEST_F(DDrawColour, StandInWithoutDeviceContextReadsWhatIsThere) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 4, 4, Rgb565(), s), 0);
    {
        Locked l(s.get());
        l.set(0, 0, 0xBEEF);
        l.set(1, 0, 0xFFFF);
    }
    vc15::standin::GetConfig().failGetDC = true;
    EXPECT_EQ(vdxColorMatch(s.get(), Colour(0, 0, 0)), 0xBEEFu);
    EXPECT_EQ(vc15::standin::GetJournal().setPixelCalls, 0);
    EXPECT_EQ(vc15::standin::GetJournal().lockFlags, 0x801u);
    EXPECT_EQ(vc15::standin::GetJournal().lockDescSize, sizeof(DDSURFACEDESC2));
}

TEST_F(DDrawColour, StandInResultsArePassedOn) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 4, 4, Rgb565(), s), 0);
    vc15::standin::GetConfig().failSetColorKey = true;
    EXPECT_EQ(vdxSetColorKey(s.get(), 0), DDERR_GENERIC);
    vc15::standin::GetConfig().failBlt = true;
    EXPECT_FALSE(vdxFillColor(s.get(), 1, 2, 3));
}
#endif

}  // namespace
