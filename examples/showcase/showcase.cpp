// Showcase: composes one 640 x 480 frame with every drawing effect of the
// canvas (frame 0 of the scene in scene.cpp, which the demo host animates)
// and writes it as a PNG. It uses the library only through its public header.
//
// Usage: vc15_showcase [output.png]   (default showcase.png; a name ending in
// .bmp writes a 24-bit BMP instead, which builds without libpng can write)
#if VC15_SHOWCASE_PNG
#include <png.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "scene.h"

namespace {

using showcase::kHeight;
using showcase::kWidth;

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
    if (canvas->Create(&desc) != 0) return 1;
    uint16_t* pixels = nullptr;
    canvas->GetBuffer(&pixels);
    if (!pixels || canvas->GetWidth() != kWidth) {
        std::fprintf(stderr, "showcase: no canvas memory\n");
        return 1;
    }

    if (!showcase::Scene().Render(canvas, 0)) {
        std::fprintf(stderr, "showcase: a draw call failed\n");
        return 1;
    }

    std::printf("showcase: frame crc32 %08x\n", static_cast<unsigned>(showcase::FrameCrc(pixels)));
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
