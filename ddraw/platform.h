// The DirectDraw, Direct3D and GDI entry points the library calls. On Windows
// these are the system's own; elsewhere they come from the software stand-in
// in standin/. Library code includes this header and nothing platform-specific,
// so it never needs to know which one it runs on.
#pragma once

#include "VexaCanvas15.h"

#if defined(_WIN32)
// Callbacks handed to DirectDraw use the platform's calling convention.
#define VC15_PLATFORM_CALLBACK WINAPI
#else
#include "ddraw/standin/standin.h"
#define VC15_PLATFORM_CALLBACK VC15_COM_CALL
#endif

namespace vc15::platform {

#if defined(_WIN32)

inline HRESULT EnumerateDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
    return ::DirectDrawEnumerateExA(callback, context, flags);
}
inline HRESULT CreateDirectDraw(GUID* guid, IDirectDraw** out, IUnknown* outer) {
    return ::DirectDrawCreate(guid, out, outer);
}
inline HRESULT CreateDirectDrawEx(GUID* guid, void** out, REFIID iid, IUnknown* outer) {
    return ::DirectDrawCreateEx(guid, out, iid, outer);
}
inline COLORREF GetPixel(HDC dc, int x, int y) { return ::GetPixel(dc, x, y); }
inline COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) { return ::SetPixel(dc, x, y, color); }
// lstrcpynA: at most max - 1 characters, always terminated.
inline char* CopyString(char* dst, const char* src, int max) { return ::lstrcpynA(dst, src, max); }
inline const IID& IidDirectDraw7() { return IID_IDirectDraw7; }
inline const IID& IidDirect3D7() { return IID_IDirect3D7; }

#else

inline HRESULT EnumerateDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
    return standin::DirectDrawEnumerateExA(callback, context, flags);
}
inline HRESULT CreateDirectDraw(GUID* guid, IDirectDraw** out, IUnknown* outer) {
    return standin::DirectDrawCreate(guid, out, outer);
}
inline HRESULT CreateDirectDrawEx(GUID* guid, void** out, REFIID iid, IUnknown* outer) {
    return standin::DirectDrawCreateEx(guid, out, iid, outer);
}
inline COLORREF GetPixel(HDC dc, int x, int y) { return standin::GetPixel(dc, x, y); }
inline COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) { return standin::SetPixel(dc, x, y, color); }
inline char* CopyString(char* dst, const char* src, int max) { return standin::lstrcpynA(dst, src, max); }
inline const IID& IidDirectDraw7() { return IID_IDirectDraw7; }
inline const IID& IidDirect3D7() { return IID_IDirect3D7; }

#endif

}  // namespace vc15::platform
