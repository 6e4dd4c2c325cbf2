// SDL2 as a peer: RLE colour-keyed RGB555 surfaces for the sprites (the
// surface alpha modulation for the alpha draws), plain surfaces blitted
// without key or blending for the raw rectangles.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "bench/peers.h"

namespace vc15bench {

namespace {

class Sdl2Peer final : public Peer {
public:
    Sdl2Peer(const Scene& sc, const RawScene& raw) : sc_(sc), raw_(raw) {
        dst_ = SDL_CreateRGBSurfaceWithFormat(0, kCanvasW, kCanvasH, 16, SDL_PIXELFORMAT_RGB555);
        small_ = Surface(raw.small.data(), kSpriteSize, kSpriteSize);
        full_ = Surface(raw.full.data(), kCanvasW, kCanvasH);
    }
    ~Sdl2Peer() override {
        FreeSprites();
        SDL_FreeSurface(small_);
        SDL_FreeSurface(full_);
        SDL_FreeSurface(dst_);
        SDL_Quit();
    }

    std::string Name() const override { return "SDL2 RLE"; }
    std::string Description() const override {
        SDL_version v;
        SDL_GetVersion(&v);
        char s[160];
        std::snprintf(s, sizeof s, "SDL %d.%d.%d: RLE colour-keyed RGB555 surfaces, SDL_BlitSurface", v.major, v.minor,
                      v.patch);
        return s;
    }
    bool Supports(Op op) const override { return op <= kRaw640; }

    // Surfaces are made afresh for each operation: SDL2 2.26 gives wrong
    // colours when the blend mode of an RLE surface changes after it was
    // first blitted.
    void Prepare(Op op) override {
        FreeSprites();
        if (IsRaw(op)) return;
        for (const Sprite& sp : sc_.sprites) {
            SDL_Surface* s = Surface(sp.keyed.data(), kSpriteSize, kSpriteSize);
            SDL_SetColorKey(s, SDL_TRUE, kColorKey);
            SDL_SetSurfaceBlendMode(s, op == kCopy ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
            SDL_SetSurfaceAlphaMod(s, op == kCopy ? 255 : AlphaOf(op));
            SDL_SetSurfaceRLE(s, 1);
            sprites_.push_back(s);
        }
    }
    void Load(const uint16_t* frame) override {
        for (int y = 0; y < kCanvasH; ++y)
            std::memcpy(static_cast<uint8_t*>(dst_->pixels) + y * dst_->pitch, frame + y * kCanvasW, kCanvasW * 2);
    }
    void DrawOne(Op op, int i) override { Draw(op, i); }
    void Frame(Op op) override {
        const int n = op == kRaw640 ? 1 : static_cast<int>(op == kRaw64 ? raw_.at.size() : sc_.placed.size());
        for (int i = 0; i < n; ++i) Draw(op, i);
    }
    uint16_t At(int x, int y) const override {
        return reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(dst_->pixels) + y * dst_->pitch)[x];
    }
    Tolerance Allowed(Op op) const override {
        if (op == kAlpha128)
            return {0,
                    "SDL2's 50% path is floor((s + d) / 2) per channel, and so is our level 128 "
                    "(d + floor((s - d + 64) * 128 / 256) - 32): exact"};
        if (op == kAlpha77)
            return {1,
                    "SDL2 cuts the alpha to 5 bits, d + floor((s - d) * 9 / 32), against our "
                    "d + floor((s - d) * 77 / 256 + 1/4): the floors' arguments differ by -0.35 to 0.85 step, "
                    "so the results by one step at most"};
        return {0, "pixels are moved, not computed: exact"};
    }

private:
    void Draw(Op op, int i) {
        if (op == kRaw640) {
            SDL_Rect r{0, 0, kCanvasW, kCanvasH};
            SDL_BlitSurface(full_, nullptr, dst_, &r);
        } else if (op == kRaw64) {
            SDL_Rect r{raw_.at[i].x, raw_.at[i].y, kSpriteSize, kSpriteSize};
            SDL_BlitSurface(small_, nullptr, dst_, &r);
        } else {
            const Placement& p = sc_.placed[i];
            SDL_Rect r{p.x, p.y, kSpriteSize, kSpriteSize};
            SDL_BlitSurface(sprites_[p.sprite], nullptr, dst_, &r);
        }
    }
    static SDL_Surface* Surface(const uint16_t* px, int w, int h) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB555);
        for (int y = 0; y < h; ++y)
            std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, px + static_cast<size_t>(y) * w,
                        static_cast<size_t>(w) * 2);
        SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
        return s;
    }
    void FreeSprites() {
        for (SDL_Surface* s : sprites_) SDL_FreeSurface(s);
        sprites_.clear();
    }

    const Scene& sc_;
    const RawScene& raw_;
    SDL_Surface* dst_ = nullptr;
    SDL_Surface* small_ = nullptr;
    SDL_Surface* full_ = nullptr;
    std::vector<SDL_Surface*> sprites_;
};

}  // namespace

std::unique_ptr<Peer> MakeSdl2Peer(const Scene& scene, const RawScene& raw) {
    if (SDL_Init(0) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return nullptr;
    }
    return std::make_unique<Sdl2Peer>(scene, raw);
}

}  // namespace vc15bench
