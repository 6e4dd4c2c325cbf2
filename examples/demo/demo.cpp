// Live demo: the showcase's scene animated and presented frame after frame.
//
//   vc15_demo [--frames N] [--mode windowed|exclusive] [--backend sdl|ddraw] [--screenshot FILE.png]
//
// On Windows (and under Wine) frames go through DirectDraw, set up with the
// library's vdx helpers and filled by vcPresent, so a desktop of any depth
// shows the right colours. On Linux they go to an SDL2 window through a
// streaming texture fed by vcCopyToBuffer, or, without SDL2 (or with
// --backend ddraw), through the library's DirectDraw stand-in (no window).
//
// Escape or closing the window quits; --frames stops after N frames. The
// demo prints its frames per second. With --screenshot it reads the last
// frame back from the screen (the window's pixels in the X server, or the
// primary surface), writes it as a PNG and compares it, pixel for pixel,
// with the same frame rendered offline and converted to the screen's format:
// the exit status is 0 only when they are equal.
#include "demo.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "png_writer.h"
#include "scene.h"

namespace {

using showcase::kHeight;
using showcase::kWidth;

bool ParseOptions(int argc, char** argv, demo::Options& o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(a, "--frames") && v) {
            o.frames = std::atoi(v);
        } else if (!std::strcmp(a, "--screenshot") && v) {
            o.screenshot = v;
        } else if (!std::strcmp(a, "--mode") && v && (!std::strcmp(v, "windowed") || !std::strcmp(v, "exclusive"))) {
            o.exclusive = !std::strcmp(v, "exclusive");
        } else if (!std::strcmp(a, "--backend") && v && (!std::strcmp(v, "sdl") || !std::strcmp(v, "ddraw"))) {
            o.backend = v;
        } else {
            return false;
        }
        ++i;
    }
    return o.frames >= 0;
}

std::unique_ptr<demo::Output> MakeOutput(const demo::Options& o) {
#if defined(_WIN32)
    if (o.backend == "sdl") std::fprintf(stderr, "demo: no SDL2 output on Windows, using DirectDraw\n");
    return demo::MakeDDrawOutput(o);
#else
    if (o.backend == "ddraw") return demo::MakeDDrawOutput(o);
    if (auto out = demo::MakeSdlOutput(o)) return out;
    if (o.backend == "sdl") return nullptr;
    std::fprintf(stderr, "demo: no SDL2 window, presenting through the DirectDraw stand-in\n");
    return demo::MakeDDrawOutput(o);
#endif
}

// The screen must hold the offline frame converted to its own channel
// widths: each 5-bit channel v widened to 8 bits as (v << 3) | (v >> 2),
// then cut to the screen's bits (which gives v for 5 bits and
// (g << 1) | (g >> 4) for a 6-bit green).
long CountDifferences(const demo::Grab& g, const uint16_t* frame) {
    long differ = 0;
    auto expect = [](uint32_t v5, int bits) { return ((v5 << 3) | (v5 >> 2)) >> (8 - bits); };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = frame[y * kWidth + x];
            const uint32_t want =
                expect((p >> 10) & 31, g.rBits) << 16 | expect((p >> 5) & 31, g.gBits) << 8 | expect(p & 31, g.bBits);
            differ += g.pixels[static_cast<size_t>(y) * g.width + x] != want;
        }
    return differ;
}

bool WriteGrab(const char* path, const demo::Grab& g) {
    auto widen = [](uint32_t v, int bits) -> uint8_t {
        // Replicate the top bits downwards: 5 bits 31 -> 255, 6 bits 63 -> 255.
        uint32_t out = 0;
        for (int have = 0; have < 8; have += bits) out |= (v << (8 - bits)) >> have;
        return static_cast<uint8_t>(out);
    };
    std::vector<uint8_t> rgb(static_cast<size_t>(g.width) * g.height * 3);
    for (size_t i = 0; i < g.pixels.size(); ++i) {
        rgb[i * 3 + 0] = widen(g.pixels[i] >> 16 & 0xFF, g.rBits);
        rgb[i * 3 + 1] = widen(g.pixels[i] >> 8 & 0xFF, g.gBits);
        rgb[i * 3 + 2] = widen(g.pixels[i] & 0xFF, g.bBits);
    }
    return demo::WritePng(path, rgb, g.width, g.height);
}

struct Canvas {
    ICanvas15* c = CreateInstance();
    uint16_t* pixels = nullptr;
    Canvas() {
        CanvasDesc desc{CANVAS_DEPTHPLANE, kWidth, kHeight};
        if (c && c->Create(&desc) == 0) c->GetBuffer(&pixels);
    }
    ~Canvas() {
        if (c) c->Release();
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
};

}  // namespace

int main(int argc, char** argv) {
    demo::Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--frames N] [--mode windowed|exclusive] [--backend sdl|ddraw] "
                     "[--screenshot FILE.png]\n",
                     argv[0]);
        return 2;
    }
    Canvas canvas;
    if (!canvas.pixels) {
        std::fprintf(stderr, "demo: no memory for the canvas\n");
        return 1;
    }
    showcase::Scene scene;
    std::unique_ptr<demo::Output> output = MakeOutput(options);
    if (!output) return 1;

    int frame = 0;
    const auto start = std::chrono::steady_clock::now();
    while ((options.frames == 0 || frame < options.frames) && output->Pump()) {
        if (!scene.Render(canvas.c, frame)) {
            std::fprintf(stderr, "demo: a draw call failed in frame %d\n", frame);
            return 1;
        }
        if (!output->Present(canvas.c)) {
            std::fprintf(stderr, "demo: presenting frame %d failed\n", frame);
            return 1;
        }
        ++frame;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("demo: %d frames in %.2f s, %.1f frames per second (%s)\n", frame, seconds,
                seconds > 0 ? frame / seconds : 0.0, output->Describe());
    if (options.screenshot.empty()) return 0;
    if (frame == 0) {
        std::fprintf(stderr, "demo: no frame was shown, no screenshot\n");
        return 1;
    }

    demo::Grab grab;
    if (!output->Read(grab) || grab.width < kWidth || grab.height < kHeight || grab.rBits < 1 || grab.rBits > 8 ||
        grab.gBits < 1 || grab.gBits > 8 || grab.bBits < 1 || grab.bBits > 8) {
        std::fprintf(stderr, "demo: the screen could not be read back\n");
        return 1;
    }
    if (!WriteGrab(options.screenshot.c_str(), grab)) {
        std::fprintf(stderr, "demo: cannot write %s\n", options.screenshot.c_str());
        return 1;
    }
    // The same frame again, offline, on a canvas of its own.
    Canvas offline;
    if (!offline.pixels || !scene.Render(offline.c, frame - 1)) return 1;
    const long differ = CountDifferences(grab, offline.pixels);
    std::printf("demo: screenshot %s (%d-%d-%d bits on screen): %ld of %d pixels differ from the offline frame\n",
                options.screenshot.c_str(), grab.rBits, grab.gBits, grab.bBits, differ, kWidth * kHeight);
    return differ == 0 ? 0 : 1;
}
