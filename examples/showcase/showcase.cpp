// Showcase: composes one 640 x 480 frame with every drawing effect of the
// canvas and writes it as a PNG. It uses the library only through its public
// header.
//
//   top left      translucent sprites at several levels over stripes
//   top right     depth-sorted spheres: two that intersect, a ring of them
//                 passing in front of and behind a pillar, and a translucent
//                 depth-tested one
//   bottom left   hard and soft sprite edges, with 4x enlargements
//   bottom right  raw images and a sprite crossing every edge of a clip
//                 rectangle (outlined)
//
// Usage: vc15_showcase [output.png]   (default showcase.png; a name ending in
// .bmp writes a 24-bit BMP instead, which builds without libpng can write)
#if VC15_SHOWCASE_PNG
#include <png.h>
#endif

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "VexaCanvas15.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr uint16_t kKey = 0x7c1f;  // magenta: transparent in sprite sources

uint16_t Rgb(int r, int g, int b) { return static_cast<uint16_t>((r << 10) | (g << 5) | b); }

int Clamp31(double v) { return v < 0 ? 0 : v > 31 ? 31 : static_cast<int>(v); }

// A shaded sphere of radius r in colour (cr, cg, cb), with its depth: samples
// grow from 0 at the nearest point to r at the rim.
struct SphereSprite {
    SphereSprite(int r, int cr, int cg, int cb) {
        const int size = 2 * r + 1;
        std::vector<uint16_t> px(static_cast<size_t>(size) * size, kKey);
        std::vector<uint8_t> depth(px.size(), 255);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double dx = x - r, dy = y - r, d2 = dx * dx + dy * dy;
                if (d2 > r * r) continue;
                const double nz = std::sqrt(r * r - d2) / r;
                const double light = 0.25 + 0.75 * std::fmax(0.0, (-dx * 0.5 - dy * 0.6) / r * 0.7 + nz * 0.7);
                px[static_cast<size_t>(y) * size + x] =
                    Rgb(Clamp31(cr * light), Clamp31(cg * light), Clamp31(cb * light));
                depth[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>((1.0 - nz) * r);
            }
        if (spnBuildFromPixels(&color, px.data(), size, size, size, kKey) != 0 ||
            spnBuildDepthFromPixels(&this->depth, &color, depth.data(), size) != 0)
            std::exit(1);
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
    if (spnBuildFromPixels(&out, px.data(), size, size, size, kKey) != 0) std::exit(1);
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

int Check(int32_t result, const char* what) {
    if (result != 0) {
        std::fprintf(stderr, "showcase: %s failed\n", what);
        std::exit(1);
    }
    return 0;
}

void TranslucentPanel(ICanvas15* c) {
    for (int i = 0; i < 16; ++i) Fill(c, 0, i * 15, 320, 15, i % 2 ? 230 : 40, i % 2 ? 230 : 40, i % 2 ? 90 : 120);
    SphereSprite ball(26, 31, 6, 4);
    const uint16_t levels[] = {0, 32, 64, 128, 192, 256};
    for (int i = 0; i < 6; ++i) {
        DrawEffect fx{EFFECT_ALPHA, 0, levels[i], nullptr};
        Check(c->Draw(6 + i * 52, 20, &ball.color, &fx), "alpha draw");
    }
    // Overlapping translucent sprites mix with each other too.
    SphereSprite blue(40, 4, 10, 31), green(40, 4, 31, 8);
    DrawEffect half{EFFECT_ALPHA, 0, 128, nullptr};
    Check(c->Draw(60, 110, &blue.color, &half), "alpha draw");
    Check(c->Draw(110, 120, &green.color, &half), "alpha draw");
    Check(c->Draw(190, 100, &blue.color, nullptr), "plain draw");
    DrawEffect quarter{EFFECT_ALPHA, 0, 64, nullptr};
    Check(c->Draw(220, 130, &green.color, &quarter), "alpha draw");
}

void DepthPanel(ICanvas15* c) {
    Fill(c, 320, 0, 320, 240, 20, 24, 48);
    // The plane-clearing request: no image, only depth parameters.
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    DrawEffect clearFx{0, 0, 0, &clear};
    Check(c->Draw(0, 0, nullptr, &clearFx), "plane clear");

    // Two spheres that intersect: the depth test draws the seam.
    SphereSprite red(55, 31, 8, 6), teal(55, 6, 28, 26);
    DepthParams pr{DEPTH_WRITE, 40, &red.depth}, pt{DEPTH_WRITE, 48, &teal.depth};
    DrawEffect fr{EFFECT_DEPTH, 0, 0, &pr}, ft{EFFECT_DEPTH, 0, 0, &pt};
    Check(c->Draw(335, 15, &red.color, &fr), "depth draw");
    Check(c->Draw(395, 45, &teal.color, &ft), "depth draw");

    // A pillar at depth 100 and a ring of spheres orbiting it: the lower half
    // of the ring passes in front of the pillar, the upper half behind it.
    std::vector<uint16_t> pillarPx(24 * 210);
    for (int y = 0; y < 210; ++y)
        for (int x = 0; x < 24; ++x) pillarPx[static_cast<size_t>(y) * 24 + x] = Rgb(18 + x / 3, 16 + x / 3, 12);
    std::vector<uint8_t> pillarDepth(pillarPx.size(), 0);
    CSpanImage pillar, pillarZ;
    if (spnBuildFromPixels(&pillar, pillarPx.data(), 24, 210, 24, kKey) != 0 ||
        spnBuildDepthFromPixels(&pillarZ, &pillar, pillarDepth.data(), 24) != 0)
        std::exit(1);
    DepthParams pp{DEPTH_WRITE, 100, &pillarZ};
    DrawEffect fp{EFFECT_DEPTH, 0, 0, &pp};
    Check(c->Draw(560, 15, &pillar, &fp), "depth draw");
    SphereSprite small(17, 31, 26, 6);
    for (int i = 0; i < 12; ++i) {
        const double a = i * 6.2831853 / 12 + 0.2;
        const int cx = 572 + static_cast<int>(std::cos(a) * 50), cy = 120 + static_cast<int>(std::sin(a) * 30);
        DepthParams ps{DEPTH_WRITE, static_cast<uint8_t>(100 - 50 * std::sin(a)), &small.depth};
        DrawEffect fs{EFFECT_DEPTH, 0, 0, &ps};
        Check(c->Draw(cx - 17, cy - 17, &small.color, &fs), "depth draw");
    }
    // Translucent spheres: the right one sinks into the red sphere, blended
    // where it is nearer and hidden where the red surface is nearer.
    SphereSprite glass(34, 28, 28, 31);
    DepthParams pg{0, 52, &glass.depth};
    DrawEffect fg{EFFECT_DEPTH_ALPHA, 0, 140, &pg};
    Check(c->Draw(340, 160, &glass.color, &fg), "depth alpha draw");
    Check(c->Draw(395, 80, &glass.color, &fg), "depth alpha draw");
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

void SoftEdgePanel(ICanvas15* c) {
    Fill(c, 0, 240, 320, 240, 24, 24, 28);
    Fill(c, 0, 240, 320, 100, 250, 250, 250);
    CSpanImage emblem;
    BuildEmblem(emblem, 44, Rgb(2, 4, 20), Rgb(31, 20, 0));
    Check(c->Draw(30, 246, &emblem, nullptr), "plain draw");
    DrawEffect soft{EFFECT_SOFT_EDGE, 0, 0, nullptr};
    Check(c->Draw(190, 246, &emblem, &soft), "soft-edge draw");
    // Enlarge the same corner of both so the averaged edge pixels show.
    uint16_t* pixels = nullptr;
    c->GetBuffer(&pixels);
    std::vector<uint16_t> a, b;
    CRawImage hard, smooth;
    Enlarge(pixels, 30 + 50, 246 + 6, 32, 30, a, hard);
    Enlarge(pixels, 190 + 50, 246 + 6, 32, 30, b, smooth);
    Check(c->Draw(20, 344, &hard, nullptr), "raw draw");
    Check(c->Draw(172, 344, &smooth, nullptr), "raw draw");
}

void ClipPanel(ICanvas15* c) {
    Fill(c, 320, 240, 320, 240, 16, 16, 16);
    const int left = 360, top = 275, right = 600, bottom = 445;
    Fill(c, left, top, right - left, bottom - top, 60, 70, 80);
    Outline(c, left - 1, top - 1, right - left + 2, bottom - top + 2, 255, 255, 255);
    // Checkered raw tiles: two colours per tile, different per position.
    std::vector<std::vector<uint16_t>> store;
    const int tile = 48;
    const struct {
        int x, y;
        uint16_t a, b;
    } tiles[] = {
        {left - 20, top - 18, Rgb(31, 10, 10), Rgb(31, 31, 31)},     // top-left corner
        {right - 30, top - 25, Rgb(10, 31, 10), Rgb(31, 31, 31)},    // top-right corner
        {left - 30, bottom - 20, Rgb(10, 10, 31), Rgb(31, 31, 31)},  // bottom-left corner
        {right - 16, bottom - 30, Rgb(31, 31, 0), Rgb(0, 0, 0)},     // bottom-right corner
        {455, top - 30, Rgb(0, 31, 31), Rgb(0, 0, 0)},               // top edge
        {455, bottom - 10, Rgb(31, 0, 31), Rgb(0, 0, 0)},            // bottom edge
        {left - 40, 340, Rgb(31, 16, 0), Rgb(0, 0, 0)},              // left edge
        {right - 8, 340, Rgb(16, 31, 16), Rgb(0, 0, 0)},             // right edge
        {455, 340, Rgb(31, 31, 31), Rgb(12, 12, 12)},                // wholly inside
    };
    SetClip(c, left, top, right, bottom);
    for (const auto& t : tiles) {
        std::vector<uint16_t> px(static_cast<size_t>(tile) * tile);
        for (int y = 0; y < tile; ++y)
            for (int x = 0; x < tile; ++x) px[static_cast<size_t>(y) * tile + x] = ((x / 8 + y / 8) % 2) ? t.a : t.b;
        store.push_back(std::move(px));
        CRawImage raw;
        raw.width = raw.height = tile;
        raw.pixels = store.back().data();
        Check(c->Draw(t.x, t.y, &raw, nullptr), "raw draw");
    }
    // A sprite crossing the clip rectangle, translucent and plain.
    CSpanImage emblem;
    BuildEmblem(emblem, 30, Rgb(31, 31, 31), Rgb(31, 4, 4));
    DrawEffect alpha{EFFECT_ALPHA, 0, 160, nullptr};
    Check(c->Draw(530, 395, &emblem, &alpha), "alpha draw");
    Check(c->Draw(340, 380, &emblem, nullptr), "plain draw");
    SetClip(c, 0, 0, kWidth, kHeight);
}

// Each 5-bit channel widened to 8 bits (31 -> 255).
uint8_t Widen(int v) { return static_cast<uint8_t>(v << 3 | v >> 2); }

// The whole frame as a 24-bit bottom-up BMP.
bool WriteBmp(const char* path, const uint16_t* pixels) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const uint32_t rowBytes = kWidth * 3;  // a multiple of 4 for this width
    const uint32_t imageBytes = rowBytes * kHeight;
    uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, kWidth);
    put32(22, kHeight);
    header[26] = 1;   // planes
    header[28] = 24;  // bits per pixel
    put32(34, imageBytes);
    bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    std::vector<uint8_t> row(rowBytes);
    for (int y = kHeight - 1; ok && y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint16_t p = pixels[static_cast<size_t>(y) * kWidth + x];
            row[x * 3 + 0] = Widen(p & 31);
            row[x * 3 + 1] = Widen((p >> 5) & 31);
            row[x * 3 + 2] = Widen((p >> 10) & 31);
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && ok;
}

// CRC-32 (the zlib polynomial) of the frame's 16-bit pixels in little-endian
// order: the same number on every build that draws the same frame.
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

bool EndsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

#if VC15_SHOWCASE_PNG
// Writes the w x h part of the frame whose top-left pixel is (x0, y0).
bool WritePng(const char* path, const uint16_t* pixels, int x0 = 0, int y0 = 0, int w = kWidth, int h = kHeight) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(w) * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint16_t p = pixels[static_cast<size_t>(y0 + y) * kWidth + x0 + x];
            const int r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
            row[x * 3 + 0] = Widen(r);
            row[x * 3 + 1] = Widen(g);
            row[x * 3 + 2] = Widen(b);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}
#else
bool WritePng(const char*, const uint16_t*, int = 0, int = 0, int = kWidth, int = kHeight) {
    std::fprintf(stderr, "showcase: built without libpng; write a .bmp\n");
    return false;
}
#endif

}  // namespace

// The four panels of the frame, one per kind of drawing, for the host's guide.
struct Panel {
    const char* name;
    int x, y;
};
constexpr Panel kPanels[] = {
    {"alpha", 0, 0}, {"depth", kWidth / 2, 0}, {"soft-edge", 0, kHeight / 2}, {"clipping", kWidth / 2, kHeight / 2}};

// Usage: vc15_showcase [frame.png [panel-directory]]
int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "showcase.png";
    const char* panelDir = argc > 2 ? argv[2] : nullptr;
    ICanvas15* canvas = CreateInstance();
    if (!canvas) return 1;
    CanvasDesc desc{CANVAS_DEPTHPLANE, kWidth, kHeight};
    Check(canvas->Create(&desc), "Create");
    uint16_t* pixels = nullptr;
    canvas->GetBuffer(&pixels);
    if (!pixels || canvas->GetWidth() != kWidth) {
        std::fprintf(stderr, "showcase: no canvas memory\n");
        return 1;
    }

    TranslucentPanel(canvas);
    DepthPanel(canvas);
    SoftEdgePanel(canvas);
    ClipPanel(canvas);

    std::printf("showcase: frame crc32 %08x\n", static_cast<unsigned>(FrameCrc(pixels)));
    bool ok = EndsWith(path, ".bmp") ? WriteBmp(path, pixels) : WritePng(path, pixels);
    for (const Panel& panel : kPanels) {
        if (!panelDir) break;
        const std::string panelPath = std::string(panelDir) + "/" + panel.name + ".png";
        ok = ok && WritePng(panelPath.c_str(), pixels, panel.x, panel.y, kWidth / 2, kHeight / 2);
    }
    canvas->Release();
    if (!ok) {
        std::fprintf(stderr, "showcase: cannot write %s\n", path);
        return 1;
    }
    std::printf("showcase: wrote %s (%d x %d)\n", path, kWidth, kHeight);
    return 0;
}
