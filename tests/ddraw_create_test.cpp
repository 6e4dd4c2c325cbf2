// Creation: the DirectDraw object from a driver node, primary surfaces with
// and without back buffers, off-screen surfaces filled with 0x7000, depth
// buffers, the Direct3D interface and a 3-D device. Natively the stand-in
// also shows the exact requests; under Wine the created objects are checked.
#include "ddraw_support.h"

namespace {

using namespace ddtest;

class DDrawCreate : public DDrawTest {};

#if !defined(_WIN32)
const vc15::standin::Journal& J() { return vc15::standin::GetJournal(); }

// The last surface request the stand-in received.
void ExpectRequest(DWORD flags, DWORD caps, DWORD width = 0, DWORD height = 0, DWORD backBuffers = 0,
                   const DDPIXELFORMAT& pf = Zeroed<DDPIXELFORMAT>()) {
    const DDSURFACEDESC2& r = J().createSurface;
    EXPECT_EQ(std::memcmp(&r.ddpfPixelFormat, &pf, sizeof pf), 0);
    EXPECT_EQ(r.dwSize, sizeof(DDSURFACEDESC2));
    EXPECT_EQ(r.dwFlags, flags);
    EXPECT_EQ(r.ddsCaps.dwCaps, caps);
    EXPECT_EQ(r.dwWidth, width);
    EXPECT_EQ(r.dwHeight, height);
    EXPECT_EQ(r.dwBackBufferCount, backBuffers);
}
#endif

TEST_F(DDrawCreate, DirectDrawFromDriverNodes) {
    OwnedList drivers;
    ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &drivers), 0);
    for (CDDrawDriverNode* node : drivers.Nodes<CDDrawDriverNode>()) {
        Ref<IDirectDraw7> made;
        ASSERT_EQ(vdxCreateDDraw(node, made.out()), 0) << node->name;
        DDCAPS caps = Sized<DDCAPS>();
        EXPECT_EQ(made->GetCaps(&caps, nullptr), 0);
#if !defined(_WIN32)
        // The guid goes by address, all-zero or not; never as a null pointer.
        EXPECT_EQ(J().createExGuidPointer, &node->guid);
        EXPECT_TRUE(IsEqualGUID(J().createExIid, IID_IDirectDraw7));
        EXPECT_TRUE(J().createExOuterNull);
#endif
    }
    // A node laid out by a host in C, with a table pointer of its own: only
    // its published fields are read (the sanitizer build reports a read
    // through the node class's dynamic type).
    struct CHostDriverNode {
        const void* table;
        void* links[3];
        char name[64], description[64];
        GUID guid;
        DDCAPS caps;
        HMONITOR monitor;
    };
    static_assert(sizeof(CHostDriverNode) == sizeof(CDDrawDriverNode), "C host driver node");
    static const void* const kTable[3] = {nullptr, nullptr, nullptr};
    CHostDriverNode host = Zeroed<CHostDriverNode>();
    host.table = kTable + 2;  // all-zero guid: the primary display driver
    Ref<IDirectDraw7> made;
    ASSERT_EQ(vdxCreateDDraw(reinterpret_cast<CDDrawDriverNode*>(&host), made.out()), 0);
    EXPECT_TRUE(made);
#if !defined(_WIN32)
    EXPECT_EQ(J().createExGuidPointer, &host.guid);
#endif
    // An unknown driver GUID.
    CDDrawDriverNode unknown;
    unknown.guid.Data1 = 0xDEADBEEF;
    IDirectDraw7* out = nullptr;
    const int32_t result = vdxCreateDDraw(&unknown, &out);
    if (result == 0 && !kStandIn) {
        out->Release();
        GTEST_SKIP() << "this platform's DirectDrawCreateEx accepts an unknown driver GUID";
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out, nullptr);
}

TEST_F(DDrawCreate, OffScreenSurfacesAreFilledWith7000) {
    for (uint8_t video : {uint8_t{0}, uint8_t{1}, uint8_t{255}}) {
        SCOPED_TRACE(int(video));
        Ref<IDirectDrawSurface7> s;
        if (vdxCreateOffScreenSurface(dd.get(), s.out(), 37, 11, video) != 0) {
            if (video && !kStandIn) GTEST_SKIP() << "the platform refuses video-memory surfaces here (headless)";
            FAIL() << "surface refused";
        }
        const DDSURFACEDESC2 desc = DescOf(s.get());
        EXPECT_EQ(desc.dwWidth, 37u);  // width comes before height
        EXPECT_EQ(desc.dwHeight, 11u);
        EXPECT_NE(desc.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN, 0u);
        EXPECT_NE(desc.ddsCaps.dwCaps & (video ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY), 0u);
        const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
        // (DirectDraw may set the unused top byte of 32-bit display memory.)
        if (!video) Locked(s.get()).ExpectAll(bits >= 32 ? 0x7000u : (0x7000u & ((1u << bits) - 1u)));
#if !defined(_WIN32)
        ExpectRequest(0x7, video ? 0x4040u : 0x840u, 37, 11);
        const DWORD local = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
        EXPECT_EQ(desc.ddsCaps.dwCaps & local, video ? local : 0u);
        // Exactly one fill (the pixels above show its colour and extent).
        EXPECT_EQ(J().bltCalls, 1);
        EXPECT_EQ(J().blt.flags, 0x1000400u);
        DDBLTFX fx = Sized<DDBLTFX>();
        fx.dwFillColor = 0x7000;
        EXPECT_EQ(std::memcmp(&J().blt.fx, &fx, sizeof fx), 0);
        EXPECT_EQ(bits, 16u);  // the stand-in's desktop is 16-bit
        vc15::standin::ResetForTesting();
#endif
    }
}

TEST_F(DDrawCreate, PrimaryWithoutBackBuffer) {
    Ref<IDirectDrawSurface7> primary;
    ASSERT_EQ(vdxCreateFrameBufferNormal(dd.get(), primary.out()), 0);
    EXPECT_NE(CapsOf(primary.get()) & DDSCAPS_PRIMARYSURFACE, 0u);
    primary.reset();
    auto* sentinel = reinterpret_cast<IDirectDrawSurface7*>(static_cast<uintptr_t>(0x5EED));
    IDirectDrawSurface7* back = sentinel;
#if !defined(_WIN32)
    vc15::standin::ResetForTesting();
    // A flipping chain without the exclusive level: no back buffer asked for.
    EXPECT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 1, primary.out(), &back), -1);
    EXPECT_EQ(J().getAttachedCalls, 0);
    EXPECT_EQ(back, sentinel);
    vc15::standin::ResetForTesting();
#endif
    ASSERT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 0, primary.out(), &back), 0);
    EXPECT_NE(CapsOf(primary.get()) & DDSCAPS_PRIMARYSURFACE, 0u);
    EXPECT_EQ(back, sentinel);
#if !defined(_WIN32)
    EXPECT_EQ(J().createSurfaceCalls, 1);
    EXPECT_EQ(J().getAttachedCalls, 0);
    ExpectRequest(0x1, 0x200);
#endif
}

TEST_F(DDrawCreate, FlippingChainWithTwoBackBuffers) {
    TestWindow window;
    if (!window.hwnd && !kStandIn)
        GTEST_SKIP() << "no window can be created here (headless display); the display tests cover flipping chains";
    ASSERT_EQ(dd->SetCooperativeLevel(window.hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    Ref<IDirectDrawSurface7> primary, back;
    if (vdxCreateFrameBufferExclusive(dd.get(), 2, primary.out(), back.out()) != 0 && !kStandIn)
        GTEST_SKIP() << "the platform refuses flipping chains here (headless display); the display tests cover them";
    ASSERT_TRUE(primary && back);
    EXPECT_NE(CapsOf(back.get()) & DDSCAPS_BACKBUFFER, 0u);
    EXPECT_EQ(DescOf(primary.get()).dwBackBufferCount, 2u);
#if !defined(_WIN32)
    ExpectRequest(0x21, 0x218, 0, 0, 2);
    EXPECT_EQ(J().getAttachedCalls, 1);
    const DDSCAPS2 asked = J().getAttachedCaps;
    EXPECT_TRUE(asked.dwCaps == 0x4u && asked.dwCaps2 == 0 && asked.dwCaps3 == 0 && asked.dwCaps4 == 0);
    // A back buffer the platform will not hand out: -1, the primary kept for
    // the host to release.
    primary.reset();
    back.reset();
    vc15::standin::GetConfig().failGetAttached = true;
    IDirectDrawSurface7* none = nullptr;
    EXPECT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 1, primary.out(), &none), -1);
    EXPECT_TRUE(primary);
#endif
}

// Null objects, nodes and out-pointers: -1 before any platform call, and
// nothing is created that the host could not release.
TEST_F(DDrawCreate, NullArgumentsAndRefusedRequests) {
    IDirectDraw7* ddOut = nullptr;
    IDirectDrawSurface7 *s1 = nullptr, *s2 = nullptr;
    IDirect3D7* d3dOut = nullptr;
    IDirect3DDevice7* devOut = nullptr;
    CDDrawDriverNode driver;
    CZBufferFormatNode format;
    EXPECT_EQ(vdxCreateDDraw(nullptr, &ddOut), -1);
    EXPECT_EQ(vdxCreateDDraw(&driver, nullptr), -1);
    EXPECT_EQ(vdxCreateFrameBufferExclusive(nullptr, 0, &s1, &s2), -1);
    EXPECT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 0, nullptr, &s2), -1);
    EXPECT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 2, &s1, nullptr), -1);
    EXPECT_EQ(vdxCreateFrameBufferNormal(nullptr, &s1), -1);
    EXPECT_EQ(vdxCreateFrameBufferNormal(dd.get(), nullptr), -1);
    EXPECT_EQ(vdxCreateOffScreenSurface(nullptr, &s1, 8, 8, 0), -1);
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), nullptr, 8, 8, 0), -1);
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), &s1, 0, 8, 0), -1);  // a size the platform refuses
    EXPECT_EQ(vdxCreateZBuffer(nullptr, &s1, &format, 8, 8), -1);
    EXPECT_EQ(vdxCreateZBuffer(dd.get(), nullptr, &format, 8, 8), -1);
    EXPECT_EQ(vdxCreateZBuffer(dd.get(), &s1, nullptr, 8, 8), -1);
    EXPECT_EQ(vdxCreateD3D(nullptr, &d3dOut), -1);
    EXPECT_EQ(vdxCreateD3D(dd.get(), nullptr), -1);
    Ref<IDirect3D7> d3d;
    ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    Ref<IDirectDrawSurface7> target;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), target.out(), 8, 8, 0), 0);
    const GUID cls = IID_IDirect3DRGBDevice;
    EXPECT_EQ(vdxCreateD3DDevice(nullptr, &cls, target.get(), &devOut), -1);
    EXPECT_EQ(vdxCreateD3DDevice(d3d.get(), nullptr, target.get(), &devOut), -1);
    EXPECT_EQ(vdxCreateD3DDevice(d3d.get(), &cls, nullptr, &devOut), -1);
    EXPECT_EQ(vdxCreateD3DDevice(d3d.get(), &cls, target.get(), nullptr), -1);
    EXPECT_TRUE(!ddOut && !s1 && !s2 && !d3dOut && !devOut);
}

TEST_F(DDrawCreate, DepthBufferAndDevice) {
    Direct3D d3d(dd.get());
    ASSERT_GE(d3d.devices.list.count, 1);
#if !defined(_WIN32)
    EXPECT_TRUE(IsEqualGUID(J().queryInterfaceIid, IID_IDirect3D7));
#endif
    auto* device = static_cast<CD3DDeviceNode*>(d3d.devices.list.tail);  // the software device comes last on Wine
    OwnedList formats;
    ASSERT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), device, &formats), 0);
    if (formats.list.count == 0 && !kStandIn)
        GTEST_SKIP() << "the platform lists no depth formats here (headless display); the display tests cover them";
    for (CZBufferFormatNode* f : formats.Nodes<CZBufferFormatNode>()) {
        Ref<IDirectDrawSurface7> z;
        ASSERT_EQ(vdxCreateZBuffer(dd.get(), z.out(), f, 33, 17), 0) << f->format.dwZBufferBitDepth;
        const DDSURFACEDESC2 got = DescOf(z.get());
        EXPECT_EQ(got.dwWidth, 33u);  // width before height
        EXPECT_EQ(got.dwHeight, 17u);
        EXPECT_NE(got.ddsCaps.dwCaps & DDSCAPS_ZBUFFER, 0u);
        EXPECT_EQ(got.ddpfPixelFormat.dwZBufferBitDepth, f->format.dwZBufferBitDepth);
        EXPECT_EQ(got.ddpfPixelFormat.dwZBitMask, f->format.dwZBitMask);
#if !defined(_WIN32)
        ExpectRequest(0x1007, 0x24000, 33, 17, 0, f->format);
#endif
    }
    // A render target made with the 3-D capability, in the display's format.
    DDSURFACEDESC2 desc = Sized<DDSURFACEDESC2>();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 64;
    desc.dwHeight = 32;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    Ref<IDirectDrawSurface7> target, rt, plain;
    ASSERT_EQ(dd->CreateSurface(&desc, target.out(), nullptr), 0);
    Ref<IDirect3DDevice7> dev;
    ASSERT_EQ(vdxCreateD3DDevice(d3d.d3d.get(), &device->desc.deviceGUID, target.get(), dev.out()), 0);
    ASSERT_EQ(dev->GetRenderTarget(rt.out()), 0);
    EXPECT_EQ(rt.get(), target.get());
#if !defined(_WIN32)
    EXPECT_EQ(J().createDeviceClass, &device->desc.deviceGUID);
    EXPECT_EQ(J().createDeviceTarget, target.get());
    D3DDEVICEDESC7 caps;
    ASSERT_EQ(dev->GetCaps(&caps), 0);
    EXPECT_TRUE(IsEqualGUID(caps.deviceGUID, device->desc.deviceGUID));
#endif
    // A surface made without the 3-D capability cannot be a render target.
    ASSERT_EQ(MakeSurface(dd.get(), 64, 32, Rgb565(), plain), 0);
    IDirect3DDevice7* none = nullptr;
    EXPECT_EQ(vdxCreateD3DDevice(d3d.d3d.get(), &device->desc.deviceGUID, plain.get(), &none), -1);
    if (none) none->Release();
}

#if !defined(_WIN32)
TEST_F(DDrawCreate, StandInFillFailureKeepsTheSurfaceAndAllIsReleased) {
    vc15::standin::GetConfig().failBlt = true;
    {
        Ref<IDirectDrawSurface7> s, a, b;
        EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 8, 8, 0), -1);
        EXPECT_TRUE(s);
        EXPECT_EQ(J().bltCalls, 1);
        vc15::standin::GetConfig().failBlt = false;
        ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), a.out(), 8, 8, 1), 0);
        ASSERT_EQ(vdxCreateFrameBufferNormal(dd.get(), b.out()), 0);
        Direct3D d3d(dd.get());
        DDSURFACEDESC2 rt = Sized<DDSURFACEDESC2>();
        rt.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        rt.dwWidth = rt.dwHeight = 8;
        rt.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        Ref<IDirectDrawSurface7> target;
        Ref<IDirect3DDevice7> device;
        ASSERT_EQ(dd->CreateSurface(&rt, target.out(), nullptr), 0);
        ASSERT_EQ(vdxCreateD3DDevice(d3d.d3d.get(), &d3d.device()->desc.deviceGUID, target.get(), device.out()), 0);
    }
    dd.reset();
    EXPECT_EQ(vc15::standin::LiveObjects(), 0);
}
#endif

}  // namespace
