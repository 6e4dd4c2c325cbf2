// The stand-in's surfaces: memory with a pitch, locking, colour-fill and
// plain copy blits, flipping chains, colour keys, attached depth buffers and
// device contexts. Operations a host would not need from this library answer
// DDERR_UNSUPPORTED.
#include <cstdlib>
#include <cstring>
#include <new>
#include <typeinfo>

#include "ddraw/standin/objects.h"

namespace vc15::standin {

namespace {

constexpr uint32_t kDcMagic = 0x44435631u;
constexpr DWORD kMaxSide = 16384;
constexpr DWORD kDdsdCkDestBlt = 0x00004000u;

Surface* AsStandIn(IDirectDrawSurface7* s) {
    // Hosts may hand in surfaces of their own; only ours can be blitted from.
    return s ? dynamic_cast<Surface*>(s) : nullptr;
}

}  // namespace

Surface* Surface::Make(DirectDraw* owner, DWORD caps, DWORD width, DWORD height, const DDPIXELFORMAT& format,
                       bool videoMemory) {
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return nullptr;
    const uint64_t bytesPerPixel = (BitsPerPixel(format) + 7) / 8;
    const uint64_t row = uint64_t{width} * bytesPerPixel;
    const uint64_t pitch = (row + 3) & ~uint64_t{3};
    const uint64_t total = pitch * height;  // at most 16384 * 65536 bytes: no overflow
    if (pitch > 0x7FFFFFFF || total > (uint64_t{1} << 32) || total > SIZE_MAX) return nullptr;
    const auto bytes = static_cast<size_t>(total);
    if (videoMemory && !owner->TakeVideoMemory(bytes)) return nullptr;
    auto* memory = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!memory) {
        if (videoMemory) owner->GiveVideoMemory(bytes);
        return nullptr;
    }
    auto* s = new (std::nothrow)
        Surface(owner, caps, width, height, static_cast<LONG>(pitch), format, memory, bytes, videoMemory);
    if (!s) {
        std::free(memory);
        if (videoMemory) owner->GiveVideoMemory(bytes);
    }
    return s;
}

Surface::Surface(DirectDraw* owner, DWORD caps, DWORD width, DWORD height, LONG pitch, const DDPIXELFORMAT& format,
                 uint8_t* memory, size_t bytes, bool videoMemory)
    : owner_(owner),
      width_(width),
      height_(height),
      pitch_(pitch),
      format_(format),
      memory_(memory),
      bytes_(bytes),
      videoMemory_(videoMemory) {
    std::memset(&caps_, 0, sizeof caps_);
    caps_.dwCaps = caps;
    owner_->AddRef();
    CountObject(+1);
}

Surface::~Surface() {
    // A front buffer owns its back buffers; those a host still holds live on
    // as plain surfaces.
    Surface* s = next_;
    if (caps_.dwCaps & DDSCAPS_FRONTBUFFER) {
        while (s) {
            Surface* n = s->next_;
            s->front_ = nullptr;
            s->next_ = nullptr;
            s->Release();
            s = n;
        }
    }
    if (depth_) depth_->Release();
    if (dc_) dc_->surface = nullptr;
    std::free(memory_);
    if (videoMemory_) owner_->GiveVideoMemory(bytes_);
    if (caps_.dwCaps & DDSCAPS_PRIMARYSURFACE) owner_->PrimaryGone();
    owner_->Release();
    CountObject(-1);
}

void Surface::AttachChain(Surface** backs, DWORD count) {
    backBufferCount_ = count;
    next_ = count ? backs[0] : nullptr;
    for (DWORD i = 0; i < count; ++i) {
        backs[i]->front_ = this;
        backs[i]->next_ = i + 1 < count ? backs[i + 1] : nullptr;
    }
}

Surface* Surface::NextInChain() const {
    if (next_) return next_;
    return front_;
}

HRESULT Surface::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IDirectDrawSurface7) || IsEqualGUID(riid, IID_IUnknown)) {
        AddRef();
        *out = static_cast<IDirectDrawSurface7*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

uint32_t Surface::AddRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t Surface::Release() {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

void Surface::Describe(DDSURFACEDESC2& d) const {
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    d.dwWidth = width_;
    d.dwHeight = height_;
    d.lPitch = pitch_;
    if (backBufferCount_) {
        d.dwFlags |= DDSD_BACKBUFFERCOUNT;
        d.dwBackBufferCount = backBufferCount_;
    }
    if (hasSrcKey_) {
        d.dwFlags |= DDSD_CKSRCBLT;
        d.ddckCKSrcBlt = srcKey_;
    }
    if (hasDestKey_) {
        d.dwFlags |= kDdsdCkDestBlt;
        d.ddckCKDestBlt = destKey_;
    }
    d.ddpfPixelFormat = format_;
    d.ddsCaps = caps_;
}

bool Surface::ResolveRect(const RECT* rect, RECT& out) const {
    if (!rect) {
        out = RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
        return true;
    }
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom) return false;
    if (static_cast<DWORD>(rect->right) > width_ || static_cast<DWORD>(rect->bottom) > height_) return false;
    out = *rect;
    return true;
}

void Surface::FillRect(const RECT& r, uint32_t value) {
    const size_t bpp = (BitsPerPixel(format_) + 7) / 8;
    for (LONG y = r.top; y < r.bottom; ++y) {
        uint8_t* p = memory_ + static_cast<size_t>(y) * static_cast<size_t>(pitch_) + static_cast<size_t>(r.left) * bpp;
        for (LONG x = r.left; x < r.right; ++x, p += bpp) std::memcpy(p, &value, bpp);  // little-endian low bytes
    }
}

HRESULT Surface::AddAttachedSurface(IDirectDrawSurface7* surface) {
    Surface* s = AsStandIn(surface);
    if (!s || s == this) return DDERR_INVALIDPARAMS;
    if (!(s->caps_.dwCaps & DDSCAPS_ZBUFFER)) return DDERR_CANNOTATTACHSURFACE;
    if (depth_) return DDERR_SURFACEALREADYATTACHED;
    if (s->width_ != width_ || s->height_ != height_) return DDERR_CANNOTATTACHSURFACE;
    s->AddRef();
    depth_ = s;
    return DD_OK;
}

HRESULT Surface::AddOverlayDirtyRect(RECT*) { return DDERR_UNSUPPORTED; }

HRESULT Surface::Blt(RECT* destRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) {
    VC15_RECORD(J().bltCalls += 1);
    VC15_RECORD(J().blt.surface = this);
    VC15_RECORD(J().blt.destRectNull = destRect == nullptr);
    VC15_RECORD(J().blt.srcNull = src == nullptr);
    VC15_RECORD(J().blt.srcRectNull = srcRect == nullptr);
    VC15_RECORD(J().blt.fxNull = fx == nullptr);
    VC15_RECORD(J().blt.flags = flags);
    if (fx) VC15_RECORD(std::memcpy(&J().blt.fx, fx, sizeof J().blt.fx));
    if (C().failBlt) return DDERR_GENERIC;
    if (Busy()) return DDERR_SURFACEBUSY;
    RECT dest;
    if (!ResolveRect(destRect, dest)) return DDERR_INVALIDRECT;

    if (flags & (DDBLT_COLORFILL | DDBLT_DEPTHFILL)) {
        if (!fx || fx->dwSize != sizeof(DDBLTFX) || src) return DDERR_INVALIDPARAMS;
        const bool depth = (flags & DDBLT_DEPTHFILL) != 0;
        if (depth != ((caps_.dwCaps & DDSCAPS_ZBUFFER) != 0)) return DDERR_INVALIDPARAMS;
        if (!depth && (flags & DDBLT_COLORFILL) == 0) return DDERR_INVALIDPARAMS;
        FillRect(dest, depth ? fx->dwFillDepth : fx->dwFillColor);
        return DD_OK;
    }

    // A plain copy between surfaces of the same depth, without stretching.
    if ((flags & ~DDBLT_WAIT) != 0) return DDERR_UNSUPPORTED;
    Surface* from = AsStandIn(src);
    if (!from || from == this) return DDERR_UNSUPPORTED;
    if (from->Busy()) return DDERR_SURFACEBUSY;
    RECT source;
    if (!from->ResolveRect(srcRect, source)) return DDERR_INVALIDRECT;
    if (source.right - source.left != dest.right - dest.left || source.bottom - source.top != dest.bottom - dest.top)
        return DDERR_UNSUPPORTED;
    if (BitsPerPixel(from->format_) != BitsPerPixel(format_)) return DDERR_UNSUPPORTED;
    const size_t bpp = (BitsPerPixel(format_) + 7) / 8;
    const size_t rowBytes = static_cast<size_t>(dest.right - dest.left) * bpp;
    for (LONG r = 0; r < dest.bottom - dest.top; ++r) {
        uint8_t* d = memory_ + static_cast<size_t>(dest.top + r) * static_cast<size_t>(pitch_) +
                     static_cast<size_t>(dest.left) * bpp;
        const uint8_t* s = from->memory_ + static_cast<size_t>(source.top + r) * static_cast<size_t>(from->pitch_) +
                           static_cast<size_t>(source.left) * bpp;
        std::memcpy(d, s, rowBytes);
    }
    return DD_OK;
}

HRESULT Surface::BltBatch(void*, DWORD, DWORD) { return DDERR_UNSUPPORTED; }
HRESULT Surface::BltFast(DWORD, DWORD, IDirectDrawSurface7*, RECT*, DWORD) { return DDERR_UNSUPPORTED; }

HRESULT Surface::DeleteAttachedSurface(DWORD, IDirectDrawSurface7* surface) {
    if (!depth_ || (surface && AsStandIn(surface) != depth_)) return DDERR_SURFACENOTATTACHED;
    depth_->Release();
    depth_ = nullptr;
    return DD_OK;
}

HRESULT Surface::EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK7 callback) {
    if (!callback) return DDERR_INVALIDPARAMS;
    Surface* found[2] = {NextInChain(), depth_};
    for (Surface* s : found) {
        if (!s) continue;
        DDSURFACEDESC2 d;
        s->Describe(d);
        s->AddRef();  // the callback receives a reference
        if (callback(s, &d, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT Surface::EnumOverlayZOrders(DWORD, void*, LPDDENUMSURFACESCALLBACK7) { return DDERR_UNSUPPORTED; }

HRESULT Surface::Flip(IDirectDrawSurface7* target, DWORD) {
    if (!(caps_.dwCaps & DDSCAPS_FRONTBUFFER) || !next_) return DDERR_NOTFLIPPABLE;
    if (target && AsStandIn(target) != next_) return DDERR_UNSUPPORTED;
    for (Surface* s = this; s; s = s->next_)
        if (s->Busy()) return DDERR_SURFACEBUSY;
    // The front buffer shows what the first back buffer held; every back
    // buffer moves one place up the chain and the last gets the old front.
    uint8_t* shown = memory_;
    Surface* s = this;
    while (s->next_) {
        s->memory_ = s->next_->memory_;
        s->uniqueness_ += 1;
        s = s->next_;
    }
    s->memory_ = shown;
    s->uniqueness_ += 1;
    return DD_OK;
}

HRESULT Surface::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out) {
    VC15_RECORD(J().getAttachedCalls += 1);
    if (caps) VC15_RECORD(J().getAttachedCaps = *caps);
    if (!caps || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (C().failGetAttached) return DDERR_NOTFOUND;
    Surface* candidates[2] = {NextInChain(), depth_};
    for (Surface* s : candidates) {
        if (!s || s == this) continue;
        if ((s->caps_.dwCaps & caps->dwCaps) != caps->dwCaps) continue;
        if ((s->caps_.dwCaps2 & caps->dwCaps2) != caps->dwCaps2) continue;
        s->AddRef();
        *out = s;
        return DD_OK;
    }
    return DDERR_NOTFOUND;
}

HRESULT Surface::GetBltStatus(DWORD) { return DD_OK; }

HRESULT Surface::GetCaps(DDSCAPS2* caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
}

HRESULT Surface::GetClipper(IDirectDrawClipper** out) {
    if (out) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

HRESULT Surface::GetColorKey(DWORD flags, DDCOLORKEY* key) {
    if (!key) return DDERR_INVALIDPARAMS;
    if (flags == DDCKEY_SRCBLT) {
        if (!hasSrcKey_) return DDERR_NOCOLORKEY;
        *key = srcKey_;
        return DD_OK;
    }
    if (flags == DDCKEY_DESTBLT) {
        if (!hasDestKey_) return DDERR_NOCOLORKEY;
        *key = destKey_;
        return DD_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT Surface::GetDC(HDC* dc) {
    VC15_RECORD(J().getDCCalls += 1);
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (C().failGetDC) return DDERR_CANTCREATEDC;
    if (dc_) return DDERR_DCALREADYCREATED;
    if (locked_) return DDERR_SURFACEBUSY;
    // GDI draws only into RGB surfaces of 16, 24 or 32 bits.
    if (!(format_.dwFlags & DDPF_RGB) || (format_.dwFlags & DDPF_PALETTEINDEXED8) || format_.dwRGBBitCount < 16)
        return DDERR_CANTCREATEDC;
    auto* context = new (std::nothrow) VC15OpaqueHDC{kDcMagic, this};
    if (!context) return DDERR_OUTOFMEMORY;
    dc_ = context;
    *dc = context;
    return DD_OK;
}

HRESULT Surface::GetFlipStatus(DWORD) { return DD_OK; }
HRESULT Surface::GetOverlayPosition(LONG*, LONG*) { return DDERR_UNSUPPORTED; }

HRESULT Surface::GetPalette(IDirectDrawPalette** out) {
    if (out) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

HRESULT Surface::GetPixelFormat(DDPIXELFORMAT* format) {
    if (!format) return DDERR_INVALIDPARAMS;
    *format = format_;
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    Describe(*desc);
    return DD_OK;
}

HRESULT Surface::Initialize(IDirectDraw*, DDSURFACEDESC2*) { return DDERR_UNSUPPORTED; }
HRESULT Surface::IsLost() { return DD_OK; }

HRESULT Surface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE) {
    VC15_RECORD(J().lockCalls += 1);
    VC15_RECORD(J().lockFlags = flags);
    VC15_RECORD(J().lockDescSize = desc ? desc->dwSize : 0);
    VC15_RECORD(J().lockRectNull = rect == nullptr);
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    if (C().failLock) return DDERR_SURFACEBUSY;
    if (Busy()) return DDERR_SURFACEBUSY;
    RECT r;
    if (!ResolveRect(rect, r)) return DDERR_INVALIDRECT;
    Describe(*desc);
    const size_t bpp = (BitsPerPixel(format_) + 7) / 8;
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface =
        memory_ + static_cast<size_t>(r.top) * static_cast<size_t>(pitch_) + static_cast<size_t>(r.left) * bpp;
    locked_ = true;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
    VC15_RECORD(J().releaseDCCalls += 1);
    if (!dc_) return DDERR_NODC;
    if (dc != dc_) return DDERR_INVALIDPARAMS;
    delete dc_;
    dc_ = nullptr;
    return DD_OK;
}

HRESULT Surface::Restore() { return DD_OK; }
HRESULT Surface::SetClipper(IDirectDrawClipper*) { return DDERR_UNSUPPORTED; }

HRESULT Surface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
    VC15_RECORD(J().setColorKeyCalls += 1);
    VC15_RECORD(J().setColorKeyFlags = flags);
    if (key) VC15_RECORD(J().setColorKey = *key);
    if (C().failSetColorKey) return DDERR_GENERIC;
    const DWORD which = flags & ~DDCKEY_COLORSPACE;
    if (which != DDCKEY_SRCBLT && which != DDCKEY_DESTBLT) {
        return (which == DDCKEY_SRCOVERLAY || which == DDCKEY_DESTOVERLAY) ? DDERR_UNSUPPORTED : DDERR_INVALIDPARAMS;
    }
    bool& has = which == DDCKEY_SRCBLT ? hasSrcKey_ : hasDestKey_;
    DDCOLORKEY& stored = which == DDCKEY_SRCBLT ? srcKey_ : destKey_;
    if (!key) {
        has = false;
        return DD_OK;
    }
    stored = *key;
    // Without a colour space the key is the single low value.
    if (!(flags & DDCKEY_COLORSPACE)) stored.dwColorSpaceHighValue = stored.dwColorSpaceLowValue;
    has = true;
    return DD_OK;
}

HRESULT Surface::SetOverlayPosition(LONG, LONG) { return DDERR_UNSUPPORTED; }
HRESULT Surface::SetPalette(IDirectDrawPalette*) { return DDERR_UNSUPPORTED; }

HRESULT Surface::Unlock(RECT*) {
    VC15_RECORD(J().unlockCalls += 1);
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    if (C().failUnlock) return DDERR_GENERIC;
    uniqueness_ += 1;
    return DD_OK;
}

HRESULT Surface::UpdateOverlay(RECT*, IDirectDrawSurface7*, RECT*, DWORD, void*) { return DDERR_UNSUPPORTED; }
HRESULT Surface::UpdateOverlayDisplay(DWORD) { return DDERR_UNSUPPORTED; }
HRESULT Surface::UpdateOverlayZOrder(DWORD, IDirectDrawSurface7*) { return DDERR_UNSUPPORTED; }

HRESULT Surface::GetDDInterface(void** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    owner_->AddRef();
    *out = owner_->Self();
    return DD_OK;
}

HRESULT Surface::PageLock(DWORD) { return DD_OK; }
HRESULT Surface::PageUnlock(DWORD) { return DD_OK; }
HRESULT Surface::SetSurfaceDesc(DDSURFACEDESC2*, DWORD) { return DDERR_UNSUPPORTED; }
HRESULT Surface::SetPrivateData(REFIID, void*, DWORD, DWORD) { return DDERR_UNSUPPORTED; }
HRESULT Surface::GetPrivateData(REFIID, void*, DWORD*) { return DDERR_UNSUPPORTED; }
HRESULT Surface::FreePrivateData(REFIID) { return DDERR_UNSUPPORTED; }

HRESULT Surface::GetUniquenessValue(DWORD* value) {
    if (!value) return DDERR_INVALIDPARAMS;
    *value = uniqueness_;
    return DD_OK;
}

HRESULT Surface::ChangeUniquenessValue() {
    uniqueness_ += 1;
    return DD_OK;
}

HRESULT Surface::SetPriority(DWORD) { return DDERR_UNSUPPORTED; }
HRESULT Surface::GetPriority(DWORD*) { return DDERR_UNSUPPORTED; }
HRESULT Surface::SetLOD(DWORD) { return DDERR_UNSUPPORTED; }
HRESULT Surface::GetLOD(DWORD*) { return DDERR_UNSUPPORTED; }

}  // namespace vc15::standin
