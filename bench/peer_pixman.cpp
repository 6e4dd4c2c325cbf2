// pixman as a peer, on x1r5g5b5 images over the same memory layout: a sprite
// is its 64 x 64 picture plus the region of its opaque runs, drawn as a
// composite clipped to that region (PIXMAN_OP_SRC for the copy; OVER with a
// solid mask of the level's alpha for the alpha draws); raw rectangles are
// pixman_image_composite32(PIXMAN_OP_SRC, ...) without a clip.
#include <pixman.h>

#include <cstdio>
#include <cstring>

#include "bench/peers.h"

namespace vc15bench {

namespace {

pixman_image_t* Image(const uint16_t* px, int w, int h) {
    // pixman reads the caller's pixels in place; it never writes a source.
    return pixman_image_create_bits(PIXMAN_x1r5g5b5, w, h, reinterpret_cast<uint32_t*>(const_cast<uint16_t*>(px)),
                                    w * 2);
}

class PixmanPeer final : public Peer {
public:
    PixmanPeer(const Scene& sc, const RawScene& raw) : sc_(sc), raw_(raw) {
        pixels_.resize(static_cast<size_t>(kCanvasW) * kCanvasH);
        dst_ = Image(pixels_.data(), kCanvasW, kCanvasH);
        small_ = Image(raw.small.data(), kSpriteSize, kSpriteSize);
        full_ = Image(raw.full.data(), kCanvasW, kCanvasH);
        regions_.reserve(sc.sprites.size());
        for (const Sprite& sp : sc.sprites) {
            sprites_.push_back(Image(sp.keyed.data(), kSpriteSize, kSpriteSize));
            std::vector<pixman_box32_t> boxes;
            for (int y = 0; y < kSpriteSize; ++y) {
                const uint16_t* row = sp.keyed.data() + static_cast<size_t>(y) * kSpriteSize;
                for (int x = 0; x < kSpriteSize;) {
                    if (row[x] == kColorKey) {
                        ++x;
                        continue;
                    }
                    int e = x;
                    while (e < kSpriteSize && row[e] != kColorKey) ++e;
                    boxes.push_back(pixman_box32_t{x, y, e, y + 1});
                    x = e;
                }
            }
            regions_.emplace_back();
            pixman_region32_init_rects(&regions_.back(), boxes.data(), static_cast<int>(boxes.size()));
        }
    }
    ~PixmanPeer() override {
        if (mask_) pixman_image_unref(mask_);
        for (pixman_image_t* s : sprites_) pixman_image_unref(s);
        for (pixman_region32_t& r : regions_) pixman_region32_fini(&r);
        pixman_image_unref(small_);
        pixman_image_unref(full_);
        pixman_image_unref(dst_);
    }

    std::string Name() const override { return "pixman"; }
    std::string Description() const override {
        return std::string("pixman ") + pixman_version_string() +
               ": x1r5g5b5 images; sprites as composites clipped to their runs' region (SRC; OVER with a solid "
               "a8 mask), raw as composite SRC";
    }
    bool Supports(Op op) const override { return op <= kRaw640; }
    void Prepare(Op op) override {
        if (mask_) pixman_image_unref(mask_);
        mask_ = nullptr;
        if (op == kAlpha77 || op == kAlpha128) {
            const uint16_t a = static_cast<uint16_t>(AlphaOf(op) * 257);  // the level as an 8-bit alpha
            const pixman_color_t c{0, 0, 0, a};
            mask_ = pixman_image_create_solid_fill(&c);
        }
    }
    void Load(const uint16_t* frame) override { std::memcpy(pixels_.data(), frame, pixels_.size() * 2); }
    void DrawOne(Op op, int i) override {
        Draw(op, i);
        if (!IsRaw(op)) pixman_image_set_clip_region32(dst_, nullptr);
    }
    void Frame(Op op) override {
        const int n = op == kRaw640 ? 1 : static_cast<int>(op == kRaw64 ? raw_.at.size() : sc_.placed.size());
        for (int i = 0; i < n; ++i) Draw(op, i);
        if (!IsRaw(op)) pixman_image_set_clip_region32(dst_, nullptr);
    }
    uint16_t At(int x, int y) const override { return pixels_[static_cast<size_t>(y) * kCanvasW + x]; }
    Tolerance Allowed(Op op) const override {
        if (op == kAlpha77 || op == kAlpha128)
            return {1,
                    "pixman widens the channels to 8 bits (v * 8 + v / 4), weighs by level/255 with rounding "
                    "and truncates back to 5 bits (>> 3), ours weighs by level/256 in 5 bits with its own "
                    "rounding: the two land one step apart at most"};
        return {0, "pixels are moved, not computed: exact"};
    }

private:
    void Draw(Op op, int i) {
        if (op == kRaw640) {
            pixman_image_composite32(PIXMAN_OP_SRC, full_, nullptr, dst_, 0, 0, 0, 0, 0, 0, kCanvasW, kCanvasH);
        } else if (op == kRaw64) {
            const Placement& p = raw_.at[i];
            pixman_image_composite32(PIXMAN_OP_SRC, small_, nullptr, dst_, 0, 0, 0, 0, p.x, p.y, kSpriteSize,
                                     kSpriteSize);
        } else {
            // The sprite's region, moved to the draw's place, clips the
            // composite of its whole box.
            const Placement& p = sc_.placed[i];
            pixman_region32_t& r = regions_[p.sprite];
            pixman_region32_translate(&r, p.x, p.y);
            pixman_image_set_clip_region32(dst_, &r);
            pixman_region32_translate(&r, -p.x, -p.y);
            pixman_image_composite32(op == kCopy ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, sprites_[p.sprite], mask_, dst_, 0,
                                     0, 0, 0, p.x, p.y, kSpriteSize, kSpriteSize);
        }
    }

    const Scene& sc_;
    const RawScene& raw_;
    std::vector<uint16_t> pixels_;
    pixman_image_t* dst_ = nullptr;
    pixman_image_t* small_ = nullptr;
    pixman_image_t* full_ = nullptr;
    pixman_image_t* mask_ = nullptr;
    std::vector<pixman_image_t*> sprites_;
    std::vector<pixman_region32_t> regions_;
};

}  // namespace

std::unique_ptr<Peer> MakePixmanPeer(const Scene& scene, const RawScene& raw) {
    return std::make_unique<PixmanPeer>(scene, raw);
}

}  // namespace vc15bench
