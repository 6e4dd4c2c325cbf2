// Test scaffolding for the draw engine: a canvas whose pixel buffer and depth
// plane sit between guard zones, its twin in the reference model, and helpers
// to build sprites.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "canvas/canvas.h"
#include "canvas/draw.h"
#include "core/memory.h"
#include "reference_model.h"

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

inline bool Inside(const ClipRect& c, int32_t x, int32_t y) {
    return x >= c.left && x < c.right && y >= c.top && y < c.bottom;
}

// The model's canvas holding what `c` holds: pixels, depth plane and clip
// rectangle.
inline ref::Canvas ModelOf(const vc15::CCanvas& c) {
    ref::Canvas m;
    m.width = c.width;
    m.height = c.height;
    m.clip = c.clip;
    const size_t n = static_cast<size_t>(c.width) * static_cast<size_t>(c.height);
    m.hasPixels = c.pixels != nullptr;
    m.hasDepth = c.depthPlane && c.depthPlane->data;
    if (m.hasPixels) m.pixels.assign(c.pixels, c.pixels + n);
    if (m.hasDepth) m.depth.assign(c.depthPlane->data, c.depthPlane->data + n);
    return m;
}

// A colour sprite and its depth image.
struct Sprite {
    CSpanImage color, depth;
};

// Appends one packed record: 16-bit pixels or 8-bit depth samples.
template <class T>
void AppendRecord(std::vector<uint8_t>& stream, uint16_t x, uint16_t y, const std::vector<T>& v) {
    const SpanRecord r{x, y, static_cast<uint32_t>(v.size())};
    const size_t at = stream.size();
    stream.resize(at + sizeof r + sizeof(T) * v.size());
    std::memcpy(stream.data() + at, &r, sizeof r);
    if (!v.empty()) std::memcpy(stream.data() + at + sizeof r, v.data(), sizeof(T) * v.size());
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

// A guarded canvas and the model's canvas holding the same pixels, depth and
// clip rectangle: every draw goes to both, then every byte is compared.
struct Twin {
    Twin(int32_t w, int32_t h, bool depth) : lib(w, h, depth), model(ModelOf(lib.canvas)) {}
    void SetClip(const ClipRect& c) { lib.canvas.clip = model.clip = c; }
    // Sets every pixel, then every depth byte, on both, in that order.
    template <class Pixel, class Sample>
    void Fill(Pixel pixel, Sample sample) {
        for (size_t i = 0; i < lib.Size(); ++i) model.pixels[i] = lib.Pixels()[i] = pixel(i);
        for (size_t i = 0; i < model.depth.size(); ++i) model.depth[i] = lib.Depth()[i] = sample(i);
    }
    // The draw on both: "" when the results, every pixel, every depth byte
    // and the guard zones agree, else the first difference.
    std::string Draw(int32_t x, int32_t y, const CImage* image, const DrawEffect* effect, int32_t* result = nullptr) {
        const int32_t want = ref::Draw(model, x, y, image, effect);
        const int32_t got = vc15::DrawDispatch(lib.canvas, x, y, image, effect);
        if (result) *result = got;
        const size_t w = static_cast<size_t>(model.width), n = lib.Size();
        auto first = [n](const auto* a, const auto& b) {  // the first element that differs, or n
            return static_cast<size_t>(std::mismatch(a, a + n, b.begin()).first - a);
        };
        const size_t p = first(lib.Pixels(), model.pixels), d = model.hasDepth ? first(lib.Depth(), model.depth) : n;
        std::ostringstream o;
        if (got != want)
            o << "result " << got << ", model " << want;
        else if (p < n)
            o << "pixel (" << p % w << ", " << p / w << ") " << lib.Pixels()[p] << ", model " << model.pixels[p];
        else if (d < n)
            o << "depth (" << d % w << ", " << d / w << ") " << int{lib.Depth()[d]} << ", model "
              << int{model.depth[d]};
        else if (!lib.GuardsIntact())
            o << "a guard zone was written";
        return o.str();
    }
    GuardedCanvas lib;
    ref::Canvas model;
};

}  // namespace vc15test
