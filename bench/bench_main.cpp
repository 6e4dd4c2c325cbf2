// Benchmarks of the canvas operations, the blend kernel, the converters and
// the scene draws. Each reports Mpix/s and "memcpy_share": the time memcpy
// (memset for fills) takes for the bytes the operation writes, divided by the
// operation's time, with the data at the same cache level (1.0 = as fast as
// memcpy). Row-level operations run with their data in L1, L2 and memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "bench/scene.h"
#include "blit/blend_row.h"
#include "blit/depth_rows.h"
#include "blit/row_copy.h"
#include "blit/span_walk.h"
#include "core/kernel_table.h"
#include "pixel/convert.h"
#include "tests/memory_surface.h"
#include "tests/test_hooks.h"

namespace {

using namespace vc15bench;

// ---- Buffers and cache levels ---------------------------------------------

enum Level { kL1 = 0, kL2 = 1, kMem = 2 };
const char* const kLevelName[] = {"L1", "L2", "mem"};
// Bytes of destination per call at each level. L1 is 48 KiB and L2 2 MiB per
// core here: source and destination together stay well inside each.
constexpr size_t kDstBytes[] = {8 << 10, 256 << 10, 64 << 20};

// A block of memory touched once so that its pages exist.
struct Block {
    explicit Block(size_t bytes) : size(bytes), data(static_cast<uint8_t*>(std::aligned_alloc(64, Round(bytes)))) {
        std::memset(data, 0x5A, bytes);
        std::mt19937 rng(static_cast<uint32_t>(bytes));
        for (size_t i = 0; i < bytes; i += 4) data[i] = static_cast<uint8_t>(rng());
    }
    ~Block() { std::free(data); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    static size_t Round(size_t b) { return (b + 63) & ~size_t(63); }
    size_t size;
    uint8_t* data;
};

// For main memory the call walks through `kMemSlots` blocks in turn, so that
// the data it touches was evicted from the caches by the calls before it.
constexpr int kMemSlots = 4;

// CPU time of this thread, like the benchmark's own "CPU" column, so that a
// busy machine does not skew the ratio.
double ThreadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

// Nanoseconds memcpy (or memset) takes for `bytes`, the source cycling
// through `srcSlots` blocks of that size and the destination through
// `dstSlots` (more slots: colder data). Measured once and cached.
double BaselineNs(size_t bytes, int srcSlots, int dstSlots, bool set) {
    static std::map<std::tuple<size_t, int, int, bool>, double> cache;
    const auto key = std::make_tuple(bytes, srcSlots, dstSlots, set);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    Block src(bytes * srcSlots), dst(bytes * dstSlots);
    int n = 0;
    auto run = [&](int64_t times) {
        for (int64_t i = 0; i < times; ++i, ++n) {
            uint8_t* d = dst.data + (n % dstSlots) * bytes;
            if (set)
                std::memset(d, n & 0x7F, bytes);
            else
                std::memcpy(d, src.data + (n % srcSlots) * bytes, bytes);
            benchmark::ClobberMemory();
        }
    };
    // Batches long enough (2 ms) that reading the clock costs nothing.
    int64_t batch = 1;
    for (;;) {
        const double t0 = ThreadCpuNs();
        run(batch);
        if (ThreadCpuNs() - t0 > 2e6) break;
        batch *= 2;
    }
    double best = 1e30;
    for (int rep = 0; rep < 9; ++rep) {
        const double t0 = ThreadCpuNs();
        run(batch);
        best = std::min(best, (ThreadCpuNs() - t0) / static_cast<double>(batch));
    }
    cache[key] = best;
    return best;
}

double BaselineNs(size_t bytes, Level level, bool set) {
    const int slots = level == kMem ? kMemSlots : 1;
    return BaselineNs(bytes, slots, slots, set);
}

// Sets the common counters: Mpix/s and the share of memcpy's speed.
void Report(benchmark::State& state, double pixelsPerIter, size_t bytesWritten, Level level, bool memsetBaseline) {
    state.counters["Mpix/s"] =
        benchmark::Counter(pixelsPerIter * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.counters["base_ns"] = BaselineNs(bytesWritten, level, memsetBaseline);
    state.SetBytesProcessed(static_cast<int64_t>(bytesWritten) * state.iterations());
}

// The benchmark reports time per iteration; the table computes memcpy_share =
// base_ns / time. (Computing it here would need the final time, which
// Google Benchmark only knows after the function returns.)

// ---- memcpy / memset baselines ---------------------------------------------

void BM_Memcpy(benchmark::State& state) {
    const Level level = static_cast<Level>(state.range(0));
    const size_t bytes = kDstBytes[level];
    const int slots = level == kMem ? kMemSlots : 1;
    Block src(bytes * slots), dst(bytes * slots);
    int n = 0;
    for (auto _ : state) {
        const size_t off = (n++ % slots) * bytes;
        std::memcpy(dst.data + off, src.data + off, bytes);
        benchmark::ClobberMemory();
    }
    Report(state, bytes / 2.0, bytes, level, false);
    state.SetLabel(kLevelName[level]);
}
BENCHMARK(BM_Memcpy)->DenseRange(0, 2)->ArgName("level");

void BM_Memset(benchmark::State& state) {
    const Level level = static_cast<Level>(state.range(0));
    const size_t bytes = kDstBytes[level];
    const int slots = level == kMem ? kMemSlots : 1;
    Block dst(bytes * slots);
    int n = 0;
    for (auto _ : state) {
        const size_t off = (n % slots) * bytes;
        std::memset(dst.data + off, n++ & 0x7F, bytes);
        benchmark::ClobberMemory();
    }
    Report(state, bytes / 2.0, bytes, level, true);
    state.SetLabel(kLevelName[level]);
}
BENCHMARK(BM_Memset)->DenseRange(0, 2)->ArgName("level");

// ---- Row block copy on short runs -------------------------------------------

// Runs of 1..63 pixels (mean ~21 as in the scene) copied one by one, through
// the library's block copy and through memcpy per run.
template <bool kLibrary>
void BM_ShortRunCopy(benchmark::State& state) {
    std::mt19937 rng(7);
    std::vector<uint32_t> lengths(4096);
    uint64_t total = 0;
    for (auto& l : lengths) total += l = 11 + rng() % 21;
    std::vector<uint16_t> src(total + 64), dst(total + 64);
    for (auto _ : state) {
        size_t at = 0;
        for (uint32_t l : lengths) {
            if constexpr (kLibrary)
                vc15::CopyPixels(dst.data() + at + 1, src.data() + at, l);
            else
                std::memcpy(dst.data() + at + 1, src.data() + at, l * 2u);
            at += l;
        }
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<double>(total), total * 2, kL2, false);
}
BENCHMARK(BM_ShortRunCopy<true>)->Name("BM_ShortRunCopy/library");
BENCHMARK(BM_ShortRunCopy<false>)->Name("BM_ShortRunCopy/memcpy_per_run");

// ---- Converters -------------------------------------------------------------

const char* const kConvName[] = {"RGB555_RGB565", "RGB565_RGB555",     "RGB888_RGB565",
                                 "RGB888_RGB555", "RGBA8888_ARGB1555", "RGBA8888_ARGB4444"};
constexpr int kConvSrcBytes[] = {2, 2, 3, 3, 4, 4};

void BM_Convert(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const auto cl = static_cast<vc15::cpu::Level>(state.range(1));
    const Level level = static_cast<Level>(state.range(2));
    if (!vc15::kernels::Supports(cl)) {
        state.SkipWithError("level not supported");
        return;
    }
    const vc15::KernelTable& t = *vc15::kernels::For(cl);
    const size_t dstBytes = kDstBytes[level];
    const int32_t count = static_cast<int32_t>(dstBytes / 2);
    const int slots = level == kMem ? kMemSlots : 1;
    Block src(static_cast<size_t>(count) * kConvSrcBytes[which] * slots), dst(dstBytes * slots);
    int n = 0;
    for (auto _ : state) {
        const int s = n++ % slots;
        auto* d = reinterpret_cast<uint16_t*>(dst.data + s * dstBytes);
        const uint8_t* p = src.data + static_cast<size_t>(s) * count * kConvSrcBytes[which];
        switch (which) {
            case 0:
                t.rgb555ToRgb565(d, reinterpret_cast<const uint16_t*>(p), count);
                break;
            case 1:
                t.rgb565ToRgb555(d, reinterpret_cast<const uint16_t*>(p), count);
                break;
            case 2:
                t.rgb888ToRgb565(d, p, count);
                break;
            case 3:
                t.rgb888ToRgb555(d, p, count);
                break;
            case 4:
                t.rgba8888ToArgb1555(d, p, count);
                break;
            default:
                t.rgba8888ToArgb4444(d, p, count);
                break;
        }
        benchmark::ClobberMemory();
    }
    Report(state, count, dstBytes, level, false);
    static const char* const kCl[] = {"scalar", "sse2", "ssse3", "avx2", "avx512"};
    state.SetLabel(std::string(kConvName[which]) + " " + kCl[state.range(1)] + " " + kLevelName[level]);
}
BENCHMARK(BM_Convert)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4}, {0, 1, 2}})
    ->ArgNames({"conv", "simd", "level"});

// ---- Row blend kernel -------------------------------------------------------

void BM_BlendRow(benchmark::State& state) {
    const auto kl = static_cast<vc15::cpu::Level>(state.range(0));
    const Level level = static_cast<Level>(state.range(1));
    const uint32_t alpha = static_cast<uint32_t>(state.range(2));
    if (!vc15::cpu::ForceLevelForTesting(kl)) {
        state.SkipWithError("level not supported");
        return;
    }
    const size_t bytes = kDstBytes[level];
    const int slots = level == kMem ? kMemSlots : 1;
    Block src(bytes * slots), dst(bytes * slots);
    // Picture data without bit 15; the key value is as rare as in real data.
    for (size_t i = 0; i < bytes * slots; i += 2) src.data[i + 1] &= 0x7F;
    int n = 0;
    for (auto _ : state) {
        const size_t off = (n++ % slots) * bytes;
        vc15::BlendRow555(reinterpret_cast<uint16_t*>(dst.data + off),
                          reinterpret_cast<const uint16_t*>(src.data + off), static_cast<uint32_t>(bytes), alpha);
        benchmark::ClobberMemory();
    }
    vc15::cpu::ForceLevelForTesting(vc15::kernels::Detected());
    Report(state, bytes / 2.0, bytes, level, false);
    static const char* const kKl[] = {"scalar", "sse2", "ssse3", "avx2", "avx512"};
    state.SetLabel(std::string(kKl[state.range(0)]) + " " + kLevelName[level] + " level " + std::to_string(alpha));
}
BENCHMARK(BM_BlendRow)->ArgsProduct({{0, 1, 3, 4}, {0, 1, 2}, {77, 128}})->ArgNames({"simd", "level", "alpha"});

// Scene-like runs: 11..31 pixels each, one kernel call per run.
void BM_BlendShortRuns(benchmark::State& state) {
    const auto kl = static_cast<vc15::cpu::Level>(state.range(0));
    if (!vc15::cpu::ForceLevelForTesting(kl)) {
        state.SkipWithError("level not supported");
        return;
    }
    std::mt19937 rng(9);
    std::vector<uint32_t> lengths(4096);
    uint64_t total = 0;
    for (auto& l : lengths) total += l = 11 + rng() % 21;
    std::vector<uint16_t> src(total), dst(total + 64);
    for (auto& p : src) p = static_cast<uint16_t>(rng() & 0x7FFF);
    for (auto _ : state) {
        size_t at = 0;
        for (uint32_t l : lengths) {
            vc15::BlendRow555(dst.data() + at + 1, src.data() + at, l * 2u, 77);
            at += l;
        }
        benchmark::ClobberMemory();
    }
    vc15::cpu::ForceLevelForTesting(vc15::kernels::Detected());
    Report(state, static_cast<double>(total), total * 2, kL2, false);
    static const char* const kKl[] = {"scalar", "sse2", "ssse3", "avx2", "avx512"};
    state.SetLabel(kKl[state.range(0)]);
}
BENCHMARK(BM_BlendShortRuns)->Arg(0)->Arg(1)->Arg(3)->Arg(4)->ArgName("simd");

// ---- Depth rows ---------------------------------------------------------------

// The depth rows of a level on scene-like runs (11..31 pixels, one call per
// run; kind 0 write+copy, 1 copy, 2 blend at 128) or on 4096-pixel rows
// (runs = 0), their data in L2.
void BM_DepthRows(benchmark::State& state) {
    const auto kl = static_cast<vc15::cpu::Level>(state.range(0));
    const int kind = static_cast<int>(state.range(1));
    const bool shortRuns = state.range(2) != 0;
    if (!vc15::cpu::ForceLevelForTesting(kl)) {
        state.SkipWithError("level not supported");
        return;
    }
    const vc15::KernelTable& forms = vc15::Kernels();
    std::mt19937 rng(11);
    std::vector<uint32_t> lengths;
    uint64_t total = 0;
    if (shortRuns) {
        lengths.resize(4096);
        for (auto& l : lengths) total += l = 11 + rng() % 21;
    } else {
        lengths.assign(24, 4096);
        total = 24 * 4096;
    }
    std::vector<uint16_t> src(total), dst(total + 64);
    std::vector<uint8_t> samples(total), plane(total + 64);
    for (auto& p : src) p = static_cast<uint16_t>(rng() & 0x7FFF);
    for (auto& s : samples) s = static_cast<uint8_t>(rng());
    for (auto& p : plane) p = static_cast<uint8_t>(rng());
    for (auto _ : state) {
        size_t at = 0;
        for (uint32_t l : lengths) {
            if (kind == 0)
                forms.depthWriteCopy(dst.data() + at + 1, plane.data() + at + 1, src.data() + at, samples.data() + at,
                                     l, 0);
            else if (kind == 1)
                forms.depthCopy(dst.data() + at + 1, plane.data() + at + 1, src.data() + at, samples.data() + at, l, 0);
            else
                forms.depthBlend(dst.data() + at + 1, plane.data() + at + 1, src.data() + at, samples.data() + at, l, 0,
                                 128);
            at += l;
        }
        benchmark::ClobberMemory();
    }
    vc15::cpu::ForceLevelForTesting(vc15::kernels::Detected());
    Report(state, static_cast<double>(total), total * 2, kL2, false);
    static const char* const kKl[] = {"scalar", "sse2", "ssse3", "avx2", "avx512"};
    static const char* const kKind[] = {"write_copy", "copy", "blend128"};
    state.SetLabel(std::string(kKl[state.range(0)]) + " " + kKind[kind] + (shortRuns ? " runs" : " rows"));
}
BENCHMARK(BM_DepthRows)->ArgsProduct({{0, 1, 3, 4}, {0, 1, 2}, {1, 0}})->ArgNames({"simd", "kind", "runs"});

// ---- Canvas operations on whole frames ------------------------------------

struct CanvasHolder {
    explicit CanvasHolder(bool depth = false) : c(CreateInstance()) {
        CanvasDesc d{depth ? CANVAS_DEPTHPLANE : 0u, kCanvasW, kCanvasH};
        c->Create(&d);
        uint16_t* px = nullptr;
        c->GetBuffer(&px);
        std::memcpy(px, GetScene().background.data(), GetScene().background.size() * 2);
    }
    ~CanvasHolder() { c->Release(); }
    ICanvas15* c;
};

constexpr size_t kFrameBytes = static_cast<size_t>(kCanvasW) * kCanvasH * 2;

void BM_FillRect(benchmark::State& state) {
    CanvasHolder h;
    FillRectDesc d{{0x40, 0x80, 0xC0}, 0, 0, 0, kCanvasW, kCanvasH};
    for (auto _ : state) {
        h.c->FillRect(&d);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<double>(kCanvasW) * kCanvasH, kFrameBytes, kL2, true);
}
BENCHMARK(BM_FillRect);

void BM_CopyToSurface(benchmark::State& state) {
    CanvasHolder h;
    vc15test::MemorySurface s(kCanvasW * 2, kCanvasH);
    for (auto _ : state) {
        h.c->CopyToSurface(&s);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<double>(kCanvasW) * kCanvasH, kFrameBytes, kL2, false);
}
BENCHMARK(BM_CopyToSurface);

// Presenting a whole frame: vcCopyToBuffer into each format at each
// converter level (one pass, no temporary frame), and vcPresent into a
// 565 memory surface; the baseline is memcpy of the bytes written, as for
// BM_CopyToSurface's plain 16-bit copy above.
constexpr uint32_t kPresentFormats[] = {VC15_FORMAT_RGB555, VC15_FORMAT_RGB565, VC15_FORMAT_XRGB8888,
                                        VC15_FORMAT_BGR888};
const char* const kPresentName[] = {"RGB555", "RGB565", "XRGB8888", "BGR888"};
constexpr int kPresentBytes[] = {2, 2, 4, 3};

void BM_CopyToBuffer(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const auto cl = static_cast<vc15::cpu::Level>(state.range(1));
    if (!vc15::cpu::ForceLevelForTesting(cl)) {
        state.SkipWithError("level not supported");
        return;
    }
    CanvasHolder h;
    const int32_t pitch = kCanvasW * kPresentBytes[which];
    Block dst(static_cast<size_t>(pitch) * kCanvasH);
    for (auto _ : state) {
        vcCopyToBuffer(h.c, dst.data, pitch, kPresentFormats[which]);
        benchmark::ClobberMemory();
    }
    vc15::cpu::ForceLevelForTesting(vc15::kernels::Detected());
    Report(state, static_cast<double>(kCanvasW) * kCanvasH, dst.size, kL2, false);
    static const char* const kCl[] = {"scalar", "sse2", "ssse3", "avx2", "avx512"};
    state.SetLabel(std::string(kPresentName[which]) + " " + kCl[state.range(1)]);
}
BENCHMARK(BM_CopyToBuffer)->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2, 3, 4}})->ArgNames({"format", "simd"});

// A memory surface that reports 565 on Lock, as a 16-bit screen's do.
struct Surface565 : vc15test::MemorySurface {
    Surface565() : MemorySurface(kCanvasW * 2, kCanvasH) {}
    HRESULT VC15_COM_CALL Lock(RECT* r, DDSURFACEDESC2* d, DWORD f, HANDLE e) override {
        const HRESULT res = MemorySurface::Lock(r, d, f, e);
        d->dwWidth = kCanvasW;
        d->dwHeight = kCanvasH;
        d->ddpfPixelFormat.dwFlags = DDPF_RGB;
        d->ddpfPixelFormat.dwRGBBitCount = 16;
        d->ddpfPixelFormat.dwRBitMask = 0xF800;
        d->ddpfPixelFormat.dwGBitMask = 0x07E0;
        d->ddpfPixelFormat.dwBBitMask = 0x001F;
        return res;
    }
};

void BM_Present565(benchmark::State& state) {
    CanvasHolder h;
    Surface565 s;
    for (auto _ : state) {
        vcPresent(h.c, &s);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<double>(kCanvasW) * kCanvasH, kFrameBytes, kL2, false);
}
BENCHMARK(BM_Present565);

// Raw images: 64 x 64 drawn 256 times at the scene's inside positions, and a
// whole 640 x 480 frame.
void BM_RawDraw(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    CanvasHolder h;
    const int w = size == 64 ? 64 : kCanvasW, hgt = size == 64 ? 64 : kCanvasH;
    std::vector<uint16_t> px(static_cast<size_t>(w) * hgt);
    std::mt19937 rng(3);
    for (auto& p : px) p = static_cast<uint16_t>(rng());
    CRawImage img;
    img.width = w;
    img.height = hgt;
    img.pixels = px.data();
    std::vector<std::pair<int, int>> at;
    if (size == 64) {
        for (const Placement& p : GetScene().placed)
            at.emplace_back(std::clamp(p.x, 0, kCanvasW - 64), std::clamp(p.y, 0, kCanvasH - 64));
    } else {
        at.emplace_back(0, 0);
    }
    for (auto _ : state) {
        for (auto [x, y] : at) h.c->Draw(x, y, &img, nullptr);
        benchmark::ClobberMemory();
    }
    const double pixels = static_cast<double>(w) * hgt * at.size();
    // memcpy of one image's bytes, times the number of draws.
    const size_t imageBytes = static_cast<size_t>(w) * hgt * 2;
    state.counters["Mpix/s"] =
        benchmark::Counter(pixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    // Baseline: memcpy of the image's bytes into successive places of a
    // canvas-sized block (the draws land all over the canvas too).
    const int dstSlots = static_cast<int>(kFrameBytes / imageBytes);
    state.counters["base_ns"] = BaselineNs(imageBytes, 1, dstSlots, false) * static_cast<double>(at.size());
    state.SetLabel(size == 64 ? "raw 64x64 x256" : "raw 640x480");
}
BENCHMARK(BM_RawDraw)->Arg(64)->Arg(640)->ArgName("size");

// Many small raw images, as a new host draws them: 256 of 64 x 64 a frame at
// random positions, a quarter crossing the canvas edge. Beside it memcpy of
// exactly the visible rows, one call per row, into the same places: the copy
// of their own bytes, which the draw should approach (the per-image and per-
// row costs are what it adds).
struct SmallRawFrame {
    struct Row {
        uint32_t dst, src, count;  // canvas pixel index, image pixel index, pixels
    };
    std::vector<std::pair<int, int>> at;
    std::vector<Row> rows;
    uint64_t pixels = 0;
};

const SmallRawFrame& GetSmallRawFrame() {
    static const SmallRawFrame f = [] {
        SmallRawFrame r;
        std::mt19937 rng(23);
        constexpr int kS = kSpriteSize;
        for (int i = 0; i < kSpriteCount; ++i) {
            int x, y;
            if (i % 4 == 3) {  // across one of the four edges, at least a row or column showing
                const int depth = 1 + static_cast<int>(rng() % (kS - 1));
                x = static_cast<int>(rng() % (kCanvasW - kS));
                y = static_cast<int>(rng() % (kCanvasH - kS));
                switch (rng() % 4) {
                    case 0:
                        x = depth - kS;
                        break;
                    case 1:
                        x = kCanvasW - depth;
                        break;
                    case 2:
                        y = depth - kS;
                        break;
                    default:
                        y = kCanvasH - depth;
                        break;
                }
            } else {
                x = static_cast<int>(rng() % (kCanvasW - kS + 1));
                y = static_cast<int>(rng() % (kCanvasH - kS + 1));
            }
            r.at.emplace_back(x, y);
            const int x0 = std::max(x, 0), x1 = std::min(x + kS, kCanvasW);
            const int y0 = std::max(y, 0), y1 = std::min(y + kS, kCanvasH);
            for (int row = y0; row < y1; ++row) {
                r.rows.push_back({static_cast<uint32_t>(row * kCanvasW + x0),
                                  static_cast<uint32_t>((row - y) * kS + (x0 - x)), static_cast<uint32_t>(x1 - x0)});
                r.pixels += static_cast<uint64_t>(x1 - x0);
            }
        }
        return r;
    }();
    return f;
}

template <bool kLibrary>
void BM_RawSmall(benchmark::State& state) {
    const SmallRawFrame& f = GetSmallRawFrame();
    const RawScene& raw = GetRawScene();
    CanvasHolder h;
    CRawImage img;
    img.width = kSpriteSize;
    img.height = kSpriteSize;
    img.pixels = const_cast<uint16_t*>(raw.small.data());
    uint16_t* canvas = nullptr;
    h.c->GetBuffer(&canvas);
    for (auto _ : state) {
        if constexpr (kLibrary) {
            for (auto [x, y] : f.at) h.c->Draw(x, y, &img, nullptr);
        } else {
            // One call a visible row; a constant size for whole rows measured
            // slower here (the inlined copy), so the faster form is the yardstick.
            for (const SmallRawFrame::Row& r : f.rows)
                std::memcpy(canvas + r.dst, raw.small.data() + r.src, r.count * sizeof(uint16_t));
        }
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] = benchmark::Counter(
        static_cast<double>(f.pixels) * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.SetLabel(kLibrary ? "raw 64x64 x256 random, library" : "raw 64x64 x256 random, memcpy per visible row");
}
BENCHMARK(BM_RawSmall<true>)->Name("BM_RawSmall/library");
BENCHMARK(BM_RawSmall<false>)->Name("BM_RawSmall/memcpy_rows");

// ---- The scene ----------------------------------------------------------------

enum SceneKind { kPlain, kAlpha77, kAlpha128, kSoftEdge, kDepth, kDepthAlpha128, kSceneKinds };
const char* const kSceneName[] = {"plain", "alpha77", "alpha128", "soft_edge", "depth", "depth_alpha128"};

void BM_Scene(benchmark::State& state) {
    const auto kind = static_cast<SceneKind>(state.range(0));
    // VC15_BENCH_LEVEL=0..4 draws the scene with the kernels of that level
    // (scalar, SSE2, SSSE3, AVX2, AVX-512) to compare levels in one build.
    if (const char* l = std::getenv("VC15_BENCH_LEVEL")) {
        if (!vc15::cpu::ForceLevelForTesting(static_cast<vc15::cpu::Level>(std::atoi(l)))) {
            state.SkipWithError("level not supported");
            return;
        }
    }
    const Scene& sc = GetScene();
    const bool depth = kind == kDepth || kind == kDepthAlpha128;
    CanvasHolder h(depth);
    std::vector<DepthParams> params(sc.sprites.size());
    std::vector<DrawEffect> effects(sc.sprites.size());
    for (size_t i = 0; i < sc.sprites.size(); ++i) {
        params[i] = DepthParams{DEPTH_WRITE, 0, sc.sprites[i].depthSpans.get()};
        DrawEffect& e = effects[i];
        e = DrawEffect{0, 0, 0, &params[i]};
        switch (kind) {
            case kAlpha77:
                e.code = EFFECT_ALPHA, e.level = 77;
                break;
            case kAlpha128:
                e.code = EFFECT_ALPHA, e.level = 128;
                break;
            case kSoftEdge:
                e.code = EFFECT_SOFT_EDGE;
                break;
            case kDepth:
                e.code = EFFECT_DEPTH;
                break;
            case kDepthAlpha128:
                e.code = EFFECT_DEPTH_ALPHA, e.level = 128;
                break;
            default:
                break;
        }
    }
    DepthParams clear{DEPTH_CLEAR, 0, nullptr};
    DrawEffect clearEffect{0, 0, 0, &clear};
    for (auto _ : state) {
        if (depth) {
            // A host clears the plane once per frame; that fill is not part
            // of the sprite drawing measured here.
            state.PauseTiming();
            h.c->Draw(0, 0, nullptr, &clearEffect);
            state.ResumeTiming();
        }
        for (const Placement& p : sc.placed) {
            const Sprite& sp = sc.sprites[p.sprite];
            h.c->Draw(p.x, p.y, sp.spans.get(), kind == kPlain ? nullptr : &effects[p.sprite]);
        }
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] =
        benchmark::Counter(static_cast<double>(sc.visibleOpaque) * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
    state.counters["base_ns"] = BaselineNs(sc.visibleOpaque * 2, kL2, false);
    state.SetLabel(kSceneName[kind]);
}
BENCHMARK(BM_Scene)->DenseRange(0, kSceneKinds - 1)->ArgName("kind");

// The limit of the span copy: the scene's records walked on the same clipping
// walk with no pixel moved. Each record's count gives the next record's
// address, so this is the chain of dependent loads alone; the span copy can
// only add to it. The op keeps a sum of the visible lengths so the walk
// cannot be dropped.
struct ChainOnlyOp {
    uint64_t sum = 0;
    template <class Span>
    void Run(const Span&, int64_t, int64_t col, uint32_t, uint32_t len) {
        sum += len + static_cast<uint64_t>(col);
    }
    template <class Span>
    void Whole(const Span& s, int64_t, int64_t col) {
        sum += s.count + static_cast<uint64_t>(col);
    }
};

// The same walk storing one pixel of each record (its first visible one) on
// a canvas: the chain plus the one store a record a copy cannot do without,
// which shows how much of the copy's cost above the chain is its stores as
// such rather than the bytes they move.
struct ChainOneStoreOp {
    uint16_t* canvas;
    template <class Span>
    void Run(const Span& s, int64_t row, int64_t col, uint32_t first, uint32_t) const {
        canvas[row * kCanvasW + col] = s.pixels[first];
    }
    template <class Span>
    void Whole(const Span& s, int64_t row, int64_t col) const {
        canvas[row * kCanvasW + col] = s.pixels[0];
    }
};

// kind 0: no pixel moved; kind 1: one pixel stored a record.
void BM_ChainAlone(benchmark::State& state) {
    const Scene& sc = GetScene();
    std::vector<vc15::SpanImageView> views;
    for (const Sprite& sp : sc.sprites) views.push_back(vc15::ReadRecord<vc15::SpanImageView>(sp.spans.get()));
    const ClipRect clip{0, 0, kCanvasW, kCanvasH};
    std::vector<uint16_t> canvas(static_cast<size_t>(kCanvasW) * kCanvasH);
    uint64_t records = 0;
    for (const Placement& p : sc.placed) records += views[p.sprite].spanCount;
    const bool store = state.range(0) == 1;
    for (auto _ : state) {
        ChainOnlyOp chain;
        ChainOneStoreOp one{canvas.data()};
        for (const Placement& p : sc.placed) {
            const vc15::SpanImageView& v = views[p.sprite];
            if (store)
                vc15::WalkSpans<vc15::InsideRule::NonStrict>(clip, p.x, p.y, v.head.width, v.head.height,
                                                             vc15::PackedColorSpans<>(v), one);
            else
                vc15::WalkSpans<vc15::InsideRule::NonStrict>(clip, p.x, p.y, v.head.width, v.head.height,
                                                             vc15::PackedColorSpans<>(v), chain);
        }
        benchmark::DoNotOptimize(chain.sum);
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] =
        benchmark::Counter(static_cast<double>(sc.visibleOpaque) * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
    state.counters["records"] = static_cast<double>(records);
    state.SetLabel(store ? "records walked, one pixel stored a record" : "records walked, no pixel moved");
}
BENCHMARK(BM_ChainAlone)->Arg(0)->Arg(1)->ArgName("store");

}  // namespace

BENCHMARK_MAIN();
