// A small software stand-in for DirectDraw 7, Direct3D 7 and the two GDI
// pixel calls, for systems without them. It implements the platform
// operations the library calls, with DirectDraw's slot orders and record
// layouts (include/VexaCanvas15_ddraw.h), so that a host on such a system can
// use every vdx function and get working objects back.
//
// Only library code (through ddraw/platform.h) and the white-box tests include
// this header; nothing here is exported.
#pragma once

#include <cstdint>

#include "VexaCanvas15.h"

namespace vc15::standin {

// ---- Platform entry points ------------------------------------------------
HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags);
HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, IUnknown* outer);
HRESULT DirectDrawCreateEx(GUID* guid, void** out, REFIID iid, IUnknown* outer);
// GDI on a surface's device context.
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// Copies at most max - 1 characters and always terminates (when max > 0).
char* lstrcpynA(char* dst, const char* src, int max);

// ---- Test hooks -------------------------------------------------------------
// What the stand-in was last asked, so white-box tests can check the exact
// requests the library builds. Counters count calls since the last reset.
struct BltRecord {
    IDirectDrawSurface7* surface;
    bool destRectNull;
    bool srcNull;
    bool srcRectNull;
    bool fxNull;
    DWORD flags;
    DDBLTFX fx;
};

struct Journal {
    int enumDriversCalls;
    DWORD enumDriversFlags;
    int createCalls;  // DirectDrawCreate
    bool createGuidNull;
    int createExCalls;
    const GUID* createExGuidPointer;
    GUID createExGuid;
    IID createExIid;
    bool createExOuterNull;
    int getCapsCalls;
    DWORD getCapsSize;
    bool getCapsHelNull;
    int enumModesCalls;
    DWORD enumModesFlags;
    bool enumModesDescNull;
    int createSurfaceCalls;
    DDSURFACEDESC2 createSurface;  // the request as received
    bool createSurfaceOuterNull;
    int getAttachedCalls;
    DDSCAPS2 getAttachedCaps;
    int bltCalls;
    BltRecord blt;
    int lockCalls;
    DWORD lockFlags;
    DWORD lockDescSize;
    bool lockRectNull;
    int unlockCalls;
    int getDCCalls;
    int releaseDCCalls;
    int getPixelCalls;
    int setPixelCalls;
    int setColorKeyCalls;
    DWORD setColorKeyFlags;
    DDCOLORKEY setColorKey;
    int queryInterfaceCalls;
    IID queryInterfaceIid;
    int enumDevicesCalls;
    int enumDepthFormatsCalls;
    const GUID* enumDepthFormatsDevice;
    int createDeviceCalls;
    const GUID* createDeviceClass;
    IDirectDrawSurface7* createDeviceTarget;
};

// Knobs a test turns to make the stand-in report more, or fail on purpose.
struct Config {
    int extraDrivers;             // drivers with a GUID reported after the built-in ones
    const char* extraDriverName;  // their name and description (null: numbered names)
    int extraModes;               // modes reported after the built-in list
    int extraDevices;             // 3-D devices reported after the software one
    int extraDepthFormats;        // depth formats reported after the built-in four
    int failCreateForDriver;      // driver index whose DirectDrawCreate fails (-1: none)
    int failQueryForDriver;       // driver index whose IDirectDraw7 query fails
    int failCapsForDriver;        // driver index whose GetCaps fails
    HRESULT enumDriversResult;    // returned after the drivers were reported
    HRESULT enumModesResult;
    HRESULT enumDevicesResult;
    HRESULT enumDepthFormatsResult;
    bool failCreateSurface;
    bool failGetAttached;
    bool failBlt;
    bool failLock;
    bool failUnlock;
    bool failGetDC;
    bool failSetColorKey;
};

Journal& GetJournal();
Config& GetConfig();
// Clears the journal and sets every knob back to "report normally".
void ResetForTesting();
// Stand-in objects (DirectDraw, surfaces, Direct3D, devices) alive right now.
int LiveObjects();

// GUID of the second built-in driver, reported with DDENUM_ATTACHEDSECONDARYDEVICES
// (the first is reported without a GUID).
extern const GUID kSecondDriverGuid;
// Number of display modes reported without DDEDM_REFRESHRATES / with it.
constexpr int kBuiltInModes = 9;
constexpr int kBuiltInModesWithRefresh = 18;
constexpr int kBuiltInDepthFormats = 4;

}  // namespace vc15::standin
