// Draws the benchmark scene a given number of times with one effect, and
// nothing else: a small, steady program to run under a profiler
// (valgrind --tool=callgrind, perf record). With "time" it times every mode
// instead (the tenth percentile of single frames, wall clock) and prints
// Mpix/s: it needs nothing but the library, so it also runs against the
// Windows DLL (bench/wine_vs_native.sh compares the two).
//
//   vc15_scene_frames MODE [FRAMES]
//   vc15_scene_frames time
//   MODE: plain, alpha77, alpha128, soft_edge, depth, depth_alpha128
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "bench/scene.h"

namespace {

using namespace vc15bench;
const char* const kModes[] = {"plain", "alpha77", "alpha128", "soft_edge", "depth", "depth_alpha128"};

// Time of one call of f: every call timed on its own for about 700 ms, and
// the tenth percentile taken. A frame lasts well under a scheduler slice, so
// on a shared, busy machine most calls run whole while any longer window
// would include other processes' turns (wall clock is all the Windows build
// can read precisely under Wine).
template <class F>
double BestNs(F f) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> per;
    const auto start = Clock::now();
    auto t0 = start;
    do {
        f();
        const auto t1 = Clock::now();
        per.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
        t0 = t1;
    } while (t0 - start < std::chrono::milliseconds(700) || per.size() < 20);
    std::sort(per.begin(), per.end());
    return per[per.size() / 10];
}

int TimeAll(ICanvas15* canvas, const Scene& sc, std::vector<DrawEffect>& effects, std::vector<DepthParams>& params) {
    const uint32_t codes[] = {0, EFFECT_ALPHA, EFFECT_ALPHA, EFFECT_SOFT_EDGE, EFFECT_DEPTH, EFFECT_DEPTH_ALPHA};
    const uint16_t levels[] = {0, 77, 128, 0, 0, 128};
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    DrawEffect clearEffect{0, 0, 0, &clear};
    std::printf("%-16s %12s %12s\n", "mode", "Mpix/s", "frame us");
    double plainNs = 0, alphaNs = 0;
    for (int mode = 0; mode < 6; ++mode) {
        for (size_t i = 0; i < sc.sprites.size(); ++i) {
            params[i] = DepthParams{DEPTH_WRITE, 0, sc.sprites[i].depthSpans.get()};
            effects[i] = DrawEffect{codes[mode], 0, levels[mode], &params[i]};
        }
        // The depth modes clear the plane once per frame, inside the time.
        const double ns = BestNs([&] {
            if (mode >= 4) canvas->Draw(0, 0, nullptr, &clearEffect);
            for (const Placement& p : sc.placed)
                canvas->Draw(p.x, p.y, sc.sprites[p.sprite].spans.get(), mode == 0 ? nullptr : &effects[p.sprite]);
        });
        if (mode == 0) plainNs = ns;
        if (mode == 2) alphaNs = ns;
        std::printf("%-16s %12.0f %12.1f\n", kModes[mode], static_cast<double>(sc.visibleOpaque) / ns * 1e3, ns / 1e3);
        if (mode == 3 || mode == 4) std::printf("%-16s %12.2f x plain\n", "", ns / plainNs);
        if (mode == 5) std::printf("%-16s %12.2f x alpha128\n", "", ns / alphaNs);
    }
    // Raw rectangles: a 64 x 64 picture at the scene's positions held inside
    // the canvas, and a whole-canvas picture.
    const RawScene& raw = GetRawScene();
    CRawImage small, full;
    small.width = small.height = kSpriteSize;
    small.pixels = const_cast<uint16_t*>(raw.small.data());
    full.width = kCanvasW;
    full.height = kCanvasH;
    full.pixels = const_cast<uint16_t*>(raw.full.data());
    const double raw64Ns = BestNs([&] {
        for (const Placement& p : raw.at) canvas->Draw(p.x, p.y, &small, nullptr);
    });
    std::printf("%-16s %12.0f %12.1f\n", "raw64",
                static_cast<double>(kSpriteSize) * kSpriteSize * raw.at.size() / raw64Ns * 1e3, raw64Ns / 1e3);
    const double raw640Ns = BestNs([&] { canvas->Draw(0, 0, &full, nullptr); });
    std::printf("%-16s %12.0f %12.1f\n", "raw640", static_cast<double>(kCanvasW) * kCanvasH / raw640Ns * 1e3,
                raw640Ns / 1e3);
    small.pixels = full.pixels = nullptr;
    // memcpy of the frame's opaque pixels' bytes, for scale.
    std::vector<uint16_t> a(sc.visibleOpaque), b(sc.visibleOpaque);
    const double copyNs = BestNs([&] {
        std::memcpy(b.data(), a.data(), a.size() * 2);
        a[a.size() / 2] ^= b[a.size() / 3];
    });
    std::printf("%-16s %12.0f %12.1f\n", "memcpy", static_cast<double>(sc.visibleOpaque) / copyNs * 1e3, copyNs / 1e3);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int mode = -1;
    for (int i = 0; i < 6 && argc > 1; ++i)
        if (!std::strcmp(argv[1], kModes[i])) mode = i;
    const bool timeAll = argc > 1 && !std::strcmp(argv[1], "time");
    if (mode < 0 && !timeAll) {
        std::fprintf(stderr, "usage: %s plain|alpha77|alpha128|soft_edge|depth|depth_alpha128 [frames] | time\n",
                     argv[0]);
        return 2;
    }
    const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
    const Scene& sc = GetScene();
    ICanvas15* canvas = CreateInstance();
    CanvasDesc d{CANVAS_DEPTHPLANE, kCanvasW, kCanvasH};
    canvas->Create(&d);
    uint16_t* px = nullptr;
    canvas->GetBuffer(&px);
    std::memcpy(px, sc.background.data(), sc.background.size() * 2);
    std::vector<DepthParams> params(sc.sprites.size());
    std::vector<DrawEffect> effects(sc.sprites.size());
    if (timeAll) {
        const int rc = TimeAll(canvas, sc, effects, params);
        canvas->Release();
        return rc;
    }
    const uint32_t codes[] = {0, EFFECT_ALPHA, EFFECT_ALPHA, EFFECT_SOFT_EDGE, EFFECT_DEPTH, EFFECT_DEPTH_ALPHA};
    const uint16_t levels[] = {0, 77, 128, 0, 0, 128};
    for (size_t i = 0; i < sc.sprites.size(); ++i) {
        params[i] = DepthParams{DEPTH_WRITE, 0, sc.sprites[i].depthSpans.get()};
        effects[i] = DrawEffect{codes[mode], 0, levels[mode], &params[i]};
    }
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    DrawEffect clearEffect{0, 0, 0, &clear};
    for (int f = 0; f < frames; ++f) {
        if (mode >= 4) canvas->Draw(0, 0, nullptr, &clearEffect);
        for (const Placement& p : sc.placed)
            canvas->Draw(p.x, p.y, sc.sprites[p.sprite].spans.get(), mode == 0 ? nullptr : &effects[p.sprite]);
    }
    unsigned sum = 0;
    for (int i = 0; i < kCanvasW * kCanvasH; ++i) sum = sum * 31 + px[i];
    std::printf("%s: %d frames, checksum %08x\n", kModes[mode], frames, sum);
    canvas->Release();
    return 0;
}
