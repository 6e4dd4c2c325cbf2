// The showcase's scene: every drawing effect of the canvas on one 640 x 480
// frame, built from sprites made once. Frame 0 is the showcase's still;
// later frames animate it (the demo host plays them). Uses the library only
// through its public header.
#pragma once

#include <cstdint>
#include <memory>

#include "VexaCanvas15.h"

namespace showcase {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class Scene {
public:
    Scene();  // exits the program when a sprite cannot be built
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Draws frame `frame` over the whole canvas (kWidth x kHeight, with a
    // depth plane): false when a draw call failed.
    bool Render(ICanvas15* canvas, int frame);

    struct Sprites;  // defined and used in scene.cpp only

private:
    std::unique_ptr<Sprites> sprites_;
};

// CRC-32 (the zlib polynomial) of a frame's 16-bit pixels in little-endian
// order: the same number on every build that draws the same frame.
uint32_t FrameCrc(const uint16_t* pixels);

}  // namespace showcase
