// The demo host's outputs: a place that shows frames (SDL2 window, or a
// DirectDraw flipping chain or windowed primary), and what it reads back
// from the screen for the screenshot check.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VexaCanvas15.h"

namespace demo {

// Pixels read back from the screen, each channel as stored there (its own
// bit count, not widened), packed as r << 16 | g << 8 | b.
struct Grab {
    int width = 0, height = 0;
    int rBits = 0, gBits = 0, bBits = 0;
    std::vector<uint32_t> pixels;
};

// Splits a pixel value by one channel mask: the channel's value and bits.
inline uint32_t Channel(uint32_t value, uint32_t mask, int& bits) {
    if (!mask) {
        bits = 0;
        return 0;
    }
    int shift = 0;
    while (!(mask & (1u << shift))) ++shift;
    bits = 0;
    for (uint32_t m = mask >> shift; m & 1u; m >>= 1) ++bits;
    return (value & mask) >> shift;
}

struct Options {
    int frames = 0;  // 0: until Escape or the window is closed
    std::string screenshot;
    bool exclusive = false;
    std::string backend;  // "sdl" or "ddraw"; empty: the platform's first
};

class Output {
public:
    virtual ~Output() = default;
    virtual const char* Describe() const = 0;
    // Shows the canvas; false when presenting failed.
    virtual bool Present(ICanvas15* canvas) = 0;
    // Handles window messages; false once the user asked to quit.
    virtual bool Pump() = 0;
    // Reads the last presented frame back from the screen.
    virtual bool Read(Grab& out) = 0;
};

// Null (with a message on stderr) when the output cannot be set up.
std::unique_ptr<Output> MakeSdlOutput(const Options& options);
std::unique_ptr<Output> MakeDDrawOutput(const Options& options);

}  // namespace demo
