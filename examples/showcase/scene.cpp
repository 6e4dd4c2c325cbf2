// The four panels of the showcase, animated by the frame number:
//
//   top left      translucent sprites over stripes; the levels cycle and the
//                 overlapping spheres sway
//   top right     depth-sorted spheres: two that intersect, a ring of them
//                 turning in front of and behind a pillar, and translucent
//                 depth-tested ones
//   bottom left   hard and soft sprite edges, with 4x enlargements
//   bottom right  raw tiles and a sprite crossing every edge of a clip
//                 rectangle (outlined), moving across its edges
#include "scene.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace showcase {

namespace {

constexpr uint16_t kKey = 0x7c1f;  // magenta: transparent in sprite sources

uint16_t Rgb(int r, int g, int b) { return static_cast<uint16_t>((r << 10) | (g << 5) | b); }

int Clamp31(double v) { return v < 0 ? 0 : v > 31 ? 31 : static_cast<int>(v); }

// An offset that is 0 at frame 0 and swings by +-amplitude.
int Sway(int frame, double speed, double amplitude) {
    return static_cast<int>(std::lround(std::sin(frame * speed) * amplitude));
}

void Build(int32_t result) {
    if (result != 0) {
        std::fprintf(stderr, "scene: a sprite could not be built\n");
        std::exit(1);
    }
}

// A shaded sphere of radius r in colour (cr, cg, cb), with its depth: samples
// grow from 0 at the nearest point to r at the rim.
struct SphereSprite {
    SphereSprite(int r, int cr, int cg, int cb) {
        const int size = 2 * r + 1;
        std::vector<uint16_t> px(static_cast<size_t>(size) * size, kKey);
        std::vector<uint8_t> z(px.size(), 255);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double dx = x - r, dy = y - r, d2 = dx * dx + dy * dy;
                if (d2 > r * r) continue;
                const double nz = std::sqrt(r * r - d2) / r;
                const double light = 0.25 + 0.75 * std::fmax(0.0, (-dx * 0.5 - dy * 0.6) / r * 0.7 + nz * 0.7);
                px[static_cast<size_t>(y) * size + x] =
                    Rgb(Clamp31(cr * light), Clamp31(cg * light), Clamp31(cb * light));
                z[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>((1.0 - nz) * r);
            }
        Build(spnBuildFromPixels(&color, px.data(), size, size, size, kKey));
        Build(spnBuildDepthFromPixels(&depth, &color, z.data(), size));
    }
    CSpanImage color;
    CSpanImage depth;
};

// A ring with a five-pointed star cut out: a curved silhouette with holes.
void BuildEmblem(CSpanImage& out, int r, uint16_t c1, uint16_t c2) {
    const int size = 2 * r + 1;
    std::vector<uint16_t> px(static_cast<size_t>(size) * size, kKey);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // Integer tests, so that every platform's maths library draws the
            // same emblem. The star's edge is d = r (0.45 + 0.2 cos 5a), with
            // cos 5a = p / d^5 and p the real part of (dx + i dy)^5; times
            // 100 d^5: 100 d^6 - 20 r p <= 45 r d^5.
            const int64_t dx = x - r, dy = y - r, d2 = dx * dx + dy * dy;
            const int64_t p = dx * dx * dx * dx * dx - 10 * dx * dx * dx * dy * dy + 5 * dx * dy * dy * dy * dy;
            const int64_t lhs = 100 * d2 * d2 * d2 - 20 * r * p;
            const int64_t rhs = 45 * r * d2 * d2;
            const bool inStar =
                lhs <= 0 || static_cast<double>(lhs) <= static_cast<double>(rhs) * std::sqrt(static_cast<double>(d2));
            if (d2 <= r * r && 25 * d2 >= 16 * r * r) px[static_cast<size_t>(y) * size + x] = c1;
            if (inStar) px[static_cast<size_t>(y) * size + x] = c2;
        }
    Build(spnBuildFromPixels(&out, px.data(), size, size, size, kKey));
}

void Fill(ICanvas15* c, int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    FillRectDesc d{{r, g, b}, 0, x, y, w, h};
    c->FillRect(&d);
}

void Outline(ICanvas15* c, int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    Fill(c, x, y, w, 1, r, g, b);
    Fill(c, x, y + h - 1, w, 1, r, g, b);
    Fill(c, x, y, 1, h, r, g, b);
    Fill(c, x + w - 1, y, 1, h, r, g, b);
}

void SetClip(ICanvas15* c, int left, int top, int right, int bottom) {
    ClipRect clip{left, top, right, bottom};
    c->SetClipRect(&clip);
}

constexpr int kTile = 48;

}  // namespace

struct Scene::Sprites {
    SphereSprite ball{26, 31, 6, 4}, blue{40, 4, 10, 31}, green{40, 4, 31, 8};
    SphereSprite red{55, 31, 8, 6}, teal{55, 6, 28, 26}, small{17, 31, 26, 6}, glass{34, 28, 28, 31};
    CSpanImage pillar, pillarZ, emblem, clipEmblem;
    // Checkered raw tiles of the clip panel: two colours per tile.
    struct Tile {
        int x, y;
        uint16_t a, b;
        std::vector<uint16_t> px;
    };
    std::vector<Tile> tiles;

    Sprites() {
        std::vector<uint16_t> pillarPx(24 * 210);
        for (int y = 0; y < 210; ++y)
            for (int x = 0; x < 24; ++x) pillarPx[static_cast<size_t>(y) * 24 + x] = Rgb(18 + x / 3, 16 + x / 3, 12);
        const std::vector<uint8_t> pillarDepth(pillarPx.size(), 0);
        Build(spnBuildFromPixels(&pillar, pillarPx.data(), 24, 210, 24, kKey));
        Build(spnBuildDepthFromPixels(&pillarZ, &pillar, pillarDepth.data(), 24));
        BuildEmblem(emblem, 44, Rgb(2, 4, 20), Rgb(31, 20, 0));
        BuildEmblem(clipEmblem, 30, Rgb(31, 31, 31), Rgb(31, 4, 4));
        const int left = 360, top = 275, right = 600, bottom = 445;
        tiles = {
            {left - 20, top - 18, Rgb(31, 10, 10), Rgb(31, 31, 31), {}},     // top-left corner
            {right - 30, top - 25, Rgb(10, 31, 10), Rgb(31, 31, 31), {}},    // top-right corner
            {left - 30, bottom - 20, Rgb(10, 10, 31), Rgb(31, 31, 31), {}},  // bottom-left corner
            {right - 16, bottom - 30, Rgb(31, 31, 0), Rgb(0, 0, 0), {}},     // bottom-right corner
            {455, top - 30, Rgb(0, 31, 31), Rgb(0, 0, 0), {}},               // top edge
            {455, bottom - 10, Rgb(31, 0, 31), Rgb(0, 0, 0), {}},            // bottom edge
            {left - 40, 340, Rgb(31, 16, 0), Rgb(0, 0, 0), {}},              // left edge
            {right - 8, 340, Rgb(16, 31, 16), Rgb(0, 0, 0), {}},             // right edge
            {455, 340, Rgb(31, 31, 31), Rgb(12, 12, 12), {}},                // wholly inside
        };
        for (Tile& t : tiles) {
            t.px.resize(static_cast<size_t>(kTile) * kTile);
            for (int y = 0; y < kTile; ++y)
                for (int x = 0; x < kTile; ++x)
                    t.px[static_cast<size_t>(y) * kTile + x] = ((x / 8 + y / 8) % 2) ? t.a : t.b;
        }
    }
};

Scene::Scene() : sprites_(std::make_unique<Sprites>()) {}
Scene::~Scene() = default;

uint32_t FrameCrc(const uint16_t* pixels) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < static_cast<size_t>(kWidth) * kHeight; ++i) {
        for (int b = 0; b < 2; ++b) {
            crc ^= (pixels[i] >> (8 * b)) & 0xFFu;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

namespace {

bool TranslucentPanel(ICanvas15* c, Scene::Sprites& s, int frame);
bool DepthPanel(ICanvas15* c, Scene::Sprites& s, int frame);
bool SoftEdgePanel(ICanvas15* c, Scene::Sprites& s);
bool ClipPanel(ICanvas15* c, Scene::Sprites& s, int frame);

}  // namespace

bool Scene::Render(ICanvas15* canvas, int frame) {
    return TranslucentPanel(canvas, *sprites_, frame) && DepthPanel(canvas, *sprites_, frame) &&
           SoftEdgePanel(canvas, *sprites_) && ClipPanel(canvas, *sprites_, frame);
}

namespace {

bool TranslucentPanel(ICanvas15* c, Scene::Sprites& s, int frame) {
    for (int i = 0; i < 16; ++i) Fill(c, 0, i * 15, 320, 15, i % 2 ? 230 : 40, i % 2 ? 230 : 40, i % 2 ? 90 : 120);
    // The levels climb by 4 per frame and wrap from 256 to 0.
    const int levels[] = {0, 32, 64, 128, 192, 256};
    bool ok = true;
    for (int i = 0; i < 6; ++i) {
        DrawEffect fx{EFFECT_ALPHA, 0, static_cast<uint16_t>((levels[i] + 4 * frame) % 257), nullptr};
        ok = ok && c->Draw(6 + i * 52, 20, &s.ball.color, &fx) == 0;
    }
    // Overlapping translucent sprites mix with each other too.
    const int dx = Sway(frame, 0.05, 40), dy = Sway(frame, 0.07, 20);
    DrawEffect half{EFFECT_ALPHA, 0, 128, nullptr};
    ok = ok && c->Draw(60 + dx, 110, &s.blue.color, &half) == 0;
    ok = ok && c->Draw(110, 120 + dy, &s.green.color, &half) == 0;
    ok = ok && c->Draw(190 - dx, 100, &s.blue.color, nullptr) == 0;
    DrawEffect quarter{EFFECT_ALPHA, 0, 64, nullptr};
    return ok && c->Draw(220, 130 - dy, &s.green.color, &quarter) == 0;
}

bool DepthPanel(ICanvas15* c, Scene::Sprites& s, int frame) {
    Fill(c, 320, 0, 320, 240, 20, 24, 48);
    // The plane-clearing request: no image, only depth parameters.
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    DrawEffect clearFx{0, 0, 0, &clear};
    bool ok = c->Draw(0, 0, nullptr, &clearFx) == 0;

    // Two spheres that intersect: the depth test draws the seam.
    DepthParams pr{DEPTH_WRITE, 40, &s.red.depth}, pt{DEPTH_WRITE, 48, &s.teal.depth};
    DrawEffect fr{EFFECT_DEPTH, 0, 0, &pr}, ft{EFFECT_DEPTH, 0, 0, &pt};
    ok = ok && c->Draw(335, 15, &s.red.color, &fr) == 0;
    ok = ok && c->Draw(395, 45 + Sway(frame, 0.06, 12), &s.teal.color, &ft) == 0;

    // A pillar at depth 100 and a ring of spheres orbiting it: the lower half
    // of the ring passes in front of the pillar, the upper half behind it.
    DepthParams pp{DEPTH_WRITE, 100, &s.pillarZ};
    DrawEffect fp{EFFECT_DEPTH, 0, 0, &pp};
    ok = ok && c->Draw(560, 15, &s.pillar, &fp) == 0;
    for (int i = 0; i < 12; ++i) {
        const double a = i * 6.2831853 / 12 + 0.2 + frame * 0.03;
        const int cx = 572 + static_cast<int>(std::cos(a) * 50), cy = 120 + static_cast<int>(std::sin(a) * 30);
        DepthParams ps{DEPTH_WRITE, static_cast<uint8_t>(100 - 50 * std::sin(a)), &s.small.depth};
        DrawEffect fs{EFFECT_DEPTH, 0, 0, &ps};
        ok = ok && c->Draw(cx - 17, cy - 17, &s.small.color, &fs) == 0;
    }
    // Translucent spheres: the right one sinks into the red sphere, blended
    // where it is nearer and hidden where the red surface is nearer.
    DepthParams pg{0, 52, &s.glass.depth};
    DrawEffect fg{EFFECT_DEPTH_ALPHA, 0, 140, &pg};
    ok = ok && c->Draw(340, 160, &s.glass.color, &fg) == 0;
    return ok && c->Draw(395 + Sway(frame, 0.04, 20), 80, &s.glass.color, &fg) == 0;
}

// Copies a w x h block of the canvas, enlarged 4 times, into a raw image.
void Enlarge(const uint16_t* pixels, int sx, int sy, int w, int h, std::vector<uint16_t>& out, CRawImage& raw) {
    out.resize(static_cast<size_t>(w) * 4 * h * 4);
    for (int y = 0; y < h * 4; ++y)
        for (int x = 0; x < w * 4; ++x)
            out[static_cast<size_t>(y) * w * 4 + x] = pixels[static_cast<size_t>(sy + y / 4) * kWidth + sx + x / 4];
    raw.width = w * 4;
    raw.height = h * 4;
    raw.pixels = out.data();
}

bool SoftEdgePanel(ICanvas15* c, Scene::Sprites& s) {
    Fill(c, 0, 240, 320, 240, 24, 24, 28);
    Fill(c, 0, 240, 320, 100, 250, 250, 250);
    bool ok = c->Draw(30, 246, &s.emblem, nullptr) == 0;
    DrawEffect soft{EFFECT_SOFT_EDGE, 0, 0, nullptr};
    ok = ok && c->Draw(190, 246, &s.emblem, &soft) == 0;
    // Enlarge the same corner of both so the averaged edge pixels show.
    uint16_t* pixels = nullptr;
    c->GetBuffer(&pixels);
    std::vector<uint16_t> a, b;
    CRawImage hard, smooth;
    Enlarge(pixels, 30 + 50, 246 + 6, 32, 30, a, hard);
    Enlarge(pixels, 190 + 50, 246 + 6, 32, 30, b, smooth);
    ok = ok && c->Draw(20, 344, &hard, nullptr) == 0;
    return ok && c->Draw(172, 344, &smooth, nullptr) == 0;
}

bool ClipPanel(ICanvas15* c, Scene::Sprites& s, int frame) {
    Fill(c, 320, 240, 320, 240, 16, 16, 16);
    const int left = 360, top = 275, right = 600, bottom = 445;
    Fill(c, left, top, right - left, bottom - top, 60, 70, 80);
    Outline(c, left - 1, top - 1, right - left + 2, bottom - top + 2, 255, 255, 255);
    SetClip(c, left, top, right, bottom);
    // The tiles drift in and out across the edges they sit on.
    const int dx = Sway(frame, 0.05, 30), dy = Sway(frame, 0.04, 24);
    bool ok = true;
    for (auto& t : s.tiles) {
        CRawImage raw;
        raw.width = raw.height = kTile;
        raw.pixels = t.px.data();
        ok = ok && c->Draw(t.x + dx, t.y + dy, &raw, nullptr) == 0;
    }
    // A sprite crossing the clip rectangle, translucent and plain.
    DrawEffect alpha{EFFECT_ALPHA, 0, 160, nullptr};
    ok = ok && c->Draw(530 + Sway(frame, 0.03, 60), 395, &s.clipEmblem, &alpha) == 0;
    ok = ok && c->Draw(340, 380 - Sway(frame, 0.035, 120), &s.clipEmblem, nullptr) == 0;
    SetClip(c, 0, 0, kWidth, kHeight);
    return ok;
}

}  // namespace

}  // namespace showcase
