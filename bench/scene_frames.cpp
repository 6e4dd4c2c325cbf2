// Draws the benchmark scene a given number of times with one effect, and
// nothing else: a small, steady program to run under a profiler
// (valgrind --tool=callgrind, perf record).
//
//   vc15_scene_frames MODE [FRAMES]
//   MODE: plain, alpha77, alpha128, soft_edge, depth, depth_alpha128
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "bench/scene.h"

int main(int argc, char** argv) {
    using namespace vc15bench;
    static const char* const kModes[] = {"plain", "alpha77", "alpha128", "soft_edge", "depth", "depth_alpha128"};
    int mode = -1;
    for (int i = 0; i < 6 && argc > 1; ++i)
        if (!std::strcmp(argv[1], kModes[i])) mode = i;
    if (mode < 0) {
        std::fprintf(stderr, "usage: %s plain|alpha77|alpha128|soft_edge|depth|depth_alpha128 [frames]\n", argv[0]);
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
