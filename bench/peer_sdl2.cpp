// Peer comparison: the benchmark scene drawn by this library (through its
// public interface) and by SDL2's RLE colour-keyed surfaces on an RGB555
// destination. Our frame must equal the reference model's bit for bit; SDL2
// rounds differently, so its frame is only checked to lie within a few steps
// per channel of ours. Prints Mpix/s, the ratios and the targets.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "bench/scene.h"
#include "tests/reference_model.h"

namespace {

using namespace vc15bench;

enum Mode { kPlain, kAlpha77, kAlpha128, kSoftEdge, kDepth, kDepthAlpha128, kModes };
const char* const kModeName[] = {"plain", "alpha 77", "alpha 128", "soft edge", "depth", "depth+alpha 128"};
bool HasPeer(Mode m) { return m == kPlain || m == kAlpha77 || m == kAlpha128; }
uint8_t LevelOf(Mode m) { return m == kAlpha77 ? 77 : 128; }

// CPU time of this thread: other processes on the machine do not count.
double ThreadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

// Median over rounds of the (thread CPU) time of one frame, each round timing
// frames for about `ms` milliseconds.
double FrameNs(const std::function<void()>& frame, const std::function<void()>& beforeFrame, int rounds, int ms) {
    std::vector<double> per;
    for (int r = 0; r < rounds; ++r) {
        int n = 0;
        double spent = 0;
        while (spent < ms * 1e6) {
            beforeFrame();
            const double t0 = ThreadCpuNs();
            frame();
            spent += ThreadCpuNs() - t0;
            ++n;
        }
        per.push_back(spent / n);
    }
    std::sort(per.begin(), per.end());
    return per[per.size() / 2];
}

struct Ours {
    ICanvas15* canvas = nullptr;
    uint16_t* pixels = nullptr;
    std::vector<DepthParams> params;
    std::vector<DrawEffect> effects;
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    DrawEffect clearEffect{0, 0, 0, &clear};

    explicit Ours(const Scene& sc) {
        canvas = CreateInstance();
        CanvasDesc d{CANVAS_DEPTHPLANE, kCanvasW, kCanvasH};
        canvas->Create(&d);
        canvas->GetBuffer(&pixels);
        params.resize(sc.sprites.size());
        effects.resize(sc.sprites.size());
    }
    ~Ours() { canvas->Release(); }

    void SetMode(const Scene& sc, Mode m) {
        for (size_t i = 0; i < sc.sprites.size(); ++i) {
            params[i] = DepthParams{DEPTH_WRITE, 0, sc.sprites[i].depthSpans.get()};
            DrawEffect& e = effects[i];
            e = DrawEffect{0, 0, 0, &params[i]};
            if (m == kAlpha77 || m == kAlpha128) e.code = EFFECT_ALPHA, e.level = LevelOf(m);
            if (m == kSoftEdge) e.code = EFFECT_SOFT_EDGE;
            if (m == kDepth) e.code = EFFECT_DEPTH;
            if (m == kDepthAlpha128) e.code = EFFECT_DEPTH_ALPHA, e.level = 128;
        }
    }
    void Reset(const Scene& sc, Mode m) {
        std::memcpy(pixels, sc.background.data(), sc.background.size() * 2);
        if (m == kDepth || m == kDepthAlpha128) canvas->Draw(0, 0, nullptr, &clearEffect);
    }
    void Frame(const Scene& sc, Mode m) {
        for (const Placement& p : sc.placed)
            canvas->Draw(p.x, p.y, sc.sprites[p.sprite].spans.get(), m == kPlain ? nullptr : &effects[p.sprite]);
    }
};

struct Peer {
    SDL_Surface* dst = nullptr;
    std::vector<SDL_Surface*> sprites;

    // Surfaces are made per mode: SDL2 2.26 gives wrong colours when the
    // blend mode of an RLE surface changes after it was first blitted.
    Peer(const Scene& sc, Mode m) {
        dst = SDL_CreateRGBSurfaceWithFormat(0, kCanvasW, kCanvasH, 16, SDL_PIXELFORMAT_RGB555);
        for (const Sprite& sp : sc.sprites) {
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, kSpriteSize, kSpriteSize, 16, SDL_PIXELFORMAT_RGB555);
            for (int y = 0; y < kSpriteSize; ++y)
                std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, sp.keyed.data() + y * kSpriteSize,
                            kSpriteSize * 2);
            SDL_SetColorKey(s, SDL_TRUE, kColorKey);
            SDL_SetSurfaceBlendMode(s, m == kPlain ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
            SDL_SetSurfaceAlphaMod(s, m == kPlain ? 255 : LevelOf(m));
            SDL_SetSurfaceRLE(s, 1);
            sprites.push_back(s);
        }
    }
    ~Peer() {
        for (SDL_Surface* s : sprites) SDL_FreeSurface(s);
        SDL_FreeSurface(dst);
    }
    void Reset(const Scene& sc) {
        for (int y = 0; y < kCanvasH; ++y)
            std::memcpy(static_cast<uint8_t*>(dst->pixels) + y * dst->pitch, sc.background.data() + y * kCanvasW,
                        kCanvasW * 2);
    }
    void Frame(const Scene& sc) {
        for (const Placement& p : sc.placed) {
            SDL_Rect r{p.x, p.y, kSpriteSize, kSpriteSize};
            SDL_BlitSurface(sprites[p.sprite], nullptr, dst, &r);
        }
    }
    uint16_t At(int x, int y) const {
        return reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(dst->pixels) + y * dst->pitch)[x];
    }
};

// Our frame against the reference model: number of differing pixels.
long CheckAgainstModel(const Scene& sc, Ours& ours, Mode m) {
    ref::Canvas model;
    model.width = kCanvasW;
    model.height = kCanvasH;
    model.hasDepth = true;
    model.clip = ClipRect{0, 0, kCanvasW, kCanvasH};
    model.pixels = sc.background;
    model.depth.assign(static_cast<size_t>(kCanvasW) * kCanvasH, 255);
    for (const Placement& p : sc.placed)
        ref::Draw(model, p.x, p.y, sc.sprites[p.sprite].spans.get(), m == kPlain ? nullptr : &ours.effects[p.sprite]);
    ours.Reset(sc, m);
    ours.Frame(sc, m);
    long bad = 0;
    for (size_t i = 0; i < model.pixels.size(); ++i) bad += model.pixels[i] != ours.pixels[i];
    return bad;
}

// Largest per-channel difference between SDL2's frame and ours.
int PeerDistance(const Scene& sc, Ours& ours, Peer& peer, Mode m) {
    ours.Reset(sc, m);
    ours.Frame(sc, m);
    peer.Reset(sc);
    peer.Frame(sc);
    int worst = 0;
    long far = 0;
    for (int y = 0; y < kCanvasH; ++y)
        for (int x = 0; x < kCanvasW; ++x) {
            const uint16_t a = ours.pixels[y * kCanvasW + x], b = peer.At(x, y);
            int d = 0;
            for (int shift : {0, 5, 10}) d = std::max(d, std::abs(((a >> shift) & 31) - ((b >> shift) & 31)));
            if (d > 3 && getenv("VC15_PEER_DEBUG") && far < 10)
                std::printf("  (%d,%d) ours %04x SDL2 %04x bg %04x\n", x, y, a, b, sc.background[y * kCanvasW + x]);
            far += d > 3;
            worst = std::max(worst, d);
        }
    if (far && getenv("VC15_PEER_DEBUG")) std::printf("  %ld pixels differ by more than 3 steps\n", far);
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 7, ms = 150;
    const char* jsonPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--quick")) rounds = 3, ms = 60;
        if (!std::strcmp(argv[i], "--json") && i + 1 < argc) jsonPath = argv[++i];
    }
    if (SDL_Init(0) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 2;
    }
    const Scene& sc = GetScene();
    std::printf(
        "scene: %d sprites of %dx%d, %.1f%% opaque, mean run %.1f px, %u crossing the clip edge, "
        "%llu visible opaque pixels per frame on %dx%d\n",
        kSpriteCount, kSpriteSize, kSpriteSize, 100 * sc.opaqueShare, sc.meanRun, sc.crossing,
        static_cast<unsigned long long>(sc.visibleOpaque), kCanvasW, kCanvasH);
    SDL_version v;
    SDL_GetVersion(&v);
    std::printf("peer: SDL %d.%d.%d, RLE colour-keyed RGB555 surfaces\n\n", v.major, v.minor, v.patch);

    Ours ours(sc);
    bool ok = true;
    double oursNs[kModes] = {}, peerNs[kModes] = {};
    long badPixels[kModes] = {};
    int peerDist[kModes] = {};
    std::printf("%-16s %12s %12s %8s %10s %10s\n", "mode", "ours Mpix/s", "SDL2 Mpix/s", "ratio", "model", "SDL2 diff");
    for (int mi = 0; mi < kModes; ++mi) {
        const Mode m = static_cast<Mode>(mi);
        ours.SetMode(sc, m);
        const long bad = CheckAgainstModel(sc, ours, m);
        if (bad) ok = false;
        int dist = -1;
        std::unique_ptr<Peer> peer;
        if (HasPeer(m)) {
            peer = std::make_unique<Peer>(sc, m);
            dist = PeerDistance(sc, ours, *peer, m);
            if (dist > 4) ok = false;
        }
        // The depth modes start each frame from a cleared plane (not timed).
        const bool depth = m == kDepth || m == kDepthAlpha128;
        oursNs[m] = FrameNs([&] { ours.Frame(sc, m); },
                            [&] {
                                if (depth) ours.canvas->Draw(0, 0, nullptr, &ours.clearEffect);
                            },
                            rounds, ms);
        if (HasPeer(m)) peerNs[m] = FrameNs([&] { peer->Frame(sc); }, [] {}, rounds, ms);
        const double px = static_cast<double>(sc.visibleOpaque);
        char peerCol[32] = "-", ratioCol[32] = "-", distCol[32] = "-";
        if (HasPeer(m)) {
            std::snprintf(peerCol, sizeof peerCol, "%.0f", px / peerNs[m] * 1e3);
            std::snprintf(ratioCol, sizeof ratioCol, "%.2fx", peerNs[m] / oursNs[m]);
            std::snprintf(distCol, sizeof distCol, "%d step%s", dist, dist == 1 ? "" : "s");
        }
        badPixels[m] = bad;
        peerDist[m] = dist;
        std::printf("%-16s %12.0f %12s %8s %10s %10s\n", kModeName[m], px / oursNs[m] * 1e3, peerCol, ratioCol,
                    bad ? (std::to_string(bad) + " px").c_str() : "exact", distCol);
    }

    struct Target {
        const char* what;
        double value, goal;
        bool atLeast;
    };
    const Target targets[] = {
        {"plain copy vs SDL2 RLE (>= 2x)", peerNs[kPlain] / oursNs[kPlain], 2.0, true},
        {"alpha 77 vs SDL2 RLE alpha (>= 3x)", peerNs[kAlpha77] / oursNs[kAlpha77], 3.0, true},
        {"alpha 128 vs SDL2 RLE alpha (>= 2x)", peerNs[kAlpha128] / oursNs[kAlpha128], 2.0, true},
        {"soft edge time / plain time (<= 1.3)", oursNs[kSoftEdge] / oursNs[kPlain], 1.3, false},
        {"depth time / plain time (<= 2)", oursNs[kDepth] / oursNs[kPlain], 2.0, false},
        {"depth+alpha time / alpha time, level 128 (<= 2)", oursNs[kDepthAlpha128] / oursNs[kAlpha128], 2.0, false},
    };
    std::printf("\n%-50s %8s %8s  %s\n", "target", "value", "goal", "status");
    for (const Target& t : targets) {
        const bool met = t.atLeast ? t.value >= t.goal : t.value <= t.goal;
        std::printf("%-50s %8.2f %8.2f  %s\n", t.what, t.value, t.goal, met ? "met" : "MISSED");
    }
    if (jsonPath) {
        FILE* f = std::fopen(jsonPath, "w");
        if (!f) {
            std::perror(jsonPath);
            return 2;
        }
        std::fprintf(f, "{\"visible_opaque\": %llu, \"opaque_share\": %.4f, \"mean_run\": %.2f, \"modes\": [\n",
                     static_cast<unsigned long long>(sc.visibleOpaque), sc.opaqueShare, sc.meanRun);
        for (int mi = 0; mi < kModes; ++mi) {
            const double px = static_cast<double>(sc.visibleOpaque);
            std::fprintf(f,
                         "  {\"mode\": \"%s\", \"ours_mpix\": %.1f, \"sdl2_mpix\": %.1f, \"bad_pixels\": %ld, "
                         "\"sdl2_max_step\": %d}%s\n",
                         kModeName[mi], px / oursNs[mi] * 1e3, HasPeer(Mode(mi)) ? px / peerNs[mi] * 1e3 : 0.0,
                         badPixels[mi], peerDist[mi], mi + 1 < kModes ? "," : "");
        }
        std::fprintf(f, "], \"targets\": [\n");
        const size_t nt = sizeof targets / sizeof targets[0];
        for (size_t i = 0; i < nt; ++i)
            std::fprintf(f, "  {\"what\": \"%s\", \"value\": %.3f, \"goal\": %.2f, \"at_least\": %s}%s\n",
                         targets[i].what, targets[i].value, targets[i].goal, targets[i].atLeast ? "true" : "false",
                         i + 1 < nt ? "," : "");
        std::fprintf(f, "]}\n");
        std::fclose(f);
    }
    std::printf("\nframes: ours bit-exact against the reference model and SDL2 within 4 steps per channel: %s\n",
                ok ? "yes" : "NO");
    SDL_Quit();
    return ok ? 0 : 1;
}
