// Creation: the DirectDraw object from a driver node, primary surfaces with
// and without back buffers, off-screen surfaces filled with 0x7000, depth
// buffers, the Direct3D interface and a 3-D device. Natively the stand-in
// also shows the exact requests; under Wine the created objects are checked.
#include "ddraw_support.h"

namespace {

using namespace ddtest;

class DDrawCreate : public testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        ASSERT_TRUE(MakeDirectDraw(dd));
    }
    void TearDown() override { ResetAll(); }
    Ref<IDirectDraw7> dd;
};

TEST_F(DDrawCreate, DirectDrawFromEveryDriverNode) {
    OwnedList drivers;
    ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &drivers), 0);
    for (CDDrawDriverNode* node : drivers.Nodes<CDDrawDriverNode>()) {
        Ref<IDirectDraw7> made;
        ASSERT_EQ(vdxCreateDDraw(node, made.out()), 0) << node->name;
        ASSERT_TRUE(made);
        DDCAPS caps;
        std::memset(&caps, 0, sizeof caps);
        caps.dwSize = sizeof caps;
        EXPECT_EQ(made->GetCaps(&caps, nullptr), 0);
#if !defined(_WIN32)
        const auto& j = vc15::standin::GetJournal();
        // The guid goes by address, all-zero or not; never as a null pointer.
        EXPECT_EQ(j.createExGuidPointer, &node->guid);
        EXPECT_TRUE(IsEqualGUID(j.createExIid, IID_IDirectDraw7));
        EXPECT_TRUE(j.createExOuterNull);
#endif
    }
}

// A driver node laid out by a host in C, with a table pointer of its own:
// only its published fields are read (the sanitizer build reports a read
// through the node class's dynamic type).
TEST_F(DDrawCreate, DriverNodeOfACHost) {
    struct CHostDriverNode {
        const void* table;
        void* prev;
        void* next;
        void* owner;
        char name[64];
        char description[64];
        GUID guid;
        DDCAPS caps;
        HMONITOR monitor;
    };
    static_assert(sizeof(CHostDriverNode) == sizeof(CDDrawDriverNode), "C host driver node");
    static const void* const kTable[3] = {nullptr, nullptr, nullptr};
    CHostDriverNode node;
    std::memset(&node, 0, sizeof node);
    node.table = kTable + 2;  // all-zero guid: the primary display driver
    Ref<IDirectDraw7> made;
    ASSERT_EQ(vdxCreateDDraw(reinterpret_cast<CDDrawDriverNode*>(&node), made.out()), 0);
    EXPECT_TRUE(made);
#if !defined(_WIN32)
    EXPECT_EQ(vc15::standin::GetJournal().createExGuidPointer, &node.guid);
#endif
}

TEST_F(DDrawCreate, UnknownDriverGuidFails) {
    CDDrawDriverNode node;
    node.guid.Data1 = 0xDEADBEEF;
    IDirectDraw7* out = nullptr;
    const int32_t result = vdxCreateDDraw(&node, &out);
    if (result == 0 && !kStandIn) {
        out->Release();
        GTEST_SKIP() << "this platform's DirectDrawCreateEx accepts an unknown driver GUID";
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out, nullptr);
}

TEST_F(DDrawCreate, OffScreenSystemMemoryIsFilledWith7000) {
    Ref<IDirectDrawSurface7> s;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 37, 11, 0), 0);
    ASSERT_TRUE(s);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    ASSERT_EQ(s->GetSurfaceDesc(&desc), 0);
    EXPECT_EQ(desc.dwWidth, 37u);  // width comes before height
    EXPECT_EQ(desc.dwHeight, 11u);
    EXPECT_NE(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_NE(desc.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN, 0u);
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    Locked l(s.get());
    ASSERT_TRUE(l.ok);
    const uint32_t expected = bits >= 32 ? 0x7000u : (0x7000u & ((1u << bits) - 1u));
    for (DWORD y = 0; y < 11; ++y)
        for (DWORD x = 0; x < 37; ++x) ASSERT_EQ(l.get(x, y), expected) << x << "," << y;
#if !defined(_WIN32)
    // Exactly one fill (the pixels above show its colour and extent).
    const auto& j = vc15::standin::GetJournal();
    EXPECT_TRUE(AllZero(&j.createSurface.ddpfPixelFormat, sizeof(DDPIXELFORMAT)));
    EXPECT_EQ(j.bltCalls, 1);
    EXPECT_EQ(j.blt.flags, 0x1000400u);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0x7000;
    EXPECT_EQ(std::memcmp(&j.blt.fx, &fx, sizeof fx), 0);
    EXPECT_EQ(bits, 16u);  // the stand-in's desktop is 16-bit
#endif
}

TEST_F(DDrawCreate, OffScreenVideoMemory) {
    for (uint8_t video : {uint8_t{1}, uint8_t{255}}) {
        Ref<IDirectDrawSurface7> s;
        if (vdxCreateOffScreenSurface(dd.get(), s.out(), 16, 8, video) != 0) {
            if (!kStandIn) GTEST_SKIP() << "the platform refuses video-memory surfaces here (headless display)";
            FAIL() << "video-memory surface refused";
        }
        DDSCAPS2 caps;
        ASSERT_EQ(s->GetCaps(&caps), 0);
        EXPECT_NE(caps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
#if !defined(_WIN32)
        EXPECT_EQ(vc15::standin::GetJournal().createSurface.ddsCaps.dwCaps, 0x4040u);
        EXPECT_EQ(vc15::standin::GetJournal().createSurface.dwFlags, 0x7u);
#endif
    }
}

TEST_F(DDrawCreate, OffScreenRefusedSizeFails) {
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), &s, 0, 8, 0), -1);
    if (s) s->Release();
}

TEST_F(DDrawCreate, PrimaryNormal) {
    Ref<IDirectDrawSurface7> primary;
    ASSERT_EQ(vdxCreateFrameBufferNormal(dd.get(), primary.out()), 0);
    DDSCAPS2 caps;
    ASSERT_EQ(primary->GetCaps(&caps), 0);
    EXPECT_NE(caps.dwCaps & DDSCAPS_PRIMARYSURFACE, 0u);
}

TEST_F(DDrawCreate, PrimaryExclusiveWithoutBackBufferMakesOneCall) {
    Ref<IDirectDrawSurface7> primary;
    auto* sentinel = reinterpret_cast<IDirectDrawSurface7*>(static_cast<uintptr_t>(0x5EED));
    IDirectDrawSurface7* back = sentinel;
    ASSERT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 0, primary.out(), &back), 0);
    EXPECT_TRUE(primary);
    EXPECT_EQ(back, sentinel);
#if !defined(_WIN32)
    const auto& j = vc15::standin::GetJournal();
    EXPECT_EQ(j.createSurfaceCalls, 1);
    EXPECT_EQ(j.getAttachedCalls, 0);
    EXPECT_EQ(j.createSurface.dwFlags, 0x1u);
    EXPECT_EQ(j.createSurface.ddsCaps.dwCaps, 0x200u);
    EXPECT_EQ(j.createSurface.dwBackBufferCount, 0u);
#endif
}

TEST_F(DDrawCreate, FlippingChainWithTwoBackBuffers) {
    TestWindow window;
    if (!window.hwnd && !kStandIn)
        GTEST_SKIP() << "no window can be created here (headless display); the display tests cover flipping chains";
    ASSERT_NE(window.hwnd, nullptr);
    ASSERT_EQ(dd->SetCooperativeLevel(window.hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    Ref<IDirectDrawSurface7> primary, back;
    if (vdxCreateFrameBufferExclusive(dd.get(), 2, primary.out(), back.out()) != 0 && !kStandIn)
        GTEST_SKIP() << "the platform refuses flipping chains here (headless display); the display tests cover them";
    ASSERT_TRUE(primary);
    ASSERT_TRUE(back);
    DDSCAPS2 caps;
    ASSERT_EQ(back->GetCaps(&caps), 0);
    EXPECT_NE(caps.dwCaps & DDSCAPS_BACKBUFFER, 0u);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    ASSERT_EQ(primary->GetSurfaceDesc(&desc), 0);
    EXPECT_EQ(desc.dwBackBufferCount, 2u);
#if !defined(_WIN32)
    const auto& j = vc15::standin::GetJournal();
    EXPECT_EQ(j.createSurface.dwFlags, 0x21u);
    EXPECT_EQ(j.createSurface.ddsCaps.dwCaps, 0x218u);
    EXPECT_EQ(j.createSurface.dwBackBufferCount, 2u);
    EXPECT_EQ(j.getAttachedCalls, 1);
    EXPECT_EQ(j.getAttachedCaps.dwCaps, 0x4u);
    EXPECT_EQ(j.getAttachedCaps.dwCaps2, 0u);
    EXPECT_EQ(j.getAttachedCaps.dwCaps3, 0u);
    EXPECT_EQ(j.getAttachedCaps.dwCaps4, 0u);
#endif
}

// Null objects, nodes and out-pointers: -1 before any platform call, and
// nothing is created that the host could not release.
TEST_F(DDrawCreate, NullArgumentsAreRefused) {
    IDirectDraw7* ddOut = nullptr;
    IDirectDrawSurface7* s1 = nullptr;
    IDirectDrawSurface7* s2 = nullptr;
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
    EXPECT_EQ(ddOut, nullptr);
    EXPECT_EQ(s1, nullptr);
    EXPECT_EQ(s2, nullptr);
    EXPECT_EQ(d3dOut, nullptr);
    EXPECT_EQ(devOut, nullptr);
}

TEST_F(DDrawCreate, DepthBufferAndDevice) {
    Ref<IDirect3D7> d3d;
    ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    ASSERT_TRUE(d3d);
#if !defined(_WIN32)
    EXPECT_TRUE(IsEqualGUID(vc15::standin::GetJournal().queryInterfaceIid, IID_IDirect3D7));
#endif
    OwnedList devices;
    ASSERT_EQ(vdxGetD3DDrivers(d3d.get(), &devices), 0);
    ASSERT_GE(devices.list.count, 1);
    auto* device = static_cast<CD3DDeviceNode*>(devices.list.tail);  // the software device comes last on Wine
    OwnedList formats;
    ASSERT_EQ(vdxGetZBufferFormats(d3d.get(), device, &formats), 0);
    if (formats.list.count == 0 && !kStandIn)
        GTEST_SKIP() << "the platform lists no depth formats here (headless display); the display tests cover them";
    for (CZBufferFormatNode* f : formats.Nodes<CZBufferFormatNode>()) {
        Ref<IDirectDrawSurface7> z;
        ASSERT_EQ(vdxCreateZBuffer(dd.get(), z.out(), f, 33, 17), 0) << f->format.dwZBufferBitDepth;
        DDSURFACEDESC2 got;
        std::memset(&got, 0, sizeof got);
        got.dwSize = sizeof got;
        ASSERT_EQ(z->GetSurfaceDesc(&got), 0);
        EXPECT_EQ(got.dwWidth, 33u);  // width before height
        EXPECT_EQ(got.dwHeight, 17u);
        EXPECT_NE(got.ddsCaps.dwCaps & DDSCAPS_ZBUFFER, 0u);
        EXPECT_EQ(got.ddpfPixelFormat.dwZBufferBitDepth, f->format.dwZBufferBitDepth);
        EXPECT_EQ(got.ddpfPixelFormat.dwZBitMask, f->format.dwZBitMask);
#if !defined(_WIN32)
        const DDSURFACEDESC2& r = vc15::standin::GetJournal().createSurface;
        EXPECT_EQ(r.dwSize, sizeof(DDSURFACEDESC2));
        EXPECT_EQ(r.dwFlags, 0x1007u);
        EXPECT_EQ(r.ddsCaps.dwCaps, 0x24000u);
        EXPECT_EQ(r.dwWidth, 33u);
        EXPECT_EQ(r.dwHeight, 17u);
        EXPECT_EQ(std::memcmp(&r.ddpfPixelFormat, &f->format, sizeof f->format), 0);
#endif
    }

    // A render target made with the 3-D capability, in the display's format.
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 64;
    desc.dwHeight = 32;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    Ref<IDirectDrawSurface7> target;
    ASSERT_EQ(dd->CreateSurface(&desc, target.out(), nullptr), 0);
    Ref<IDirect3DDevice7> dev;
    ASSERT_EQ(vdxCreateD3DDevice(d3d.get(), &device->desc.deviceGUID, target.get(), dev.out()), 0);
    ASSERT_TRUE(dev);
    Ref<IDirectDrawSurface7> rt;
    ASSERT_EQ(dev->GetRenderTarget(rt.out()), 0);
    EXPECT_EQ(rt.get(), target.get());
#if !defined(_WIN32)
    EXPECT_EQ(vc15::standin::GetJournal().createDeviceClass, &device->desc.deviceGUID);
    EXPECT_EQ(vc15::standin::GetJournal().createDeviceTarget, target.get());
    D3DDEVICEDESC7 caps;
    ASSERT_EQ(dev->GetCaps(&caps), 0);
    EXPECT_TRUE(IsEqualGUID(caps.deviceGUID, device->desc.deviceGUID));
#endif
    // A surface made without the 3-D capability cannot be a render target.
    Ref<IDirectDrawSurface7> plain;
    ASSERT_EQ(MakeSurface(dd.get(), 64, 32, Rgb565(), plain), 0);
    IDirect3DDevice7* none = nullptr;
    EXPECT_EQ(vdxCreateD3DDevice(d3d.get(), &device->desc.deviceGUID, plain.get(), &none), -1);
    if (none) none->Release();
}

#if !defined(_WIN32)
TEST_F(DDrawCreate, StandInFlippingChainNeedsExclusiveLevel) {
    Ref<IDirectDrawSurface7> primary;
    IDirectDrawSurface7* back = nullptr;
    EXPECT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 1, primary.out(), &back), -1);
    EXPECT_EQ(vc15::standin::GetJournal().getAttachedCalls, 0);
    EXPECT_EQ(back, nullptr);
}

TEST_F(DDrawCreate, StandInBackBufferFailureKeepsThePrimary) {
    TestWindow window;
    ASSERT_EQ(dd->SetCooperativeLevel(window.hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    vc15::standin::GetConfig().failGetAttached = true;
    Ref<IDirectDrawSurface7> primary;
    IDirectDrawSurface7* back = nullptr;
    EXPECT_EQ(vdxCreateFrameBufferExclusive(dd.get(), 1, primary.out(), &back), -1);
    EXPECT_TRUE(primary);  // created and stored; the host releases it
}

TEST_F(DDrawCreate, StandInFillFailureKeepsTheSurface) {
    vc15::standin::GetConfig().failBlt = true;
    Ref<IDirectDrawSurface7> s;
    EXPECT_EQ(vdxCreateOffScreenSurface(dd.get(), s.out(), 8, 8, 0), -1);
    EXPECT_TRUE(s);
    EXPECT_EQ(vc15::standin::GetJournal().bltCalls, 1);
}

TEST_F(DDrawCreate, StandInReleasesEverything) {
    {
        Ref<IDirectDrawSurface7> a, b;
        ASSERT_EQ(vdxCreateOffScreenSurface(dd.get(), a.out(), 8, 8, 1), 0);
        ASSERT_EQ(vdxCreateFrameBufferNormal(dd.get(), b.out()), 0);
        Ref<IDirect3D7> d3d;
        ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    }
    dd.reset();
    EXPECT_EQ(vc15::standin::LiveObjects(), 0);
}
#endif

}  // namespace
