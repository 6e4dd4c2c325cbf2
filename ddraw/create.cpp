// Creation of the DirectDraw object, the primary surface (with or without a
// flipping chain), off-screen surfaces, the depth buffer, the Direct3D
// interface and a 3-D device. Each function builds one request, hands it to
// the platform and reports 0 or -1; created objects go to the host. A null
// object, node or out-pointer is refused with -1 before any platform call.
//
// Every record carries the platform's own size (sizeof): on 64-bit Windows a
// DDSURFACEDESC2 is 136 bytes and a DDBLTFX 128, and DirectDraw there rejects
// the 32-bit sizes.
#include <cstring>

#include "ddraw/node_view.h"
#include "ddraw/platform.h"

using namespace vc15;

namespace {

void PrepareRequest(DDSURFACEDESC2& desc, DWORD flags, DWORD caps) {
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = flags;
    desc.ddsCaps.dwCaps = caps;
}

// Pixel value every new off-screen surface is filled with, unconverted.
constexpr DWORD kOffScreenFill = 0x7000;

}  // namespace

extern "C" VC15_API int32_t VC15_CALL vdxCreateDDraw(CDDrawDriverNode* driver, IDirectDraw7** out) {
    if (!driver || !out) return -1;
    // The node's guid is passed by address even when it is all zero.
    return platform::CreateDirectDrawEx(ddraw::DriverGuid(driver), reinterpret_cast<void**>(out),
                                        platform::IidDirectDraw7(), nullptr) == 0
               ? 0
               : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxCreateFrameBufferExclusive(IDirectDraw7* dd, uint32_t backBufferCount,
                                                                    IDirectDrawSurface7** primary,
                                                                    IDirectDrawSurface7** backBuffer) {
    // A back buffer is fetched only with a count, so only then must it have
    // somewhere to go; refused before anything is created.
    if (!dd || !primary || (backBufferCount != 0 && !backBuffer)) return -1;
    DDSURFACEDESC2 desc;
    if (backBufferCount == 0) {
        PrepareRequest(desc, DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
    } else {
        PrepareRequest(desc, DDSD_CAPS | DDSD_BACKBUFFERCOUNT, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
        desc.dwBackBufferCount = backBufferCount;
    }
    if (dd->CreateSurface(&desc, primary, nullptr) != 0) return -1;
    if (backBufferCount == 0) return 0;

    DDSCAPS2 caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    return (*primary)->GetAttachedSurface(&caps, backBuffer) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxCreateFrameBufferNormal(IDirectDraw7* dd, IDirectDrawSurface7** primary) {
    if (!dd || !primary) return -1;
    DDSURFACEDESC2 desc;
    PrepareRequest(desc, DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
    return dd->CreateSurface(&desc, primary, nullptr) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxCreateOffScreenSurface(IDirectDraw7* dd, IDirectDrawSurface7** out,
                                                                uint32_t width, uint32_t height, uint8_t videoMemory) {
    if (!dd || !out) return -1;
    DDSURFACEDESC2 desc;
    const DWORD where = videoMemory != 0 ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    PrepareRequest(desc, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_OFFSCREENPLAIN | where);
    desc.dwWidth = width;
    desc.dwHeight = height;
    if (dd->CreateSurface(&desc, out, nullptr) != 0) return -1;

    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = kOffScreenFill;
    return (*out)->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxCreateZBuffer(IDirectDraw7* dd, IDirectDrawSurface7** out,
                                                       CZBufferFormatNode* format, uint32_t width, uint32_t height) {
    if (!dd || !out || !format) return -1;
    DDSURFACEDESC2 desc;
    PrepareRequest(desc, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT,
                   DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY);
    desc.dwWidth = width;
    desc.dwHeight = height;
    std::memcpy(&desc.ddpfPixelFormat, ddraw::ZBufferFormat(format), sizeof desc.ddpfPixelFormat);
    return dd->CreateSurface(&desc, out, nullptr) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxCreateD3D(IDirectDraw7* dd, IDirect3D7** out) {
    if (!dd || !out) return -1;
    return dd->QueryInterface(platform::IidDirect3D7(), reinterpret_cast<void**>(out)) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxCreateD3DDevice(IDirect3D7* d3d, const GUID* deviceClass,
                                                         IDirectDrawSurface7* target, IDirect3DDevice7** out) {
    if (!d3d || !deviceClass || !target || !out) return -1;
    return d3d->CreateDevice(*deviceClass, target, out) == 0 ? 0 : -1;
}
