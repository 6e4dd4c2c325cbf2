#include "canvas/canvas.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "canvas/draw.h"
#include "canvas/memory.h"
#include "canvas/row_copy.h"

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
    const size_t bytes = ByteCount(width, height, sizeof(uint16_t));
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
    const int32_t w = desc->width;
    const int32_t h = desc->height;
    if (w <= 0 || h <= 0 || !pixels) return 0;
    auto* row = static_cast<uint16_t*>(MemAlloc(static_cast<size_t>(w) * sizeof(uint16_t)));
    if (!row) return 0;  // nothing written, still success
    for (int32_t i = 0; i < w; ++i) row[i] = pixel;
    uint16_t* dst = pixels + static_cast<ptrdiff_t>(desc->y) * width + desc->x;
    for (int32_t r = 0; r < h; ++r, dst += width) CopyPixels(dst, row, static_cast<size_t>(w));
    MemFree(row);
    return 0;
}

int32_t CCanvas::SetClipRect(const ClipRect* rect) {
    clip = *rect;
    return 0;
}

int32_t CCanvas::Draw(int32_t x, int32_t y, const CImage* image, const DrawEffect* effect) {
    return DrawDispatch(*this, x, y, image, effect);
}

int32_t CCanvas::GetBuffer(uint16_t** out) {
    *out = pixels;
    return 0;
}

int32_t CCanvas::CopyToSurface(IDirectDrawSurface7* surface) {
    if (!surface) return -1;
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;  // the platform's own size (124 on 32-bit, 136 on 64-bit)
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != 0) return -1;
    auto* dstRow = static_cast<uint8_t*>(desc.lpSurface);
    const uint16_t* srcRow = pixels;
    for (int32_t r = 0; r < height; ++r) {
        CopyPixels(reinterpret_cast<uint16_t*>(dstRow), srcRow, static_cast<size_t>(width));
        dstRow += desc.lPitch;
        srcRow += width;
    }
    return surface->Unlock(nullptr) == 0 ? 0 : -1;
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
