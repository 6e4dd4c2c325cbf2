// Time of one showcase frame (frame 0 of examples/showcase, 640 x 480 with
// every effect) at every level this build and processor have: the same
// program natively and as WebAssembly under node, for bench/wasm_speed.sh.
// Each frame is timed on its own for about 700 ms and the tenth percentile
// is printed, so other processes' turns on a shared machine drop out.
//
//   vc15_showcase_speed      prints "<level> <microseconds per frame> <crc>" per level
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "VexaCanvas15.h"
#include "core/kernel_table.h"
#include "examples/showcase/scene.h"
#include "tests/test_hooks.h"

int main() {
    ICanvas15* canvas = CreateInstance();
    CanvasDesc desc{CANVAS_DEPTHPLANE, showcase::kWidth, showcase::kHeight};
    uint16_t* pixels = nullptr;
    if (!canvas || canvas->Create(&desc) != 0 || (canvas->GetBuffer(&pixels), !pixels)) return 1;
    showcase::Scene scene;
    using Clock = std::chrono::steady_clock;
    for (vc15::cpu::Level level : vc15::kernels::Levels()) {
        if (!vc15::kernels::Supports(level)) continue;
        if (!vc15::cpu::ForceLevelForTesting(level)) return 1;
        std::vector<double> us;
        const auto start = Clock::now();
        while (Clock::now() - start < std::chrono::milliseconds(700) || us.size() < 20) {
            const auto t0 = Clock::now();
            if (!scene.Render(canvas, 0)) return 1;
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        std::nth_element(us.begin(), us.begin() + us.size() / 10, us.end());
        std::printf("%s %.1f %08x\n", vc15::cpu::Name(level), us[us.size() / 10],
                    static_cast<unsigned>(showcase::FrameCrc(pixels)));
    }
    canvas->Release();
    return 0;
}
