// The stand-in's DirectDraw object: capabilities, display modes, cooperative
// level, display mode and surface creation.
//
// Like DirectDraw it refuses surfaces before a cooperative level is set, a
// second primary surface, and a flipping chain without the exclusive level.
// Each object keeps its own display mode (there is no shared screen).
#include <cstring>
#include <initializer_list>
#include <new>

#include "ddraw/standin/objects.h"

namespace vc15::standin {

namespace {

constexpr DWORD kWidths[3] = {640, 800, 1024};
constexpr DWORD kHeights[3] = {480, 600, 768};
constexpr DWORD kDepths[3] = {8, 16, 32};
constexpr DWORD kRefreshRates[2] = {60, 75};
constexpr size_t kVideoMemory = size_t{32} << 20;
constexpr DWORD kMaxBackBuffers = 8;

void DescribeMode(DDSURFACEDESC2& d, DWORD w, DWORD h, DWORD bpp, DWORD refresh) {
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    d.dwWidth = w;
    d.dwHeight = h;
    d.lPitch = static_cast<LONG>(w * (bpp / 8));
    d.dwRefreshRate = refresh;
    d.ddpfPixelFormat = FormatForDepth(bpp);
}

bool ModeMatches(const DDSURFACEDESC2* filter, const DDSURFACEDESC2& mode) {
    if (!filter) return true;
    if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != mode.dwWidth) return false;
    if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != mode.dwHeight) return false;
    if ((filter->dwFlags & DDSD_PIXELFORMAT) &&
        filter->ddpfPixelFormat.dwRGBBitCount != mode.ddpfPixelFormat.dwRGBBitCount)
        return false;
    if ((filter->dwFlags & DDSD_REFRESHRATE) && filter->dwRefreshRate != mode.dwRefreshRate) return false;
    return true;
}

bool KnownMode(DWORD w, DWORD h, DWORD bpp, DWORD refresh) {
    for (int s = 0; s < 3; ++s)
        for (DWORD d : kDepths)
            if (kWidths[s] == w && kHeights[s] == h && d == bpp)
                return refresh == 0 || refresh == kRefreshRates[0] || refresh == kRefreshRates[1];
    return false;
}

}  // namespace

DirectDraw::DirectDraw(int driverIndex) : driver_(driverIndex), mode_{640, 480, 16, 60} { CountObject(+1); }
DirectDraw::~DirectDraw() { CountObject(-1); }

HRESULT DirectDraw::QueryInterface(REFIID riid, void** out) {
    VC15_RECORD(J().queryInterfaceCalls += 1);
    VC15_RECORD(J().queryInterfaceIid = riid);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IDirectDraw7) || IsEqualGUID(riid, IID_IUnknown)) {
        if (IsEqualGUID(riid, IID_IDirectDraw7) && driver_ == C().failQueryForDriver) return E_NOINTERFACE;
        AddRef();
        *out = Self();
        return S_OK;
    }
    if (IsEqualGUID(riid, IID_IDirectDraw)) {
        AddRef();
        *out = static_cast<IDirectDraw*>(this);
        return S_OK;
    }
    if (IsEqualGUID(riid, IID_IDirect3D7)) {
        auto* d3d = new (std::nothrow) Direct3D(this);
        if (!d3d) return DDERR_OUTOFMEMORY;
        *out = static_cast<IDirect3D7*>(d3d);
        return S_OK;
    }
    return E_NOINTERFACE;
}

uint32_t DirectDraw::AddRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t DirectDraw::Release() {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

HRESULT DirectDraw::Compact() { return DD_OK; }

HRESULT DirectDraw::CreateClipper(DWORD, IDirectDrawClipper** out, IUnknown*) {
    if (out) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

HRESULT DirectDraw::CreatePalette(DWORD, void*, IDirectDrawPalette** out, IUnknown*) {
    if (out) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

bool DirectDraw::TakeVideoMemory(size_t bytes) {
    if (bytes > kVideoMemory - videoMemoryUsed_) return false;
    videoMemoryUsed_ += bytes;
    return true;
}

void DirectDraw::GiveVideoMemory(size_t bytes) { videoMemoryUsed_ -= bytes; }

HRESULT DirectDraw::CreatePrimary(const DDSURFACEDESC2& desc, IDirectDrawSurface7** out) {
    if (hasPrimary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    // The primary takes the display's size and format.
    if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    const DWORD asked = desc.ddsCaps.dwCaps;
    const bool flip = (asked & DDSCAPS_FLIP) != 0;
    DWORD count = 0;
    if (flip) {
        if (!(asked & DDSCAPS_COMPLEX) || !(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount == 0)
            return DDERR_INVALIDCAPS;
        if (desc.dwBackBufferCount > kMaxBackBuffers) return DDERR_INVALIDPARAMS;
        if (!(cooperation_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
        count = desc.dwBackBufferCount;
    } else if (desc.dwFlags & DDSD_BACKBUFFERCOUNT) {
        return DDERR_INVALIDCAPS;
    }

    const DDPIXELFORMAT format = DisplayFormat();
    const DWORD extra = asked & DDSCAPS_3DDEVICE;
    const DWORD chain = flip ? (DDSCAPS_FLIP | DDSCAPS_COMPLEX) : 0;
    Surface* front = Surface::Make(this, DDSCAPS_PRIMARYSURFACE | (flip ? DDSCAPS_FRONTBUFFER : 0) | chain | extra,
                                   mode_.width, mode_.height, format, true);
    if (!front) return DDERR_OUTOFVIDEOMEMORY;
    Surface* backs[kMaxBackBuffers] = {};
    for (DWORD i = 0; i < count; ++i) {
        backs[i] = Surface::Make(this, (i == 0 ? DDSCAPS_BACKBUFFER : 0) | chain | extra, mode_.width, mode_.height,
                                 format, true);
        if (!backs[i]) {
            for (DWORD k = 0; k < i; ++k) backs[k]->Release();
            front->Release();
            return DDERR_OUTOFVIDEOMEMORY;
        }
    }
    front->AttachChain(backs, count);
    hasPrimary_ = true;
    *out = front;
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown* outer) {
    VC15_RECORD(J().createSurfaceCalls += 1);
    VC15_RECORD(J().createSurfaceOuterNull = outer == nullptr);
    if (desc) VC15_RECORD(std::memcpy(&J().createSurface, desc, sizeof J().createSurface));
    if (!desc || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    if (!(cooperation_ & (DDSCL_NORMAL | DDSCL_EXCLUSIVE))) return DDERR_NOCOOPERATIVELEVELSET;
    if (C().failCreateSurface) return DDERR_GENERIC;

    const DWORD asked = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
    if (asked & DDSCAPS_PRIMARYSURFACE) return CreatePrimary(*desc, out);

    if ((asked & DDSCAPS_SYSTEMMEMORY) && (asked & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
    if (asked & (DDSCAPS_FLIP | DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER)) return DDERR_INVALIDCAPS;
    if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc->dwWidth == 0 || desc->dwHeight == 0) return DDERR_INVALIDPARAMS;

    DDPIXELFORMAT format;
    if (asked & DDSCAPS_ZBUFFER) {
        if (!(desc->dwFlags & DDSD_PIXELFORMAT) || !ValidDepthFormat(desc->ddpfPixelFormat))
            return DDERR_INVALIDPIXELFORMAT;
        format = desc->ddpfPixelFormat;
    } else if (desc->dwFlags & DDSD_PIXELFORMAT) {
        if (!ValidRgbFormat(desc->ddpfPixelFormat)) return DDERR_INVALIDPIXELFORMAT;
        format = desc->ddpfPixelFormat;
    } else {
        format = DisplayFormat();
    }
    format.dwSize = sizeof format;

    // Without a memory request the surface goes to display memory, as on a
    // driver with enough of it.
    const bool video = !(asked & DDSCAPS_SYSTEMMEMORY);
    const DWORD caps = (asked & ~(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM)) |
                       (video ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : DDSCAPS_SYSTEMMEMORY);
    Surface* s = Surface::Make(this, caps, desc->dwWidth, desc->dwHeight, format, video);
    if (!s) return video ? DDERR_OUTOFVIDEOMEMORY : DDERR_OUTOFMEMORY;
    *out = s;
    return DD_OK;
}

HRESULT DirectDraw::DuplicateSurface(IDirectDrawSurface7*, IDirectDrawSurface7** out) {
    if (out) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD flags, DDSURFACEDESC2* desc, void* context,
                                     LPDDENUMMODESCALLBACK2 callback) {
    VC15_RECORD(J().enumModesCalls += 1);
    VC15_RECORD(J().enumModesFlags = flags);
    VC15_RECORD(J().enumModesDescNull = desc == nullptr);
    if (!callback) return DDERR_INVALIDPARAMS;
    const bool rates = (flags & DDEDM_REFRESHRATES) != 0;
    DDSURFACEDESC2 mode;
    for (int s = 0; s < 3; ++s) {
        for (DWORD bpp : kDepths) {
            for (int r = 0; r < (rates ? 2 : 1); ++r) {
                DescribeMode(mode, kWidths[s], kHeights[s], bpp, rates ? kRefreshRates[r] : 0);
                if (!ModeMatches(desc, mode)) continue;
                if (callback(&mode, context) == DDENUMRET_CANCEL) return DD_OK;
            }
        }
    }
    for (int i = 0; i < C().extraModes; ++i) {
        DescribeMode(mode, 320 + static_cast<DWORD>(i), 240, 16, rates ? 60 : 0);
        if (!ModeMatches(desc, mode)) continue;
        if (callback(&mode, context) == DDENUMRET_CANCEL) return DD_OK;
    }
    return C().enumModesResult;
}

HRESULT DirectDraw::EnumSurfaces(DWORD, DDSURFACEDESC2*, void*, LPDDENUMSURFACESCALLBACK7) { return DDERR_UNSUPPORTED; }

HRESULT DirectDraw::FlipToGDISurface() { return DD_OK; }

HRESULT DirectDraw::GetCaps(DDCAPS* driverCaps, DDCAPS* helCaps) {
    VC15_RECORD(J().getCapsCalls += 1);
    VC15_RECORD(J().getCapsSize = driverCaps ? driverCaps->dwSize : 0);
    VC15_RECORD(J().getCapsHelNull = helCaps == nullptr);
    if (!driverCaps && !helCaps) return DDERR_INVALIDPARAMS;
    if ((driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) || (helCaps && helCaps->dwSize != sizeof(DDCAPS)))
        return DDERR_INVALIDPARAMS;
    if (driver_ == C().failCapsForDriver) return DDERR_GENERIC;
    for (DDCAPS* caps : {driverCaps, helCaps}) {
        if (!caps) continue;
        std::memset(caps, 0, sizeof *caps);
        caps->dwSize = sizeof *caps;
        caps->dwCaps = DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY | DDCAPS_3D;
        caps->dwCKeyCaps = DDCKEYCAPS_SRCBLT;
        caps->dwZBufferBitDepths = DDBD_16 | DDBD_24 | DDBD_32;
        caps->dwVidMemTotal = static_cast<DWORD>(kVideoMemory);
        caps->dwVidMemFree = static_cast<DWORD>(kVideoMemory - videoMemoryUsed_);
        caps->ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
                               DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE |
                               DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_ZBUFFER | DDSCAPS_LOCALVIDMEM;
    }
    return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(DDSURFACEDESC2* desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    DescribeMode(*desc, mode_.width, mode_.height, mode_.bpp, mode_.refresh);
    return DD_OK;
}

HRESULT DirectDraw::GetFourCCCodes(DWORD* count, DWORD*) {
    if (!count) return DDERR_INVALIDPARAMS;
    *count = 0;
    return DD_OK;
}

HRESULT DirectDraw::GetGDISurface(IDirectDrawSurface7** out) {
    if (out) *out = nullptr;
    return DDERR_NOTFOUND;
}

HRESULT DirectDraw::GetMonitorFrequency(DWORD* frequency) {
    if (!frequency) return DDERR_INVALIDPARAMS;
    *frequency = mode_.refresh;
    return DD_OK;
}

HRESULT DirectDraw::GetScanLine(DWORD*) { return DDERR_UNSUPPORTED; }

HRESULT DirectDraw::GetVerticalBlankStatus(BOOL* inBlank) {
    if (!inBlank) return DDERR_INVALIDPARAMS;
    *inBlank = 0;
    return DD_OK;
}

HRESULT DirectDraw::Initialize(GUID*) { return DDERR_UNSUPPORTED; }

HRESULT DirectDraw::RestoreDisplayMode() {
    mode_ = DisplayMode{640, 480, 16, 60};
    return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
    const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    const bool fullscreen = (flags & DDSCL_FULLSCREEN) != 0;
    const bool normal = (flags & DDSCL_NORMAL) != 0;
    if (exclusive == normal) return DDERR_INVALIDPARAMS;  // exactly one of the two
    if (exclusive && (!fullscreen || !window)) return DDERR_INVALIDPARAMS;
    if (normal && fullscreen) return DDERR_INVALIDPARAMS;
    window_ = window;
    cooperation_ = flags;
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate, DWORD) {
    if (!(cooperation_ & (DDSCL_NORMAL | DDSCL_EXCLUSIVE))) return DDERR_NOCOOPERATIVELEVELSET;
    if (!KnownMode(width, height, bpp, refreshRate)) return DDERR_INVALIDMODE;
    mode_ = DisplayMode{width, height, bpp, refreshRate ? refreshRate : kRefreshRates[0]};
    return DD_OK;
}

HRESULT DirectDraw::WaitForVerticalBlank(DWORD, HANDLE) { return DD_OK; }

HRESULT DirectDraw::GetAvailableVidMem(DDSCAPS2*, DWORD* total, DWORD* free) {
    if (!total && !free) return DDERR_INVALIDPARAMS;
    if (total) *total = static_cast<DWORD>(kVideoMemory);
    if (free) *free = static_cast<DWORD>(kVideoMemory - videoMemoryUsed_);
    return DD_OK;
}

HRESULT DirectDraw::GetSurfaceFromDC(HDC, IDirectDrawSurface7** out) {
    if (out) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

HRESULT DirectDraw::RestoreAllSurfaces() { return DD_OK; }
HRESULT DirectDraw::TestCooperativeLevel() { return DD_OK; }
HRESULT DirectDraw::GetDeviceIdentifier(void*, DWORD) { return DDERR_UNSUPPORTED; }
HRESULT DirectDraw::StartModeTest(void*, DWORD, DWORD) { return DDERR_UNSUPPORTED; }
HRESULT DirectDraw::EvaluateMode(DWORD, DWORD*) { return DDERR_UNSUPPORTED; }

}  // namespace vc15::standin
