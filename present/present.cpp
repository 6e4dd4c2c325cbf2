// Presenting a frame: the canvas's RGB555 rows converted, in one pass through
// the converters' best level, into a host buffer or a DirectDraw surface of
// another format. The canvas is reached only through its public interface.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "VexaCanvas15.h"
#include "core/kernel_table.h"
#include "pixel/convert.h"

namespace vc15 {

namespace {

// Bytes per pixel of a VC15_FORMAT_* value; 0 for an unknown one.
int32_t BytesPerPixel(uint32_t format) {
    switch (format) {
        case VC15_FORMAT_RGB555:
        case VC15_FORMAT_RGB565:
            return 2;
        case VC15_FORMAT_BGR888:
            return 3;
        case VC15_FORMAT_XRGB8888:
        case VC15_FORMAT_RGBA8888:
            return 4;
        default:
            return 0;
    }
}

// The format a surface's pixel format description calls for; 0 when none of
// ours fits (palettised, BGR order, other masks).
uint32_t FormatOf(const DDPIXELFORMAT& pf) {
    if (!(pf.dwFlags & DDPF_RGB) || (pf.dwFlags & DDPF_PALETTEINDEXED8)) return 0;
    const DWORD r = pf.dwRBitMask, g = pf.dwGBitMask, b = pf.dwBBitMask;
    switch (pf.dwRGBBitCount) {
        case 16:
            if (r == 0x7C00u && g == 0x03E0u && b == 0x001Fu) return VC15_FORMAT_RGB555;
            if (r == 0xF800u && g == 0x07E0u && b == 0x001Fu) return VC15_FORMAT_RGB565;
            return 0;
        case 24:
            return r == 0xFF0000u && g == 0x00FF00u && b == 0x0000FFu ? VC15_FORMAT_BGR888 : 0;
        case 32:
            return r == 0xFF0000u && g == 0x00FF00u && b == 0x0000FFu ? VC15_FORMAT_XRGB8888 : 0;
        default:
            return 0;
    }
}

struct Frame {
    const uint16_t* pixels = nullptr;
    int32_t width = 0;  // also the pitch in pixels
    int32_t height = 0;
};

bool FrameOf(ICanvas15* canvas, Frame& f) {
    uint16_t* pixels = nullptr;
    canvas->GetBuffer(&pixels);
    f.pixels = pixels;
    f.width = canvas->GetWidth();
    f.height = canvas->GetHeight();
    return f.pixels && f.width > 0 && f.height > 0;
}

// The top-left w x h pixels of the frame into rows `pitch` bytes apart.
void ConvertRows(const Frame& f, int32_t w, int32_t h, uint8_t* dst, ptrdiff_t pitch, uint32_t format) {
    const KernelTable& t = Kernels();
    const uint16_t* src = f.pixels;
    for (int32_t r = 0; r < h; ++r, src += f.width, dst += pitch) {
        switch (format) {
            case VC15_FORMAT_RGB555:
                std::memcpy(dst, src, static_cast<size_t>(w) * sizeof(uint16_t));
                break;
            case VC15_FORMAT_RGB565:
                t.rgb555ToRgb565Wide(reinterpret_cast<uint16_t*>(dst), src, w);
                break;
            case VC15_FORMAT_XRGB8888:
                t.rgb555ToXrgb8888(reinterpret_cast<uint32_t*>(dst), src, w);
                break;
            case VC15_FORMAT_RGBA8888:
                t.rgb555ToRgba8888(dst, src, w);
                break;
            default:
                t.rgb555ToBgr888(dst, src, w);
                break;
        }
    }
}

}  // namespace

}  // namespace vc15

extern "C" {

VC15_API int32_t VC15_CALL vcCopyToBuffer(ICanvas15* canvas, void* dst, int32_t pitch, uint32_t format) {
    using namespace vc15;
    const int32_t bytes = BytesPerPixel(format);
    Frame f;
    if (!canvas || !dst || bytes == 0 || !FrameOf(canvas, f)) return -1;
    if (static_cast<int64_t>(pitch) < static_cast<int64_t>(f.width) * bytes) return -1;
    ConvertRows(f, f.width, f.height, static_cast<uint8_t*>(dst), pitch, format);
    return 0;
}

VC15_API int32_t VC15_CALL vcPresent(ICanvas15* canvas, IDirectDrawSurface7* surface) {
    using namespace vc15;
    Frame f;
    if (!canvas || !surface || !FrameOf(canvas, f)) return -1;
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) != 0) return -1;
    // Only the rows and columns both have; nothing at all for a format we
    // cannot write or a pitch that is negative or too small for the surface's
    // own row (CopyToSurface follows the same rule).
    const uint32_t format = FormatOf(desc.ddpfPixelFormat);
    const int32_t bytes = BytesPerPixel(format);
    const int32_t w = static_cast<int32_t>(std::min<int64_t>(f.width, desc.dwWidth));
    const int32_t h = static_cast<int32_t>(std::min<int64_t>(f.height, desc.dwHeight));
    const bool writable = bytes != 0 && desc.lpSurface != nullptr &&
                          static_cast<int64_t>(desc.lPitch) >= static_cast<int64_t>(desc.dwWidth) * bytes;
    if (writable) ConvertRows(f, w, h, static_cast<uint8_t*>(desc.lpSurface), desc.lPitch, format);
    const bool unlocked = surface->Unlock(nullptr) == 0;
    return writable && unlocked ? 0 : -1;
}

}  // extern "C"
