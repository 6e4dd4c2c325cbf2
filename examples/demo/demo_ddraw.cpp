// DirectDraw output, set up with the library's vdx helpers: the first listed
// driver, then either the exclusive 640 x 480 x 16 flipping chain or the
// windowed primary with a clipper and an off-screen back surface. Each frame
// goes into the back surface with vcPresent, which converts it for whatever
// format the surface has, and is shown with Flip or Blt. On Windows this is
// the system's DirectDraw in a real window; on Linux the library's stand-in
// (no window: frames are counted, and the primary can be read back).
#include <cstdio>
#include <cstring>

#include "demo.h"
#include "scene.h"

namespace demo {

namespace {

using showcase::kHeight;
using showcase::kWidth;

template <class T>
void ReleaseIf(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// A host-owned enumeration list, its nodes destroyed with it.
struct NodeList {
    CNodeList list{0, nullptr, nullptr};
    NodeList() = default;
    NodeList(const NodeList&) = delete;
    NodeList& operator=(const NodeList&) = delete;
    ~NodeList() {
        for (CListNode* n = list.head; n;) {
            CListNode* next = n->next;
            vcDeleteNode(n);
            n = next;
        }
    }
};

#if defined(_WIN32)
bool g_quit = false;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) g_quit = true;
            return 0;
        case WM_CLOSE:  // the window goes with the output
        case WM_DESTROY:
            g_quit = true;
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

// A window whose client area is 640 x 480 and lies wholly on the screen.
HWND MakeWindow(bool exclusive) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "vc15_demo";
    RegisterClassA(&wc);
    const DWORD style = exclusive ? WS_POPUP : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, kWidth, kHeight};
    AdjustWindowRect(&r, style, FALSE);
    return CreateWindowExA(0, "vc15_demo", "VexaCanvas15 demo", style | WS_VISIBLE, 0, 0, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
}
#endif

class DDrawOutput final : public Output {
public:
    ~DDrawOutput() override {
        ReleaseIf(back_);
        ReleaseIf(primary_);
#if defined(_WIN32)
        ReleaseIf(clipper_);
#endif
        if (dd_ && exclusive_) dd_->RestoreDisplayMode();
        ReleaseIf(dd_);
#if defined(_WIN32)
        if (window_) DestroyWindow(window_);
#endif
    }

    bool Open(const Options& o) {
        exclusive_ = o.exclusive;
        NodeList drivers;
        if (vdxGetDDrawDrivers(0, &drivers.list) != 0 || !drivers.list.head) return Fail("no DirectDraw driver");
        auto* driver = static_cast<CDDrawDriverNode*>(drivers.list.head);
        if (vdxCreateDDraw(driver, &dd_) != 0) return Fail("vdxCreateDDraw");
        NodeList modes;
        bool has16 = false;
        if (vdxGetVideoModes(dd_, &modes.list) == 0)
            for (CListNode* n = modes.list.head; n; n = n->next) {
                const DDSURFACEDESC2& m = static_cast<CDisplayModeNode*>(n)->mode;
                has16 =
                    has16 || (m.dwWidth == kWidth && m.dwHeight == kHeight && m.ddpfPixelFormat.dwRGBBitCount == 16);
            }
#if defined(_WIN32)
        window_ = MakeWindow(o.exclusive);
        if (!window_) return Fail("CreateWindow");
        HWND hwnd = window_;
#else
        // The stand-in needs a window handle for the exclusive level, never a real one.
        HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(1));
#endif
        if (o.exclusive) {
            if (!has16) return Fail("no 640 x 480 x 16 display mode");
            if (dd_->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != 0)
                return Fail("SetCooperativeLevel (exclusive)");
            if (dd_->SetDisplayMode(kWidth, kHeight, 16, 0, 0) != 0) return Fail("SetDisplayMode 640 x 480 x 16");
            if (vdxCreateFrameBufferExclusive(dd_, 1, &primary_, &back_) != 0)
                return Fail("vdxCreateFrameBufferExclusive");
        } else {
            if (dd_->SetCooperativeLevel(hwnd, DDSCL_NORMAL) != 0) return Fail("SetCooperativeLevel (normal)");
            if (vdxCreateFrameBufferNormal(dd_, &primary_) != 0) return Fail("vdxCreateFrameBufferNormal");
#if defined(_WIN32)
            // The clipper keeps blits inside the window's visible part.
            if (dd_->CreateClipper(0, &clipper_, nullptr) != 0 || clipper_->SetHWnd(0, window_) != 0 ||
                primary_->SetClipper(clipper_) != 0)
                return Fail("clipper");
#endif
            if (vdxCreateOffScreenSurface(dd_, &back_, kWidth, kHeight, 0) != 0)
                return Fail("vdxCreateOffScreenSurface");
        }
        DDSURFACEDESC2 d;
        std::memset(&d, 0, sizeof d);
        d.dwSize = sizeof d;
        back_->GetSurfaceDesc(&d);
        std::snprintf(describe_, sizeof describe_, "DirectDraw%s, %s, driver \"%s\", back surface %u-bit",
                      kStandIn ? " stand-in" : "",
                      o.exclusive ? "exclusive 640 x 480 x 16 flipping chain" : "windowed primary, off-screen back",
                      driver->description, static_cast<unsigned>(d.ddpfPixelFormat.dwRGBBitCount));
        return true;
    }

    const char* Describe() const override { return describe_; }

    bool Present(ICanvas15* canvas) override {
        if (vcPresent(canvas, back_) != 0) return false;
        if (exclusive_) return primary_->Flip(nullptr, DDFLIP_WAIT) == 0;
        RECT dest = ClientOnScreen();
        return primary_->Blt(&dest, back_, nullptr, DDBLT_WAIT, nullptr) == 0;
    }

    bool Pump() override {
#if defined(_WIN32)
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) g_quit = true;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return !g_quit;
#else
        return true;
#endif
    }

    // The primary surface read back where the frame was shown.
    bool Read(Grab& g) override {
        const RECT at = exclusive_ ? RECT{0, 0, kWidth, kHeight} : ClientOnScreen();
        DDSURFACEDESC2 d;
        std::memset(&d, 0, sizeof d);
        d.dwSize = sizeof d;
        if (primary_->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != 0) return false;
        const DWORD bytes = d.ddpfPixelFormat.dwRGBBitCount / 8;
        const bool inside = at.left >= 0 && at.top >= 0 && static_cast<DWORD>(at.left) + kWidth <= d.dwWidth &&
                            static_cast<DWORD>(at.top) + kHeight <= d.dwHeight && bytes >= 2 && bytes <= 4;
        if (inside) {
            g.width = kWidth;
            g.height = kHeight;
            g.pixels.resize(static_cast<size_t>(kWidth) * kHeight);
            const DDPIXELFORMAT& pf = d.ddpfPixelFormat;
            for (int y = 0; y < kHeight; ++y) {
                const auto* row = static_cast<const uint8_t*>(d.lpSurface) +
                                  static_cast<ptrdiff_t>(at.top + y) * d.lPitch + static_cast<size_t>(at.left) * bytes;
                for (int x = 0; x < kWidth; ++x) {
                    uint32_t v = 0;
                    std::memcpy(&v, row + static_cast<size_t>(x) * bytes, bytes);
                    g.pixels[static_cast<size_t>(y) * kWidth + x] = Channel(v, pf.dwRBitMask, g.rBits) << 16 |
                                                                    Channel(v, pf.dwGBitMask, g.gBits) << 8 |
                                                                    Channel(v, pf.dwBBitMask, g.bBits);
                }
            }
        }
        primary_->Unlock(nullptr);
        return inside;
    }

private:
#if defined(_WIN32)
    static constexpr bool kStandIn = false;
#else
    static constexpr bool kStandIn = true;
#endif

    RECT ClientOnScreen() const {
#if defined(_WIN32)
        POINT origin{0, 0};
        ClientToScreen(window_, &origin);
        return RECT{origin.x, origin.y, origin.x + kWidth, origin.y + kHeight};
#else
        return RECT{0, 0, kWidth, kHeight};
#endif
    }

    bool Fail(const char* what) {
        std::fprintf(stderr, "demo: DirectDraw set-up failed: %s\n", what);
        return false;
    }

    bool exclusive_ = false;
    IDirectDraw7* dd_ = nullptr;
    IDirectDrawSurface7* primary_ = nullptr;
    IDirectDrawSurface7* back_ = nullptr;
#if defined(_WIN32)
    IDirectDrawClipper* clipper_ = nullptr;
    HWND window_ = nullptr;
#endif
    char describe_[192] = "DirectDraw";
};

}  // namespace

std::unique_ptr<Output> MakeDDrawOutput(const Options& options) {
    auto out = std::make_unique<DDrawOutput>();
    if (!out->Open(options)) return nullptr;
    return out;
}

}  // namespace demo
