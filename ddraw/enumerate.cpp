// Driver, display-mode, depth-format and 3-D device enumeration into lists the
// host owns.
//
// Behaviour where the rules leave a choice:
//   - The 3-D device counter starts again from 0 when its callback finds an
//     empty list, as the driver and mode counters do. It still stops an
//     enumeration when it reaches exactly 255.
//   - A node that cannot be allocated is skipped: nothing is appended, the
//     list stays intact and the enumeration goes on. The item still counts
//     towards its counter's limit, as an appended one would.
//   - A null name or description from the platform is stored as an empty
//     string.
//   - A null list, object or device node is refused with -1 before the
//     platform is called.
#include <cstring>
#include <new>

#include "core/memory.h"
#include "core/node_list.h"
#include "ddraw/enumerate_internal.h"
#include "ddraw/node_view.h"

namespace vc15::ddraw {

namespace {

// Process-wide, zero at load time.
EnumCounters g_counters = {0, 0, 0, 0};

constexpr int32_t kDriverLimit = 256;
constexpr int32_t kModeLimit = 256;
constexpr int32_t kDepthFormatLimit = 256;
constexpr int32_t kDeviceStop = 255;

void CopyName(char (&dst)[64], const char* src) {
    if (!src) {
        dst[0] = '\0';
        return;
    }
    platform::CopyString(dst, src, static_cast<int>(sizeof dst));
}

}  // namespace

EnumCounters& Counters() { return g_counters; }

BOOL VC15_PLATFORM_CALLBACK DriverCallback(GUID* guid, LPSTR description, LPSTR name, LPVOID context,
                                           HMONITOR monitor) {
    auto* list = static_cast<CNodeList*>(context);
    if (list->GetCount() == 0) g_counters.drivers = 0;

    IDirectDraw* first = nullptr;
    if (platform::CreateDirectDraw(guid, &first, nullptr) != 0 || !first) return 1;
    IDirectDraw7* dd = nullptr;
    const HRESULT queried = first->QueryInterface(platform::IidDirectDraw7(), reinterpret_cast<void**>(&dd));
    first->Release();
    if (queried != 0 || !dd) return 1;

    DDCAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    if (dd->GetCaps(&caps, nullptr) != 0) {
        dd->Release();
        return 1;
    }

    auto* node = NewObject<CDDrawDriverNode>();
    if (node) {
        if (guid) std::memcpy(&node->guid, guid, sizeof node->guid);
        std::memcpy(&node->caps, &caps, sizeof node->caps);
        CopyName(node->name, name);
        CopyName(node->description, description);
        node->monitor = monitor;
    }
    AppendNode(list, node);
    dd->Release();

    g_counters.drivers += 1;
    return g_counters.drivers < kDriverLimit ? 1 : 0;
}

HRESULT VC15_PLATFORM_CALLBACK ModeCallback(LPDDSURFACEDESC2 desc, LPVOID context) {
    auto* list = static_cast<CNodeList*>(context);
    if (list->GetCount() == 0) {
        g_counters.modes = 0;
    } else if (g_counters.modes >= kModeLimit) {
        return DDENUMRET_CANCEL;
    }
    auto* node = NewObject<CDisplayModeNode>();
    if (node && desc) std::memcpy(&node->mode, desc, sizeof node->mode);
    AppendNode(list, node);
    g_counters.modes += 1;
    return DDENUMRET_OK;
}

HRESULT VC15_PLATFORM_CALLBACK DepthFormatCallback(LPDDPIXELFORMAT format, LPVOID context) {
    auto* list = static_cast<CNodeList*>(context);
    // Never set back to 0: the limit holds for the life of the process.
    if (!format || g_counters.depthFormats >= kDepthFormatLimit) return D3DENUMRET_CANCEL;
    auto* node = NewObject<CZBufferFormatNode>();
    if (node) std::memcpy(&node->format, format, sizeof node->format);
    AppendNode(list, node);
    g_counters.depthFormats += 1;
    return D3DENUMRET_OK;
}

HRESULT VC15_PLATFORM_CALLBACK DeviceCallback(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 desc, LPVOID context) {
    auto* list = static_cast<CNodeList*>(context);
    if (list->GetCount() == 0) g_counters.devices = 0;
    auto* node = NewObject<CD3DDeviceNode>();
    if (node) {
        CopyName(node->description, description);
        CopyName(node->name, name);
        if (desc) std::memcpy(&node->desc, desc, sizeof node->desc);
    }
    g_counters.devices += 1;
    AppendNode(list, node);
    return g_counters.devices == kDeviceStop ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
}

}  // namespace vc15::ddraw

using namespace vc15;

extern "C" VC15_API int32_t VC15_CALL vdxGetDDrawDrivers(uint32_t flags, CNodeList* list) {
    if (!list) return -1;
    return platform::EnumerateDrivers(ddraw::DriverCallback, list, flags) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxGetVideoModes(IDirectDraw7* dd, CNodeList* list) {
    if (!dd || !list) return -1;
    return dd->EnumDisplayModes(DDEDM_REFRESHRATES, nullptr, list, ddraw::ModeCallback) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxGetZBufferFormats(IDirect3D7* d3d, CD3DDeviceNode* device, CNodeList* list) {
    if (!d3d || !device || !list) return -1;
    return d3d->EnumZBufferFormats(*ddraw::DeviceGuid(device), ddraw::DepthFormatCallback, list) == 0 ? 0 : -1;
}

extern "C" VC15_API int32_t VC15_CALL vdxGetD3DDrivers(IDirect3D7* d3d, CNodeList* list) {
    if (!d3d || !list) return -1;
    return d3d->EnumDevices(ddraw::DeviceCallback, list) == 0 ? 0 : -1;
}
