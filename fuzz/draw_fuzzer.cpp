// libFuzzer target: a careless host drawing random well-formed scenes through
// the public canvas API, on a canvas of up to 256 x 256 (plane or not) against
// guard pages, at a random kernel level. Between draws: new clip rectangles
// (anywhere, inverted too) and fills; now and then every allocation fails
// during a draw (no draw needs one). Images: sprites with matching depth
// images, raw images, plane-clearing requests, refused kinds; effects: every
// code (unknown ones too), level, bias and flag. After every draw nothing
// outside the clip rectangle changed (bar a whole-plane clear, which leaves
// its value there), a refusal changed nothing, and the result, pixels and
// plane equal tests/reference_model.cpp's. Fills are checked pixel for pixel.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "VexaCanvas15.h"
#include "canvas/canvas.h"
#include "core/cpu.h"
#include "core/kernel_table.h"
#include "draw_test_support.h"
#include "guard_pages.h"
#include "reference_model.h"
#include "test_hooks.h"

namespace {

[[noreturn]] void Fail(const char* what, int step) {
    std::fprintf(stderr, "draw_fuzzer: %s (draw %d)\n", what, step);
    std::abort();
}

// Bulk pixel and sample values come from a generator seeded from the input,
// so that the input's bytes go into structure rather than colours.
using Rng = std::mt19937;

// One draw request with everything it points to.
struct Request {
    int32_t x = 0, y = 0;
    CSpanImage sprite, depthImage;
    CRawImage raw;
    std::vector<uint16_t> rawPixels;
    const CImage* image = nullptr;
    DepthParams params{};
    DrawEffect effect{};
    const DrawEffect* effectPtr = nullptr;
    bool clears = false;  // a whole-plane clear may happen
    uint8_t clearValue = 255;
};

// A position or coordinate: mostly in [lo, hi], sometimes near it, near
// either end of the range or anywhere.
int32_t Near(FuzzedDataProvider& fdp, int32_t lo, int32_t hi) {
    switch (fdp.ConsumeIntegralInRange<int>(0, 15)) {
        case 0:
            return INT32_MIN + fdp.ConsumeIntegralInRange<int32_t>(0, 300);
        case 1:
            return INT32_MAX - fdp.ConsumeIntegralInRange<int32_t>(0, 300);
        case 2:
            return fdp.ConsumeIntegral<int32_t>();
        case 3:
            return fdp.ConsumeIntegralInRange<int32_t>(lo - 300, hi + 300);
        default:
            return fdp.ConsumeIntegralInRange<int32_t>(lo, hi);
    }
}

void BuildRequest(FuzzedDataProvider& fdp, Rng& rng, int32_t cw, int32_t ch, Request& rq) {
    const int what = fdp.ConsumeIntegralInRange<int>(0, 9);
    const int32_t w = fdp.ConsumeIntegralInRange<int32_t>(0, fdp.ConsumeBool() ? 300 : 24);
    const int32_t h = fdp.ConsumeIntegralInRange<int32_t>(0, fdp.ConsumeBool() ? 300 : 24);
    rq.x = Near(fdp, -w - 4, cw + 4);
    rq.y = Near(fdp, -h - 4, ch + 4);

    if (what <= 5 || what == 8) {
        // Span-list sprite and its depth image: same box, same records.
        std::vector<uint8_t> colour, depth;
        uint32_t n = 0;
        if (w >= 0 && h > 0) {
            n = fdp.ConsumeIntegralInRange<uint32_t>(0, 24);
            std::vector<uint16_t> px;
            std::vector<uint8_t> samples;
            for (uint32_t i = 0; i < n; ++i) {
                const uint16_t sx = static_cast<uint16_t>(fdp.ConsumeIntegralInRange<int32_t>(0, w));
                const uint16_t sy = static_cast<uint16_t>(fdp.ConsumeIntegralInRange<int32_t>(0, h - 1));
                const uint32_t count = fdp.ConsumeIntegralInRange<uint32_t>(0, static_cast<uint32_t>(w - sx));
                px.resize(count);
                samples.resize(count);
                const uint32_t style = rng() & 3;
                for (uint32_t k = 0; k < count; ++k) {
                    px[k] = style == 0 ? 0x0040 : static_cast<uint16_t>(rng());  // the lane key, or anything
                    samples[k] = static_cast<uint8_t>(style == 1 ? rng() & 7 : rng());
                }
                vc15test::AppendRecord(colour, sx, sy, px);
                vc15test::AppendRecord(depth, sx, sy, samples);
            }
        }
        vc15test::SetSpans(rq.sprite, w, h, n, colour);
        vc15test::SetSpans(rq.depthImage, w, h, n, depth);
        rq.image = &rq.sprite;
        if (what == 8) {
            // The same record relabelled with a kind the dispatcher must refuse.
            const uint32_t kinds[] = {0x00000002u, 0x00000004u, 0x10000000u,
                                      0x10000001u, 0x10000006u, fdp.ConsumeIntegral<uint32_t>()};
            rq.sprite.kind = kinds[fdp.ConsumeIntegralInRange<int>(0, 5)];
        }
    } else if (what <= 7) {
        rq.raw.width = w;
        rq.raw.height = h;
        rq.rawPixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        for (auto& p : rq.rawPixels) p = static_cast<uint16_t>(rng());
        rq.raw.pixels = rq.rawPixels.empty() ? nullptr : rq.rawPixels.data();
        rq.raw.attr = rng();
        rq.image = &rq.raw;
    } else {
        rq.image = nullptr;  // plane-clearing request (or both null)
    }

    // Effect: none, one of the four, or a code the dispatcher must refuse.
    const int e = fdp.ConsumeIntegralInRange<int>(0, 9);
    const uint32_t codes[] = {EFFECT_ALPHA,
                              EFFECT_SOFT_EDGE,
                              EFFECT_DEPTH,
                              EFFECT_DEPTH_ALPHA,
                              EFFECT_ALPHA | EFFECT_SOFT_EDGE,
                              0u,
                              fdp.ConsumeIntegral<uint32_t>()};
    const bool noEffect = rq.image ? e <= 2 : e == 0;
    if (!noEffect) {
        rq.effect.code = codes[fdp.ConsumeIntegralInRange<int>(0, 6)];
        rq.effect.reserved = static_cast<uint16_t>(rng());
        rq.effect.level =
            fdp.ConsumeBool() ? fdp.ConsumeIntegralInRange<uint16_t>(0, 256) : fdp.ConsumeIntegral<uint16_t>();
        uint32_t flags = fdp.ConsumeIntegral<uint8_t>();
        if (fdp.ConsumeBool()) flags |= DEPTH_WRITE;
        if (fdp.ConsumeBool()) flags |= DEPTH_CLEAR;
        if (fdp.ConsumeBool()) flags |= DEPTH_CLEAR_VALUE;
        if (fdp.ConsumeIntegralInRange<int>(0, 7) == 0) flags |= fdp.ConsumeIntegral<uint32_t>() & 0xFFFC0000u;
        rq.params.flags = flags;
        rq.params.bias = fdp.ConsumeIntegral<uint8_t>();
        rq.params.depthImage = &rq.depthImage;
        // Depth effects always carry their parameters (the records are
        // trusted); a plane-clearing request may lack them.
        const bool depthCode = rq.effect.code == EFFECT_DEPTH || rq.effect.code == EFFECT_DEPTH_ALPHA;
        rq.effect.params = (depthCode || fdp.ConsumeIntegralInRange<int>(0, 5) != 0) ? &rq.params : nullptr;
        rq.effectPtr = &rq.effect;
        const bool clearFlag = (flags & DEPTH_CLEAR) != 0;
        const bool viaWrite =
            rq.image == &rq.sprite && rq.sprite.kind == IMAGE_SPANLIST && depthCode && (flags & DEPTH_WRITE);
        rq.clears = rq.effect.params && clearFlag && (rq.image == nullptr || viaWrite);
        rq.clearValue = (flags & DEPTH_CLEAR_VALUE) ? static_cast<uint8_t>(flags & 0xFF) : 255;
    }
}

// The host's clip rectangle: within the canvas and ordered (as the rules
// ask), or anything at all.
ClipRect PickClip(FuzzedDataProvider& fdp, int32_t cw, int32_t ch) {
    ClipRect c;
    if (fdp.ConsumeIntegralInRange<int>(0, 3) != 0) {
        c.left = fdp.ConsumeIntegralInRange<int32_t>(0, cw);
        c.right = fdp.ConsumeIntegralInRange<int32_t>(c.left, cw);
        c.top = fdp.ConsumeIntegralInRange<int32_t>(0, ch);
        c.bottom = fdp.ConsumeIntegralInRange<int32_t>(c.top, ch);
    } else {
        c.left = Near(fdp, 0, cw);
        c.right = Near(fdp, 0, cw);
        c.top = Near(fdp, 0, ch);
        c.bottom = Near(fdp, 0, ch);
    }
    return c;
}

// What the canvas keeps of a clip rectangle: its part within the canvas; an
// inverted or empty result is the empty rectangle at its left and top.
ClipRect Held(const ClipRect& c, int32_t cw, int32_t ch) {
    const int32_t left = std::clamp(c.left, 0, cw), top = std::clamp(c.top, 0, ch);
    return ClipRect{left, top, std::clamp(c.right, left, cw), std::clamp(c.bottom, top, ch)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    Rng rng(fdp.ConsumeIntegral<uint32_t>());
    // Released before it ends: the canvas, and with it every guarded block.
    vc15test::GuardPages guard(fdp.ConsumeBool() ? vc15test::GuardSide::After : vc15test::GuardSide::Before);
    const auto levels = vc15::kernels::Levels();
    if (!vc15::cpu::ForceLevelForTesting(levels[fdp.ConsumeIntegralInRange<size_t>(0, levels.size() - 1)]))
        vc15::cpu::ForceLevelForTesting(vc15::kernels::Detected());

    ICanvas15* canvas = CreateInstance();
    if (!canvas) return 0;
    CanvasDesc desc{};
    desc.width = fdp.ConsumeIntegralInRange<int32_t>(fdp.ConsumeIntegralInRange<int>(0, 31) == 0 ? 0 : 1, 256);
    desc.height = fdp.ConsumeIntegralInRange<int32_t>(fdp.ConsumeIntegralInRange<int>(0, 31) == 0 ? 0 : 1, 256);
    desc.flags = (fdp.ConsumeBool() ? CANVAS_DEPTHPLANE : 0u) | (fdp.ConsumeIntegral<uint8_t>() & ~CANVAS_DEPTHPLANE);
    if (canvas->Create(&desc) != 0) Fail("Create refused a canvas description", -1);
    const int32_t cw = canvas->GetWidth(), ch = canvas->GetHeight();
    uint16_t* pixels = nullptr;
    canvas->GetBuffer(&pixels);
    // The depth plane has no host access of its own: look at the object.
    vc15::CCanvas* impl = static_cast<vc15::CCanvas*>(canvas);
    uint8_t* depth = impl->depthPlane ? impl->depthPlane->data : nullptr;
    const size_t n = static_cast<size_t>(cw) * static_cast<size_t>(ch);

    if (pixels)
        for (size_t i = 0; i < n; ++i) pixels[i] = static_cast<uint16_t>(rng());
    if (depth && fdp.ConsumeBool())
        for (size_t i = 0; i < n; ++i) depth[i] = static_cast<uint8_t>(rng() % 4 ? rng() : 255);
    ref::Canvas model = vc15test::ModelOf(*impl);

    // `given` is the host's clip rectangle; the model draws with what the
    // canvas keeps of it, and checks 1 and 2 hold against `given` as well.
    ClipRect given{0, 0, cw, ch};
    model.clip = given;

    std::vector<uint16_t> beforePx;
    std::vector<uint8_t> beforeDepth;
    const int draws = fdp.ConsumeIntegralInRange<int>(1, 6);
    for (int step = 0; step < draws && fdp.remaining_bytes() > 0; ++step) {
        // Between draws the host may set another clip rectangle or fill a
        // rectangle (clipped to the canvas only).
        const int between = fdp.ConsumeIntegralInRange<int>(0, 7);
        if (between == 0) {
            given = PickClip(fdp, cw, ch);
            if (canvas->SetClipRect(&given) != 0) Fail("SetClipRect refused a rectangle", step);
            model.clip = Held(given, cw, ch);
        } else if (between == 1 && pixels) {
            FillRectDesc fill{};
            for (auto& c : fill.color) c = fdp.ConsumeIntegral<uint8_t>();
            fill.x = Near(fdp, 0, cw);
            fill.y = Near(fdp, 0, ch);
            fill.width = Near(fdp, 0, cw);
            fill.height = Near(fdp, 0, ch);
            if (canvas->FillRect(&fill) != 0) Fail("FillRect refused a rectangle", step);
            const uint16_t v =
                static_cast<uint16_t>((fill.color[0] >> 3) << 10 | (fill.color[1] >> 3) << 5 | fill.color[2] >> 3);
            const int64_t x1 = int64_t{fill.x} + fill.width, y1 = int64_t{fill.y} + fill.height;
            for (int32_t Y = 0; Y < ch; ++Y)
                for (int32_t X = 0; X < cw; ++X)
                    if (X >= fill.x && X < x1 && Y >= fill.y && Y < y1)
                        model.pixels[static_cast<size_t>(Y) * cw + X] = v;
            if (std::memcmp(pixels, model.pixels.data(), n * sizeof(uint16_t)) != 0)
                Fail("FillRect differs from the model", step);
        }

        auto rq = std::make_unique<Request>();
        BuildRequest(fdp, rng, cw, ch, *rq);
        if (pixels) beforePx.assign(pixels, pixels + n);
        if (depth) beforeDepth.assign(depth, depth + n);

        vc15::testing::FailAllocationsAfter(fdp.ConsumeIntegralInRange<int>(0, 15) == 0 ? 0 : -1);
        const int32_t got = canvas->Draw(rq->x, rq->y, rq->image, rq->effectPtr);
        vc15::testing::FailAllocationsAfter(-1);
        const int32_t want = ref::Draw(model, rq->x, rq->y, rq->image, rq->effectPtr);
        if (got != 0 && got != -1) Fail("result is neither 0 nor -1", step);

        // 1 and 2: the clip rectangle and refusals, without the model.
        for (int32_t Y = 0; Y < ch && pixels; ++Y)
            for (int32_t X = 0; X < cw; ++X) {
                const size_t i = static_cast<size_t>(Y) * cw + X;
                const bool kept = got == -1 || !vc15test::Inside(model.clip, X, Y) || !vc15test::Inside(given, X, Y);
                if (kept && pixels[i] != beforePx[i]) Fail("pixel changed outside the clip or on -1", step);
                if (kept && depth && depth[i] != (got == 0 && rq->clears ? rq->clearValue : beforeDepth[i]))
                    Fail("depth changed outside the clip or on -1 (or is not the clear value)", step);
            }

        // 3: the exact rules.
        if (got != want) Fail("result differs from the model", step);
        if (pixels && std::memcmp(pixels, model.pixels.data(), n * sizeof(uint16_t)) != 0)
            Fail("pixels differ from the model", step);
        if (depth && std::memcmp(depth, model.depth.data(), n) != 0) Fail("depth plane differs from the model", step);
    }

    canvas->Release();
    return 0;
}
