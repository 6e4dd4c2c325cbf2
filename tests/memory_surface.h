// A host-side IDirectDrawSurface7 whose Lock hands out plain memory and
// describes it as DirectDraw does (width, height, pitch, pixel format): the
// smallest surface a host can give CopyToSurface, on every platform. Only
// Lock and Unlock do anything; every other operation is refused (off Windows
// by the library's ready base, as a host would write it).
#pragma once

#include <cstdint>
#include <vector>

#include "VexaCanvas15.h"

#ifndef STDMETHODCALLTYPE
#define STDMETHODCALLTYPE /* the platform's COM calling convention (Windows: __stdcall) */
#endif

namespace vc15test {

#if defined(_WIN32)
// <ddraw.h> has no ready base: the refused operations spelt out.
struct SurfaceBase : IDirectDrawSurface7 {
#define VC15_REFUSED(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    VC15_REFUSED(AddAttachedSurface, IDirectDrawSurface7*)
    VC15_REFUSED(AddOverlayDirtyRect, RECT*)
    VC15_REFUSED(Blt, RECT*, IDirectDrawSurface7*, RECT*, DWORD, DDBLTFX*)
    VC15_REFUSED(BltBatch, LPDDBLTBATCH, DWORD, DWORD)
    VC15_REFUSED(BltFast, DWORD, DWORD, IDirectDrawSurface7*, RECT*, DWORD)
    VC15_REFUSED(DeleteAttachedSurface, DWORD, IDirectDrawSurface7*)
    VC15_REFUSED(EnumAttachedSurfaces, void*, LPDDENUMSURFACESCALLBACK7)
    VC15_REFUSED(EnumOverlayZOrders, DWORD, void*, LPDDENUMSURFACESCALLBACK7)
    VC15_REFUSED(Flip, IDirectDrawSurface7*, DWORD)
    VC15_REFUSED(GetAttachedSurface, DDSCAPS2*, IDirectDrawSurface7**)
    VC15_REFUSED(GetBltStatus, DWORD)
    VC15_REFUSED(GetCaps, DDSCAPS2*)
    VC15_REFUSED(GetClipper, IDirectDrawClipper**)
    VC15_REFUSED(GetColorKey, DWORD, DDCOLORKEY*)
    VC15_REFUSED(GetDC, HDC*)
    VC15_REFUSED(GetFlipStatus, DWORD)
    VC15_REFUSED(GetOverlayPosition, LONG*, LONG*)
    VC15_REFUSED(GetPalette, IDirectDrawPalette**)
    VC15_REFUSED(GetPixelFormat, DDPIXELFORMAT*)
    VC15_REFUSED(GetSurfaceDesc, DDSURFACEDESC2*)
    VC15_REFUSED(Initialize, IDirectDraw*, DDSURFACEDESC2*)
    VC15_REFUSED(IsLost)
    VC15_REFUSED(ReleaseDC, HDC)
    VC15_REFUSED(Restore)
    VC15_REFUSED(SetClipper, IDirectDrawClipper*)
    VC15_REFUSED(SetColorKey, DWORD, DDCOLORKEY*)
    VC15_REFUSED(SetOverlayPosition, LONG, LONG)
    VC15_REFUSED(SetPalette, IDirectDrawPalette*)
    VC15_REFUSED(UpdateOverlay, RECT*, IDirectDrawSurface7*, RECT*, DWORD, LPDDOVERLAYFX)
    VC15_REFUSED(UpdateOverlayDisplay, DWORD)
    VC15_REFUSED(UpdateOverlayZOrder, DWORD, IDirectDrawSurface7*)
    VC15_REFUSED(GetDDInterface, void**)
    VC15_REFUSED(PageLock, DWORD)
    VC15_REFUSED(PageUnlock, DWORD)
    VC15_REFUSED(SetSurfaceDesc, DDSURFACEDESC2*, DWORD)
    VC15_REFUSED(SetPrivateData, REFIID, void*, DWORD, DWORD)
    VC15_REFUSED(GetPrivateData, REFIID, void*, DWORD*)
    VC15_REFUSED(FreePrivateData, REFIID)
    VC15_REFUSED(GetUniquenessValue, DWORD*)
    VC15_REFUSED(ChangeUniquenessValue)
    VC15_REFUSED(SetPriority, DWORD)
    VC15_REFUSED(GetPriority, DWORD*)
    VC15_REFUSED(SetLOD, DWORD)
    VC15_REFUSED(GetLOD, DWORD*)
#undef VC15_REFUSED
};
#else
using SurfaceBase = CDirectDrawSurfaceBase;
#endif

class MemorySurface : public SurfaceBase {
public:
    // `widthBytes` is the pitch; the reported width is pitch / 2 pixels
    // unless given.
    MemorySurface(int32_t widthBytes, int32_t rows, uint8_t fill = 0, int32_t widthPixels = -1, DWORD bits = 16)
        : memory(static_cast<size_t>(widthBytes) * static_cast<size_t>(rows), fill),
          pitch(widthBytes),
          width(static_cast<DWORD>(widthPixels < 0 ? widthBytes / 2 : widthPixels)),
          height(static_cast<DWORD>(rows)) {
        format.dwSize = sizeof format;
        format.dwFlags = DDPF_RGB;
        format.dwRGBBitCount = bits;
    }

    std::vector<uint8_t> memory;
    LONG pitch;
    DWORD width;
    DWORD height;
    DDPIXELFORMAT format{};
    HRESULT lockResult = 0;
    HRESULT unlockResult = 0;
    int locks = 0;
    int unlocks = 0;
    DWORD lastSize = 0;
    DWORD lastFlags = 0;

    HRESULT STDMETHODCALLTYPE Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE) override {
        ++locks;
        lastSize = desc->dwSize;
        lastFlags = flags;
        if (lockResult) return lockResult;
        if (rect) return DDERR_INVALIDPARAMS;
        desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
        desc->dwWidth = width;
        desc->dwHeight = height;
        desc->lpSurface = memory.data();
        desc->lPitch = pitch;
        desc->ddpfPixelFormat = format;
        return 0;
    }
    HRESULT STDMETHODCALLTYPE Unlock(RECT*) override {
        ++unlocks;
        return unlockResult;
    }

};

}  // namespace vc15test
