// Driver, mode, depth-format and 3-D device enumeration: lists built by the
// append rule, the process-wide counters and their stop rules, names cut to
// 63 characters, skipped drivers and nodes.
#include <string>

#include "ddraw_support.h"
#include "test_hooks.h"

namespace {

using namespace ddtest;
using vc15::ddraw::Counters;
using vc15::ddraw::EnumCounters;

class DDrawEnumerate : public testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }
};

bool GuidIsZero(const GUID& g) { return IsEqualGUID(g, GUID{}); }

// Both enumerations of the platform's drivers, and a second one appended to
// a list that was not empty (the counter goes on, the old nodes stay).
TEST_F(DDrawEnumerate, DriversIntoTheHostsList) {
    OwnedList primary, all;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &primary), 0);
    ASSERT_GE(primary.list.count, 1);
    ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &all), 0);
    ExpectWellFormed(all.list);
    EXPECT_GE(all.list.count, primary.list.count);
    const int32_t first = all.list.count;
    EXPECT_EQ(Counters().drivers, first);
    auto nodes = all.Nodes<CDDrawDriverNode>();
    for (size_t i = 0; i < nodes.size(); ++i) {
        // The primary display driver comes first, without a GUID.
        EXPECT_EQ(GuidIsZero(nodes[i]->guid), i == 0) << i;
        EXPECT_LT(std::strlen(nodes[i]->name), 64u);
        EXPECT_LT(std::strlen(nodes[i]->description), 64u);
        EXPECT_EQ(nodes[i]->caps.dwSize, sizeof(DDCAPS));
    }
#if !defined(_WIN32)
    ASSERT_EQ(primary.list.count, 1);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_STREQ(nodes[0]->name, "display");
    EXPECT_EQ(nodes[0]->monitor, nullptr);
    EXPECT_NE(nodes[0]->caps.dwCaps & DDCAPS_BLTCOLORFILL, 0u);
    EXPECT_TRUE(IsEqualGUID(nodes[1]->guid, vc15::standin::kSecondDriverGuid));
    EXPECT_NE(nodes[1]->monitor, nullptr);
    EXPECT_EQ(vc15::standin::GetJournal().enumDriversFlags, DDENUM_ATTACHEDSECONDARYDEVICES);
    EXPECT_TRUE(vc15::standin::GetJournal().getCapsHelNull);
    EXPECT_EQ(vc15::standin::LiveObjects(), 0);  // the objects that read the caps were released
#endif
    ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &all), 0);
    EXPECT_EQ(all.list.count, 2 * first);
    EXPECT_EQ(Counters().drivers, 2 * first);
    ExpectWellFormed(all.list);
    auto again = all.Nodes<CDDrawDriverNode>();
    for (int32_t i = 0; i < first; ++i) {
        EXPECT_EQ(again[i], nodes[i]);
        EXPECT_STREQ(again[i + first]->name, nodes[i]->name);
        EXPECT_TRUE(IsEqualGUID(again[i + first]->guid, nodes[i]->guid));
    }
    // A header with a count but no nodes: not empty for the counter, empty for the links.
    OwnedList odd;
    odd.list.count = 5;
    Counters().drivers = 7;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &odd), 0);
    ASSERT_NE(odd.list.head, nullptr);
    EXPECT_EQ(Counters().drivers, 7 + odd.list.count - 5);
    EXPECT_EQ(odd.list.head->prev, nullptr);
    EXPECT_EQ(odd.list.tail->next, nullptr);
}

TEST_F(DDrawEnumerate, NullArgumentsAndRefusedFlags) {
    Ref<IDirectDraw7> dd;
    ASSERT_TRUE(MakeDirectDraw(dd));
    Direct3D d3d(dd.get());
    OwnedList list;
    CD3DDeviceNode device;
    EXPECT_EQ(vdxGetDDrawDrivers(0, nullptr), -1);
    EXPECT_EQ(vdxGetVideoModes(nullptr, &list), -1);
    EXPECT_EQ(vdxGetVideoModes(dd.get(), nullptr), -1);
    EXPECT_EQ(vdxGetZBufferFormats(nullptr, &device, &list), -1);
    EXPECT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), nullptr, &list), -1);
    EXPECT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), &device, nullptr), -1);
    EXPECT_EQ(vdxGetD3DDrivers(nullptr, &list), -1);
    EXPECT_EQ(vdxGetD3DDrivers(d3d.d3d.get(), nullptr), -1);
    EXPECT_EQ(vdxGetDDrawDrivers(0x80, &list), -1);  // flags the platform refuses
    EXPECT_EQ(list.list.count, 0);
    EXPECT_EQ(list.list.head, nullptr);
}

// The stop rule of each callback: reports from an empty list with the counter
// left at `preset`, until the callback asks to stop. (What the nodes hold is
// checked on the platform's enumerations below.)
struct LimitRow {
    const char* name;
    bool (*report)(CNodeList*);  // true: go on
    int32_t EnumCounters::*counter;
    int32_t preset;
    int calls;         // reports up to and including the one answered "stop"
    int32_t added;     // nodes in the list then
    int32_t counted;   // the counter then
    bool goesOnAfter;  // a further report into the same list is answered "go on"
    bool restarts;     // an empty list starts the counter again
};

char g_name[] = "display";
DDSURFACEDESC2 g_mode = Sized<DDSURFACEDESC2>();
DDPIXELFORMAT g_depth = Sized<DDPIXELFORMAT>();
D3DDEVICEDESC7 g_device = Zeroed<D3DDEVICEDESC7>();

bool Driver(CNodeList* l) { return vc15::ddraw::DriverCallback(nullptr, g_name, g_name, l, nullptr) == 1; }
bool Mode(CNodeList* l) { return vc15::ddraw::ModeCallback(&g_mode, l) == DDENUMRET_OK; }
bool Depth(CNodeList* l) { return vc15::ddraw::DepthFormatCallback(&g_depth, l) == D3DENUMRET_OK; }
bool Device(CNodeList* l) { return vc15::ddraw::DeviceCallback(g_name, g_name, &g_device, l) == D3DENUMRET_OK; }

const LimitRow kLimits[] = {{"drivers", Driver, &EnumCounters::drivers, 1000, 256, 256, 256, false, true},
                            {"modes", Mode, &EnumCounters::modes, 1000, 257, 256, 256, false, true},
                            {"depth formats", Depth, &EnumCounters::depthFormats, 200, 57, 56, 256, false, false},
                            {"devices", Device, &EnumCounters::devices, 77, 255, 255, 255, true, true}};

TEST_F(DDrawEnumerate, CallbacksStopAtTheirLimits) {
    for (const LimitRow& row : kLimits) {
        SCOPED_TRACE(row.name);
        // Each driver report opens the platform's DirectDraw object for its
        // caps: 256 of them take a minute under Wine. The rule is the
        // library's own, and the stand-in runs it.
        if (!kStandIn && row.counter == &EnumCounters::drivers) continue;
        ResetAll();
        OwnedList list;
        Counters().*row.counter = row.preset;
        int calls = 0;
        while (calls++ < 300 && row.report(&list)) {
        }
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(list.list.count, row.added);
        EXPECT_EQ(Counters().*row.counter, row.counted);
        ExpectWellFormed(list.list);
        EXPECT_EQ(row.report(&list), row.goesOnAfter);
        OwnedList fresh;
        EXPECT_EQ(row.report(&fresh), row.restarts);
        EXPECT_EQ(fresh.list.count, row.restarts ? 1 : 0);
        EXPECT_EQ(Counters().*row.counter, row.restarts ? 1 : row.counted);
    }
    OwnedList formats;  // no format reported: stop
    EXPECT_EQ(vc15::ddraw::DepthFormatCallback(nullptr, &formats), D3DENUMRET_CANCEL);
    EXPECT_EQ(formats.list.count, 0);
}

TEST_F(DDrawEnumerate, NodeThatCannotBeAllocatedIsSkipped) {
    OwnedList drivers;
    vc15::testing::FailAllocationsAfter(-1);  // counts from here
    ASSERT_EQ(vc15::ddraw::DriverCallback(nullptr, g_name, g_name, &drivers, nullptr), 1);
    // The node is the last allocation of an item (the platform object it
    // asks for the caps comes before): only the node fails.
    const long perItem = vc15::testing::FailAllocationsAfter(-1);
    ASSERT_GE(perItem, 1);
    vc15::testing::FailAllocationsAfter(perItem - 1);
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, g_name, g_name, &drivers, nullptr), 1);
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_EQ(drivers.list.count, 1);
    EXPECT_EQ(drivers.list.head, drivers.list.tail);
    EXPECT_EQ(drivers.list.head->next, nullptr);
    EXPECT_EQ(Counters().drivers, 2);  // the item still counts

    OwnedList modes, devices;
    vc15::testing::FailAllocationsAfter(0);
    EXPECT_EQ(vc15::ddraw::ModeCallback(&g_mode, &modes), DDENUMRET_OK);
    EXPECT_EQ(vc15::ddraw::DeviceCallback(g_name, g_name, &g_device, &devices), D3DENUMRET_OK);
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_EQ(modes.list.count, 0);
    EXPECT_EQ(modes.list.head, nullptr);
    EXPECT_EQ(devices.list.count, 0);
    EXPECT_EQ(Counters().devices, 1);
}

TEST_F(DDrawEnumerate, ModesDevicesAndDepthFormatsOfTheDisplay) {
    Ref<IDirectDraw7> dd;
    ASSERT_TRUE(MakeDirectDraw(dd));
    OwnedList modes;
    ASSERT_EQ(vdxGetVideoModes(dd.get(), &modes), 0);
    ExpectWellFormed(modes.list);
    EXPECT_EQ(Counters().modes, modes.list.count);
    bool has640x480x16 = false;
    for (CDisplayModeNode* n : modes.Nodes<CDisplayModeNode>()) {
        EXPECT_EQ(n->mode.dwSize, sizeof(DDSURFACEDESC2));
        has640x480x16 |=
            n->mode.dwWidth == 640 && n->mode.dwHeight == 480 && n->mode.ddpfPixelFormat.dwRGBBitCount == 16;
    }
    EXPECT_TRUE(has640x480x16);

    Direct3D d3d(dd.get());
    ASSERT_GE(d3d.devices.list.count, 1);
    ExpectWellFormed(d3d.devices.list);
    EXPECT_EQ(Counters().devices, d3d.devices.list.count);
    int totalFormats = 0;
    for (CD3DDeviceNode* dev : d3d.devices.Nodes<CD3DDeviceNode>()) {
        OwnedList formats;
        EXPECT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), dev, &formats), 0);
        ExpectWellFormed(formats.list);
        for (CZBufferFormatNode* f : formats.Nodes<CZBufferFormatNode>())
            EXPECT_NE(f->format.dwFlags & DDPF_ZBUFFER, 0u);
        totalFormats += formats.list.count;
#if !defined(_WIN32)
        for (CZBufferFormatNode* f : formats.Nodes<CZBufferFormatNode>())
            EXPECT_EQ(f->format.dwStencilBitDepth != 0, f->format.dwStencilBitMask != 0);
        EXPECT_EQ(vc15::standin::GetJournal().enumDepthFormatsDevice, &dev->desc.deviceGUID);
#endif
    }
    EXPECT_EQ(Counters().depthFormats, totalFormats);
#if !defined(_WIN32)
    EXPECT_EQ(modes.list.count, vc15::standin::kBuiltInModesWithRefresh);
    EXPECT_EQ(vc15::standin::GetJournal().enumModesFlags, DDEDM_REFRESHRATES);
    EXPECT_TRUE(vc15::standin::GetJournal().enumModesDescNull);
    ASSERT_EQ(d3d.devices.list.count, 1);
    EXPECT_STREQ(d3d.device()->name, "Software RGB");
    EXPECT_TRUE(IsEqualGUID(d3d.device()->desc.deviceGUID, IID_IDirect3DRGBDevice));
    EXPECT_EQ(totalFormats, vc15::standin::kBuiltInDepthFormats);
    // The depth-format count is never restarted: it runs on across lists.
    vc15::standin::GetConfig().extraDepthFormats = 200;
    OwnedList a, b;
    ASSERT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), d3d.device(), &a), 0);
    EXPECT_EQ(a.list.count, 204);
    ASSERT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), d3d.device(), &b), 0);
    EXPECT_EQ(b.list.count, 48);
    EXPECT_EQ(Counters().depthFormats, 256);
    // Extra 3-D devices follow the software one; each is known while listed.
    vc15::standin::GetConfig().extraDevices = 3;
    OwnedList more, known, gone;
    ASSERT_EQ(vdxGetD3DDrivers(d3d.d3d.get(), &more), 0);
    ASSERT_EQ(more.list.count, 4);
    auto* last = static_cast<CD3DDeviceNode*>(more.list.tail);
    EXPECT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), last, &known), 0);
    vc15::standin::GetConfig().extraDevices = 2;
    EXPECT_EQ(vdxGetZBufferFormats(d3d.d3d.get(), last, &gone), -1);
#endif
}

#if !defined(_WIN32)
// Stand-in only: drivers that fail on purpose, a long extra driver name.
TEST_F(DDrawEnumerate, StandInSkipsDriversThatFailAndCutsLongNames) {
    std::string name(100, 'q');
    name[62] = 'E';
    for (int step = 0; step < 3; ++step) {
        ResetAll();
        auto& c = vc15::standin::GetConfig();
        (step == 0 ? c.failCreateForDriver : step == 1 ? c.failQueryForDriver : c.failCapsForDriver) = 0;
        c.extraDrivers = 1;
        c.extraDriverName = name.c_str();
        OwnedList drivers;
        ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &drivers), 0) << step;
        ASSERT_EQ(drivers.list.count, 2) << step;
        EXPECT_TRUE(IsEqualGUID(drivers.Head<CDDrawDriverNode>()->guid, vc15::standin::kSecondDriverGuid));
        auto* extra = static_cast<CDDrawDriverNode*>(drivers.list.tail);
        EXPECT_EQ(std::string(extra->name), name.substr(0, 63));
        EXPECT_EQ(std::string(extra->description), name.substr(0, 63));
        EXPECT_EQ(Counters().drivers, 2) << step;
        EXPECT_EQ(vc15::standin::LiveObjects(), 0) << step;
    }
}

TEST_F(DDrawEnumerate, StandInFailedEnumerationsKeepTheirNodes) {
    auto& c = vc15::standin::GetConfig();
    c.enumDriversResult = c.enumModesResult = c.enumDevicesResult = c.enumDepthFormatsResult = DDERR_GENERIC;
    OwnedList drivers, modes, formats, none;
    EXPECT_EQ(vdxGetDDrawDrivers(0, &drivers), -1);
    EXPECT_EQ(drivers.list.count, 1);
    Ref<IDirectDraw7> dd;
    ASSERT_EQ(vdxCreateDDraw(drivers.Head<CDDrawDriverNode>(), dd.out()), 0);
    EXPECT_EQ(vdxGetVideoModes(dd.get(), &modes), -1);
    EXPECT_EQ(modes.list.count, vc15::standin::kBuiltInModesWithRefresh);
    Ref<IDirect3D7> d3d;
    ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    OwnedList devices;
    EXPECT_EQ(vdxGetD3DDrivers(d3d.get(), &devices), -1);
    EXPECT_EQ(devices.list.count, 1);
    EXPECT_EQ(vdxGetZBufferFormats(d3d.get(), devices.Head<CD3DDeviceNode>(), &formats), -1);
    EXPECT_EQ(formats.list.count, 4);
    CD3DDeviceNode unknown;  // a device class the platform does not know
    EXPECT_EQ(vdxGetZBufferFormats(d3d.get(), &unknown, &none), -1);
    EXPECT_EQ(none.list.count, 0);
}
#endif

}  // namespace
