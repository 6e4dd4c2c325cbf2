// A host-side DirectDraw surface whose Lock hands out plain memory, so that
// CopyToSurface can be measured without a display.
#pragma once

#include <cstdint>
#include <vector>

#include "VexaCanvas15.h"

namespace vc15bench {

class MemorySurface : public IDirectDrawSurface7 {
public:
    MemorySurface(int width, int height) : pitch_(width * 2), memory_(static_cast<size_t>(width) * 2 * height) {}
    const uint8_t* Data() const { return memory_.data(); }
    LONG Pitch() const { return pitch_; }

#define VC15_BENCH_UNUSED(name, ...) \
    HRESULT name(__VA_ARGS__) override { return DDERR_UNSUPPORTED; }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    VC15_BENCH_UNUSED(AddAttachedSurface, IDirectDrawSurface7*)
    VC15_BENCH_UNUSED(AddOverlayDirtyRect, RECT*)
    VC15_BENCH_UNUSED(Blt, RECT*, IDirectDrawSurface7*, RECT*, DWORD, DDBLTFX*)
    VC15_BENCH_UNUSED(BltBatch, void*, DWORD, DWORD)
    VC15_BENCH_UNUSED(BltFast, DWORD, DWORD, IDirectDrawSurface7*, RECT*, DWORD)
    VC15_BENCH_UNUSED(DeleteAttachedSurface, DWORD, IDirectDrawSurface7*)
    VC15_BENCH_UNUSED(EnumAttachedSurfaces, void*, LPDDENUMSURFACESCALLBACK7)
    VC15_BENCH_UNUSED(EnumOverlayZOrders, DWORD, void*, LPDDENUMSURFACESCALLBACK7)
    VC15_BENCH_UNUSED(Flip, IDirectDrawSurface7*, DWORD)
    VC15_BENCH_UNUSED(GetAttachedSurface, DDSCAPS2*, IDirectDrawSurface7**)
    VC15_BENCH_UNUSED(GetBltStatus, DWORD)
    VC15_BENCH_UNUSED(GetCaps, DDSCAPS2*)
    VC15_BENCH_UNUSED(GetClipper, IDirectDrawClipper**)
    VC15_BENCH_UNUSED(GetColorKey, DWORD, DDCOLORKEY*)
    VC15_BENCH_UNUSED(GetDC, HDC*)
    VC15_BENCH_UNUSED(GetFlipStatus, DWORD)
    VC15_BENCH_UNUSED(GetOverlayPosition, LONG*, LONG*)
    VC15_BENCH_UNUSED(GetPalette, IDirectDrawPalette**)
    VC15_BENCH_UNUSED(GetPixelFormat, DDPIXELFORMAT*)
    VC15_BENCH_UNUSED(GetSurfaceDesc, DDSURFACEDESC2*)
    VC15_BENCH_UNUSED(Initialize, IDirectDraw*, DDSURFACEDESC2*)
    VC15_BENCH_UNUSED(IsLost)
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD, HANDLE) override {
        if (rect) return DDERR_INVALIDPARAMS;
        desc->lpSurface = memory_.data();
        desc->lPitch = pitch_;
        return 0;
    }
    VC15_BENCH_UNUSED(ReleaseDC, HDC)
    VC15_BENCH_UNUSED(Restore)
    VC15_BENCH_UNUSED(SetClipper, IDirectDrawClipper*)
    VC15_BENCH_UNUSED(SetColorKey, DWORD, DDCOLORKEY*)
    VC15_BENCH_UNUSED(SetOverlayPosition, LONG, LONG)
    VC15_BENCH_UNUSED(SetPalette, IDirectDrawPalette*)
    HRESULT Unlock(RECT*) override { return 0; }
    VC15_BENCH_UNUSED(UpdateOverlay, RECT*, IDirectDrawSurface7*, RECT*, DWORD, void*)
    VC15_BENCH_UNUSED(UpdateOverlayDisplay, DWORD)
    VC15_BENCH_UNUSED(UpdateOverlayZOrder, DWORD, IDirectDrawSurface7*)
    VC15_BENCH_UNUSED(GetDDInterface, void**)
    VC15_BENCH_UNUSED(PageLock, DWORD)
    VC15_BENCH_UNUSED(PageUnlock, DWORD)
    VC15_BENCH_UNUSED(SetSurfaceDesc, DDSURFACEDESC2*, DWORD)
    VC15_BENCH_UNUSED(SetPrivateData, REFIID, void*, DWORD, DWORD)
    VC15_BENCH_UNUSED(GetPrivateData, REFIID, void*, DWORD*)
    VC15_BENCH_UNUSED(FreePrivateData, REFIID)
    VC15_BENCH_UNUSED(GetUniquenessValue, DWORD*)
    VC15_BENCH_UNUSED(ChangeUniquenessValue)
    VC15_BENCH_UNUSED(SetPriority, DWORD)
    VC15_BENCH_UNUSED(GetPriority, DWORD*)
    VC15_BENCH_UNUSED(SetLOD, DWORD)
    VC15_BENCH_UNUSED(GetLOD, DWORD*)
#undef VC15_BENCH_UNUSED

private:
    LONG pitch_;
    std::vector<uint8_t> memory_;
};

}  // namespace vc15bench
