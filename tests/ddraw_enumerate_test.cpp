// Driver, mode, depth-format and 3-D device enumeration: lists built by the
// append rule, the process-wide counters and their stop rules, names cut to
// 63 characters, skipped drivers and nodes.
#include <cstdio>
#include <string>

#include "ddraw_support.h"
#include "test_hooks.h"

namespace {

using namespace ddtest;
using vc15::ddraw::Counters;

class DDrawEnumerate : public testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }
};

bool GuidIsZero(const GUID& g) { return AllZero(&g, sizeof g); }

TEST_F(DDrawEnumerate, DriversIntoAnEmptyList) {
    OwnedList drivers;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &drivers), 0);
    ASSERT_GE(drivers.list.count, 1);
    ExpectWellFormed(drivers.list);
    EXPECT_EQ(Counters().drivers, drivers.list.count);
    auto nodes = drivers.Nodes<CDDrawDriverNode>();
    // The first driver is the primary display driver, reported without a GUID.
    EXPECT_TRUE(GuidIsZero(nodes[0]->guid));
    for (CDDrawDriverNode* n : nodes) {
        EXPECT_LT(std::strlen(n->name), 64u);
        EXPECT_LT(std::strlen(n->description), 64u);
        EXPECT_EQ(n->caps.dwSize, sizeof(DDCAPS));
    }
    if (kStandIn) {
        ASSERT_EQ(nodes.size(), 1u);
        EXPECT_STREQ(nodes[0]->name, "display");
        EXPECT_EQ(nodes[0]->monitor, nullptr);
#if !defined(_WIN32)
        EXPECT_NE(nodes[0]->caps.dwCaps & DDCAPS_BLTCOLORFILL, 0u);
        EXPECT_EQ(vc15::standin::GetJournal().enumDriversFlags, 0u);
        EXPECT_TRUE(vc15::standin::GetJournal().getCapsHelNull);
        // The objects made to read the capabilities were released.
        EXPECT_EQ(vc15::standin::LiveObjects(), 0);
#endif
    }
}

TEST_F(DDrawEnumerate, AttachedSecondaryDevices) {
    OwnedList primary, all;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &primary), 0);
    ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &all), 0);
    ExpectWellFormed(all.list);
    EXPECT_GE(all.list.count, primary.list.count);
    auto nodes = all.Nodes<CDDrawDriverNode>();
    EXPECT_TRUE(GuidIsZero(nodes[0]->guid));
    for (size_t i = 1; i < nodes.size(); ++i)
        EXPECT_FALSE(GuidIsZero(nodes[i]->guid)) << "secondary adapters have a GUID";
#if !defined(_WIN32)
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(nodes[1]->guid, vc15::standin::kSecondDriverGuid));
    EXPECT_NE(nodes[1]->monitor, nullptr);
    EXPECT_EQ(vc15::standin::LiveObjects(), 0);
#endif
}

TEST_F(DDrawEnumerate, SecondEnumerationAppendsAndCounts) {
    OwnedList drivers;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &drivers), 0);
    const int32_t first = drivers.list.count;
    auto before = drivers.Nodes<CDDrawDriverNode>();
    ASSERT_EQ(vdxGetDDrawDrivers(0, &drivers), 0);
    EXPECT_EQ(drivers.list.count, 2 * first);
    EXPECT_EQ(Counters().drivers, 2 * first);  // not reset: the list was not empty
    ExpectWellFormed(drivers.list);
    auto after = drivers.Nodes<CDDrawDriverNode>();
    for (int32_t i = 0; i < first; ++i) {
        EXPECT_EQ(after[i], before[i]);
        EXPECT_STREQ(after[i + first]->name, before[i]->name);
        EXPECT_EQ(std::memcmp(&after[i + first]->guid, &before[i]->guid, sizeof(GUID)), 0);
    }
}

TEST_F(DDrawEnumerate, HeaderWithCountButNoNodesIsEmptyForTheLinks) {
    OwnedList drivers;
    drivers.list.count = 5;
    Counters().drivers = 7;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &drivers), 0);
    const int32_t added = drivers.list.count - 5;
    ASSERT_GE(added, 1);
    EXPECT_EQ(Counters().drivers, 7 + added);  // count was not 0: no restart
    EXPECT_EQ(drivers.list.head->prev, nullptr);
    EXPECT_EQ(drivers.list.tail->next, nullptr);
}

TEST_F(DDrawEnumerate, NullListsAndObjectsAreRefused) {
    Ref<IDirectDraw7> dd;
    ASSERT_TRUE(MakeDirectDraw(dd));
    Ref<IDirect3D7> d3d;
    ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    OwnedList list;
    CD3DDeviceNode device;
    EXPECT_EQ(vdxGetDDrawDrivers(0, nullptr), -1);
    EXPECT_EQ(vdxGetVideoModes(nullptr, &list), -1);
    EXPECT_EQ(vdxGetVideoModes(dd.get(), nullptr), -1);
    EXPECT_EQ(vdxGetZBufferFormats(nullptr, &device, &list), -1);
    EXPECT_EQ(vdxGetZBufferFormats(d3d.get(), nullptr, &list), -1);
    EXPECT_EQ(vdxGetZBufferFormats(d3d.get(), &device, nullptr), -1);
    EXPECT_EQ(vdxGetD3DDrivers(nullptr, &list), -1);
    EXPECT_EQ(vdxGetD3DDrivers(d3d.get(), nullptr), -1);
    EXPECT_EQ(list.list.count, 0);
    EXPECT_EQ(list.list.head, nullptr);
}

TEST_F(DDrawEnumerate, FailedEnumerationReturnsMinusOne) {
    OwnedList drivers;
    EXPECT_EQ(vdxGetDDrawDrivers(0x80, &drivers), -1);  // flags the platform refuses
    EXPECT_EQ(drivers.list.count, 0);
}

TEST_F(DDrawEnumerate, DriverCallbackCutsNamesAndZeroesTheMissingGuid) {
    OwnedList drivers;
    std::string name(100, 'n');
    std::string description(64, 'd');
    for (int i = 0; i < 100; ++i) name[i] = static_cast<char>('a' + i % 26);
    auto* monitor = reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x4242));
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, description.data(), name.data(), &drivers, monitor), 1);
    ASSERT_EQ(drivers.list.count, 1);
    auto* node = static_cast<CDDrawDriverNode*>(drivers.list.head);
    EXPECT_EQ(std::string(node->name), name.substr(0, 63));
    EXPECT_EQ(std::string(node->description), description.substr(0, 63));
    EXPECT_TRUE(GuidIsZero(node->guid));
    EXPECT_EQ(node->monitor, monitor);
    EXPECT_EQ(node->owner, &drivers.list);
    // A name of exactly 63 characters is kept whole.
    std::string exact(63, 'x');
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, exact.data(), exact.data(), &drivers, nullptr), 1);
    EXPECT_EQ(std::string(static_cast<CDDrawDriverNode*>(drivers.list.tail)->name), exact);
}

TEST_F(DDrawEnumerate, DriverCounterStopsAt256) {
    OwnedList drivers;
    char name[] = "display";
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, name, name, &drivers, nullptr), 1);
    EXPECT_EQ(Counters().drivers, 1);
    Counters().drivers = 253;
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, name, name, &drivers, nullptr), 1);  // 254
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, name, name, &drivers, nullptr), 1);  // 255
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, name, name, &drivers, nullptr), 0);  // 256: stop
    EXPECT_EQ(drivers.list.count, 4);  // the stopping driver is still added
    EXPECT_EQ(Counters().drivers, 256);
    // An empty list starts the counter again.
    OwnedList fresh;
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, name, name, &fresh, nullptr), 1);
    EXPECT_EQ(Counters().drivers, 1);
}

TEST_F(DDrawEnumerate, NodeThatCannotBeAllocatedIsSkipped) {
    OwnedList drivers;
    char name[] = "display";
    vc15::testing::FailAllocationsAfter(-1);  // counts from here
    ASSERT_EQ(vc15::ddraw::DriverCallback(nullptr, name, name, &drivers, nullptr), 1);
    // The node is the last allocation of an item (the platform object it
    // asks for the caps comes before): only the node fails.
    const long perItem = vc15::testing::FailAllocationsAfter(-1);
    ASSERT_GE(perItem, 1);
    vc15::testing::FailAllocationsAfter(perItem - 1);
    EXPECT_EQ(vc15::ddraw::DriverCallback(nullptr, name, name, &drivers, nullptr), 1);
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_EQ(drivers.list.count, 1);
    EXPECT_EQ(drivers.list.head, drivers.list.tail);
    EXPECT_EQ(drivers.list.head->next, nullptr);
    EXPECT_EQ(Counters().drivers, 2);  // the item still counts

    OwnedList modes;
    DDSURFACEDESC2 mode;
    std::memset(&mode, 0, sizeof mode);
    vc15::testing::FailAllocationsAfter(0);
    EXPECT_EQ(vc15::ddraw::ModeCallback(&mode, &modes), DDENUMRET_OK);
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_EQ(modes.list.count, 0);
    EXPECT_EQ(modes.list.head, nullptr);

    OwnedList devices;
    char text[] = "device";
    D3DDEVICEDESC7 desc;
    std::memset(&desc, 0, sizeof desc);
    vc15::testing::FailAllocationsAfter(0);
    EXPECT_EQ(vc15::ddraw::DeviceCallback(text, text, &desc, &devices), D3DENUMRET_OK);
    vc15::testing::FailAllocationsAfter(-1);
    EXPECT_EQ(devices.list.count, 0);
    EXPECT_EQ(Counters().devices, 1);
}

TEST_F(DDrawEnumerate, ModeCallbackStopsAfter256) {
    OwnedList modes;
    DDSURFACEDESC2 mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dwSize = sizeof mode;
    Counters().modes = 1000;  // restarted by the empty list
    for (int i = 0; i < 300; ++i) {
        mode.dwWidth = static_cast<DWORD>(i + 1);
        const HRESULT r = vc15::ddraw::ModeCallback(&mode, &modes);
        ASSERT_EQ(r, i < 256 ? DDENUMRET_OK : DDENUMRET_CANCEL) << "report " << i + 1;
    }
    EXPECT_EQ(modes.list.count, 256);
    EXPECT_EQ(Counters().modes, 256);
    ExpectWellFormed(modes.list);
    auto nodes = modes.Nodes<CDisplayModeNode>();
    EXPECT_EQ(nodes.front()->mode.dwWidth, 1u);
    EXPECT_EQ(nodes.back()->mode.dwWidth, 256u);
    mode.dwWidth = 256;
    EXPECT_EQ(std::memcmp(&nodes.back()->mode, &mode, sizeof mode), 0);
}

TEST_F(DDrawEnumerate, DepthFormatCounterIsNeverReset) {
    OwnedList formats;
    DDPIXELFORMAT pf;
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    pf.dwFlags = DDPF_ZBUFFER;
    pf.dwZBufferBitDepth = 16;
    EXPECT_EQ(vc15::ddraw::DepthFormatCallback(nullptr, &formats), D3DENUMRET_CANCEL);
    EXPECT_EQ(formats.list.count, 0);
    Counters().depthFormats = 254;
    EXPECT_EQ(vc15::ddraw::DepthFormatCallback(&pf, &formats), D3DENUMRET_OK);  // empty list: no restart
    EXPECT_EQ(vc15::ddraw::DepthFormatCallback(&pf, &formats), D3DENUMRET_OK);
    EXPECT_EQ(vc15::ddraw::DepthFormatCallback(&pf, &formats), D3DENUMRET_CANCEL);
    EXPECT_EQ(formats.list.count, 2);
    OwnedList fresh;
    EXPECT_EQ(vc15::ddraw::DepthFormatCallback(&pf, &fresh), D3DENUMRET_CANCEL);
    EXPECT_EQ(fresh.list.count, 0);
    EXPECT_EQ(std::memcmp(&static_cast<CZBufferFormatNode*>(formats.list.head)->format, &pf, sizeof pf), 0);
}

TEST_F(DDrawEnumerate, DeviceCallbackStopsAt255AndRestartsOnEmptyList) {
    OwnedList devices;
    std::string name(70, 'N');
    std::string description(80, 'D');
    D3DDEVICEDESC7 desc;
    std::memset(&desc, 0x5A, sizeof desc);
    Counters().devices = 77;  // restarted by the empty list
    int calls = 0;
    while (calls < 300) {
        ++calls;
        if (vc15::ddraw::DeviceCallback(description.data(), name.data(), &desc, &devices) == D3DENUMRET_CANCEL) break;
    }
    EXPECT_EQ(calls, 255);
    EXPECT_EQ(devices.list.count, 255);
    EXPECT_EQ(Counters().devices, 255);
    ExpectWellFormed(devices.list);
    auto* last = static_cast<CD3DDeviceNode*>(devices.list.tail);
    EXPECT_EQ(std::string(last->name), name.substr(0, 63));
    EXPECT_EQ(std::string(last->description), description.substr(0, 63));
    EXPECT_EQ(std::memcmp(&last->desc, &desc, sizeof desc), 0);
    // Further reports into the same list go on counting, and do not stop.
    EXPECT_EQ(vc15::ddraw::DeviceCallback(description.data(), name.data(), &desc, &devices), D3DENUMRET_OK);
    OwnedList fresh;
    EXPECT_EQ(vc15::ddraw::DeviceCallback(description.data(), name.data(), &desc, &fresh), D3DENUMRET_OK);
    EXPECT_EQ(Counters().devices, 1);
}

TEST_F(DDrawEnumerate, ModesOfTheDisplay) {
    Ref<IDirectDraw7> dd;
    ASSERT_TRUE(MakeDirectDraw(dd));
    OwnedList modes;
    ASSERT_EQ(vdxGetVideoModes(dd.get(), &modes), 0);
    ASSERT_GE(modes.list.count, 1);
    ExpectWellFormed(modes.list);
    EXPECT_EQ(Counters().modes, modes.list.count);
    bool has640x480x16 = false;
    for (CDisplayModeNode* n : modes.Nodes<CDisplayModeNode>()) {
        EXPECT_EQ(n->mode.dwSize, sizeof(DDSURFACEDESC2));
        EXPECT_GT(n->mode.dwWidth, 0u);
        has640x480x16 |=
            n->mode.dwWidth == 640 && n->mode.dwHeight == 480 && n->mode.ddpfPixelFormat.dwRGBBitCount == 16;
    }
    EXPECT_TRUE(has640x480x16);
#if !defined(_WIN32)
    EXPECT_EQ(modes.list.count, vc15::standin::kBuiltInModesWithRefresh);
    EXPECT_EQ(vc15::standin::GetJournal().enumModesFlags, DDEDM_REFRESHRATES);
    EXPECT_TRUE(vc15::standin::GetJournal().enumModesDescNull);
#endif
}

TEST_F(DDrawEnumerate, DevicesAndDepthFormats) {
    Ref<IDirectDraw7> dd;
    ASSERT_TRUE(MakeDirectDraw(dd));
    Ref<IDirect3D7> d3d;
    ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    OwnedList devices;
    ASSERT_EQ(vdxGetD3DDrivers(d3d.get(), &devices), 0);
    ASSERT_GE(devices.list.count, 1);
    ExpectWellFormed(devices.list);
    EXPECT_EQ(Counters().devices, devices.list.count);
    int totalFormats = 0;
    for (CD3DDeviceNode* dev : devices.Nodes<CD3DDeviceNode>()) {
        OwnedList formats;
        EXPECT_EQ(vdxGetZBufferFormats(d3d.get(), dev, &formats), 0);
        ExpectWellFormed(formats.list);
        for (CZBufferFormatNode* f : formats.Nodes<CZBufferFormatNode>()) {
            EXPECT_NE(f->format.dwFlags & DDPF_ZBUFFER, 0u);
        }
        totalFormats += formats.list.count;
#if !defined(_WIN32)
        EXPECT_EQ(vc15::standin::GetJournal().enumDepthFormatsDevice, &dev->desc.deviceGUID);
#endif
    }
    EXPECT_EQ(Counters().depthFormats, totalFormats);
#if !defined(_WIN32)
    ASSERT_EQ(devices.list.count, 1);
    auto* dev = static_cast<CD3DDeviceNode*>(devices.list.head);
    EXPECT_STREQ(dev->name, "Software RGB");
    EXPECT_TRUE(IsEqualGUID(dev->desc.deviceGUID, IID_IDirect3DRGBDevice));
    EXPECT_EQ(totalFormats, vc15::standin::kBuiltInDepthFormats);
#endif
}

#if !defined(_WIN32)
// Stand-in only: enumerations larger than any display reports, failures on
// purpose, and the exact requests.

TEST_F(DDrawEnumerate, StandInLongDriverNames) {
    std::string name(100, 'q');
    name[62] = 'E';
    name[63] = 'X';
    vc15::standin::GetConfig().extraDrivers = 1;
    vc15::standin::GetConfig().extraDriverName = name.c_str();
    OwnedList drivers;
    ASSERT_EQ(vdxGetDDrawDrivers(0, &drivers), 0);
    ASSERT_EQ(drivers.list.count, 2);
    auto* n = static_cast<CDDrawDriverNode*>(drivers.list.tail);
    EXPECT_EQ(std::string(n->name), name.substr(0, 63));
    EXPECT_EQ(n->name[62], 'E');
    EXPECT_EQ(std::string(n->description), name.substr(0, 63));
}

TEST_F(DDrawEnumerate, StandInSkipsDriversThatFail) {
    for (int step = 0; step < 3; ++step) {
        ResetAll();
        auto& c = vc15::standin::GetConfig();
        (step == 0 ? c.failCreateForDriver : step == 1 ? c.failQueryForDriver : c.failCapsForDriver) = 0;
        OwnedList drivers;
        ASSERT_EQ(vdxGetDDrawDrivers(DDENUM_ATTACHEDSECONDARYDEVICES, &drivers), 0) << step;
        ASSERT_EQ(drivers.list.count, 1) << step;
        EXPECT_TRUE(
            IsEqualGUID(static_cast<CDDrawDriverNode*>(drivers.list.head)->guid, vc15::standin::kSecondDriverGuid));
        EXPECT_EQ(Counters().drivers, 1) << step;
        EXPECT_EQ(vc15::standin::LiveObjects(), 0) << step;
    }
}

// The limits themselves are tested at the callbacks; here the depth-format
// count runs across two lists, since it is never restarted.
TEST_F(DDrawEnumerate, StandInDepthFormatLimitSpansLists) {
    Ref<IDirectDraw7> dd;
    ASSERT_TRUE(MakeDirectDraw(dd));
    Ref<IDirect3D7> d3d;
    ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    OwnedList devices;
    ASSERT_EQ(vdxGetD3DDrivers(d3d.get(), &devices), 0);
    vc15::standin::GetConfig().extraDepthFormats = 200;
    OwnedList a, b;
    auto* dev = static_cast<CD3DDeviceNode*>(devices.list.head);
    ASSERT_EQ(vdxGetZBufferFormats(d3d.get(), dev, &a), 0);
    EXPECT_EQ(a.list.count, 204);
    ASSERT_EQ(vdxGetZBufferFormats(d3d.get(), dev, &b), 0);
    EXPECT_EQ(b.list.count, 52);
    EXPECT_EQ(Counters().depthFormats, 256);
}

TEST_F(DDrawEnumerate, StandInFailedEnumerationsKeepTheirNodes) {
    auto& c = vc15::standin::GetConfig();
    c.enumDriversResult = DDERR_GENERIC;
    c.enumModesResult = DDERR_GENERIC;
    c.enumDevicesResult = DDERR_GENERIC;
    c.enumDepthFormatsResult = DDERR_GENERIC;
    OwnedList drivers;
    EXPECT_EQ(vdxGetDDrawDrivers(0, &drivers), -1);
    EXPECT_EQ(drivers.list.count, 1);
    Ref<IDirectDraw7> dd;
    ASSERT_EQ(vdxCreateDDraw(static_cast<CDDrawDriverNode*>(drivers.list.head), dd.out()), 0);
    OwnedList modes;
    EXPECT_EQ(vdxGetVideoModes(dd.get(), &modes), -1);
    EXPECT_EQ(modes.list.count, vc15::standin::kBuiltInModesWithRefresh);
    Ref<IDirect3D7> d3d;
    ASSERT_EQ(vdxCreateD3D(dd.get(), d3d.out()), 0);
    OwnedList devices;
    EXPECT_EQ(vdxGetD3DDrivers(d3d.get(), &devices), -1);
    EXPECT_EQ(devices.list.count, 1);
    OwnedList formats;
    EXPECT_EQ(vdxGetZBufferFormats(d3d.get(), static_cast<CD3DDeviceNode*>(devices.list.head), &formats), -1);
    EXPECT_EQ(formats.list.count, 4);
    // An unknown device class is refused by the platform.
    CD3DDeviceNode unknown;
    OwnedList none;
    EXPECT_EQ(vdxGetZBufferFormats(d3d.get(), &unknown, &none), -1);
    EXPECT_EQ(none.list.count, 0);
}

#endif

}  // namespace
