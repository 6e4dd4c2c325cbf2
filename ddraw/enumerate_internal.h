// Internals of the enumerations, visible to the white-box tests: the four
// callbacks (so a test can push more items than any platform reports) and
// the process-wide counters. None of this is exported from the library.
#pragma once

#include <cstdint>

#include "ddraw/platform.h"

namespace vc15::ddraw {

struct EnumCounters {
    int32_t drivers;
    int32_t modes;
    int32_t depthFormats;
    int32_t devices;
};

// The live counters (tests read and set them).
EnumCounters& Counters();

BOOL VC15_PLATFORM_CALLBACK DriverCallback(GUID* guid, LPSTR description, LPSTR name, LPVOID context, HMONITOR monitor);
HRESULT VC15_PLATFORM_CALLBACK ModeCallback(LPDDSURFACEDESC2 desc, LPVOID context);
HRESULT VC15_PLATFORM_CALLBACK DepthFormatCallback(LPDDPIXELFORMAT format, LPVOID context);
HRESULT VC15_PLATFORM_CALLBACK DeviceCallback(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 desc, LPVOID context);

}  // namespace vc15::ddraw
