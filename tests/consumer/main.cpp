// First frame of a host: create a canvas, fill it, draw a raw image, read
// the pixels back.
#include <VexaCanvas15.h>

#include <cstdio>

int main() {
    ICanvas15* canvas = CreateInstance();
    if (!canvas) return 1;
    CanvasDesc desc = {0, 8, 4};
    FillRectDesc fill = {{0xF8, 0x00, 0x00}, 0, 0, 0, 8, 4};
    uint16_t image[2] = {0x001F, 0x03E0};
    CRawImage raw;
    raw.width = 2;
    raw.height = 1;
    raw.pixels = image;
    uint16_t* px = nullptr;
    int bad = 0;
    bad += canvas->Create(&desc) != 0;
    bad += canvas->FillRect(&fill) != 0;
    bad += canvas->Draw(6, 3, &raw, nullptr) != 0;
    bad += canvas->GetBuffer(&px) != 0 || !px;
    if (px) {
        bad += px[0] != 0x7C00;          // red in 5-5-5
        bad += px[3 * 8 + 6] != 0x001F;  // the image's pixels
        bad += px[3 * 8 + 7] != 0x03E0;
    }
    bad += canvas->Release() != 0;
    std::printf("consumer: %s\n", bad ? "FAILED" : "ok");
    return bad ? 1 : 0;
}
