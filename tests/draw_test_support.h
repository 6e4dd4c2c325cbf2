// Test scaffolding for the draw engine: a canvas whose pixel buffer and depth
// plane sit between guard zones, and helpers to build sprites.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "canvas/canvas.h"
#include "core/memory.h"

namespace vc15test {

constexpr size_t kGuard = 64;  // elements on each side
constexpr uint16_t kGuardPixel = 0xA5C3;
constexpr uint8_t kGuardByte = 0x5A;

// A vc15::CCanvas whose buffers belong to the test: the library's blits write
// into them exactly as into buffers made by Create.
class GuardedCanvas {
public:
    GuardedCanvas(int32_t w, int32_t h, bool depth) : width_(w), height_(h) {
        const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
        pixelStore_.assign(n + 2 * kGuard, kGuardPixel);
        canvas.pixels = pixelStore_.data() + kGuard;
        canvas.width = w;
        canvas.height = h;
        canvas.clip = ClipRect{0, 0, w, h};
        if (depth) {
            depthStore_.assign(n + 2 * kGuard, kGuardByte);
            plane_ = new vc15::CDepthPlane;
            plane_->data = depthStore_.data() + kGuard;
            plane_->width = static_cast<uint32_t>(w);
            plane_->height = static_cast<uint32_t>(h);
            std::memset(plane_->data, 255, n);
            canvas.depthPlane = plane_;
        }
    }
    ~GuardedCanvas() {
        // The buffers are the test's: detach them before the destructors run.
        canvas.pixels = nullptr;
        if (plane_) {
            plane_->data = nullptr;
            vc15::DeleteObject(plane_);
        }
        canvas.depthPlane = nullptr;
    }
    GuardedCanvas(const GuardedCanvas&) = delete;
    GuardedCanvas& operator=(const GuardedCanvas&) = delete;

    uint16_t* Pixels() { return canvas.pixels; }
    uint8_t* Depth() { return plane_ ? plane_->data : nullptr; }
    size_t Size() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }
    uint16_t& At(int32_t x, int32_t y) { return canvas.pixels[static_cast<size_t>(y) * width_ + x]; }
    uint8_t& DepthAt(int32_t x, int32_t y) { return plane_->data[static_cast<size_t>(y) * width_ + x]; }
    void Fill(uint16_t v) { std::fill(canvas.pixels, canvas.pixels + Size(), v); }

    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i) {
            if (pixelStore_[i] != kGuardPixel || pixelStore_[pixelStore_.size() - 1 - i] != kGuardPixel) return false;
            if (plane_ && (depthStore_[i] != kGuardByte || depthStore_[depthStore_.size() - 1 - i] != kGuardByte))
                return false;
        }
        return true;
    }

    vc15::CCanvas canvas;

private:
    int32_t width_, height_;
    std::vector<uint16_t> pixelStore_;
    std::vector<uint8_t> depthStore_;
    vc15::CDepthPlane* plane_ = nullptr;
};

// Appends one packed record with 16-bit or 8-bit elements.
inline void AppendRecord(std::vector<uint8_t>& stream, uint16_t x, uint16_t y, const std::vector<uint16_t>& px) {
    const SpanRecord r{x, y, static_cast<uint32_t>(px.size())};
    const size_t at = stream.size();
    stream.resize(at + sizeof r + 2 * px.size());
    std::memcpy(stream.data() + at, &r, sizeof r);
    if (!px.empty()) std::memcpy(stream.data() + at + sizeof r, px.data(), 2 * px.size());
}

inline void AppendRecord(std::vector<uint8_t>& stream, uint16_t x, uint16_t y, const std::vector<uint8_t>& v) {
    const SpanRecord r{x, y, static_cast<uint32_t>(v.size())};
    const size_t at = stream.size();
    stream.resize(at + sizeof r + v.size());
    std::memcpy(stream.data() + at, &r, sizeof r);
    if (!v.empty()) std::memcpy(stream.data() + at + sizeof r, v.data(), v.size());
}

// Gives `image` a copy of the stream (allocated with new[], as Clear expects).
inline void SetSpans(CSpanImage& image, int32_t w, int32_t h, uint32_t count, const std::vector<uint8_t>& stream) {
    image.Clear();
    image.width = w;
    image.height = h;
    image.spanCount = count;
    image.spans = new uint8_t[stream.size() + 1];  // +1: never a zero-size array
    if (!stream.empty()) std::memcpy(image.spans, stream.data(), stream.size());
}

}  // namespace vc15test
