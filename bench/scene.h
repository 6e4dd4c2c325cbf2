// The benchmark scene: 256 colour-keyed sprites of 64 x 64 turned into span
// lists (about 71% opaque, opaque runs of about 21 pixels), a quarter of them
// crossing the edge of a 640 x 480 canvas. Built deterministically so that the
// benchmarks and the peer comparison draw exactly the same frame.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "VexaCanvas15.h"

namespace vc15bench {

constexpr int kCanvasW = 640;
constexpr int kCanvasH = 480;
constexpr int kSpriteSize = 64;
constexpr int kSpriteCount = 256;
constexpr uint16_t kColorKey = 0x7C1F;  // magenta in RGB555: the transparent pixel value

struct Sprite {
    // Keyed source picture, row-major, kSpriteSize x kSpriteSize.
    std::vector<uint16_t> keyed;
    // Depth sample per pixel (same layout), for the depth effects.
    std::vector<uint8_t> depth;
    std::unique_ptr<CSpanImage> spans;       // opaque runs of `keyed`
    std::unique_ptr<CSpanImage> depthSpans;  // the same records with 8-bit samples
    uint32_t opaque = 0;                     // opaque pixels
    uint32_t runs = 0;                       // opaque runs
};

struct Placement {
    int32_t x, y;
    int sprite;
};

struct Scene {
    std::vector<Sprite> sprites;       // distinct pictures (kDistinct of them)
    std::vector<Placement> placed;     // kSpriteCount draws
    std::vector<uint16_t> background;  // kCanvasW x kCanvasH
    uint64_t visibleOpaque = 0;        // opaque pixels inside the canvas over all draws
    uint32_t crossing = 0;             // draws that cross the canvas edge
    double opaqueShare = 0;            // opaque pixels / box pixels
    double meanRun = 0;                // mean opaque run length
};

// Builds the scene (the same one on every call).
const Scene& GetScene();

// Raw rectangles: a 64 x 64 picture drawn at the scene's 256 positions held
// inside the canvas, and a whole-canvas picture drawn once at (0, 0).
struct RawScene {
    std::vector<uint16_t> small;  // kSpriteSize x kSpriteSize
    std::vector<uint16_t> full;   // kCanvasW x kCanvasH
    std::vector<Placement> at;    // kSpriteCount positions for `small`
};
const RawScene& GetRawScene();

// Span-list image of a keyed picture: one record per opaque run.
std::unique_ptr<CSpanImage> BuildSpanImage(const uint16_t* keyed, int w, int h, uint16_t key);
// The depth image that goes with it: the same records, one sample per pixel.
std::unique_ptr<CSpanImage> BuildDepthImage(const uint16_t* keyed, const uint8_t* depth, int w, int h, uint16_t key);

}  // namespace vc15bench
