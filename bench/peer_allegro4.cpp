// Allegro 4 as a peer, without a display (SYSTEM_NONE): 15-bit memory
// bitmaps, RLE sprites made from keyed bitmaps (Allegro's 15-bit mask colour
// is the scene's key, 0x7C1F), draw_rle_sprite for the copy,
// draw_trans_rle_sprite with set_trans_blender for the alpha draws, blit for
// the raw rectangles.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/peers.h"

namespace vc15bench {

namespace {

BITMAP* Bitmap(const uint16_t* px, int w, int h) {
    BITMAP* b = create_bitmap_ex(15, w, h);
    for (int y = 0; y < h; ++y) std::memcpy(b->line[y], px + static_cast<size_t>(y) * w, static_cast<size_t>(w) * 2);
    return b;
}

class Allegro4Peer final : public Peer {
public:
    Allegro4Peer(const Scene& sc, const RawScene& raw) : sc_(sc), raw_(raw) {
        dst_ = create_bitmap_ex(15, kCanvasW, kCanvasH);
        small_ = Bitmap(raw.small.data(), kSpriteSize, kSpriteSize);
        full_ = Bitmap(raw.full.data(), kCanvasW, kCanvasH);
        for (const Sprite& sp : sc.sprites) {
            BITMAP* b = Bitmap(sp.keyed.data(), kSpriteSize, kSpriteSize);
            sprites_.push_back(get_rle_sprite(b));
            destroy_bitmap(b);
        }
    }
    ~Allegro4Peer() override {
        for (RLE_SPRITE* s : sprites_) destroy_rle_sprite(s);
        destroy_bitmap(small_);
        destroy_bitmap(full_);
        destroy_bitmap(dst_);
        allegro_exit();
    }

    std::string Name() const override { return "Allegro 4 RLE"; }
    std::string Description() const override {
        return std::string(allegro_id) +
               ": 15-bit memory bitmaps, RLE sprites (draw_rle_sprite, draw_trans_rle_sprite), blit";
    }
    bool Supports(Op op) const override { return op <= kRaw640; }
    void Prepare(Op op) override {
        if (op == kAlpha77 || op == kAlpha128) set_trans_blender(0, 0, 0, AlphaOf(op));
    }
    void Load(const uint16_t* frame) override {
        for (int y = 0; y < kCanvasH; ++y)
            std::memcpy(dst_->line[y], frame + static_cast<size_t>(y) * kCanvasW, kCanvasW * 2);
    }
    void DrawOne(Op op, int i) override {
        const Placement& p = IsRaw(op) ? raw_.at[i] : sc_.placed[i];
        switch (op) {
            case kCopy:
                draw_rle_sprite(dst_, sprites_[p.sprite], p.x, p.y);
                break;
            case kAlpha77:
            case kAlpha128:
                draw_trans_rle_sprite(dst_, sprites_[p.sprite], p.x, p.y);
                break;
            case kRaw64:
                blit(small_, dst_, 0, 0, p.x, p.y, kSpriteSize, kSpriteSize);
                break;
            case kRaw640:
                blit(full_, dst_, 0, 0, 0, 0, kCanvasW, kCanvasH);
                break;
            default:
                break;
        }
    }
    void Frame(Op op) override {
        switch (op) {
            case kCopy:
                for (const Placement& p : sc_.placed) draw_rle_sprite(dst_, sprites_[p.sprite], p.x, p.y);
                break;
            case kAlpha77:
            case kAlpha128:
                for (const Placement& p : sc_.placed) draw_trans_rle_sprite(dst_, sprites_[p.sprite], p.x, p.y);
                break;
            case kRaw64:
                for (const Placement& p : raw_.at) blit(small_, dst_, 0, 0, p.x, p.y, kSpriteSize, kSpriteSize);
                break;
            case kRaw640:
                blit(full_, dst_, 0, 0, 0, 0, kCanvasW, kCanvasH);
                break;
            default:
                break;
        }
    }
    uint16_t At(int x, int y) const override { return reinterpret_cast<const uint16_t*>(dst_->line[y])[x]; }
    Tolerance Allowed(Op op) const override {
        if (op == kAlpha128)
            return {0,
                    "the 15-bit blender takes (128 + 1) / 8 = 16/32 and truncates: floor((s + d) / 2) per "
                    "channel, which is our level 128 too: exact"};
        if (op == kAlpha77)
            return {1,
                    "the 15-bit blender takes (77 + 1) / 8 = 9/32, d + floor((s - d) * 9 / 32), against our "
                    "d + floor((s - d) * 77 / 256 + 1/4): the floors' arguments differ by -0.35 to 0.85 step, "
                    "so the results by one step at most"};
        return {0, "pixels are moved, not computed: exact"};
    }

private:
    const Scene& sc_;
    const RawScene& raw_;
    BITMAP* dst_ = nullptr;
    BITMAP* small_ = nullptr;
    BITMAP* full_ = nullptr;
    std::vector<RLE_SPRITE*> sprites_;
};

}  // namespace

std::unique_ptr<Peer> MakeAllegro4Peer(const Scene& scene, const RawScene& raw) {
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) {
        std::fprintf(stderr, "install_allegro: %s\n", allegro_error);
        return nullptr;
    }
    return std::make_unique<Allegro4Peer>(scene, raw);
}

}  // namespace vc15bench
