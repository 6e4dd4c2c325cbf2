// The live demo as a web page: the showcase's scene, drawn by the library
// compiled to WebAssembly, handed to the page as bytes R, G, B, A for an
// ImageData (index.html animates it with requestAnimationFrame).
//
// The page calls these through the module; the frame stays in the module's
// memory and the page wraps it without copying.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "scene.h"

namespace {

using showcase::kHeight;
using showcase::kWidth;

struct Demo {
    ICanvas15* canvas = nullptr;
    uint16_t* pixels = nullptr;
    showcase::Scene scene;
    std::vector<uint8_t> frame = std::vector<uint8_t>(static_cast<size_t>(kWidth) * kHeight * 4);
    std::vector<uint8_t> whole = frame;  // the whole frame, when a panel is shown enlarged
};

Demo* g_demo = nullptr;

// The quarter `panel` (1 to 4: alpha, depth, soft edge, clipping) of `whole`
// enlarged twice into `out`.
void Enlarge(const std::vector<uint8_t>& whole, int panel, std::vector<uint8_t>& out) {
    const int x0 = (panel - 1) % 2 * kWidth / 2, y0 = (panel - 1) / 2 * kHeight / 2;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            std::memcpy(&out[(static_cast<size_t>(y) * kWidth + x) * 4],
                        &whole[(static_cast<size_t>(y0 + y / 2) * kWidth + x0 + x / 2) * 4], 4);
}

}  // namespace

extern "C" {

// Makes the canvas (with a depth plane) and the scene's sprites: the address
// of the RGBA frame (kWidth x kHeight x 4 bytes), or 0.
EMSCRIPTEN_KEEPALIVE uint8_t* webStart() {
    if (g_demo) return g_demo->frame.data();
    auto* d = new Demo;
    d->canvas = CreateInstance();
    CanvasDesc desc{CANVAS_DEPTHPLANE, kWidth, kHeight};
    if (!d->canvas || d->canvas->Create(&desc) != 0) return nullptr;
    d->canvas->GetBuffer(&d->pixels);
    if (!d->pixels) return nullptr;
    g_demo = d;
    return d->frame.data();
}

EMSCRIPTEN_KEEPALIVE int webWidth() { return kWidth; }
EMSCRIPTEN_KEEPALIVE int webHeight() { return kHeight; }

// Draws frame `frame` and converts it into the RGBA frame; view 0 shows the
// whole frame, 1 to 4 one panel enlarged. 0, or -1 when a draw call failed.
EMSCRIPTEN_KEEPALIVE int webRender(int frame, int view) {
    Demo* d = g_demo;
    if (!d || !d->scene.Render(d->canvas, frame)) return -1;
    const bool panel = view >= 1 && view <= 4;
    std::vector<uint8_t>& out = panel ? d->whole : d->frame;
    if (vcCopyToBuffer(d->canvas, out.data(), kWidth * 4, VC15_FORMAT_RGBA8888) != 0) return -1;
    if (panel) Enlarge(d->whole, view, d->frame);
    return 0;
}

// The canvas's own 16-bit pixels of the last frame drawn (for checks that
// widen them independently of the library's converter).
EMSCRIPTEN_KEEPALIVE const uint16_t* webCanvasPixels() { return g_demo ? g_demo->pixels : nullptr; }

// The CRC-32 of the last frame's 16-bit pixels: the showcase's number.
EMSCRIPTEN_KEEPALIVE uint32_t webFrameCrc() { return g_demo ? showcase::FrameCrc(g_demo->pixels) : 0; }

}  // extern "C"
