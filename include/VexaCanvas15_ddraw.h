/*
 * VexaCanvas15 -- DirectDraw 7 / Direct3D 7 declarations for platforms that
 * have no <ddraw.h> (Linux and other non-Windows systems), and on every
 * platform CDirectDrawSurfaceBase, a ready base for a host's own surface.
 *
 * On Windows this file only adds that base: the public header includes the
 * platform's own <ddraw.h> and <d3d.h>. Elsewhere the library carries a small
 * software stand-in for DirectDraw, and this file declares the types it and
 * the host share. Record layouts and interface slot orders are DirectDraw's
 * published ones, with the 64-bit Windows data model on 64-bit systems
 * (DWORD and LONG 32-bit, pointers 64-bit), so a host's own surface object
 * (derived from IDirectDrawSurface7) works with ICanvas::CopyToSurface.
 *
 * Only what the library's functions take or return is declared; methods of
 * the interfaces that the library never calls are declared with generic
 * pointer arguments where their exact record types are not part of this
 * library, so that the tables keep their published slot order.
 */
#ifndef VEXACANVAS15_DDRAW_H
#define VEXACANVAS15_DDRAW_H

#if defined(_WIN32)
/* Windows: the platform's own declarations; this file adds only the ready
 * base surface at its end. */
#include <windows.h>
/* DirectDraw needs the Windows types first. */
#include <ddraw.h>
#define VC15_COM_CALL STDMETHODCALLTYPE
#else

#include <stdint.h>

/* ---- Basic Windows scalar types (64-bit Windows data model) ------------- */
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t BOOL;
typedef int32_t HRESULT;
typedef float D3DVALUE;
typedef DWORD COLORREF;
typedef uint32_t ULONG; /* what AddRef and Release return */
typedef void* LPVOID;
typedef char* LPSTR;
typedef void* HANDLE;
typedef struct VC15OpaqueHWND* HWND;
typedef struct VC15OpaqueHDC* HDC;
typedef struct VC15OpaqueHMONITOR* HMONITOR;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFIID;
typedef const GUID& REFCLSID;
typedef GUID* LPGUID;

struct RECT {
    LONG left, top, right, bottom;
};
typedef RECT* LPRECT;
struct POINT {
    LONG x, y;
};

#ifndef S_OK
#define S_OK ((HRESULT)0)
#endif
#ifndef DD_OK
#define DD_OK ((HRESULT)0)
#endif
#define E_NOINTERFACE ((HRESULT)0x80004002u)
#define E_POINTER ((HRESULT)0x80004003u)
#define CLR_INVALID 0xFFFFFFFFu

/* DirectDraw's own result codes used by the stand-in. */
#define DDERR_GENERIC ((HRESULT)0x80004005u)
#define DDERR_UNSUPPORTED ((HRESULT)0x80004001u)
#define DDERR_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define DDERR_INVALIDPARAMS ((HRESULT)0x80070057u)
#define DDERR_INVALIDOBJECT ((HRESULT)0x88760082u)
#define DDERR_INVALIDCAPS ((HRESULT)0x88760064u)
#define DDERR_INVALIDPIXELFORMAT ((HRESULT)0x88760091u)
#define DDERR_NOTFOUND ((HRESULT)0x887600FFu)
#define DDERR_NOTLOCKED ((HRESULT)0x88760248u)
#define DDERR_SURFACEBUSY ((HRESULT)0x887601AEu)
#define DDERR_NOCOLORKEY ((HRESULT)0x887600D7u)
#define DDERR_NODC ((HRESULT)0x8876024Au)
#define DDERR_DCALREADYCREATED ((HRESULT)0x8876026Cu)
#define DDERR_CANTCREATEDC ((HRESULT)0x88760249u)
#define DDERR_NOTFLIPPABLE ((HRESULT)0x88760246u)
#define DDERR_OUTOFVIDEOMEMORY ((HRESULT)0x8876017Cu)
#define DDERR_NOZBUFFERHW ((HRESULT)0x88760154u)
#define DDERR_INVALIDMODE ((HRESULT)0x88760078u)
#define DDERR_INVALIDRECT ((HRESULT)0x88760096u)
#define DDERR_CANNOTATTACHSURFACE ((HRESULT)0x8876000Au)
#define DDERR_NOCOOPERATIVELEVELSET ((HRESULT)0x887600D4u)
#define DDERR_NOEXCLUSIVEMODE ((HRESULT)0x887600E1u)
#define DDERR_SURFACEALREADYATTACHED ((HRESULT)0x8876019Au)
#define DDERR_SURFACENOTATTACHED ((HRESULT)0x887601CCu)
#define DDERR_TOOBIGSIZE ((HRESULT)0x887601E0u)
#define DDERR_INVALIDDIRECTDRAWGUID ((HRESULT)0x88760231u)
#define DDERR_PRIMARYSURFACEALREADYEXISTS ((HRESULT)0x88760234u)
#define DDERR_NOHWND ((HRESULT)0x88760239u)
#define DDERR_HWNDALREADYSET ((HRESULT)0x8876023Bu)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110u)

/* ---- Records ------------------------------------------------------------ */
struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};
typedef DDCOLORKEY* LPDDCOLORKEY;

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    union {
        DWORD dwCaps4;
        DWORD dwVolumeDepth;
    };
};
typedef DDSCAPS2* LPDDSCAPS2;

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwYUVBitCount;
        DWORD dwZBufferBitDepth;
        DWORD dwAlphaBitDepth;
        DWORD dwLuminanceBitCount;
        DWORD dwBumpBitCount;
        DWORD dwPrivateFormatBitCount;
    };
    union {
        DWORD dwRBitMask;
        DWORD dwYBitMask;
        DWORD dwStencilBitDepth;
        DWORD dwLuminanceBitMask;
        DWORD dwBumpDuBitMask;
        DWORD dwOperations;
    };
    union {
        DWORD dwGBitMask;
        DWORD dwUBitMask;
        DWORD dwZBitMask;
        DWORD dwBumpDvBitMask;
        struct {
            WORD wFlipMSTypes;
            WORD wBltMSTypes;
        } MultiSampleCaps;
    };
    union {
        DWORD dwBBitMask;
        DWORD dwVBitMask;
        DWORD dwStencilBitMask;
        DWORD dwBumpLuminanceBitMask;
    };
    union {
        DWORD dwRGBAlphaBitMask;
        DWORD dwYUVAlphaBitMask;
        DWORD dwLuminanceAlphaBitMask;
        DWORD dwRGBZBitMask;
        DWORD dwYUVZBitMask;
    };
};
typedef DDPIXELFORMAT* LPDDPIXELFORMAT;

struct DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    union {
        DWORD dwBackBufferCount;
        DWORD dwDepth;
    };
    union {
        DWORD dwMipMapCount;
        DWORD dwRefreshRate;
        DWORD dwSrcVBHandle;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    union {
        DDCOLORKEY ddckCKDestOverlay;
        DWORD dwEmptyFaceColor;
    };
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    union {
        DDPIXELFORMAT ddpfPixelFormat;
        DWORD dwFVF;
    };
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};
typedef DDSURFACEDESC2* LPDDSURFACEDESC2;

struct IDirectDrawSurface;
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwDDROP;
    DWORD dwRotationAngle;
    DWORD dwZBufferOpCode;
    DWORD dwZBufferLow;
    DWORD dwZBufferHigh;
    DWORD dwZBufferBaseDest;
    DWORD dwZDestConstBitDepth;
    union {
        DWORD dwZDestConst;
        LPDIRECTDRAWSURFACE lpDDSZBufferDest;
    };
    DWORD dwZSrcConstBitDepth;
    union {
        DWORD dwZSrcConst;
        LPDIRECTDRAWSURFACE lpDDSZBufferSrc;
    };
    DWORD dwAlphaEdgeBlendBitDepth;
    DWORD dwAlphaEdgeBlend;
    DWORD dwReserved;
    DWORD dwAlphaDestConstBitDepth;
    union {
        DWORD dwAlphaDestConst;
        LPDIRECTDRAWSURFACE lpDDSAlphaDest;
    };
    DWORD dwAlphaSrcConstBitDepth;
    union {
        DWORD dwAlphaSrcConst;
        LPDIRECTDRAWSURFACE lpDDSAlphaSrc;
    };
    union {
        DWORD dwFillColor;
        DWORD dwFillDepth;
        DWORD dwFillPixel;
        LPDIRECTDRAWSURFACE lpDDSPattern;
    };
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
};
typedef DDBLTFX* LPDDBLTFX;

/* The DirectDraw 7 capability record (the 380-byte layout). */
struct DDCAPS_DX7 {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCKeyCaps;
    DWORD dwFXCaps;
    DWORD dwFXAlphaCaps;
    DWORD dwPalCaps;
    DWORD dwSVCaps;
    DWORD dwAlphaBltConstBitDepths;
    DWORD dwAlphaBltPixelBitDepths;
    DWORD dwAlphaBltSurfaceBitDepths;
    DWORD dwAlphaOverlayConstBitDepths;
    DWORD dwAlphaOverlayPixelBitDepths;
    DWORD dwAlphaOverlaySurfaceBitDepths;
    DWORD dwZBufferBitDepths;
    DWORD dwVidMemTotal;
    DWORD dwVidMemFree;
    DWORD dwMaxVisibleOverlays;
    DWORD dwCurrVisibleOverlays;
    DWORD dwNumFourCCCodes;
    DWORD dwAlignBoundarySrc;
    DWORD dwAlignSizeSrc;
    DWORD dwAlignBoundaryDest;
    DWORD dwAlignSizeDest;
    DWORD dwAlignStrideAlign;
    DWORD dwRops[8];
    DDSCAPS ddsOldCaps;
    DWORD dwMinOverlayStretch;
    DWORD dwMaxOverlayStretch;
    DWORD dwMinLiveVideoStretch;
    DWORD dwMaxLiveVideoStretch;
    DWORD dwMinHwCodecStretch;
    DWORD dwMaxHwCodecStretch;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwReserved3;
    DWORD dwSVBCaps;
    DWORD dwSVBCKeyCaps;
    DWORD dwSVBFXCaps;
    DWORD dwSVBRops[8];
    DWORD dwVSBCaps;
    DWORD dwVSBCKeyCaps;
    DWORD dwVSBFXCaps;
    DWORD dwVSBRops[8];
    DWORD dwSSBCaps;
    DWORD dwSSBCKeyCaps;
    DWORD dwSSBFXCaps;
    DWORD dwSSBRops[8];
    DWORD dwMaxVideoPorts;
    DWORD dwCurrVideoPorts;
    DWORD dwSVBCaps2;
    DWORD dwNLVBCaps;
    DWORD dwNLVBCaps2;
    DWORD dwNLVBCKeyCaps;
    DWORD dwNLVBFXCaps;
    DWORD dwNLVBRops[8];
    DDSCAPS2 ddsCaps;
};
typedef DDCAPS_DX7 DDCAPS;
typedef DDCAPS* LPDDCAPS;

struct D3DPRIMCAPS {
    DWORD dwSize;
    DWORD dwMiscCaps;
    DWORD dwRasterCaps;
    DWORD dwZCmpCaps;
    DWORD dwSrcBlendCaps;
    DWORD dwDestBlendCaps;
    DWORD dwAlphaCmpCaps;
    DWORD dwShadeCaps;
    DWORD dwTextureCaps;
    DWORD dwTextureFilterCaps;
    DWORD dwTextureBlendCaps;
    DWORD dwTextureAddressCaps;
    DWORD dwStippleWidth;
    DWORD dwStippleHeight;
};

struct D3DDEVICEDESC7 {
    DWORD dwDevCaps;
    D3DPRIMCAPS dpcLineCaps;
    D3DPRIMCAPS dpcTriCaps;
    DWORD dwDeviceRenderBitDepth;
    DWORD dwDeviceZBufferBitDepth;
    DWORD dwMinTextureWidth;
    DWORD dwMinTextureHeight;
    DWORD dwMaxTextureWidth;
    DWORD dwMaxTextureHeight;
    DWORD dwMaxTextureRepeat;
    DWORD dwMaxTextureAspectRatio;
    DWORD dwMaxAnisotropy;
    D3DVALUE dvGuardBandLeft;
    D3DVALUE dvGuardBandTop;
    D3DVALUE dvGuardBandRight;
    D3DVALUE dvGuardBandBottom;
    D3DVALUE dvExtentsAdjust;
    DWORD dwStencilCaps;
    DWORD dwFVFCaps;
    DWORD dwTextureOpCaps;
    WORD wMaxTextureBlendStages;
    WORD wMaxSimultaneousTextures;
    DWORD dwMaxActiveLights;
    D3DVALUE dvMaxVertexW;
    GUID deviceGUID;
    WORD wMaxUserClipPlanes;
    WORD wMaxVertexBlendMatrices;
    DWORD dwVertexProcessingCaps;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwReserved3;
    DWORD dwReserved4;
};
typedef D3DDEVICEDESC7* LPD3DDEVICEDESC7;

/* ---- Flags and constants used by the library and its stand-in ---------- */
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_BACKBUFFERCOUNT 0x00000020u
#define DDSD_ZBUFFERBITDEPTH 0x00000040u
#define DDSD_REFRESHRATE 0x00040000u
#define DDSD_PIXELFORMAT 0x00001000u
#define DDSD_LPSURFACE 0x00000800u
#define DDSD_CKSRCBLT 0x00010000u

#define DDSCAPS_BACKBUFFER 0x00000004u
#define DDSCAPS_COMPLEX 0x00000008u
#define DDSCAPS_FLIP 0x00000010u
#define DDSCAPS_FRONTBUFFER 0x00000020u
#define DDSCAPS_OFFSCREENPLAIN 0x00000040u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDSCAPS_3DDEVICE 0x00002000u
#define DDSCAPS_SYSTEMMEMORY 0x00000800u
#define DDSCAPS_VIDEOMEMORY 0x00004000u
#define DDSCAPS_ZBUFFER 0x00020000u
#define DDSCAPS_LOCALVIDMEM 0x10000000u

#define DDPF_ALPHAPIXELS 0x00000001u
#define DDPF_PALETTEINDEXED8 0x00000020u
#define DDPF_RGB 0x00000040u
#define DDPF_ZBUFFER 0x00000400u
#define DDPF_STENCILBUFFER 0x00004000u

#define DDLOCK_SURFACEMEMORYPTR 0x00000000u
#define DDLOCK_WAIT 0x00000001u
#define DDLOCK_READONLY 0x00000010u
#define DDLOCK_WRITEONLY 0x00000020u
#define DDLOCK_NOSYSLOCK 0x00000800u

#define DDBLT_COLORFILL 0x00000400u
#define DDBLT_WAIT 0x01000000u
#define DDBLT_DEPTHFILL 0x02000000u

#define DDBD_8 0x00000800u
#define DDBD_16 0x00000400u
#define DDBD_24 0x00000200u
#define DDBD_32 0x00000100u

#define DDENUM_ATTACHEDSECONDARYDEVICES 0x00000001u
#define DDENUM_DETACHEDSECONDARYDEVICES 0x00000002u
#define DDENUM_NONDISPLAYDEVICES 0x00000004u

#define DDCKEY_COLORSPACE 0x00000001u
#define DDCKEY_DESTBLT 0x00000002u
#define DDCKEY_DESTOVERLAY 0x00000004u
#define DDCKEY_SRCBLT 0x00000008u
#define DDCKEY_SRCOVERLAY 0x00000010u

#define DDEDM_REFRESHRATES 0x00000001u

#define DDSCL_FULLSCREEN 0x00000001u
#define DDSCL_NORMAL 0x00000008u
#define DDSCL_ALLOWREBOOT 0x00000002u
#define DDSCL_NOWINDOWCHANGES 0x00000004u
#define DDSCL_EXCLUSIVE 0x00000010u
#define DDSCL_ALLOWMODEX 0x00000040u
#define DDSCL_MULTITHREADED 0x00000400u
#define DDSCL_FPUSETUP 0x00008000u
#define DDSCL_FPUPRESERVE 0x00001000u

#define DDFLIP_WAIT 0x00000001u

#define DDENUMRET_CANCEL 0
#define DDENUMRET_OK 1
#define D3DENUMRET_CANCEL 0
#define D3DENUMRET_OK 1

#define DDCAPS_BLT 0x00000040u
#define DDCAPS_BLTCOLORFILL 0x04000000u
#define DDCAPS_COLORKEY 0x00400000u
#define DDCAPS_3D 0x00000001u
#define DDCKEYCAPS_SRCBLT 0x00000200u

#define D3DDEVCAPS_FLOATTLVERTEX 0x00000001u
#define D3DDEVCAPS_HWRASTERIZATION 0x00080000u

/* ---- Interface and class identifiers ------------------------------------ */
static const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
static const GUID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
static const GUID IID_IDirectDrawSurface7 = {
    0x06675A80, 0x3B9B, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
static const GUID IID_IDirect3D7 = {0xF5049E77, 0x4861, 0x11D2, {0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
static const GUID IID_IDirect3DDevice7 = {0xF5049E79, 0x4861, 0x11D2, {0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
static const GUID IID_IDirect3DRGBDevice = {
    0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

inline bool IsEqualGUID(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

/* ---- Interfaces ---------------------------------------------------------
 * Each interface is an abstract class whose virtual operations are in the
 * platform's published slot order. The calling convention is the plain one
 * of the host's compiler on this platform.
 */
#define VC15_COM_CALL

struct IDirectDraw7;
struct IDirectDrawSurface7;
struct IDirect3D7;
struct IDirect3DDevice7;
struct IDirectDrawClipper;
struct IDirectDrawPalette;
typedef IDirectDraw7* LPDIRECTDRAW7;
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;
typedef IDirect3D7* LPDIRECT3D7;
typedef IDirect3DDevice7* LPDIRECT3DDEVICE7;

struct IUnknown {
    virtual HRESULT VC15_COM_CALL QueryInterface(REFIID riid, void** out) = 0;
    virtual ULONG VC15_COM_CALL AddRef() = 0;
    virtual ULONG VC15_COM_CALL Release() = 0;
};
typedef IUnknown* LPUNKNOWN;
/* Generic (platform-defined) interfaces that the library never touches. */
struct IDirectDraw : IUnknown {};
struct IDirectDrawSurface : IUnknown {};
struct IDirectDrawClipper : IUnknown {};
struct IDirectDrawPalette : IUnknown {};
struct IDirect3DVertexBuffer7 : IUnknown {};
/* Records of operations the library never calls: generic pointers here, under
 * the platform's names, so code overriding those slots compiles against both
 * this file and <ddraw.h>. */
typedef void* LPDDBLTBATCH;
typedef void* LPDDOVERLAYFX;

typedef HRESULT(VC15_COM_CALL* LPDDENUMMODESCALLBACK2)(DDSURFACEDESC2* desc, void* context);
typedef HRESULT(VC15_COM_CALL* LPDDENUMSURFACESCALLBACK7)(IDirectDrawSurface7* surface, DDSURFACEDESC2* desc,
                                                          void* context);
typedef BOOL(VC15_COM_CALL* LPDDENUMCALLBACKEXA)(GUID* guid, char* description, char* name, void* context,
                                                 HMONITOR monitor);
typedef HRESULT(VC15_COM_CALL* LPD3DENUMDEVICESCALLBACK7)(char* description, char* name, D3DDEVICEDESC7* desc,
                                                          void* context);
typedef HRESULT(VC15_COM_CALL* LPD3DENUMPIXELFORMATSCALLBACK)(DDPIXELFORMAT* format, void* context);

struct IDirectDraw7 : IUnknown {
    virtual HRESULT VC15_COM_CALL Compact() = 0; /* 3 */
    virtual HRESULT VC15_COM_CALL CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer) = 0;
    virtual HRESULT VC15_COM_CALL CreatePalette(DWORD flags, void* entries, IDirectDrawPalette** out,
                                                IUnknown* outer) = 0;
    virtual HRESULT VC15_COM_CALL CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out,
                                                IUnknown* outer) = 0; /* 6 */
    virtual HRESULT VC15_COM_CALL DuplicateSurface(IDirectDrawSurface7* src, IDirectDrawSurface7** out) = 0;
    virtual HRESULT VC15_COM_CALL EnumDisplayModes(DWORD flags, DDSURFACEDESC2* desc, void* context,
                                                   LPDDENUMMODESCALLBACK2 callback) = 0; /* 8 */
    virtual HRESULT VC15_COM_CALL EnumSurfaces(DWORD flags, DDSURFACEDESC2* desc, void* context,
                                               LPDDENUMSURFACESCALLBACK7 callback) = 0;
    virtual HRESULT VC15_COM_CALL FlipToGDISurface() = 0;
    virtual HRESULT VC15_COM_CALL GetCaps(DDCAPS* driverCaps, DDCAPS* helCaps) = 0; /* 11 */
    virtual HRESULT VC15_COM_CALL GetDisplayMode(DDSURFACEDESC2* desc) = 0;
    virtual HRESULT VC15_COM_CALL GetFourCCCodes(DWORD* count, DWORD* codes) = 0;
    virtual HRESULT VC15_COM_CALL GetGDISurface(IDirectDrawSurface7** out) = 0;
    virtual HRESULT VC15_COM_CALL GetMonitorFrequency(DWORD* frequency) = 0;
    virtual HRESULT VC15_COM_CALL GetScanLine(DWORD* line) = 0;
    virtual HRESULT VC15_COM_CALL GetVerticalBlankStatus(BOOL* inBlank) = 0;
    virtual HRESULT VC15_COM_CALL Initialize(GUID* guid) = 0;
    virtual HRESULT VC15_COM_CALL RestoreDisplayMode() = 0;
    virtual HRESULT VC15_COM_CALL SetCooperativeLevel(HWND window, DWORD flags) = 0; /* 20 */
    virtual HRESULT VC15_COM_CALL SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate,
                                                 DWORD flags) = 0; /* 21 */
    virtual HRESULT VC15_COM_CALL WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
    virtual HRESULT VC15_COM_CALL GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free) = 0;
    virtual HRESULT VC15_COM_CALL GetSurfaceFromDC(HDC dc, IDirectDrawSurface7** out) = 0;
    virtual HRESULT VC15_COM_CALL RestoreAllSurfaces() = 0;
    virtual HRESULT VC15_COM_CALL TestCooperativeLevel() = 0;
    virtual HRESULT VC15_COM_CALL GetDeviceIdentifier(void* identifier, DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL StartModeTest(void* modes, DWORD count, DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL EvaluateMode(DWORD flags, DWORD* timeout) = 0; /* 29 */
};

struct IDirectDrawSurface7 : IUnknown {
    virtual HRESULT VC15_COM_CALL AddAttachedSurface(IDirectDrawSurface7* surface) = 0; /* 3 */
    virtual HRESULT VC15_COM_CALL AddOverlayDirtyRect(RECT* rect) = 0;
    virtual HRESULT VC15_COM_CALL Blt(RECT* destRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags,
                                      DDBLTFX* fx) = 0; /* 5 */
    virtual HRESULT VC15_COM_CALL BltBatch(LPDDBLTBATCH batch, DWORD count, DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL BltFast(DWORD x, DWORD y, IDirectDrawSurface7* src, RECT* srcRect, DWORD trans) = 0;
    virtual HRESULT VC15_COM_CALL DeleteAttachedSurface(DWORD flags, IDirectDrawSurface7* surface) = 0;
    virtual HRESULT VC15_COM_CALL EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK7 callback) = 0;
    virtual HRESULT VC15_COM_CALL EnumOverlayZOrders(DWORD flags, void* context,
                                                     LPDDENUMSURFACESCALLBACK7 callback) = 0;
    virtual HRESULT VC15_COM_CALL Flip(IDirectDrawSurface7* target, DWORD flags) = 0;                /* 11 */
    virtual HRESULT VC15_COM_CALL GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out) = 0; /* 12 */
    virtual HRESULT VC15_COM_CALL GetBltStatus(DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL GetCaps(DDSCAPS2* caps) = 0;
    virtual HRESULT VC15_COM_CALL GetClipper(IDirectDrawClipper** out) = 0;
    virtual HRESULT VC15_COM_CALL GetColorKey(DWORD flags, DDCOLORKEY* key) = 0; /* 16 */
    virtual HRESULT VC15_COM_CALL GetDC(HDC* dc) = 0;                            /* 17 */
    virtual HRESULT VC15_COM_CALL GetFlipStatus(DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL GetOverlayPosition(LONG* x, LONG* y) = 0;
    virtual HRESULT VC15_COM_CALL GetPalette(IDirectDrawPalette** out) = 0;
    virtual HRESULT VC15_COM_CALL GetPixelFormat(DDPIXELFORMAT* format) = 0; /* 21 */
    virtual HRESULT VC15_COM_CALL GetSurfaceDesc(DDSURFACEDESC2* desc) = 0;  /* 22 */
    virtual HRESULT VC15_COM_CALL Initialize(IDirectDraw* dd, DDSURFACEDESC2* desc) = 0;
    virtual HRESULT VC15_COM_CALL IsLost() = 0;
    virtual HRESULT VC15_COM_CALL Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) = 0; /* 25 */
    virtual HRESULT VC15_COM_CALL ReleaseDC(HDC dc) = 0;                                                 /* 26 */
    virtual HRESULT VC15_COM_CALL Restore() = 0;
    virtual HRESULT VC15_COM_CALL SetClipper(IDirectDrawClipper* clipper) = 0;
    virtual HRESULT VC15_COM_CALL SetColorKey(DWORD flags, DDCOLORKEY* key) = 0; /* 29 */
    virtual HRESULT VC15_COM_CALL SetOverlayPosition(LONG x, LONG y) = 0;
    virtual HRESULT VC15_COM_CALL SetPalette(IDirectDrawPalette* palette) = 0;
    virtual HRESULT VC15_COM_CALL Unlock(RECT* rect) = 0; /* 32 */
    virtual HRESULT VC15_COM_CALL UpdateOverlay(RECT* srcRect, IDirectDrawSurface7* dest, RECT* destRect, DWORD flags,
                                                LPDDOVERLAYFX fx) = 0;
    virtual HRESULT VC15_COM_CALL UpdateOverlayDisplay(DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL UpdateOverlayZOrder(DWORD flags, IDirectDrawSurface7* reference) = 0;
    virtual HRESULT VC15_COM_CALL GetDDInterface(void** out) = 0; /* 36 */
    virtual HRESULT VC15_COM_CALL PageLock(DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL PageUnlock(DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL SetSurfaceDesc(DDSURFACEDESC2* desc, DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL SetPrivateData(REFIID tag, void* data, DWORD size, DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL GetPrivateData(REFIID tag, void* data, DWORD* size) = 0;
    virtual HRESULT VC15_COM_CALL FreePrivateData(REFIID tag) = 0;
    virtual HRESULT VC15_COM_CALL GetUniquenessValue(DWORD* value) = 0;
    virtual HRESULT VC15_COM_CALL ChangeUniquenessValue() = 0;
    virtual HRESULT VC15_COM_CALL SetPriority(DWORD priority) = 0;
    virtual HRESULT VC15_COM_CALL GetPriority(DWORD* priority) = 0;
    virtual HRESULT VC15_COM_CALL SetLOD(DWORD lod) = 0;
    virtual HRESULT VC15_COM_CALL GetLOD(DWORD* lod) = 0; /* 48 */
};

struct IDirect3D7 : IUnknown {
    virtual HRESULT VC15_COM_CALL EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) = 0; /* 3 */
    virtual HRESULT VC15_COM_CALL CreateDevice(REFCLSID clsid, IDirectDrawSurface7* target,
                                               IDirect3DDevice7** out) = 0; /* 4 */
    virtual HRESULT VC15_COM_CALL CreateVertexBuffer(void* desc, IDirect3DVertexBuffer7** out, DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                                     void* context) = 0; /* 6 */
    virtual HRESULT VC15_COM_CALL EvictManagedTextures() = 0;            /* 7 */
};

/* The 3-D device: only its first operations are declared with their record
 * types; the library itself only creates and hands over the object. */
struct IDirect3DDevice7 : IUnknown {
    virtual HRESULT VC15_COM_CALL GetCaps(D3DDEVICEDESC7* desc) = 0; /* 3 */
    virtual HRESULT VC15_COM_CALL EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) = 0;
    virtual HRESULT VC15_COM_CALL BeginScene() = 0;
    virtual HRESULT VC15_COM_CALL EndScene() = 0;
    virtual HRESULT VC15_COM_CALL GetDirect3D(IDirect3D7** out) = 0;
    virtual HRESULT VC15_COM_CALL SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) = 0;
    virtual HRESULT VC15_COM_CALL GetRenderTarget(IDirectDrawSurface7** out) = 0; /* 9 */
};

#endif /* !_WIN32 */

/* A ready base for a host's own surface object (an SDL texture, a window's
 * frame buffer, plain memory), on every platform: every operation answers
 * DDERR_UNSUPPORTED (the platform's "not implemented"), so a host overrides
 * only what it supports, normally Lock, Unlock and GetSurfaceDesc
 * (CopyToSurface and vcPresent call Lock and Unlock only).
 * QueryInterface stores null and answers E_NOINTERFACE, as COM asks of an
 * interface it does not give. AddRef and Release keep no count and answer
 * 1: the object's life is the host's, and the library never releases a
 * surface it was handed. */
struct CDirectDrawSurfaceBase : IDirectDrawSurface7 {
#define VC15_UNSUPPORTED(name, ...) \
    HRESULT VC15_COM_CALL name(__VA_ARGS__) override { return DDERR_UNSUPPORTED; }
    HRESULT VC15_COM_CALL QueryInterface(REFIID, void** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG VC15_COM_CALL AddRef() override { return 1; }
    ULONG VC15_COM_CALL Release() override { return 1; }
    VC15_UNSUPPORTED(AddAttachedSurface, IDirectDrawSurface7*)
    VC15_UNSUPPORTED(AddOverlayDirtyRect, RECT*)
    VC15_UNSUPPORTED(Blt, RECT*, IDirectDrawSurface7*, RECT*, DWORD, DDBLTFX*)
    VC15_UNSUPPORTED(BltBatch, LPDDBLTBATCH, DWORD, DWORD)
    VC15_UNSUPPORTED(BltFast, DWORD, DWORD, IDirectDrawSurface7*, RECT*, DWORD)
    VC15_UNSUPPORTED(DeleteAttachedSurface, DWORD, IDirectDrawSurface7*)
    VC15_UNSUPPORTED(EnumAttachedSurfaces, void*, LPDDENUMSURFACESCALLBACK7)
    VC15_UNSUPPORTED(EnumOverlayZOrders, DWORD, void*, LPDDENUMSURFACESCALLBACK7)
    VC15_UNSUPPORTED(Flip, IDirectDrawSurface7*, DWORD)
    VC15_UNSUPPORTED(GetAttachedSurface, DDSCAPS2*, IDirectDrawSurface7**)
    VC15_UNSUPPORTED(GetBltStatus, DWORD)
    VC15_UNSUPPORTED(GetCaps, DDSCAPS2*)
    VC15_UNSUPPORTED(GetClipper, IDirectDrawClipper**)
    VC15_UNSUPPORTED(GetColorKey, DWORD, DDCOLORKEY*)
    VC15_UNSUPPORTED(GetDC, HDC*)
    VC15_UNSUPPORTED(GetFlipStatus, DWORD)
    VC15_UNSUPPORTED(GetOverlayPosition, LONG*, LONG*)
    VC15_UNSUPPORTED(GetPalette, IDirectDrawPalette**)
    VC15_UNSUPPORTED(GetPixelFormat, DDPIXELFORMAT*)
    VC15_UNSUPPORTED(GetSurfaceDesc, DDSURFACEDESC2*)
    VC15_UNSUPPORTED(Initialize, IDirectDraw*, DDSURFACEDESC2*)
    VC15_UNSUPPORTED(IsLost)
    VC15_UNSUPPORTED(Lock, RECT*, DDSURFACEDESC2*, DWORD, HANDLE)
    VC15_UNSUPPORTED(ReleaseDC, HDC)
    VC15_UNSUPPORTED(Restore)
    VC15_UNSUPPORTED(SetClipper, IDirectDrawClipper*)
    VC15_UNSUPPORTED(SetColorKey, DWORD, DDCOLORKEY*)
    VC15_UNSUPPORTED(SetOverlayPosition, LONG, LONG)
    VC15_UNSUPPORTED(SetPalette, IDirectDrawPalette*)
    VC15_UNSUPPORTED(Unlock, RECT*)
    VC15_UNSUPPORTED(UpdateOverlay, RECT*, IDirectDrawSurface7*, RECT*, DWORD, LPDDOVERLAYFX)
    VC15_UNSUPPORTED(UpdateOverlayDisplay, DWORD)
    VC15_UNSUPPORTED(UpdateOverlayZOrder, DWORD, IDirectDrawSurface7*)
    VC15_UNSUPPORTED(GetDDInterface, void**)
    VC15_UNSUPPORTED(PageLock, DWORD)
    VC15_UNSUPPORTED(PageUnlock, DWORD)
    VC15_UNSUPPORTED(SetSurfaceDesc, DDSURFACEDESC2*, DWORD)
    VC15_UNSUPPORTED(SetPrivateData, REFIID, void*, DWORD, DWORD)
    VC15_UNSUPPORTED(GetPrivateData, REFIID, void*, DWORD*)
    VC15_UNSUPPORTED(FreePrivateData, REFIID)
    VC15_UNSUPPORTED(GetUniquenessValue, DWORD*)
    VC15_UNSUPPORTED(ChangeUniquenessValue)
    VC15_UNSUPPORTED(SetPriority, DWORD)
    VC15_UNSUPPORTED(GetPriority, DWORD*)
    VC15_UNSUPPORTED(SetLOD, DWORD)
    VC15_UNSUPPORTED(GetLOD, DWORD*)
#undef VC15_UNSUPPORTED
};

#endif /* VEXACANVAS15_DDRAW_H */
