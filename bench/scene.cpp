#include "scene.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace vc15bench {

namespace {

constexpr int kDistinct = 16;

// Appends one record and its elements to a byte stream.
template <class T>
void AppendRecord(std::vector<uint8_t>& out, int x, int y, const T* elems, uint32_t count) {
    SpanRecord r;
    r.x = static_cast<uint16_t>(x);
    r.y = static_cast<uint16_t>(y);
    r.count = count;
    const size_t at = out.size();
    out.resize(at + sizeof r + count * sizeof(T));
    std::memcpy(out.data() + at, &r, sizeof r);
    std::memcpy(out.data() + at + sizeof r, elems, count * sizeof(T));
}

std::unique_ptr<CSpanImage> Finish(std::vector<uint8_t>& stream, uint32_t records, int w, int h) {
    auto img = std::make_unique<CSpanImage>();
    img->width = w;
    img->height = h;
    img->spanCount = records;
    img->spans = new uint8_t[stream.size() ? stream.size() : 1];  // released by CSpanImage::Clear
    std::memcpy(img->spans, stream.data(), stream.size());
    return img;
}

template <class Emit>
uint32_t ForEachRun(const uint16_t* keyed, int w, int h, uint16_t key, Emit emit) {
    uint32_t runs = 0;
    for (int y = 0; y < h; ++y) {
        const uint16_t* row = keyed + static_cast<size_t>(y) * w;
        for (int x = 0; x < w;) {
            if (row[x] == key) {
                ++x;
                continue;
            }
            int e = x;
            while (e < w && row[e] != key) ++e;
            emit(x, y, e - x);
            ++runs;
            x = e;
        }
    }
    return runs;
}

}  // namespace

std::unique_ptr<CSpanImage> BuildSpanImage(const uint16_t* keyed, int w, int h, uint16_t key) {
    std::vector<uint8_t> stream;
    const uint32_t n = ForEachRun(keyed, w, h, key, [&](int x, int y, int len) {
        AppendRecord(stream, x, y, keyed + static_cast<size_t>(y) * w + x, static_cast<uint32_t>(len));
    });
    return Finish(stream, n, w, h);
}

std::unique_ptr<CSpanImage> BuildDepthImage(const uint16_t* keyed, const uint8_t* depth, int w, int h, uint16_t key) {
    std::vector<uint8_t> stream;
    const uint32_t n = ForEachRun(keyed, w, h, key, [&](int x, int y, int len) {
        AppendRecord(stream, x, y, depth + static_cast<size_t>(y) * w + x, static_cast<uint32_t>(len));
    });
    return Finish(stream, n, w, h);
}

const Scene& GetScene() {
    static const Scene scene = [] {
        Scene s;
        std::mt19937 rng(20261205u);
        auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        const int S = kSpriteSize;
        uint64_t opaque = 0, runs = 0;
        s.sprites.resize(kDistinct);
        for (int k = 0; k < kDistinct; ++k) {
            Sprite& sp = s.sprites[k];
            sp.keyed.assign(static_cast<size_t>(S) * S, kColorKey);
            sp.depth.assign(static_cast<size_t>(S) * S, 0);
            for (int y = 0; y < S; ++y) {
                // Alternate transparent gaps (mean ~8.5) and opaque runs
                // (mean ~21): about 71% opaque.
                int x = uni(0, 10);
                while (x < S) {
                    const int len = uni(14, 34);
                    for (int i = x; i < x + len && i < S; ++i) {
                        uint16_t p;
                        do {
                            p = static_cast<uint16_t>(uni(0, 0x7FFF));
                        } while (p == kColorKey || p == 0x0040);  // no key values in the picture
                        sp.keyed[static_cast<size_t>(y) * S + i] = p;
                        sp.depth[static_cast<size_t>(y) * S + i] = static_cast<uint8_t>(uni(16, 200));
                    }
                    x += len + uni(5, 15);
                }
            }
            sp.spans = BuildSpanImage(sp.keyed.data(), S, S, kColorKey);
            sp.depthSpans = BuildDepthImage(sp.keyed.data(), sp.depth.data(), S, S, kColorKey);
            sp.runs = sp.spans->spanCount;
            for (uint16_t p : sp.keyed) sp.opaque += p != kColorKey;
            opaque += sp.opaque;
            runs += sp.runs;
        }
        s.opaqueShare = static_cast<double>(opaque) / (static_cast<double>(kDistinct) * S * S);
        s.meanRun = static_cast<double>(opaque) / static_cast<double>(runs);

        // Placement: every fourth sprite crosses an edge of the canvas.
        for (int i = 0; i < kSpriteCount; ++i) {
            Placement p{0, 0, i % kDistinct};
            if (i % 4 == 3) {
                switch (uni(0, 3)) {
                    case 0:
                        p.x = uni(-S + 8, -8), p.y = uni(0, kCanvasH - S);
                        break;
                    case 1:
                        p.x = uni(kCanvasW - S + 8, kCanvasW - 8), p.y = uni(0, kCanvasH - S);
                        break;
                    case 2:
                        p.x = uni(0, kCanvasW - S), p.y = uni(-S + 8, -8);
                        break;
                    default:
                        p.x = uni(0, kCanvasW - S), p.y = uni(kCanvasH - S + 8, kCanvasH - 8);
                        break;
                }
                ++s.crossing;
            } else {
                p.x = uni(1, kCanvasW - S - 1);
                p.y = uni(1, kCanvasH - S - 1);
            }
            s.placed.push_back(p);
            const Sprite& sp = s.sprites[p.sprite];
            for (int y = 0; y < S; ++y)
                for (int x = 0; x < S; ++x) {
                    const int cx = p.x + x, cy = p.y + y;
                    if (cx < 0 || cy < 0 || cx >= kCanvasW || cy >= kCanvasH) continue;
                    s.visibleOpaque += sp.keyed[static_cast<size_t>(y) * S + x] != kColorKey;
                }
        }
        s.background.resize(static_cast<size_t>(kCanvasW) * kCanvasH);
        for (auto& px : s.background) px = static_cast<uint16_t>(uni(0, 0x7FFF));
        return s;
    }();
    return scene;
}

const RawScene& GetRawScene() {
    static const RawScene raw = [] {
        RawScene r;
        std::mt19937 rng(3);
        r.small.resize(static_cast<size_t>(kSpriteSize) * kSpriteSize);
        for (auto& p : r.small) p = static_cast<uint16_t>(rng() & 0x7FFF);
        r.full.resize(static_cast<size_t>(kCanvasW) * kCanvasH);
        for (auto& p : r.full) p = static_cast<uint16_t>(rng() & 0x7FFF);
        for (const Placement& p : GetScene().placed)
            r.at.push_back(
                Placement{std::clamp(p.x, 0, kCanvasW - kSpriteSize), std::clamp(p.y, 0, kCanvasH - kSpriteSize), 0});
        return r;
    }();
    return raw;
}

}  // namespace vc15bench
