// The software stand-in for DirectDraw on systems without it: pitches, device
// contexts, flipping chains, blits, colour keys, the rules it shares with
// DirectDraw (cooperative level, one primary), display memory and object
// lifetimes. Compiled only where the stand-in is.
#if !defined(_WIN32)

#include "ddraw/standin/standin.h"
#include "ddraw_support.h"

namespace {

using namespace ddtest;
using vc15::standin::LiveObjects;

HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x99)); }

class StandIn : public DDrawTest {
protected:
    void TearDown() override {
        DDrawTest::TearDown();
        EXPECT_EQ(LiveObjects(), 0) << "every stand-in object was released";
    }
};

TEST_F(StandIn, LockRulesAndRectangles) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 10, 10, Rgb555(), s), 0);
    DDSURFACEDESC2 d = Zeroed<DDSURFACEDESC2>();
    d.dwSize = sizeof d == 124 ? 136 : 124;  // the other word size's record is refused
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    d.dwSize = sizeof d;
    RECT r{2, 3, 5, 7};
    ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT, nullptr), 0);
    const auto* at = static_cast<uint8_t*>(d.lpSurface);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), 0);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(at, Locked(s.get()).at(2, 3));
    RECT bad{5, 5, 11, 6}, empty{2, 3, 2, 7};
    EXPECT_EQ(s->Lock(&bad, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(s->Lock(&empty, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
}

// Pitches rounded to four bytes; SetPixel stores the native value and
// returns, as GetPixel does, the colour widened by repeating its bits.
TEST_F(StandIn, PitchesAndDeviceContexts) {
    const struct {
        DDPIXELFORMAT pf;
        DWORD width;
        LONG pitch;
        COLORREF in;
        uint32_t native;
        COLORREF back;
    } cases[] = {
        {Rgb555(), 3, 8, Colour(0x12, 0x34, 0x56), 0x2 << 10 | 0x6 << 5 | 0xA, Colour(0x10, 0x31, 0x52)},
        {Rgb565(), 1, 4, Colour(0x84, 0x82, 0x84), 0x8410, Colour(0x84, 0x82, 0x84)},
        {Rgb565(), 4, 8, Colour(0, 255, 0), 0x07E0, Colour(0, 255, 0)},
        {Rgb888(), 3, 12, Colour(0xAA, 0xBB, 0xCC), 0xAABBCC, Colour(0xAA, 0xBB, 0xCC)},
        {Rgb888(), 5, 16, Colour(1, 2, 3), 0x010203, Colour(1, 2, 3)},
        {Xrgb8888(), 7, 28, Colour(1, 2, 3), 0x010203, Colour(1, 2, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        Ref<IDirectDrawSurface7> s;
        ASSERT_EQ(MakeSurface(dd.get(), c.width, 3, c.pf, s), 0);
        const int x = static_cast<int>(c.width) - 1;
        HDC dc = nullptr, second = nullptr;
        ASSERT_EQ(s->GetDC(&dc), 0);
        EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
        EXPECT_EQ(vc15::standin::SetPixel(dc, x, 1, c.in), c.back);
        EXPECT_EQ(vc15::standin::GetPixel(dc, x, 1), c.back);
        EXPECT_EQ(vc15::standin::GetPixel(dc, x + 1, 0), CLR_INVALID);
        EXPECT_EQ(vc15::standin::SetPixel(dc, 0, -1, c.in), CLR_INVALID);
        EXPECT_EQ(s->ReleaseDC(dc), 0);
        EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
        Locked l(s.get());
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.desc.lPitch, c.pitch);
        EXPECT_EQ(l.desc.dwWidth, c.width);
        EXPECT_NE(l.desc.dwFlags & DDSD_LPSURFACE, 0u);
        EXPECT_EQ(l.get(x, 1), c.native) << std::hex << c.in;
        EXPECT_EQ(l.get(x, 0), 0u);
    }
    EXPECT_EQ(vc15::standin::GetPixel(nullptr, 0, 0), CLR_INVALID);
}

TEST_F(StandIn, GetPixelAfterSetPixelRoundTripsEveryNativeValue) {
    for (auto pf : {Rgb555(), Rgb565()}) {
        Ref<IDirectDrawSurface7> s;
        ASSERT_EQ(MakeSurface(dd.get(), 1, 1, pf, s), 0);
        for (uint32_t v = 0; v < 0x10000; v += 7) {
            const uint32_t native = v & (pf.dwRBitMask | pf.dwGBitMask | pf.dwBBitMask);
            Locked(s.get()).set(0, 0, native);
            HDC dc = nullptr;
            ASSERT_EQ(s->GetDC(&dc), 0);
            const COLORREF c = vc15::standin::GetPixel(dc, 0, 0);
            vc15::standin::SetPixel(dc, 0, 0, 0);
            vc15::standin::SetPixel(dc, 0, 0, c);
            s->ReleaseDC(dc);
            ASSERT_EQ(Locked(s.get()).get(0, 0), native) << std::hex << native;
        }
    }
}

TEST_F(StandIn, FlipRotatesAChainOfThree) {
    ASSERT_EQ(dd->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 32, 75, 0), 0);
    Ref<IDirectDrawSurface7> front, back;
    ASSERT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 2, front.out(), back.out()), 0);
    DDSCAPS2 flipCaps{DDSCAPS_FLIP, 0, 0, {0}};
    Ref<IDirectDrawSurface7> third;
    EXPECT_EQ(back->GetAttachedSurface(nullptr, third.out()), DDERR_INVALIDPARAMS);
    EXPECT_EQ(back->GetAttachedSurface(&flipCaps, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(back->GetAttachedSurface(&flipCaps, third.out()), 0);
    ASSERT_NE(third.get(), front.get());
    const DDSURFACEDESC2 d = DescOf(front.get());
    EXPECT_EQ(d.dwWidth, 800u);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(d.dwBackBufferCount, 2u);
    EXPECT_NE(d.dwFlags & DDSD_BACKBUFFERCOUNT, 0u);
    // Mark each buffer, flip three times and follow the marks.
    IDirectDrawSurface7* chain[3] = {front.get(), back.get(), third.get()};
    for (uint32_t i = 0; i < 3; ++i) Locked(chain[i]).set(0, 0, 0xA0 + i);
    for (uint32_t flip = 1; flip <= 3; ++flip) {
        ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), 0);
        for (uint32_t i = 0; i < 3; ++i)
            EXPECT_EQ(Locked(chain[i]).get(0, 0), 0xA0 + (i + flip) % 3) << "flip " << flip << " buffer " << i;
    }
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    {
        Locked busy(back.get());
        EXPECT_EQ(front->Flip(nullptr, 0), DDERR_SURFACEBUSY);
    }
    // A second primary is refused while this one lives.
    IDirectDrawSurface7* other = nullptr;
    EXPECT_EQ(vdxCreateFrameBufferNormal(dd.get(), &other), -1);
    // The back buffers outlive their front, and then a primary can be made again.
    front.reset();
    EXPECT_TRUE(Locked(back.get()).ok);
    EXPECT_EQ(vdxCreateFrameBufferNormal(dd.get(), front.out()), 0);
}

TEST_F(StandIn, PlainCopyBlitAndFills) {
    Ref<IDirectDrawSurface7> a, b;
    ASSERT_EQ(MakeSurface(dd.get(), 8, 8, Rgb565(), a), 0);
    ASSERT_EQ(MakeSurface(dd.get(), 8, 8, Rgb565(), b), 0);
    DDBLTFX fx = Sized<DDBLTFX>();
    fx.dwFillColor = 0x12345;  // only the surface's 16 bits are stored
    RECT part{1, 2, 4, 6};
    ASSERT_EQ(a->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), 0);
    ASSERT_EQ(b->Blt(nullptr, a.get(), nullptr, DDBLT_WAIT, nullptr), 0);
    fx.dwSize = sizeof fx == 100 ? 128 : 100;  // the other word size's record
    EXPECT_EQ(a->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
    RECT stretched{0, 0, 8, 4};
    EXPECT_EQ(b->Blt(&stretched, a.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_UNSUPPORTED);
    EXPECT_EQ(a->BltFast(0, 0, b.get(), nullptr, 0), DDERR_UNSUPPORTED);
    Locked l(b.get());
    for (DWORD y = 0; y < 8; ++y)
        for (DWORD x = 0; x < 8; ++x)
            ASSERT_EQ(l.get(x, y), (x >= 1 && x < 4 && y >= 2 && y < 6) ? 0x2345u : 0u) << x << "," << y;
}

TEST_F(StandIn, ColourKeysAndDepthAttachment) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(MakeSurface(dd.get(), 8, 8, Rgb565(), s, DDSCAPS_3DDEVICE), 0);
    DDCOLORKEY key{5, 9};
    EXPECT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), 0);
    DDCOLORKEY got{0, 0};
    ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &got), 0);
    EXPECT_EQ(got.dwColorSpaceLowValue, 5u);
    EXPECT_EQ(got.dwColorSpaceHighValue, 5u);  // without a colour space: the low value
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &key), 0);
    ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &got), 0);
    EXPECT_EQ(got.dwColorSpaceHighValue, 9u);
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, nullptr), 0);
    EXPECT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &got), DDERR_NOCOLORKEY);

    CZBufferFormatNode node;
    node.format = Sized<DDPIXELFORMAT>();
    node.format.dwFlags = DDPF_ZBUFFER;
    node.format.dwZBufferBitDepth = 16;
    node.format.dwZBitMask = 0xFFFF;
    Ref<IDirectDrawSurface7> z;
    ASSERT_EQ(vdxCreateZBuffer(dd.get(), z.out(), &node, 8, 8), 0);
    ASSERT_EQ(s->AddAttachedSurface(z.get()), 0);
    EXPECT_EQ(s->AddAttachedSurface(z.get()), DDERR_SURFACEALREADYATTACHED);
    EXPECT_EQ(z->AddAttachedSurface(s.get()), DDERR_CANNOTATTACHSURFACE);  // only depth buffers attach
    DDSCAPS2 zc{DDSCAPS_ZBUFFER, 0, 0, {0}};
    Ref<IDirectDrawSurface7> found;
    ASSERT_EQ(s->GetAttachedSurface(&zc, found.out()), 0);
    EXPECT_EQ(found.get(), z.get());
    HDC dc = nullptr;
    EXPECT_EQ(z->GetDC(&dc), DDERR_CANTCREATEDC);  // no GDI on depth buffers
    EXPECT_EQ(s->DeleteAttachedSurface(0, z.get()), 0);
    // A depth buffer needs a depth format.
    node.format.dwFlags = DDPF_RGB;
    IDirectDrawSurface7* bad = nullptr;
    EXPECT_EQ(vdxCreateZBuffer(dd.get(), &bad, &node, 8, 8), -1);
}

TEST_F(StandIn, CooperativeLevelAndDisplayModes) {
    Ref<IDirectDraw7> fresh;
    ASSERT_TRUE(MakeDirectDraw(fresh, false));
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(vdxCreateOffScreenSurface(fresh.get(), &s, 4, 4, 0), -1);  // no cooperative level yet
    EXPECT_EQ(vc15::standin::GetJournal().bltCalls, 0);
    EXPECT_EQ(fresh->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(fresh->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(fresh->SetCooperativeLevel(nullptr, 0), DDERR_INVALIDPARAMS);
    ASSERT_EQ(fresh->SetCooperativeLevel(nullptr, DDSCL_NORMAL), 0);
    EXPECT_EQ(fresh->SetDisplayMode(641, 480, 16, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(fresh->SetDisplayMode(640, 480, 16, 61, 0), DDERR_INVALIDMODE);
    ASSERT_EQ(fresh->SetDisplayMode(1024, 768, 32, 0, 0), 0);
    DDSURFACEDESC2 mode = Sized<DDSURFACEDESC2>();
    ASSERT_EQ(fresh->GetDisplayMode(&mode), 0);
    EXPECT_EQ(mode.dwWidth, 1024u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwBBitMask, 0xFFu);
    // Surfaces without a pixel format now take the 32-bit format.
    Ref<IDirectDrawSurface7> wide;
    ASSERT_EQ(vdxCreateOffScreenSurface(fresh.get(), wide.out(), 4, 4, 0), 0);
    Locked l(wide.get());
    EXPECT_EQ(l.desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(l.get(3, 3), 0x7000u);
    // Modes reported, all or those of a format.
    struct Count {
        static HRESULT VC15_COM_CALL Call(DDSURFACEDESC2* d, void* ctx) {
            EXPECT_EQ(d->dwSize, sizeof(DDSURFACEDESC2));
            EXPECT_EQ(d->lPitch, static_cast<LONG>(d->dwWidth * d->ddpfPixelFormat.dwRGBBitCount / 8));
            ++*static_cast<int*>(ctx);
            return DDENUMRET_OK;
        }
    };
    int n = 0;
    ASSERT_EQ(dd->EnumDisplayModes(0, nullptr, &n, Count::Call), 0);
    EXPECT_EQ(n, vc15::standin::kBuiltInModes);
    DDSURFACEDESC2 filter = Sized<DDSURFACEDESC2>();
    filter.dwFlags = DDSD_PIXELFORMAT;
    filter.ddpfPixelFormat.dwRGBBitCount = 16;
    n = 0;
    ASSERT_EQ(dd->EnumDisplayModes(DDEDM_REFRESHRATES, &filter, &n, Count::Call), 0);
    EXPECT_EQ(n, 6);
}

TEST_F(StandIn, SizesAndDisplayMemoryAreBounded) {
    IDirectDrawSurface7* none = nullptr;
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), &none, 0x7FFFFFFF, 0x7FFFFFFF, 0), -1);
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), &none, 16385, 1, 0), -1);
    EXPECT_EQ(none, nullptr);
    Ref<IDirectDrawSurface7> flat;
    EXPECT_EQ(MakeSurface(dd.get(), 5, 0, Rgb565(), flat), DDERR_INVALIDPARAMS);
    // 32 MiB of pretend display memory: a 16384x512 16-bit surface takes 16 MiB, so two fit (the
    // second one row smaller) and a third does not until one is released.
    Ref<IDirectDrawSurface7> v1, v2, v3;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), v1.out(), 16384, 512, 1), 0);
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), v2.out(), 16384, 511, 1), 0);
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), v3.out(), 16384, 512, 1), -1);
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), v3.out(), 16384, 512, 0), 0);  // system memory is not counted
    DWORD total = 0, free = 0;
    ASSERT_EQ(dd->GetAvailableVidMem(nullptr, &total, nullptr), 0);
    ASSERT_EQ(dd->GetAvailableVidMem(nullptr, nullptr, &free), 0);
    DDCAPS caps = Sized<DDCAPS>();
    ASSERT_EQ(dd->GetCaps(&caps, nullptr), 0);
    EXPECT_EQ(total - free, 16384u * 1023u * 2u);
    EXPECT_EQ(caps.dwVidMemFree, free);
    v1.reset();
    Ref<IDirectDrawSurface7> v4;
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), v4.out(), 16384, 512, 1), 0);
}

TEST_F(StandIn, InterfacesAndReferenceCounts) {
    void* out = nullptr;
    ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw7, &out), 0);
    EXPECT_EQ(out, dd.get());
    EXPECT_EQ(static_cast<IDirectDraw7*>(out)->Release(), 1u);
    EXPECT_EQ(dd->AddRef(), 2u);
    EXPECT_EQ(dd->Release(), 1u);
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDrawSurface7, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 4, 4, 0), 0);
    EXPECT_EQ(s->AddRef(), 2u);
    EXPECT_EQ(s->Release(), 1u);
    void* owner = nullptr;
    ASSERT_EQ(s->GetDDInterface(&owner), 0);
    EXPECT_EQ(owner, dd.get());
    static_cast<IDirectDraw7*>(owner)->Release();
    // The surface keeps its DirectDraw object alive.
    const int live = LiveObjects();
    dd.reset();
    EXPECT_EQ(LiveObjects(), live);
    s.reset();
    EXPECT_EQ(LiveObjects(), 0);
}

}  // namespace

#endif  // !_WIN32
