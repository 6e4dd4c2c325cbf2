// The stand-in's objects: the DirectDraw object, surfaces, the Direct3D
// object and the 3-D device.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "ddraw/standin/standin.h"

namespace vc15::standin {
class Surface;
}

// The device context GetDC hands out: a view of one surface's memory.
struct VC15OpaqueHDC {
    uint32_t magic;
    vc15::standin::Surface* surface;
};

namespace vc15::standin {

void CountObject(int delta);

// The journal: defined in the tests' build only.
Journal& J();
#if VC15_STANDIN_HOOKS
// The tests' build of the stand-in records every call in the journal and
// reads the knobs.
Config& C();
#define VC15_RECORD(...) ((void)(__VA_ARGS__))
#else
// The shipped stand-in records nothing (the record is an unevaluated
// operand: no code, and the arguments still count as used) and reports
// normally: every knob at its default, a constant the compiler folds away.
#define VC15_RECORD(...) ((void)sizeof(__VA_ARGS__))
inline const Config& C() {
    static constexpr Config kDefault = {0,     nullptr, 0,     0,     0,     -1,    -1,    -1,    DD_OK, DD_OK,
                                        DD_OK, DD_OK,   false, false, false, false, false, false, false};
    return kDefault;
}
#endif

struct DisplayMode {
    DWORD width;
    DWORD height;
    DWORD bpp;
    DWORD refresh;
};

// Pixel formats the stand-in knows.
DDPIXELFORMAT FormatForDepth(DWORD bpp);  // display format: 8 palette, 16 RGB565, 24/32 RGB
bool ValidRgbFormat(const DDPIXELFORMAT& pf);
bool ValidDepthFormat(const DDPIXELFORMAT& pf);
DWORD BitsPerPixel(const DDPIXELFORMAT& pf);

class DirectDraw final : public IDirectDraw7, public IDirectDraw {
public:
    explicit DirectDraw(int driverIndex);
    ~DirectDraw();
    DirectDraw(const DirectDraw&) = delete;
    DirectDraw& operator=(const DirectDraw&) = delete;

    HRESULT QueryInterface(REFIID riid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    HRESULT Compact() override;
    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer) override;
    HRESULT CreatePalette(DWORD flags, void* entries, IDirectDrawPalette** out, IUnknown* outer) override;
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown* outer) override;
    HRESULT DuplicateSurface(IDirectDrawSurface7* src, IDirectDrawSurface7** out) override;
    HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* desc, void* context,
                             LPDDENUMMODESCALLBACK2 callback) override;
    HRESULT EnumSurfaces(DWORD flags, DDSURFACEDESC2* desc, void* context, LPDDENUMSURFACESCALLBACK7 callback) override;
    HRESULT FlipToGDISurface() override;
    HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* helCaps) override;
    HRESULT GetDisplayMode(DDSURFACEDESC2* desc) override;
    HRESULT GetFourCCCodes(DWORD* count, DWORD* codes) override;
    HRESULT GetGDISurface(IDirectDrawSurface7** out) override;
    HRESULT GetMonitorFrequency(DWORD* frequency) override;
    HRESULT GetScanLine(DWORD* line) override;
    HRESULT GetVerticalBlankStatus(BOOL* inBlank) override;
    HRESULT Initialize(GUID* guid) override;
    HRESULT RestoreDisplayMode() override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate, DWORD flags) override;
    HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override;
    HRESULT GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free) override;
    HRESULT GetSurfaceFromDC(HDC dc, IDirectDrawSurface7** out) override;
    HRESULT RestoreAllSurfaces() override;
    HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceIdentifier(void* identifier, DWORD flags) override;
    HRESULT StartModeTest(void* modes, DWORD count, DWORD flags) override;
    HRESULT EvaluateMode(DWORD flags, DWORD* timeout) override;

    IDirectDraw7* Self() { return static_cast<IDirectDraw7*>(this); }
    DDPIXELFORMAT DisplayFormat() const { return FormatForDepth(mode_.bpp); }

    // Display memory bookkeeping for surfaces in video memory.
    bool TakeVideoMemory(size_t bytes);
    void GiveVideoMemory(size_t bytes);
    void PrimaryGone() { hasPrimary_ = false; }

private:
    HRESULT CreatePrimary(const DDSURFACEDESC2& desc, IDirectDrawSurface7** out);

    std::atomic<uint32_t> refs_{1};
    int driver_;
    HWND window_ = nullptr;
    DWORD cooperation_ = 0;
    DisplayMode mode_;
    bool hasPrimary_ = false;
    size_t videoMemoryUsed_ = 0;
};

// Surface memory is one calloc block of pitch * height bytes, the pitch a
// multiple of 4, so the first 32 bits of any surface can be read (colour
// matching reads them whatever the pixel size).
class Surface final : public IDirectDrawSurface7 {
public:
    // Allocates the memory; null when the size overflows or memory is short.
    static Surface* Make(DirectDraw* owner, DWORD caps, DWORD width, DWORD height, const DDPIXELFORMAT& format,
                         bool videoMemory);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HRESULT QueryInterface(REFIID riid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    HRESULT AddAttachedSurface(IDirectDrawSurface7* surface) override;
    HRESULT AddOverlayDirtyRect(RECT* rect) override;
    HRESULT Blt(RECT* destRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) override;
    HRESULT BltBatch(void* batch, DWORD count, DWORD flags) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* src, RECT* srcRect, DWORD trans) override;
    HRESULT DeleteAttachedSurface(DWORD flags, IDirectDrawSurface7* surface) override;
    HRESULT EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK7 callback) override;
    HRESULT EnumOverlayZOrders(DWORD flags, void* context, LPDDENUMSURFACESCALLBACK7 callback) override;
    HRESULT Flip(IDirectDrawSurface7* target, DWORD flags) override;
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out) override;
    HRESULT GetBltStatus(DWORD flags) override;
    HRESULT GetCaps(DDSCAPS2* caps) override;
    HRESULT GetClipper(IDirectDrawClipper** out) override;
    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT GetFlipStatus(DWORD flags) override;
    HRESULT GetOverlayPosition(LONG* x, LONG* y) override;
    HRESULT GetPalette(IDirectDrawPalette** out) override;
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;
    HRESULT Initialize(IDirectDraw* dd, DDSURFACEDESC2* desc) override;
    HRESULT IsLost() override;
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT Restore() override;
    HRESULT SetClipper(IDirectDrawClipper* clipper) override;
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override;
    HRESULT SetOverlayPosition(LONG x, LONG y) override;
    HRESULT SetPalette(IDirectDrawPalette* palette) override;
    HRESULT Unlock(RECT* rect) override;
    HRESULT UpdateOverlay(RECT* srcRect, IDirectDrawSurface7* dest, RECT* destRect, DWORD flags, void* fx) override;
    HRESULT UpdateOverlayDisplay(DWORD flags) override;
    HRESULT UpdateOverlayZOrder(DWORD flags, IDirectDrawSurface7* reference) override;
    HRESULT GetDDInterface(void** out) override;
    HRESULT PageLock(DWORD flags) override;
    HRESULT PageUnlock(DWORD flags) override;
    HRESULT SetSurfaceDesc(DDSURFACEDESC2* desc, DWORD flags) override;
    HRESULT SetPrivateData(REFIID tag, void* data, DWORD size, DWORD flags) override;
    HRESULT GetPrivateData(REFIID tag, void* data, DWORD* size) override;
    HRESULT FreePrivateData(REFIID tag) override;
    HRESULT GetUniquenessValue(DWORD* value) override;
    HRESULT ChangeUniquenessValue() override;
    HRESULT SetPriority(DWORD priority) override;
    HRESULT GetPriority(DWORD* priority) override;
    HRESULT SetLOD(DWORD lod) override;
    HRESULT GetLOD(DWORD* lod) override;

    // Links back buffers behind this front buffer; the front holds a
    // reference on each of them.
    void AttachChain(Surface** backs, DWORD count);

    DWORD width() const { return width_; }
    DWORD height() const { return height_; }
    LONG pitch() const { return pitch_; }
    uint8_t* memory() const { return memory_; }
    const DDPIXELFORMAT& format() const { return format_; }
    DWORD caps() const { return caps_.dwCaps; }
    bool Busy() const { return locked_ || dc_ != nullptr; }
    void ForgetDC() { dc_ = nullptr; }

private:
    Surface(DirectDraw* owner, DWORD caps, DWORD width, DWORD height, LONG pitch, const DDPIXELFORMAT& format,
            uint8_t* memory, size_t bytes, bool videoMemory);
    void Describe(DDSURFACEDESC2& desc) const;
    Surface* NextInChain() const;
    bool ResolveRect(const RECT* rect, RECT& out) const;
    void FillRect(const RECT& r, uint32_t value);

    std::atomic<uint32_t> refs_{1};
    DirectDraw* owner_;
    DWORD width_;
    DWORD height_;
    LONG pitch_;
    DDPIXELFORMAT format_;
    DDSCAPS2 caps_;
    uint8_t* memory_;
    size_t bytes_;
    bool videoMemory_;
    bool locked_ = false;
    VC15OpaqueHDC* dc_ = nullptr;
    bool hasSrcKey_ = false;
    bool hasDestKey_ = false;
    DDCOLORKEY srcKey_{0, 0};
    DDCOLORKEY destKey_{0, 0};
    DWORD backBufferCount_ = 0;
    Surface* next_ = nullptr;   // next back buffer of a flipping chain
    Surface* front_ = nullptr;  // the chain's front buffer, for back buffers
    Surface* depth_ = nullptr;  // attached depth buffer (a held reference)
    DWORD uniqueness_ = 1;
};

class Direct3D final : public IDirect3D7 {
public:
    explicit Direct3D(DirectDraw* dd);
    ~Direct3D();
    Direct3D(const Direct3D&) = delete;
    Direct3D& operator=(const Direct3D&) = delete;

    HRESULT QueryInterface(REFIID riid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) override;
    HRESULT CreateDevice(REFCLSID clsid, IDirectDrawSurface7* target, IDirect3DDevice7** out) override;
    HRESULT CreateVertexBuffer(void* desc, IDirect3DVertexBuffer7** out, DWORD flags) override;
    HRESULT EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override;
    HRESULT EvictManagedTextures() override;

private:
    std::atomic<uint32_t> refs_{1};
    DirectDraw* dd_;
};

class Device final : public IDirect3DDevice7 {
public:
    Device(Direct3D* d3d, IDirectDrawSurface7* target, const D3DDEVICEDESC7& desc);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    HRESULT QueryInterface(REFIID riid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT GetCaps(D3DDEVICEDESC7* desc) override;
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT GetDirect3D(IDirect3D7** out) override;
    HRESULT SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) override;
    HRESULT GetRenderTarget(IDirectDrawSurface7** out) override;

private:
    std::atomic<uint32_t> refs_{1};
    Direct3D* d3d_;
    IDirectDrawSurface7* target_;
    D3DDEVICEDESC7 desc_;
    bool inScene_ = false;
};

// The software device's description and class id, and the device for a class id.
bool DescribeDevice(const GUID& clsid, D3DDEVICEDESC7& desc);

}  // namespace vc15::standin
