// A host-side IDirectDrawSurface7 whose Lock hands out plain memory and
// describes it as DirectDraw does (width, height, pitch, pixel format): the
// smallest surface a host can give CopyToSurface, on every platform. Only
// Lock and Unlock do anything; every other operation is refused by the
// library's ready base, as a host would write it.
#pragma once

#include <cstdint>
#include <vector>

#include "VexaCanvas15.h"

namespace vc15test {

class MemorySurface : public CDirectDrawSurfaceBase {
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

    HRESULT VC15_COM_CALL Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE) override {
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
    HRESULT VC15_COM_CALL Unlock(RECT*) override {
        ++unlocks;
        return unlockResult;
    }
};

}  // namespace vc15test
