// The stand-in's Direct3D object and 3-D device: one software RGB device,
// its depth formats, and a device object bound to a render-target surface
// made with DDSCAPS_3DDEVICE. The device draws nothing; it holds its target
// and answers the first operations of its table.
#include <cstring>
#include <initializer_list>
#include <new>

#include "ddraw/standin/objects.h"

namespace vc15::standin {

namespace {

constexpr DWORD kDevCaps = 0x00000001u /* FLOATTLVERTEX */ | 0x00000010u /* EXECUTESYSTEMMEMORY */ |
                           0x00000040u /* TLVERTEXSYSTEMMEMORY */ | 0x00000100u /* TEXTURESYSTEMMEMORY */ |
                           0x00000400u /* DRAWPRIMTLVERTEX */;

GUID ExtraDeviceGuid(int index) {
    GUID g = IID_IDirect3DRGBDevice;
    g.Data1 ^= 0x00010000u + static_cast<uint32_t>(index);
    return g;
}

void DepthFormat(DDPIXELFORMAT& pf, DWORD bits, DWORD zMask, DWORD stencilBits, DWORD stencilMask) {
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    pf.dwFlags = DDPF_ZBUFFER | (stencilBits ? DDPF_STENCILBUFFER : 0);
    pf.dwZBufferBitDepth = bits;
    pf.dwStencilBitDepth = stencilBits;
    pf.dwZBitMask = zMask;
    pf.dwStencilBitMask = stencilMask;
}

bool KnownDevice(const GUID& clsid) {
    if (IsEqualGUID(clsid, IID_IDirect3DRGBDevice)) return true;
    for (int i = 0; i < C().extraDevices; ++i)
        if (IsEqualGUID(clsid, ExtraDeviceGuid(i))) return true;
    return false;
}

}  // namespace

bool DescribeDevice(const GUID& clsid, D3DDEVICEDESC7& d) {
    if (!KnownDevice(clsid)) return false;
    std::memset(&d, 0, sizeof d);
    d.dwDevCaps = kDevCaps;
    for (D3DPRIMCAPS* caps : {&d.dpcLineCaps, &d.dpcTriCaps}) {
        caps->dwSize = sizeof *caps;
        caps->dwZCmpCaps = 0xFF;  // every comparison
        caps->dwShadeCaps = 0x1;
    }
    d.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
    d.dwDeviceZBufferBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
    d.dwMinTextureWidth = 1;
    d.dwMinTextureHeight = 1;
    d.dwMaxTextureWidth = 2048;
    d.dwMaxTextureHeight = 2048;
    d.dwMaxTextureRepeat = 2048;
    d.dwMaxTextureAspectRatio = 2048;
    d.wMaxTextureBlendStages = 8;
    d.wMaxSimultaneousTextures = 1;
    d.dwMaxActiveLights = 8;
    d.dvMaxVertexW = 1.0e10f;
    d.deviceGUID = clsid;
    return true;
}

Direct3D::Direct3D(DirectDraw* dd) : dd_(dd) {
    dd_->AddRef();
    CountObject(+1);
}

Direct3D::~Direct3D() {
    dd_->Release();
    CountObject(-1);
}

HRESULT Direct3D::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IDirect3D7) || IsEqualGUID(riid, IID_IUnknown)) {
        AddRef();
        *out = static_cast<IDirect3D7*>(this);
        return S_OK;
    }
    if (IsEqualGUID(riid, IID_IDirectDraw7)) return dd_->QueryInterface(riid, out);
    return E_NOINTERFACE;
}

uint32_t Direct3D::AddRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t Direct3D::Release() {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) {
    VC15_RECORD(J().enumDevicesCalls += 1);
    if (!callback) return DDERR_INVALIDPARAMS;
    D3DDEVICEDESC7 desc;
    char description[64];
    char name[64];
    DescribeDevice(IID_IDirect3DRGBDevice, desc);
    std::memcpy(description, "Software rasteriser for RGB surfaces", 37);
    std::memcpy(name, "Software RGB", 13);
    if (callback(description, name, &desc, context) == D3DENUMRET_CANCEL) return DD_OK;
    for (int i = 0; i < C().extraDevices; ++i) {
        DescribeDevice(ExtraDeviceGuid(i), desc);
        if (callback(description, name, &desc, context) == D3DENUMRET_CANCEL) return DD_OK;
    }
    return C().enumDevicesResult;
}

HRESULT Direct3D::CreateDevice(REFCLSID clsid, IDirectDrawSurface7* target, IDirect3DDevice7** out) {
    VC15_RECORD(J().createDeviceCalls += 1);
    VC15_RECORD(J().createDeviceClass = &clsid);
    VC15_RECORD(J().createDeviceTarget = target);
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    D3DDEVICEDESC7 desc;
    if (!target || !DescribeDevice(clsid, desc)) return DDERR_INVALIDPARAMS;
    DDSCAPS2 caps;
    if (target->GetCaps(&caps) != DD_OK || !(caps.dwCaps & DDSCAPS_3DDEVICE)) return DDERR_INVALIDCAPS;
    DDPIXELFORMAT pf;
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    if (target->GetPixelFormat(&pf) != DD_OK || !(pf.dwFlags & DDPF_RGB) ||
        (pf.dwRGBBitCount != 16 && pf.dwRGBBitCount != 32))
        return DDERR_INVALIDPIXELFORMAT;
    auto* device = new (std::nothrow) Device(this, target, desc);
    if (!device) return DDERR_OUTOFMEMORY;
    *out = device;
    return DD_OK;
}

HRESULT Direct3D::CreateVertexBuffer(void*, IDirect3DVertexBuffer7** out, DWORD) {
    if (out) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

HRESULT Direct3D::EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
    VC15_RECORD(J().enumDepthFormatsCalls += 1);
    VC15_RECORD(J().enumDepthFormatsDevice = &device);
    if (!callback || !KnownDevice(device)) return DDERR_INVALIDPARAMS;
    DDPIXELFORMAT formats[kBuiltInDepthFormats];
    DepthFormat(formats[0], 16, 0xFFFF, 0, 0);
    DepthFormat(formats[1], 32, 0xFFFFFF, 0, 0);
    DepthFormat(formats[2], 32, 0xFFFFFF, 8, 0xFF000000u);
    DepthFormat(formats[3], 32, 0xFFFFFFFFu, 0, 0);
    for (DDPIXELFORMAT& pf : formats)
        if (callback(&pf, context) == D3DENUMRET_CANCEL) return DD_OK;
    for (int i = 0; i < C().extraDepthFormats; ++i) {
        DDPIXELFORMAT pf = formats[0];
        if (callback(&pf, context) == D3DENUMRET_CANCEL) return DD_OK;
    }
    return C().enumDepthFormatsResult;
}

HRESULT Direct3D::EvictManagedTextures() { return DD_OK; }

Device::Device(Direct3D* d3d, IDirectDrawSurface7* target, const D3DDEVICEDESC7& desc)
    : d3d_(d3d), target_(target), desc_(desc) {
    d3d_->AddRef();
    target_->AddRef();
    CountObject(+1);
}

Device::~Device() {
    target_->Release();
    d3d_->Release();
    CountObject(-1);
}

HRESULT Device::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IDirect3DDevice7) || IsEqualGUID(riid, IID_IUnknown)) {
        AddRef();
        *out = static_cast<IDirect3DDevice7*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

uint32_t Device::AddRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t Device::Release() {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

HRESULT Device::GetCaps(D3DDEVICEDESC7* desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    *desc = desc_;
    return DD_OK;
}

HRESULT Device::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    DDPIXELFORMAT pf = FormatForDepth(16);
    if (callback(&pf, context) == D3DENUMRET_CANCEL) return DD_OK;
    pf.dwRBitMask = 0x7C00;
    pf.dwGBitMask = 0x03E0;
    pf.dwBBitMask = 0x001F;
    if (callback(&pf, context) == D3DENUMRET_CANCEL) return DD_OK;
    pf = FormatForDepth(32);
    callback(&pf, context);
    return DD_OK;
}

HRESULT Device::BeginScene() {
    if (inScene_) return DDERR_GENERIC;
    inScene_ = true;
    return DD_OK;
}

HRESULT Device::EndScene() {
    if (!inScene_) return DDERR_GENERIC;
    inScene_ = false;
    return DD_OK;
}

HRESULT Device::GetDirect3D(IDirect3D7** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    d3d_->AddRef();
    *out = d3d_;
    return DD_OK;
}

HRESULT Device::SetRenderTarget(IDirectDrawSurface7* surface, DWORD) {
    if (!surface) return DDERR_INVALIDPARAMS;
    DDSCAPS2 caps;
    if (surface->GetCaps(&caps) != DD_OK || !(caps.dwCaps & DDSCAPS_3DDEVICE)) return DDERR_INVALIDCAPS;
    surface->AddRef();
    target_->Release();
    target_ = surface;
    return DD_OK;
}

HRESULT Device::GetRenderTarget(IDirectDrawSurface7** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    target_->AddRef();
    *out = target_;
    return DD_OK;
}

}  // namespace vc15::standin
