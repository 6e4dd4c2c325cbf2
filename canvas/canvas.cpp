#include "canvas/canvas.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "blit/row_copy.h"
#include "canvas/draw.h"
#include "core/memory.h"

namespace vc15 {

namespace {

// width * height elements of `elementSize` bytes, or 0 when the product is
// empty, negative or too large to address.
size_t ByteCount(int64_t w, int64_t h, size_t elementSize) {
    if (w <= 0 || h <= 0) return 0;
    const uint64_t n = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);  // < 2^62
    if (n > static_cast<uint64_t>(PTRDIFF_MAX) / elementSize) return 0;      // pointer differences must stay valid
    return static_cast<size_t>(n) * elementSize;
}

// Bytes of the pixel buffer for a canvas of w x h, or 0 beyond the size
// limit: such a canvas is treated as one whose memory cannot be had, so a
// careless size never spends minutes filling gigabytes of depth plane.
size_t CanvasBytes(int32_t w, int32_t h) {
    if (w > VC15_MAX_CANVAS_SIDE || h > VC15_MAX_CANVAS_SIDE) return 0;
    const size_t bytes = ByteCount(w, h, sizeof(uint16_t));
    return bytes <= VC15_MAX_CANVAS_BYTES ? bytes : 0;
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

// ---- Depth plane -----------------------------------------------------------

CDepthPlane::~CDepthPlane() { MemFree(data); }

int32_t CDepthPlane::Allocate(uint32_t w, uint32_t h) {
    width = w;
    height = h;
    const size_t bytes = ByteCount(w, h, 1);
    data = bytes ? static_cast<uint8_t*>(MemAlloc(bytes)) : nullptr;
    if (!data) return -1;
    std::memset(data, 255, bytes);
    return 0;
}

int32_t CDepthPlane::Fill(uint32_t value) {
    if (!data) return -1;
    std::memset(data, static_cast<int>(value & 0xFFu), ByteCount(width, height, 1));
    return 0;
}

// ---- Component model -------------------------------------------------------

int32_t CCanvas::QueryInterface(uint32_t iid, void** out) {
    if (!out) return -1;  // nowhere to answer: no reference taken
    *out = nullptr;
    if (iid != VC15_IID_CANVAS && iid != VC15_IID_CANVAS15) return -1;
    *out = static_cast<ICanvas15*>(this);
    static_cast<ICanvas15*>(*out)->AddRef();
    return 0;
}

uint32_t CCanvas::AddRef() { return refCount.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t CCanvas::Release() {
    // The value the atomic decrement yields decides, so two threads releasing
    // at once cannot both destroy the canvas.
    const uint32_t left = refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
        DeleteObject(this);
        return 0;
    }
    return left;
}

CCanvas::~CCanvas() { ReleaseBuffers(); }

void CCanvas::ReleaseBuffers() {
    MemFree(pixels);
    pixels = nullptr;
    if (depthPlane) {
        DeleteObject(depthPlane);
        depthPlane = nullptr;
    }
}

// ---- Surface operations ----------------------------------------------------

int32_t CCanvas::Create(const CanvasDesc* desc) {
    if (!desc) return -1;
    ReleaseBuffers();
    width = desc->width;
    height = desc->height;
    const size_t bytes = CanvasBytes(width, height);
    pixels = bytes ? static_cast<uint16_t*>(MemAlloc(bytes)) : nullptr;
    if (!pixels) {
        // No pixels: an empty canvas that draws nothing.
        width = 0;
        height = 0;
    }
    clip = ClipRect{0, 0, width, height};
    if (pixels && (desc->flags & CANVAS_DEPTHPLANE)) {
        auto* plane = NewObject<CDepthPlane>();
        if (plane && plane->Allocate(static_cast<uint32_t>(width), static_cast<uint32_t>(height)) != 0) {
            DeleteObject(plane);
            plane = nullptr;
        }
        depthPlane = plane;
    }
    return 0;
}

int32_t CCanvas::FillRect(const FillRectDesc* desc) {
    if (!desc) return -1;
    uint32_t value = 0;
    RGB888_RGB555(reinterpret_cast<uint16_t*>(&value), desc->color, 1);
    const uint16_t pixel = static_cast<uint16_t>(value);
    if (desc->width <= 0 || desc->height <= 0 || !pixels) return 0;
    // Held to the canvas (not to the clip rectangle): a rectangle within the
    // canvas is filled as given, the part of one outside it is dropped.
    const int64_t x0 = std::max<int64_t>(desc->x, 0);
    const int64_t y0 = std::max<int64_t>(desc->y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{desc->x} + desc->width, width);
    const int64_t y1 = std::min<int64_t>(int64_t{desc->y} + desc->height, height);
    if (x0 >= x1 || y0 >= y1) return 0;
    const size_t w = static_cast<size_t>(x1 - x0);
    auto* row = static_cast<uint16_t*>(MemAlloc(w * sizeof(uint16_t)));
    if (!row) return 0;  // nothing written, still success
    for (size_t i = 0; i < w; ++i) row[i] = pixel;
    uint16_t* dst = pixels + static_cast<ptrdiff_t>(y0 * width + x0);
    for (int64_t r = y0; r < y1; ++r, dst += width) CopyPixels(dst, row, w);
    MemFree(row);
    return 0;
}

int32_t CCanvas::SetClipRect(const ClipRect* rect) {
    if (!rect) return -1;
    // The blits write every pixel the clip rectangle lets through, so it is
    // kept within the canvas. An inverted or empty result becomes an empty
    // rectangle (right = left, bottom = top) that draws nothing.
    ClipRect c;
    c.left = Clamp(rect->left, 0, width);
    c.top = Clamp(rect->top, 0, height);
    c.right = Clamp(rect->right, c.left, width);
    c.bottom = Clamp(rect->bottom, c.top, height);
    clip = c;
    return 0;
}

int32_t CCanvas::Draw(int32_t x, int32_t y, const CImage* image, const DrawEffect* effect) {
    return DrawDispatch(*this, x, y, image, effect);
}

int32_t CCanvas::GetBuffer(uint16_t** out) {
    if (!out) return -1;
    *out = pixels;
    return 0;
}

int32_t CCanvas::CopyToSurface(IDirectDrawSurface7* surface) {
    if (!surface || !pixels) return -1;
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;  // the platform's own size (124 on 32-bit, 136 on 64-bit)
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != 0) return -1;
    // Only what both have: the rows and columns of the canvas that the locked
    // surface has too, by the descriptor's width and height. A surface whose
    // pixels are not 16 bits wide, that reports no memory, or whose pitch is
    // negative or cannot hold its own row gets nothing: its rows would
    // overlap, or lie before the pointer, so its description cannot be
    // trusted (vcPresent follows the same rule).
    const bool sixteenBits = desc.ddpfPixelFormat.dwRGBBitCount == 16;
    const int64_t pitch = desc.lPitch;
    const int64_t cols = std::min<int64_t>(width, int64_t{desc.dwWidth});
    const int64_t rows = std::min<int64_t>(height, int64_t{desc.dwHeight});
    const bool copied = sixteenBits && desc.lpSurface && pitch >= 2 * int64_t{desc.dwWidth};
    if (copied && cols > 0) {
        auto* dstRow = static_cast<uint8_t*>(desc.lpSurface);
        const uint16_t* srcRow = pixels;
        for (int64_t r = 0; r < rows; ++r) {
            CopyPixels(reinterpret_cast<uint16_t*>(dstRow), srcRow, static_cast<size_t>(cols));
            dstRow += pitch;
            srcRow += width;
        }
    }
    const bool unlocked = surface->Unlock(nullptr) == 0;
    return copied && unlocked ? 0 : -1;
}

int32_t CCanvas::GetWidth() { return width; }
int32_t CCanvas::GetHeight() { return height; }

}  // namespace vc15

// ---- Factory ---------------------------------------------------------------

extern "C" VC15_API ICanvas15* VC15_CALL CreateInstance(void) {
    auto* canvas = vc15::NewObject<vc15::CCanvas>();
    if (!canvas) return nullptr;
    ICanvas15* iface = canvas;
    iface->AddRef();
    return iface;
}
