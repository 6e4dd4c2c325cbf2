// Uses the library the way a host on a system without DirectDraw does: only
// the public header, only exported functions, objects handed back by the
// library and released by the host.
#include <gtest/gtest.h>

#include <cstring>

#include "VexaCanvas15.h"

namespace {

struct List : CNodeList {
    List() : CNodeList{0, nullptr, nullptr} {}
    ~List() {
        for (CListNode* n = head; n;) {
            CListNode* next = n->next;
            vcDeleteNode(n);
            n = next;
        }
    }
};

DDSURFACEDESC2 Desc() {
    DDSURFACEDESC2 d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    return d;
}

TEST(DDrawHost, EveryFunctionFromTheOutside) {
    List drivers, modes, devices, formats;
    ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &drivers), 0);
    ASSERT_EQ(drivers.GetCount(), 2);
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(vdxCreateDDraw(static_cast<CDDrawDriverNode*>(drivers.head), &dd), 0);
    ASSERT_EQ(dd->SetCooperativeLevel(reinterpret_cast<HWND>(uintptr_t{1}), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), 0);
    ASSERT_EQ(vdxGetVideoModes(dd, &modes), 0);
    const DDSURFACEDESC2* chosen = nullptr;
    for (CListNode* n = modes.head; n; n = n->next) {
        const DDSURFACEDESC2& m = static_cast<CDisplayModeNode*>(n)->mode;
        if (m.dwWidth == 800 && m.dwHeight == 600 && m.ddpfPixelFormat.dwRGBBitCount == 16) chosen = &m;
    }
    ASSERT_NE(chosen, nullptr);
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, chosen->dwRefreshRate, 0), 0);
    IDirectDrawSurface7 *primary = nullptr, *back = nullptr;
    ASSERT_EQ(vdxCreateFrameBufferExclusive(dd, 1, &primary, &back), 0);
    ASSERT_NE(back, nullptr);

    // A frame: canvas -> back buffer -> flip -> read the primary.
    ICanvas15* canvas = CreateInstance();
    ASSERT_NE(canvas, nullptr);
    CanvasDesc cd{0, 800, 600};
    FillRectDesc all{{0, 0, 255}, 0, 0, 0, 800, 600}, box{{255, 255, 0}, 0, 100, 50, 20, 10};
    ASSERT_EQ(canvas->Create(&cd), 0);
    ASSERT_EQ(canvas->FillRect(&all), 0);
    ASSERT_EQ(canvas->FillRect(&box), 0);
    ASSERT_EQ(canvas->CopyToSurface(back), 0);
    canvas->Release();
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), 0);
    DDSURFACEDESC2 desc = Desc();
    ASSERT_EQ(primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), 0);
    auto pixel = [&](int x, int y) {
        return reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x];
    };
    EXPECT_EQ(pixel(0, 0), 0x001F);
    EXPECT_EQ(pixel(100, 50), 0x7FE0);
    EXPECT_EQ(pixel(119, 59), 0x7FE0);
    EXPECT_EQ(pixel(120, 59), 0x001F);
    EXPECT_EQ(pixel(799, 599), 0x001F);
    ASSERT_EQ(primary->Unlock(nullptr), 0);

    // Off-screen surface, colours, keys, fills.
    IDirectDrawSurface7* off = nullptr;
    ASSERT_EQ(vdxCreateOffScreenSurface(dd, &off, 32, 16, 1), 0);
    EXPECT_EQ(vdxColorMatch(off, 0x0000FF), 0xF800u);  // the 16-bit mode is RGB565
    EXPECT_EQ(vdxSetColorKey(off, 0x00FF00), 0);
    DDCOLORKEY key{0, 0};
    ASSERT_EQ(off->GetColorKey(DDCKEY_SRCBLT, &key), 0);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x07E0u);
    EXPECT_TRUE(vdxFillColor(off, 0, 0, 255));

    // Direct3D: devices, depth formats, a depth buffer, a device.
    IDirect3D7* d3d = nullptr;
    ASSERT_EQ(vdxCreateD3D(dd, &d3d), 0);
    ASSERT_EQ(vdxGetD3DDrivers(d3d, &devices), 0);
    ASSERT_GE(devices.GetCount(), 1);
    auto* device = static_cast<CD3DDeviceNode*>(devices.head);
    ASSERT_EQ(vdxGetZBufferFormats(d3d, device, &formats), 0);
    ASSERT_GE(formats.GetCount(), 1);
    IDirectDrawSurface7 *z = nullptr, *target = nullptr;
    ASSERT_EQ(vdxCreateZBuffer(dd, &z, static_cast<CZBufferFormatNode*>(formats.head), 64, 64), 0);
    desc = Desc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 64;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    ASSERT_EQ(dd->CreateSurface(&desc, &target, nullptr), 0);
    ASSERT_EQ(target->AddAttachedSurface(z), 0);
    IDirect3DDevice7* d3dDevice = nullptr;
    ASSERT_EQ(vdxCreateD3DDevice(d3d, &device->desc.deviceGUID, target, &d3dDevice), 0);
    EXPECT_EQ(d3dDevice->BeginScene(), 0);
    EXPECT_EQ(d3dDevice->EndScene(), 0);
    EXPECT_STREQ(vdxDirectDrawErrorCode(0), " The request completed successfully.");

    // The host releases what it was given; the last release of the DirectDraw
    // object comes last, since surfaces hold it.
    EXPECT_EQ(d3dDevice->Release(), 0u);
    EXPECT_EQ(target->Release(), 0u);
    EXPECT_EQ(z->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
    EXPECT_EQ(off->Release(), 0u);
    EXPECT_EQ(back->Release(), 1u);  // the front buffer still holds it
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
