// Peer comparison: the same frames drawn by this library (through its public
// interface) and by every peer a user would pick for it (SDL2, Allegro 4,
// pixman: see peers.h), next to one memcpy of the same bytes.
//
// Checks, before any timing: our frame equals the reference model's bit for
// bit, and every peer's frame lies within that peer's own rounding of ours
// (each peer states its tolerance per operation; moved pixels must be exact).
// Any mismatch makes the program fail.
//
// Timing: thread CPU time per frame; in every round each participant of an
// operation is timed in turn (ours, the peers, memcpy), so that they share
// the machine's state; the table shows the medians over the rounds.
//
//   vc15_peer_compare [--quick] [--rounds N] [--json FILE]
//   vc15_peer_compare --profile OP WHO FRAMES
// The second form only draws FRAMES frames of one operation (OP: its index
// in kOpName) by one participant (WHO: "ours" or a peer's index), for
// valgrind --tool=callgrind and other profilers.
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
#include "bench/peers.h"
#include "bench/scene.h"
#include "tests/reference_model.h"

namespace {

using namespace vc15bench;

const char* const kOpName[] = {"span copy",   "alpha 128", "alpha 77", "raw 64x64",
                               "raw 640x480", "soft edge", "depth",    "depth+alpha 128"};

// ---- Timing ---------------------------------------------------------------------

// CPU time of this thread: other processes on the machine do not count.
double ThreadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

// Mean time of one frame over about `ms` milliseconds of frames.
double RoundNs(const std::function<void()>& frame, const std::function<void()>& beforeFrame, int ms) {
    int n = 0;
    double spent = 0;
    while (spent < ms * 1e6) {
        beforeFrame();
        const double t0 = ThreadCpuNs();
        frame();
        spent += ThreadCpuNs() - t0;
        ++n;
    }
    return spent / n;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// ---- Our side -------------------------------------------------------------------

struct Ours {
    const Scene& sc;
    const RawScene& raw;
    ICanvas15* canvas = nullptr;
    uint16_t* pixels = nullptr;
    std::vector<DepthParams> params;
    std::vector<DrawEffect> effects;
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    DrawEffect clearEffect{0, 0, 0, &clear};
    CRawImage small, full;

    Ours(const Scene& s, const RawScene& r) : sc(s), raw(r) {
        canvas = CreateInstance();
        CanvasDesc d{CANVAS_DEPTHPLANE, kCanvasW, kCanvasH};
        canvas->Create(&d);
        canvas->GetBuffer(&pixels);
        params.resize(sc.sprites.size());
        effects.resize(sc.sprites.size());
        small.width = small.height = kSpriteSize;
        small.pixels = const_cast<uint16_t*>(raw.small.data());
        full.width = kCanvasW;
        full.height = kCanvasH;
        full.pixels = const_cast<uint16_t*>(raw.full.data());
    }
    ~Ours() {
        small.pixels = full.pixels = nullptr;
        canvas->Release();
    }

    const DrawEffect* Effect(Op op, int sprite) const { return op == kCopy ? nullptr : &effects[sprite]; }
    void Prepare(Op op) {
        for (size_t i = 0; i < sc.sprites.size(); ++i) {
            params[i] = DepthParams{DEPTH_WRITE, 0, sc.sprites[i].depthSpans.get()};
            DrawEffect& e = effects[i];
            e = DrawEffect{0, 0, 0, &params[i]};
            if (op == kAlpha77 || op == kAlpha128) e.code = EFFECT_ALPHA, e.level = AlphaOf(op);
            if (op == kSoftEdge) e.code = EFFECT_SOFT_EDGE;
            if (op == kDepth) e.code = EFFECT_DEPTH;
            if (op == kDepthAlpha128) e.code = EFFECT_DEPTH_ALPHA, e.level = 128;
        }
    }
    // The depth operations start each frame from a cleared plane.
    void BeforeFrame(Op op) {
        if (IsDepth(op)) canvas->Draw(0, 0, nullptr, &clearEffect);
    }
    void Reset(Op op) {
        std::memcpy(pixels, sc.background.data(), sc.background.size() * 2);
        BeforeFrame(op);
    }
    void DrawOne(Op op, int i) {
        if (op == kRaw64)
            canvas->Draw(raw.at[i].x, raw.at[i].y, &small, nullptr);
        else if (op == kRaw640)
            canvas->Draw(0, 0, &full, nullptr);
        else
            canvas->Draw(sc.placed[i].x, sc.placed[i].y, sc.sprites[sc.placed[i].sprite].spans.get(),
                         Effect(op, sc.placed[i].sprite));
    }
    int Draws(Op op) const {
        return op == kRaw640 ? 1 : static_cast<int>(op == kRaw64 ? raw.at.size() : sc.placed.size());
    }
    void Frame(Op op) {
        if (op == kRaw64) {
            for (const Placement& p : raw.at) canvas->Draw(p.x, p.y, &small, nullptr);
        } else if (op == kRaw640) {
            canvas->Draw(0, 0, &full, nullptr);
        } else {
            for (const Placement& p : sc.placed)
                canvas->Draw(p.x, p.y, sc.sprites[p.sprite].spans.get(), Effect(op, p.sprite));
        }
    }
    // Pixels one frame draws (the rate's numerator).
    double Pixels(Op op) const {
        if (op == kRaw64) return static_cast<double>(kSpriteSize) * kSpriteSize * static_cast<double>(raw.at.size());
        if (op == kRaw640) return static_cast<double>(kCanvasW) * kCanvasH;
        return static_cast<double>(sc.visibleOpaque);
    }
};

// Our frame against the reference model: number of differing pixels.
long CheckAgainstModel(Ours& ours, Op op) {
    ref::Canvas model;
    model.width = kCanvasW;
    model.height = kCanvasH;
    model.hasDepth = true;
    model.clip = ClipRect{0, 0, kCanvasW, kCanvasH};
    model.pixels = ours.sc.background;
    model.depth.assign(static_cast<size_t>(kCanvasW) * kCanvasH, 255);
    if (op == kRaw64) {
        for (const Placement& p : ours.raw.at) ref::Draw(model, p.x, p.y, &ours.small, nullptr);
    } else if (op == kRaw640) {
        ref::Draw(model, 0, 0, &ours.full, nullptr);
    } else {
        for (const Placement& p : ours.sc.placed)
            ref::Draw(model, p.x, p.y, ours.sc.sprites[p.sprite].spans.get(), ours.Effect(op, p.sprite));
    }
    ours.Reset(op);
    ours.Frame(op);
    long bad = 0;
    for (size_t i = 0; i < model.pixels.size(); ++i) bad += model.pixels[i] != ours.pixels[i];
    return bad;
}

// ---- Peers against ours ---------------------------------------------------------

struct Check {
    int maxStep = 0;    // largest channel difference of one draw
    int frameStep = 0;  // largest channel difference of the whole frame
    long over = 0;      // pixels beyond the tolerance
    Tolerance allowed{0, ""};
};

// Largest difference of the 5-bit channels; the unused top bit must match.
int Distance(uint16_t a, uint16_t b) {
    int d = (a ^ b) & 0x8000 ? 32 : 0;
    for (int shift : {0, 5, 10}) d = std::max(d, std::abs(((a >> shift) & 31) - ((b >> shift) & 31)));
    return d;
}

// Two checks. Draw by draw: the peer starts every draw from our canvas as it
// is, and the draw's box must lie within the peer's tolerance of ours (a
// blend's rounding difference would otherwise add up over the scene's
// overlapping sprites, and a looser bound would hide real faults). Whole
// frame: both draw the frame from the background; where the peer must be
// exact, every pixel of the canvas must be (a draw outside its box shows
// here).
Check PeerAgainstOurs(Ours& ours, Peer& peer, Op op) {
    Check c;
    c.allowed = peer.Allowed(op);
    const bool debug = std::getenv("VC15_PEER_DEBUG") != nullptr;
    auto note = [&](int x, int y, uint16_t a, uint16_t b, uint16_t under) {
        if (debug && c.over < 10)
            std::printf("  %s %s (%d,%d): ours %04x, peer %04x, under %04x\n", peer.Name().c_str(), kOpName[op], x, y,
                        a, b, under);
        ++c.over;
    };
    ours.Reset(op);
    std::vector<uint16_t> before(static_cast<size_t>(kCanvasW) * kCanvasH);
    for (int i = 0; i < ours.Draws(op); ++i) {
        std::memcpy(before.data(), ours.pixels, before.size() * 2);
        peer.Load(ours.pixels);
        ours.DrawOne(op, i);
        peer.DrawOne(op, i);
        const Placement p = op == kRaw640 ? Placement{0, 0, 0} : op == kRaw64 ? ours.raw.at[i] : ours.sc.placed[i];
        const int w = op == kRaw640 ? kCanvasW : kSpriteSize, h = op == kRaw640 ? kCanvasH : kSpriteSize;
        for (int y = std::max(0, p.y); y < std::min(kCanvasH, p.y + h); ++y)
            for (int x = std::max(0, p.x); x < std::min(kCanvasW, p.x + w); ++x) {
                const size_t at = static_cast<size_t>(y) * kCanvasW + x;
                const int d = Distance(ours.pixels[at], peer.At(x, y));
                c.maxStep = std::max(c.maxStep, d);
                if (d > c.allowed.steps) note(x, y, ours.pixels[at], peer.At(x, y), before[at]);
            }
    }
    ours.Reset(op);
    ours.Frame(op);
    peer.Reset(ours.sc);
    peer.Frame(op);
    for (int y = 0; y < kCanvasH; ++y)
        for (int x = 0; x < kCanvasW; ++x) {
            const uint16_t a = ours.pixels[static_cast<size_t>(y) * kCanvasW + x], b = peer.At(x, y);
            const int d = Distance(a, b);
            c.frameStep = std::max(c.frameStep, d);
            if (c.allowed.steps == 0 && d > 0)
                note(x, y, a, b, ours.sc.background[static_cast<size_t>(y) * kCanvasW + x]);
        }
    return c;
}

// ---- Peers compiled in ------------------------------------------------------------

using Factory = std::unique_ptr<Peer> (*)(const Scene&, const RawScene&);
struct PeerSlot {
    const char* column;
    Factory make;  // null when the peer library was not found at build time
};
const PeerSlot kPeers[] = {
#ifdef VC15_PEER_SDL2
    {"SDL2 RLE", MakeSdl2Peer},
#else
    {"SDL2 RLE", nullptr},
#endif
#ifdef VC15_PEER_ALLEGRO4
    {"Allegro 4 RLE", MakeAllegro4Peer},
#else
    {"Allegro 4 RLE", nullptr},
#endif
#ifdef VC15_PEER_PIXMAN
    {"pixman", MakePixmanPeer},
#else
    {"pixman", nullptr},
#endif
};
constexpr int kPeerCount = static_cast<int>(sizeof kPeers / sizeof kPeers[0]);
enum { kSdl2 = 0, kAllegro4 = 1, kPixman = 2 };

struct Result {
    double oursMpix = 0, memcpyMpix = 0;
    double vsOwn = 0;                  // effects: speed over our own base draw, in the same rounds
    double peerMpix[kPeerCount] = {};  // 0: not drawn by that peer
    long oursBad = 0;
    bool checked[kPeerCount] = {};
    Check check[kPeerCount];
};

std::string Cell(double mpix) {
    if (mpix <= 0) return "-";
    char s[32];
    std::snprintf(s, sizeof s, "%.0f", mpix);
    return s;
}

std::string Ratio(double ours, double other) {
    if (other <= 0) return "-";
    char s[32];
    std::snprintf(s, sizeof s, "%.2fx", ours / other);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 15, ms = 40;
    const char* jsonPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--quick")) rounds = 5, ms = 20;
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        if (!std::strcmp(argv[i], "--json") && i + 1 < argc) jsonPath = argv[++i];
    }
    const Scene& sc = GetScene();
    const RawScene& raw = GetRawScene();
    if (argc == 5 && !std::strcmp(argv[1], "--profile")) {
        const int op = std::atoi(argv[2]), frames = std::atoi(argv[4]);
        if (op < 0 || op >= kOps) return 2;
        if (!std::strcmp(argv[3], "ours")) {
            Ours ours(sc, raw);
            ours.Prepare(static_cast<Op>(op));
            ours.Reset(static_cast<Op>(op));
            for (int f = 0; f < frames; ++f) {
                ours.BeforeFrame(static_cast<Op>(op));
                ours.Frame(static_cast<Op>(op));
            }
            return 0;
        }
        const int k = std::atoi(argv[3]);
        if (k < 0 || k >= kPeerCount || !kPeers[k].make) return 2;
        std::unique_ptr<Peer> peer = kPeers[k].make(sc, raw);
        if (!peer || !peer->Supports(static_cast<Op>(op))) return 2;
        peer->Prepare(static_cast<Op>(op));
        peer->Reset(sc);
        for (int f = 0; f < frames; ++f) peer->Frame(static_cast<Op>(op));
        return 0;
    }
    std::printf(
        "scene: %d sprites of %dx%d, %.1f%% opaque, mean run %.1f px, %u crossing the clip edge, "
        "%llu visible opaque pixels per frame on %dx%d RGB555\n",
        kSpriteCount, kSpriteSize, kSpriteSize, 100 * sc.opaqueShare, sc.meanRun, sc.crossing,
        static_cast<unsigned long long>(sc.visibleOpaque), kCanvasW, kCanvasH);
    std::printf("raw: a 64x64 picture at the scene's %zu positions held inside the canvas; a 640x480 picture once\n",
                raw.at.size());

    std::unique_ptr<Peer> peers[kPeerCount];
    bool ok = true;
    for (int k = 0; k < kPeerCount; ++k) {
        if (kPeers[k].make) peers[k] = kPeers[k].make(sc, raw);
        if (peers[k]) {
            std::printf("peer %-14s %s\n", kPeers[k].column, peers[k]->Description().c_str());
        } else {
            std::printf("peer %-14s NOT AVAILABLE (%s)\n", kPeers[k].column,
                        kPeers[k].make ? "failed to start" : "library not found at build time");
            ok = false;
        }
    }
    std::printf("timing: thread CPU time, %d rounds of %d ms per participant in alternation, medians\n\n", rounds, ms);

    Ours ours(sc, raw);
    Result res[kOps];
    // memcpy of the same bytes: one call over the frame's drawn pixels.
    std::vector<uint16_t> mcSrc(static_cast<size_t>(kCanvasW) * kCanvasH * 4), mcDst(mcSrc.size());
    for (size_t i = 0; i < mcSrc.size(); ++i) mcSrc[i] = static_cast<uint16_t>(i * 2654435761u >> 17);
    volatile uint16_t sink = 0;

    for (int oi = 0; oi < kOps; ++oi) {
        const Op op = static_cast<Op>(oi);
        Result& r = res[op];
        ours.Prepare(op);
        r.oursBad = CheckAgainstModel(ours, op);
        if (r.oursBad) ok = false;
        for (int k = 0; k < kPeerCount; ++k) {
            if (!peers[k] || !peers[k]->Supports(op)) continue;
            peers[k]->Prepare(op);
            r.check[k] = PeerAgainstOurs(ours, *peers[k], op);
            r.checked[k] = true;
            if (r.check[k].over) ok = false;
        }
        const size_t mcBytes = static_cast<size_t>(ours.Pixels(op)) * 2;
        // Our effects are timed against our own base draw (the span copy, or
        // alpha 128 for depth+alpha) on a second canvas in the same rounds:
        // the load of a shared machine changes between operations.
        const bool effect = op == kSoftEdge || op == kDepth || op == kDepthAlpha128;
        const Op baseOp = op == kDepthAlpha128 ? kAlpha128 : kCopy;
        Ours base(sc, raw);
        base.Prepare(baseOp);
        base.Reset(baseOp);
        std::vector<double> oursNs, mcNs, peerNs[kPeerCount], vsOwn;
        for (int round = 0; round < rounds; ++round) {
            oursNs.push_back(RoundNs([&] { ours.Frame(op); }, [&] { ours.BeforeFrame(op); }, ms));
            if (effect) vsOwn.push_back(RoundNs([&] { base.Frame(baseOp); }, [] {}, ms) / oursNs.back());
            for (int k = 0; k < kPeerCount; ++k)
                if (r.checked[k]) peerNs[k].push_back(RoundNs([&] { peers[k]->Frame(op); }, [] {}, ms));
            mcNs.push_back(RoundNs(
                [&] {
                    std::memcpy(mcDst.data(), mcSrc.data(), mcBytes);
                    sink = mcDst[mcBytes / 4];
                },
                [] {}, ms));
        }
        const double px = ours.Pixels(op);
        r.oursMpix = px / Median(oursNs) * 1e3;
        r.vsOwn = Median(vsOwn);
        r.memcpyMpix = px / Median(mcNs) * 1e3;
        for (int k = 0; k < kPeerCount; ++k)
            if (r.checked[k]) r.peerMpix[k] = px / Median(peerNs[k]) * 1e3;
    }
    (void)sink;

    // ---- Table ----
    std::printf("%-16s %9s", "Mpix/s", "ours");
    for (const PeerSlot& p : kPeers) std::printf(" %14s", p.column);
    std::printf(" %12s\n", "memcpy");
    for (int op = 0; op < kOps; ++op) {
        std::printf("%-16s %9s", kOpName[op], Cell(res[op].oursMpix).c_str());
        for (int k = 0; k < kPeerCount; ++k) std::printf(" %14s", Cell(res[op].peerMpix[k]).c_str());
        std::printf(" %12s\n", Cell(res[op].memcpyMpix).c_str());
    }
    std::printf("\n%-16s", "ours / other");
    for (const PeerSlot& p : kPeers) std::printf(" %14s", p.column);
    std::printf(" %12s\n", "memcpy");
    for (int op = 0; op <= kRaw640; ++op) {
        std::printf("%-16s", kOpName[op]);
        for (int k = 0; k < kPeerCount; ++k) std::printf(" %14s", Ratio(res[op].oursMpix, res[op].peerMpix[k]).c_str());
        std::printf(" %12s\n", Ratio(res[op].oursMpix, res[op].memcpyMpix).c_str());
    }
    auto own = [&](Op a) { return res[a].vsOwn; };
    std::printf("\nour effects against our own draws (speed ratio, medians of the rounds' ratios):\n");
    std::printf("  soft edge / span copy        %.2f\n", own(kSoftEdge));
    std::printf("  depth / span copy            %.2f\n", own(kDepth));
    std::printf("  depth+alpha 128 / alpha 128  %.2f\n", own(kDepthAlpha128));

    struct Target {
        std::string what;
        double value, goal;
    };
    auto vsPeer = [&](Op op, int k) { return res[op].peerMpix[k] > 0 ? res[op].oursMpix / res[op].peerMpix[k] : 0.0; };
    const Target targets[] = {
        {"raw 64x64 vs pixman composite SRC", vsPeer(kRaw64, kPixman), 1.0},
        {"raw 640x480 vs memcpy", res[kRaw640].oursMpix / res[kRaw640].memcpyMpix, 0.9},
        {"span copy vs SDL2 RLE", vsPeer(kCopy, kSdl2), 2.0},
        {"alpha 128 vs SDL2 RLE", vsPeer(kAlpha128, kSdl2), 2.0},
        {"alpha 77 vs SDL2 RLE", vsPeer(kAlpha77, kSdl2), 3.5},
        {"soft edge vs our span copy", own(kSoftEdge), 0.8},
        {"depth vs our span copy", own(kDepth), 0.5},
        {"depth+alpha 128 vs our alpha 128", own(kDepthAlpha128), 0.5},
    };
    std::printf("\n%-40s %8s %8s  %s\n", "target (speed ratio)", "value", "goal", "status");
    for (const Target& t : targets)
        std::printf("%-40s %8.2f %8.2f  %s\n", t.what.c_str(), t.value, t.goal,
                    t.value <= 0        ? "not measured"
                    : t.value >= t.goal ? "met"
                                        : "MISSED");

    std::printf(
        "\nframe checks: largest channel difference from ours in one draw / allowed (in the whole frame, "
        "where overlapping blends add up their rounding):\n");
    for (int op = 0; op < kOps; ++op) {
        if (res[op].oursBad)
            std::printf("  %-16s ours: %ld px differ from the model", kOpName[op], res[op].oursBad);
        else
            std::printf("  %-16s ours bit-exact to the model", kOpName[op]);
        for (int k = 0; k < kPeerCount; ++k) {
            if (!res[op].checked[k]) continue;
            const Check& c = res[op].check[k];
            std::printf("; %s %d/%d (frame %d)", kPeers[k].column, c.maxStep, c.allowed.steps, c.frameStep);
            if (c.over) std::printf(" %ld px OVER", c.over);
        }
        std::printf("\n");
    }
    std::printf("tolerances:\n");
    for (int k = 0; k < kPeerCount; ++k)
        if (peers[k])
            for (Op op : {kCopy, kAlpha128, kAlpha77})
                std::printf("  %-14s %-10s %d: %s\n", kPeers[k].column, kOpName[op], peers[k]->Allowed(op).steps,
                            peers[k]->Allowed(op).why);

    if (jsonPath) {
        FILE* f = std::fopen(jsonPath, "w");
        if (!f) {
            std::perror(jsonPath);
            return 2;
        }
        std::fprintf(f, "{\"visible_opaque\": %llu, \"opaque_share\": %.4f, \"mean_run\": %.2f,\n",
                     static_cast<unsigned long long>(sc.visibleOpaque), sc.opaqueShare, sc.meanRun);
        std::fprintf(f, " \"peers\": [");
        for (int k = 0; k < kPeerCount; ++k) std::fprintf(f, "%s\"%s\"", k ? ", " : "", kPeers[k].column);
        std::fprintf(f, "],\n \"ops\": [\n");
        for (int op = 0; op < kOps; ++op) {
            const Result& r = res[op];
            std::fprintf(f, "  {\"op\": \"%s\", \"ours_mpix\": %.1f, \"memcpy_mpix\": %.1f, \"ours_bad_pixels\": %ld, ",
                         kOpName[op], r.oursMpix, r.memcpyMpix, r.oursBad);
            std::fprintf(f, "\"peer_mpix\": [");
            for (int k = 0; k < kPeerCount; ++k) std::fprintf(f, "%s%.1f", k ? ", " : "", r.peerMpix[k]);
            std::fprintf(f, "], \"peer_max_step\": [");
            for (int k = 0; k < kPeerCount; ++k)
                std::fprintf(f, "%s%d", k ? ", " : "", r.checked[k] ? r.check[k].maxStep : -1);
            std::fprintf(f, "], \"peer_frame_step\": [");
            for (int k = 0; k < kPeerCount; ++k)
                std::fprintf(f, "%s%d", k ? ", " : "", r.checked[k] ? r.check[k].frameStep : -1);
            std::fprintf(f, "], \"peer_allowed\": [");
            for (int k = 0; k < kPeerCount; ++k)
                std::fprintf(f, "%s%d", k ? ", " : "", r.checked[k] ? r.check[k].allowed.steps : -1);
            std::fprintf(f, "], \"peer_over\": [");
            for (int k = 0; k < kPeerCount; ++k)
                std::fprintf(f, "%s%ld", k ? ", " : "", r.checked[k] ? r.check[k].over : 0L);
            std::fprintf(f, "]}%s\n", op + 1 < kOps ? "," : "");
        }
        std::fprintf(f, " ],\n \"targets\": [\n");
        const size_t nt = sizeof targets / sizeof targets[0];
        for (size_t i = 0; i < nt; ++i)
            std::fprintf(f, "  {\"what\": \"%s\", \"value\": %.3f, \"goal\": %.2f}%s\n", targets[i].what.c_str(),
                         targets[i].value, targets[i].goal, i + 1 < nt ? "," : "");
        std::fprintf(f, " ]}\n");
        std::fclose(f);
    }
    std::printf("\nframes: ours bit-exact to the model and every peer within its tolerance: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
