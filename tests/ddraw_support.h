// Helpers shared by the DirectDraw tests: owned lists, a DirectDraw object
// made the way a host makes one, surfaces with an explicit pixel format,
// pixel access through Lock and a canvas frame to put on a surface.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "VexaCanvas15.h"
#include "ddraw/enumerate_internal.h"
#if !defined(_WIN32)
#include "ddraw/standin/standin.h"
#endif

namespace ddtest {

#if defined(_WIN32)
constexpr bool kStandIn = false;
#else
constexpr bool kStandIn = true;
#endif

// A zeroed platform record, with dwSize set for the records that have one.
template <class T>
T Zeroed() {
    T v;
    std::memset(&v, 0, sizeof v);
    return v;
}
template <class T>
T Sized() {
    T v = Zeroed<T>();
    v.dwSize = sizeof v;
    return v;
}

// A host list whose nodes are destroyed with it.
struct OwnedList {
    CNodeList list{0, nullptr, nullptr};
    OwnedList() = default;
    OwnedList(const OwnedList&) = delete;
    OwnedList& operator=(const OwnedList&) = delete;
    ~OwnedList() {
        for (CListNode* n = list.head; n;) {
            CListNode* next = n->next;
            vcDeleteNode(n);
            n = next;
        }
    }
    CNodeList* operator&() { return &list; }
    template <class T>
    std::vector<T*> Nodes() const {
        std::vector<T*> out;
        for (CListNode* n = list.head; n; n = n->next) out.push_back(static_cast<T*>(n));
        return out;
    }
    template <class T>
    T* Head() const {
        return static_cast<T*>(list.head);
    }
};

// Checks the links, owner and count of a list that was empty before.
inline void ExpectWellFormed(const CNodeList& list) {
    int32_t walked = 0;
    const CListNode* prev = nullptr;
    for (const CListNode* n = list.head; n; prev = n, n = n->next, ++walked) {
        EXPECT_EQ(n->prev, prev);
        EXPECT_EQ(n->owner, &list);
    }
    EXPECT_EQ(list.tail, prev);
    EXPECT_EQ(walked, list.count);
}

// Releases a platform object at the end of a scope.
template <class T>
struct Ref {
    T* p = nullptr;
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { reset(); }
    void reset() {
        if (p) p->Release();
        p = nullptr;
    }
    T** out() {
        reset();
        return &p;
    }
    T* operator->() const { return p; }
    T* get() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

inline void ResetAll() {
    vc15::ddraw::Counters() = vc15::ddraw::EnumCounters{0, 0, 0, 0};
#if !defined(_WIN32)
    vc15::standin::ResetForTesting();
#endif
}

// The DirectDraw object of the first listed driver, with the normal
// cooperative level (surfaces cannot be made before one is set).
inline bool MakeDirectDraw(Ref<IDirectDraw7>& dd, bool setLevel = true) {
    OwnedList drivers;
    if (vdxGetDDrawDrivers(0, &drivers) != 0 || !drivers.list.head) return false;
    if (vdxCreateDDraw(drivers.Head<CDDrawDriverNode>(), dd.out()) != 0 || !dd) return false;
    return !setLevel || dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == 0;
}

// The Direct3D interface of a DirectDraw object and its first 3-D device.
struct Direct3D {
    Ref<IDirect3D7> d3d;
    OwnedList devices;
    explicit Direct3D(IDirectDraw7* dd) {
        EXPECT_EQ(vdxCreateD3D(dd, d3d.out()), 0);
        if (d3d) {
            EXPECT_EQ(vdxGetD3DDrivers(d3d.get(), &devices), 0);
        }
    }
    CD3DDeviceNode* device() const { return devices.Head<CD3DDeviceNode>(); }
};

// Reset before and after; a DirectDraw object with the normal level.
class DDrawTest : public testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        ASSERT_TRUE(MakeDirectDraw(dd));
    }
    void TearDown() override {
        dd.reset();
        ResetAll();
    }
    Ref<IDirectDraw7> dd;
};

// A window for the exclusive cooperative level: a real one on Windows, any
// non-null handle for the stand-in. Destroyed with the object.
struct TestWindow {
    HWND hwnd = nullptr;
#if defined(_WIN32)
    TestWindow() {
        static bool registered = false;
        HINSTANCE instance = GetModuleHandleA(nullptr);
        if (!registered) {
            WNDCLASSA wc = Zeroed<WNDCLASSA>();
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = instance;
            wc.lpszClassName = "vc15_ddraw_test";
            registered = RegisterClassA(&wc) != 0;
        }
        hwnd = CreateWindowExA(0, "vc15_ddraw_test", "VexaCanvas15 test", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                               nullptr, nullptr, instance, nullptr);
    }
    ~TestWindow() {
        if (hwnd) DestroyWindow(hwnd);
    }
#else
    TestWindow() : hwnd(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234))) {}
#endif
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
};

inline DDPIXELFORMAT RgbFormat(DWORD bits, DWORD r, DWORD g, DWORD b) {
    DDPIXELFORMAT pf = Sized<DDPIXELFORMAT>();
    pf.dwFlags = DDPF_RGB;
    pf.dwRGBBitCount = bits;
    pf.dwRBitMask = r;
    pf.dwGBitMask = g;
    pf.dwBBitMask = b;
    return pf;
}
inline DDPIXELFORMAT Rgb555() { return RgbFormat(16, 0x7C00, 0x03E0, 0x001F); }
inline DDPIXELFORMAT Rgb565() { return RgbFormat(16, 0xF800, 0x07E0, 0x001F); }
inline DDPIXELFORMAT Rgb888() { return RgbFormat(24, 0xFF0000, 0x00FF00, 0x0000FF); }
inline DDPIXELFORMAT Xrgb8888() { return RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF); }

// An off-screen surface in system memory with the given format.
inline HRESULT MakeSurface(IDirectDraw7* dd, DWORD w, DWORD h, const DDPIXELFORMAT& pf, Ref<IDirectDrawSurface7>& s,
                           DWORD extraCaps = 0) {
    DDSURFACEDESC2 d = Sized<DDSURFACEDESC2>();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddpfPixelFormat = pf;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | extraCaps;
    return dd->CreateSurface(&d, s.out(), nullptr);
}

// A surface's description and capabilities as the platform reports them.
inline DDSURFACEDESC2 DescOf(IDirectDrawSurface7* s) {
    DDSURFACEDESC2 d = Sized<DDSURFACEDESC2>();
    EXPECT_EQ(s->GetSurfaceDesc(&d), 0);
    return d;
}
inline DWORD CapsOf(IDirectDrawSurface7* s) {
    DDSCAPS2 caps = Zeroed<DDSCAPS2>();
    EXPECT_EQ(s->GetCaps(&caps), 0);
    return caps.dwCaps;
}

// A locked view of a surface's memory.
struct Locked {
    IDirectDrawSurface7* surface;
    DDSURFACEDESC2 desc = Sized<DDSURFACEDESC2>();
    bool ok;
    explicit Locked(IDirectDrawSurface7* s) : surface(s) { ok = s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == 0; }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() {
        if (ok) surface->Unlock(nullptr);
    }
    DWORD bytes() const { return desc.ddpfPixelFormat.dwRGBBitCount / 8; }
    uint8_t* at(DWORD x, DWORD y) const {
        return static_cast<uint8_t*>(desc.lpSurface) + static_cast<size_t>(y) * static_cast<size_t>(desc.lPitch) +
               static_cast<size_t>(x) * bytes();
    }
    uint32_t get(DWORD x, DWORD y) const {
        uint32_t v = 0;
        std::memcpy(&v, at(x, y), bytes());
        return v;
    }
    void set(DWORD x, DWORD y, uint32_t v) const { std::memcpy(at(x, y), &v, bytes()); }
    // Every pixel of the surface is `value` (inside the first w x h, `inside`
    // at that pixel's index when given); reports the first wrong one.
    void ExpectAll(uint32_t value, const std::vector<uint16_t>* inside = nullptr, DWORD w = 0, DWORD h = 0) const {
        ASSERT_TRUE(ok);
        for (DWORD y = 0; y < desc.dwHeight; ++y)
            for (DWORD x = 0; x < desc.dwWidth; ++x) {
                const bool in = inside && x < w && y < h;
                ASSERT_EQ(get(x, y), in ? (*inside)[y * static_cast<size_t>(w) + x] : value) << x << "," << y;
            }
    }
};

// Native value of a COLORREF on a format: each channel's top bits under its
// mask. The reference the colour matching is compared with.
inline uint32_t NativeOf(const DDPIXELFORMAT& pf, COLORREF c) {
    auto place = [](uint32_t v8, DWORD mask) -> uint32_t {
        if (!mask) return 0;
        int low = 0, bits = 0;
        while (!(mask & (1u << low))) ++low;
        for (DWORD m = mask >> low; m & 1u; m >>= 1) ++bits;
        const uint32_t v = bits >= 8 ? v8 << (bits - 8) : v8 >> (8 - bits);
        return (v << low) & mask;
    };
    return place(c & 0xFF, pf.dwRBitMask) | place((c >> 8) & 0xFF, pf.dwGBitMask) |
           place((c >> 16) & 0xFF, pf.dwBBitMask);
}

inline COLORREF Colour(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

// A w x h canvas frame of random rectangles on a background; returns its
// pixels. The caller releases the canvas.
inline std::vector<uint16_t> DrawFrame(ICanvas15* canvas, int w, int h, unsigned seed) {
    CanvasDesc cd{0, w, h};
    EXPECT_EQ(canvas->Create(&cd), 0);
    FillRectDesc r{{0x10, 0x20, 0x30}, 0, 0, 0, w, h};
    std::mt19937 rng(seed);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(canvas->FillRect(&r), 0);
        for (uint8_t& c : r.color) c = static_cast<uint8_t>(rng());
        r.x = static_cast<int32_t>(rng() % static_cast<unsigned>(w - 8));
        r.y = static_cast<int32_t>(rng() % static_cast<unsigned>(h - 8));
        r.width = 1 + static_cast<int32_t>(rng() % static_cast<unsigned>(w - r.x));
        r.height = 1 + static_cast<int32_t>(rng() % static_cast<unsigned>(h - r.y));
    }
    uint16_t* pixels = nullptr;
    canvas->GetBuffer(&pixels);
    return std::vector<uint16_t>(pixels, pixels + static_cast<size_t>(w) * static_cast<size_t>(h));
}

}  // namespace ddtest
