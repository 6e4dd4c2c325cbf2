// SDL2 output (Linux): a window and a streaming texture in the window's own
// depth (RGB565 on a 16-bit screen, XRGB8888 otherwise), filled by
// vcCopyToBuffer. The screenshot reads the window's pixels back from the X
// server.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

#include "demo.h"
#include "scene.h"

namespace demo {

namespace {

class SdlOutput final : public Output {
public:
    ~SdlOutput() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    bool Open(const Options& o) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail("SDL_Init");
        // The screenshot check wants the texture's bytes on the screen
        // unchanged: the software renderer copies them as they are.
        if (!o.screenshot.empty()) SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        window_ = SDL_CreateWindow("VexaCanvas15 demo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   showcase::kWidth, showcase::kHeight, o.exclusive ? SDL_WINDOW_FULLSCREEN : 0);
        if (!window_) return Fail("SDL_CreateWindow");
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) return Fail("SDL_CreateRenderer");
        const bool sixteen = SDL_BITSPERPIXEL(SDL_GetWindowPixelFormat(window_)) == 16;
        format_ = sixteen ? VC15_FORMAT_RGB565 : VC15_FORMAT_XRGB8888;
        texture_ = SDL_CreateTexture(renderer_, sixteen ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888,
                                     SDL_TEXTUREACCESS_STREAMING, showcase::kWidth, showcase::kHeight);
        if (!texture_) return Fail("SDL_CreateTexture");
        SDL_RendererInfo info;
        SDL_GetRendererInfo(renderer_, &info);
        std::snprintf(describe_, sizeof describe_, "SDL2 %s window, %s renderer, %s texture",
                      o.exclusive ? "full-screen" : "windowed", info.name, sixteen ? "RGB565" : "XRGB8888");
        return true;
    }

    const char* Describe() const override { return describe_; }

    bool Present(ICanvas15* canvas) override {
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) return false;
        const int32_t r = vcCopyToBuffer(canvas, pixels, pitch, format_);
        SDL_UnlockTexture(texture_);
        if (r != 0) return false;
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        return true;
    }

    bool Pump() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) return false;
            if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE) return false;
        }
        return true;
    }

    bool Read(Grab& g) override {
        SDL_SysWMinfo wm;
        SDL_VERSION(&wm.version);
        if (!SDL_GetWindowWMInfo(window_, &wm) || wm.subsystem != SDL_SYSWM_X11) return false;
        Display* display = wm.info.x11.display;
        XSync(display, False);
        XImage* image =
            XGetImage(display, wm.info.x11.window, 0, 0, showcase::kWidth, showcase::kHeight, AllPlanes, ZPixmap);
        if (!image) return false;
        g.width = showcase::kWidth;
        g.height = showcase::kHeight;
        g.pixels.resize(static_cast<size_t>(g.width) * g.height);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                const auto v = static_cast<uint32_t>(XGetPixel(image, x, y));
                g.pixels[static_cast<size_t>(y) * g.width + x] =
                    Channel(v, static_cast<uint32_t>(image->red_mask), g.rBits) << 16 |
                    Channel(v, static_cast<uint32_t>(image->green_mask), g.gBits) << 8 |
                    Channel(v, static_cast<uint32_t>(image->blue_mask), g.bBits);
            }
        XDestroyImage(image);
        return true;
    }

private:
    bool Fail(const char* what) {
        std::fprintf(stderr, "demo: %s failed: %s\n", what, SDL_GetError());
        return false;
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    uint32_t format_ = VC15_FORMAT_XRGB8888;
    char describe_[128] = "SDL2";
};

}  // namespace

std::unique_ptr<Output> MakeSdlOutput(const Options& options) {
    auto out = std::make_unique<SdlOutput>();
    if (!out->Open(options)) return nullptr;
    return out;
}

}  // namespace demo
