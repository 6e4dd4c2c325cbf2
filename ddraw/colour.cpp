// Colour matching, colour keys and colour fills on a surface of any pixel
// format: the platform's GDI draws the colour into the surface's probe pixel
// at (0, 0) and the library reads back what landed in memory.
//
// Behaviour where the rules leave a choice:
//   - The probe pixel is put back also when the lock fails, so a failed match
//     never leaves the surface changed when a device context can be had.
//   - A null surface: no match (0xFFFFFFFF), DDERR_INVALIDPARAMS from
//     vdxSetColorKey, false from vdxFillColor; nothing is called.
//   - The probe pixel's colour counts as remembered only when GetPixel gave a
//     colour (not CLR_INVALID); otherwise nothing is written back.
#include <cstring>

#include "ddraw/platform.h"

using namespace vc15;

namespace {

constexpr uint32_t kNoMatch = 0xFFFFFFFFu;
constexpr COLORREF kInvalidColour = 0xFFFFFFFFu;  // GetPixel's CLR_INVALID

// Puts the remembered colour back at (0, 0), when it has one.
void RestoreProbe(IDirectDrawSurface7* surface, bool remembered, COLORREF saved) {
    HDC dc = nullptr;
    if (surface->GetDC(&dc) != 0) return;
    if (remembered) platform::SetPixel(dc, 0, 0, saved);
    surface->ReleaseDC(dc);
}

}  // namespace

extern "C" VC15_API uint32_t VC15_CALL vdxColorMatch(IDirectDrawSurface7* surface, COLORREF color) {
    if (!surface) return kNoMatch;
    bool remembered = false;
    COLORREF saved = 0;
    HDC dc = nullptr;
    if (surface->GetDC(&dc) == 0) {
        saved = platform::GetPixel(dc, 0, 0);
        remembered = saved != kInvalidColour;
        platform::SetPixel(dc, 0, 0, color);
        surface->ReleaseDC(dc);
    }

    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_NOSYSLOCK, nullptr) != 0) {
        RestoreProbe(surface, remembered, saved);
        return kNoMatch;
    }
    uint32_t value = 0;
    std::memcpy(&value, desc.lpSurface, sizeof value);  // little-endian first 32 bits
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    if (bits < 32) value &= (1u << bits) - 1u;
    surface->Unlock(nullptr);

    RestoreProbe(surface, remembered, saved);
    return value;
}

extern "C" VC15_API HRESULT VC15_CALL vdxSetColorKey(IDirectDrawSurface7* surface, COLORREF color) {
    if (!surface) return DDERR_INVALIDPARAMS;
    const uint32_t matched = vdxColorMatch(surface, color);  // used even when it is 0xFFFFFFFF
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = matched;
    key.dwColorSpaceHighValue = matched;
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

extern "C" VC15_API bool VC15_CALL vdxFillColor(IDirectDrawSurface7* surface, uint8_t red, uint8_t green,
                                                uint8_t blue) {
    if (!surface) return false;
    const COLORREF color =
        static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) | (static_cast<COLORREF>(blue) << 16);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = vdxColorMatch(surface, color);
    return surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) == 0;
}
