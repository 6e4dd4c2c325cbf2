// Stand-in entry points: driver enumeration, DirectDraw object creation, the
// test journal and knobs, and the pixel formats the stand-in knows.
//
// What the stand-in reports (choices of this software platform):
//   - The primary display driver without a GUID (as DirectDraw reports it)
//     and, when DDENUM_ATTACHEDSECONDARYDEVICES is asked for, a second
//     software display adapter with a GUID. Both create the same kind of
//     object.
//   - Display modes 640x480, 800x600 and 1024x768 at 8 (palette), 16 (RGB565)
//     and 32 bits (X8R8G8B8), at 60 and 75 Hz when refresh rates are asked
//     for. The desktop starts as 640x480 at 16 bits, so surfaces made without
//     a pixel format are RGB565 until the host sets another mode.
//   - Surfaces live in ordinary memory. Video memory is accepted too and
//     counted against 32 MiB of pretend display memory.
//   - Direct3D lists one software RGB device with four depth formats (16-bit,
//     24-bit in 32, 24-bit with 8 stencil bits, 32-bit).
#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>

#include "ddraw/standin/objects.h"

namespace vc15::standin {

namespace {

std::atomic<int> g_live{0};

constexpr int kBuiltInDrivers = 2;
// Any non-null value will do for a secondary adapter's monitor handle; hosts
// only pass it on.
const HMONITOR kMonitor = reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x10001));

GUID ExtraDriverGuid(int index) {
    GUID g = kSecondDriverGuid;
    g.Data1 += static_cast<uint32_t>(index) + 1u;
    return g;
}

bool IsZeroGuid(const GUID& g) {
    static const GUID zero = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
    return IsEqualGUID(g, zero);
}

// Driver index of a GUID: 0 for null or all-zero, -1 when unknown.
int DriverIndex(const GUID* guid) {
    if (!guid || IsZeroGuid(*guid)) return 0;
    if (IsEqualGUID(*guid, kSecondDriverGuid)) return 1;
    for (int i = 0; i < C().extraDrivers; ++i)
        if (IsEqualGUID(*guid, ExtraDriverGuid(i))) return kBuiltInDrivers + i;
    return -1;
}

}  // namespace

#if VC15_STANDIN_HOOKS
namespace {
Journal g_journal;
Config g_config;

void DefaultConfig(Config& c) {
    std::memset(&c, 0, sizeof c);
    c.failCreateForDriver = -1;
    c.failQueryForDriver = -1;
    c.failCapsForDriver = -1;
}

struct ConfigInit {
    ConfigInit() {
        DefaultConfig(g_config);
        std::memset(&g_journal, 0, sizeof g_journal);
    }
} g_configInit;
}  // namespace

Journal& J() { return g_journal; }
Config& C() { return g_config; }
Journal& GetJournal() { return g_journal; }
Config& GetConfig() { return g_config; }

void ResetForTesting() {
    std::memset(&g_journal, 0, sizeof g_journal);
    DefaultConfig(g_config);
}
#endif

const GUID kSecondDriverGuid = {0x5C1A0D00, 0x7E21, 0x4B6F, {0x9A, 0x53, 0x10, 0xC4, 0x2B, 0x7E, 0x61, 0x0D}};

void CountObject(int delta) { g_live.fetch_add(delta, std::memory_order_relaxed); }
int LiveObjects() { return g_live.load(std::memory_order_relaxed); }

char* lstrcpynA(char* dst, const char* src, int max) {
    if (!dst || !src) return nullptr;
    char* d = dst;
    int left = max;
    while (left > 1 && *src) {
        *d++ = *src++;
        --left;
    }
    if (left > 0) *d = '\0';
    return dst;
}

HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
    VC15_RECORD(J().enumDriversCalls += 1);
    VC15_RECORD(J().enumDriversFlags = flags);
    if (!callback) return DDERR_INVALIDPARAMS;
    constexpr DWORD known =
        DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES;
    if (flags & ~known) return DDERR_INVALIDPARAMS;

    char description[128];
    char name[128];
    std::snprintf(description, sizeof description, "Primary software display driver");
    std::snprintf(name, sizeof name, "display");
    if (!callback(nullptr, description, name, context, nullptr)) return DD_OK;

    // The second adapter is reported only when attached secondary devices
    // are asked for, as DirectDraw does.
    if (flags & DDENUM_ATTACHEDSECONDARYDEVICES) {
        GUID second = kSecondDriverGuid;
        std::snprintf(description, sizeof description, "Software display adapter");
        std::snprintf(name, sizeof name, "\\\\.\\DISPLAY1");
        if (!callback(&second, description, name, context, kMonitor)) return DD_OK;
    }

    for (int i = 0; i < C().extraDrivers; ++i) {
        GUID g = ExtraDriverGuid(i);
        if (C().extraDriverName) {
            if (!callback(&g, const_cast<char*>(C().extraDriverName), const_cast<char*>(C().extraDriverName), context,
                          kMonitor))
                return DD_OK;
        } else {
            std::snprintf(description, sizeof description, "Extra software driver %d", i);
            std::snprintf(name, sizeof name, "extra%d", i);
            if (!callback(&g, description, name, context, kMonitor)) return DD_OK;
        }
    }
    return C().enumDriversResult;
}

static HRESULT MakeDirectDraw(GUID* guid, DirectDraw** out) {
    const int index = DriverIndex(guid);
    if (index < 0) return DDERR_INVALIDDIRECTDRAWGUID;
    if (index == C().failCreateForDriver) return DDERR_GENERIC;
    auto* dd = new (std::nothrow) DirectDraw(index);
    if (!dd) return DDERR_OUTOFMEMORY;
    *out = dd;
    return DD_OK;
}

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, IUnknown* outer) {
    VC15_RECORD(J().createCalls += 1);
    VC15_RECORD(J().createGuidNull = guid == nullptr);
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    DirectDraw* dd = nullptr;
    const HRESULT hr = MakeDirectDraw(guid, &dd);
    if (hr != DD_OK) return hr;
    *out = static_cast<IDirectDraw*>(dd);
    return DD_OK;
}

HRESULT DirectDrawCreateEx(GUID* guid, void** out, REFIID iid, IUnknown* outer) {
    VC15_RECORD(J().createExCalls += 1);
    VC15_RECORD(J().createExGuidPointer = guid);
    if (guid) VC15_RECORD(J().createExGuid = *guid);
    VC15_RECORD(J().createExIid = iid);
    VC15_RECORD(J().createExOuterNull = outer == nullptr);
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
    if (outer) return CLASS_E_NOAGGREGATION;
    DirectDraw* dd = nullptr;
    const HRESULT hr = MakeDirectDraw(guid, &dd);
    if (hr != DD_OK) return hr;
    *out = dd->Self();
    return DD_OK;
}

// ---- Pixel formats ----------------------------------------------------------

DDPIXELFORMAT FormatForDepth(DWORD bpp) {
    DDPIXELFORMAT pf;
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    pf.dwFlags = DDPF_RGB;
    pf.dwRGBBitCount = bpp;
    switch (bpp) {
        case 8:
            pf.dwFlags |= DDPF_PALETTEINDEXED8;
            break;
        case 16:
            pf.dwRBitMask = 0xF800;
            pf.dwGBitMask = 0x07E0;
            pf.dwBBitMask = 0x001F;
            break;
        default:
            pf.dwRBitMask = 0xFF0000;
            pf.dwGBitMask = 0x00FF00;
            pf.dwBBitMask = 0x0000FF;
            break;
    }
    return pf;
}

bool ValidRgbFormat(const DDPIXELFORMAT& pf) {
    if (!(pf.dwFlags & DDPF_RGB)) return false;
    if (pf.dwFlags & ~(DDPF_RGB | DDPF_ALPHAPIXELS | DDPF_PALETTEINDEXED8)) return false;
    const DWORD bits = pf.dwRGBBitCount;
    if (bits == 8) return (pf.dwFlags & DDPF_PALETTEINDEXED8) != 0;
    if (pf.dwFlags & DDPF_PALETTEINDEXED8) return false;
    if (bits != 16 && bits != 24 && bits != 32) return false;
    const uint64_t limit = (uint64_t{1} << bits) - 1;
    const DWORD alpha = (pf.dwFlags & DDPF_ALPHAPIXELS) ? pf.dwRGBAlphaBitMask : 0;
    const DWORD masks[4] = {pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, alpha};
    DWORD seen = 0;
    for (int i = 0; i < 4; ++i) {
        if (i < 3 && masks[i] == 0) return false;
        if (masks[i] > limit || (masks[i] & seen)) return false;
        seen |= masks[i];
    }
    return true;
}

bool ValidDepthFormat(const DDPIXELFORMAT& pf) {
    if (!(pf.dwFlags & DDPF_ZBUFFER)) return false;
    const DWORD bits = pf.dwZBufferBitDepth;
    if (bits != 16 && bits != 24 && bits != 32) return false;
    return pf.dwZBitMask != 0;
}

DWORD BitsPerPixel(const DDPIXELFORMAT& pf) { return pf.dwRGBBitCount; /* same word as the depth's bit count */ }

}  // namespace vc15::standin
