// The peer comparison's common part: the operations every participant draws,
// and the interface each peer library implements in its own file
// (peer_sdl2.cpp, peer_allegro4.cpp, peer_pixman.cpp). The driver
// (peer_compare.cpp) draws the same frames with this library and with every
// peer, checks the peers' frames against ours and times them in alternation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/scene.h"

namespace vc15bench {

// Operations of the comparison. The span operations draw the scene's 256
// sprites; the raw ones draw RawScene's rectangles.
enum Op { kCopy, kAlpha128, kAlpha77, kRaw64, kRaw640, kSoftEdge, kDepth, kDepthAlpha128, kOps };

inline bool IsRaw(Op op) { return op == kRaw64 || op == kRaw640; }
inline bool IsDepth(Op op) { return op == kDepth || op == kDepthAlpha128; }
inline uint8_t AlphaOf(Op op) { return op == kAlpha77 ? 77 : 128; }

// Tolerance of a peer's frame against ours: the largest difference allowed
// in any 5-bit channel of any pixel, and why (0 means bit-exact).
struct Tolerance {
    int steps;
    const char* why;
};

// One peer library drawing onto its own 640 x 480 RGB555 destination.
class Peer {
public:
    virtual ~Peer() = default;
    virtual std::string Name() const = 0;         // column heading, e.g. "SDL2 RLE"
    virtual std::string Description() const = 0;  // version and how it draws
    virtual bool Supports(Op op) const = 0;
    // Makes whatever the operation needs (sprites, images, blend state).
    virtual void Prepare(Op op) = 0;
    // A whole 640 x 480 picture into the destination (not timed).
    virtual void Load(const uint16_t* frame) = 0;
    void Reset(const Scene& sc) { Load(sc.background.data()); }
    // Draw number `i` of one frame of `op` (after Prepare(op)): the scene's
    // placements in order, RawScene's positions, or the one 640 x 480 draw.
    virtual void DrawOne(Op op, int i) = 0;
    // The timed part: every draw of one frame of `op`, in the peer's own loop.
    virtual void Frame(Op op) = 0;
    virtual uint16_t At(int x, int y) const = 0;
    virtual Tolerance Allowed(Op op) const = 0;
};

// Factories (each defined in its peer's file, compiled in when the peer
// library was found); they return null when the library cannot start.
std::unique_ptr<Peer> MakeSdl2Peer(const Scene& scene, const RawScene& raw);
std::unique_ptr<Peer> MakeAllegro4Peer(const Scene& scene, const RawScene& raw);
std::unique_ptr<Peer> MakePixmanPeer(const Scene& scene, const RawScene& raw);

}  // namespace vc15bench
