// Presenting: the four widening converters at every level against the
// scalar forms over all 65536 inputs and every short length; vcCopyToBuffer
// for every format, pitch and refusal; vcPresent for every surface format it
// writes or refuses, clipping both ways, lock and unlock failures, on plain
// memory surfaces and on DirectDraw's own (the stand-in off Windows).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "core/cpu.h"
#include "core/kernel_table.h"
#include "ddraw_support.h"
#include "levels.h"
#include "memory_surface.h"
#include "pixel/convert.h"

namespace {

using ConvertLevel = vc15::cpu::Level;
using vc15::KernelTable;

struct Widening {
    const char* name;
    uint32_t format;
    int bytes;  // per output pixel
    void (*run)(const vc15::KernelTable& t, void* dst, const uint16_t* src, int32_t count);
};

const Widening kWidenings[] = {
    {"565", VC15_FORMAT_RGB565, 2,
     [](const vc15::KernelTable& t, void* d, const uint16_t* s, int32_t n) {
         t.rgb555ToRgb565Wide(static_cast<uint16_t*>(d), s, n);
     }},
    {"XRGB8888", VC15_FORMAT_XRGB8888, 4,
     [](const vc15::KernelTable& t, void* d, const uint16_t* s, int32_t n) {
         t.rgb555ToXrgb8888(static_cast<uint32_t*>(d), s, n);
     }},
    {"BGR888", VC15_FORMAT_BGR888, 3,
     [](const vc15::KernelTable& t, void* d, const uint16_t* s, int32_t n) {
         t.rgb555ToBgr888(static_cast<uint8_t*>(d), s, n);
     }},
    {"RGBA8888", VC15_FORMAT_RGBA8888, 4,
     [](const vc15::KernelTable& t, void* d, const uint16_t* s, int32_t n) {
         t.rgb555ToRgba8888(static_cast<uint8_t*>(d), s, n);
     }},
};

constexpr uint8_t kGuard = 0xA7;

// Output of one form for `count` pixels at byte offset `dstOffset`, with
// guard bytes around it.
std::vector<uint8_t> Convert(const Widening& w, ConvertLevel level, const uint16_t* src, int32_t count,
                             size_t dstOffset) {
    std::vector<uint8_t> out(static_cast<size_t>(count) * w.bytes + dstOffset + 32, kGuard);
    w.run(*vc15::kernels::For(level), out.data() + dstOffset, src, count);
    return out;
}

// The widened value of one pixel written from the rules: each 5-bit channel
// v becomes (v << 3) | (v >> 2), green for 565 takes 6 bits (g << 1) | (g >> 4),
// bit 15 is ignored and the 4-byte forms have an opaque alpha byte.
std::vector<uint8_t> Widened(const Widening& w, uint16_t p) {
    const uint32_t r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
    const uint32_t r8 = r << 3 | r >> 2, g8 = g << 3 | g >> 2, b8 = b << 3 | b >> 2;
    if (w.format == VC15_FORMAT_RGB565) {
        const uint32_t g6 = g << 1 | g >> 4, v = r << 11 | g6 << 5 | b;
        return {uint8_t(v), uint8_t(v >> 8)};
    }
    if (w.format == VC15_FORMAT_BGR888) return {uint8_t(b8), uint8_t(g8), uint8_t(r8)};
    if (w.format == VC15_FORMAT_RGBA8888) return {uint8_t(r8), uint8_t(g8), uint8_t(b8), 0xFF};
    return {uint8_t(b8), uint8_t(g8), uint8_t(r8), 0xFF};
}

// Every level (scalar included) against the rules on all 65536 values, once
// 16-bit aligned and once at an odd address, and on every short length:
// the block loops and tails meet, nothing is written past the end.
TEST(PresentConvert, EveryLevelGivesTheWidenedValuesOnAllInputsAndLengths) {
    std::vector<uint8_t> bytes(2 * 65536 + 1);
    for (size_t off : {0, 1}) {
        for (uint32_t i = 0; i < 65536; ++i) std::memcpy(bytes.data() + off + 2 * i, &i, 2);
        const auto* all = reinterpret_cast<const uint16_t*>(bytes.data() + off);
        for (const Widening& w : kWidenings) {
            std::vector<uint8_t> want(65536 * w.bytes + off + 32, kGuard);
            for (uint32_t i = 0; i < 65536; ++i) {
                const std::vector<uint8_t> px = Widened(w, static_cast<uint16_t>(i));
                std::copy(px.begin(), px.end(), want.begin() + off + i * w.bytes);
            }
            for (ConvertLevel level : vc15test::SupportedLevels()) {
                ASSERT_EQ(Convert(w, level, all, 65536, off), want)
                    << w.name << " level " << static_cast<int>(level) << " offset " << off;
                for (int32_t n = 0; n <= 70; ++n) {
                    const size_t first = (977 * n) % (65536 - 70);
                    std::vector<uint8_t> part(static_cast<size_t>(n) * w.bytes + off + 32, kGuard);
                    std::copy(want.begin() + off + first * w.bytes, want.begin() + off + (first + n) * w.bytes,
                              part.begin() + off);
                    ASSERT_EQ(Convert(w, level, all + first, n, off), part)
                        << w.name << " level " << static_cast<int>(level) << " count " << n << " offset " << off;
                }
            }
        }
    }
}

// ---- Frames of a random canvas ---------------------------------------------

struct Canvas {
    ICanvas15* c = CreateInstance();
    uint16_t* px = nullptr;
    Canvas(int32_t w, int32_t h, uint32_t seed) {
        CanvasDesc d{0, w, h};
        c->Create(&d);
        c->GetBuffer(&px);
        std::mt19937 rng(seed);
        for (int32_t i = 0; i < w * h; ++i) px[i] = static_cast<uint16_t>(rng());  // bit 15 set in half
    }
    ~Canvas() { c->Release(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
};

int BytesOf(uint32_t format) {
    return format == VC15_FORMAT_XRGB8888 || format == VC15_FORMAT_RGBA8888 ? 4 : format == VC15_FORMAT_BGR888 ? 3 : 2;
}

// What row y of the canvas must become, first w pixels, by the scalar forms.
std::vector<uint8_t> ExpectedRow(const Canvas& cv, int32_t canvasWidth, int32_t y, int32_t w, uint32_t format) {
    std::vector<uint8_t> row(static_cast<size_t>(w) * BytesOf(format) + 32, kGuard);
    const uint16_t* src = cv.px + static_cast<size_t>(y) * canvasWidth;
    if (format == VC15_FORMAT_RGB555) {
        std::memcpy(row.data(), src, static_cast<size_t>(w) * 2);
    } else {
        for (const Widening& wd : kWidenings)
            if (wd.format == format) wd.run(*vc15::kernels::For(ConvertLevel::Scalar), row.data(), src, w);
    }
    row.resize(static_cast<size_t>(w) * BytesOf(format));
    return row;
}

TEST(CopyToBuffer, RefusesWithoutWriting) {
    Canvas cv(8, 2, 1);
    ICanvas15* bare = CreateInstance();  // no pixels
    std::vector<uint8_t> buf(256, kGuard);
    const struct {
        ICanvas15* canvas;
        void* dst;
        int32_t pitch;
        uint32_t format;
    } cases[] = {
        {nullptr, buf.data(), 64, VC15_FORMAT_RGB565},
        {cv.c, nullptr, 64, VC15_FORMAT_RGB565},
        {cv.c, buf.data(), 64, 0},
        {cv.c, buf.data(), 64, 6},
        {cv.c, buf.data(), 64, FORMAT_RGB888},
        {cv.c, buf.data(), 15, VC15_FORMAT_RGB555},  // one byte short of a row
        {cv.c, buf.data(), 31, VC15_FORMAT_XRGB8888},
        {cv.c, buf.data(), 23, VC15_FORMAT_BGR888},
        {cv.c, buf.data(), 31, VC15_FORMAT_RGBA8888},
        {cv.c, buf.data(), -64, VC15_FORMAT_RGB565},
        {bare, buf.data(), 64, VC15_FORMAT_RGB565},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vcCopyToBuffer(c.canvas, c.dst, c.pitch, c.format), -1) << c.pitch << " " << c.format;
        EXPECT_EQ(buf, std::vector<uint8_t>(256, kGuard));
    }
    bare->Release();
}

// ---- vcPresent on memory surfaces ------------------------------------------

// A memory surface of w x h pixels in format pf, with a few bytes of slack
// at each row's end.
struct FormattedSurface : vc15test::MemorySurface {
    FormattedSurface(DWORD w, DWORD h, const DDPIXELFORMAT& pf)
        : MemorySurface(static_cast<int32_t>(w * ((pf.dwRGBBitCount + 7) / 8) + 6), static_cast<int32_t>(h), kGuard,
                        static_cast<int32_t>(w)) {
        format = pf;
    }
};

// Rows and columns the surface and the 37 x 5 canvas both have are the
// converted canvas; every other byte keeps its guard.
void ExpectPresented(const Canvas& cv, const uint8_t* mem, LONG pitch, DWORD sw, DWORD sh, size_t total,
                     uint32_t format) {
    const int32_t w = std::min<int32_t>(37, static_cast<int32_t>(sw)),
                  h = std::min<int32_t>(5, static_cast<int32_t>(sh));
    std::vector<uint8_t> want(total, kGuard);
    for (int32_t y = 0; y < h; ++y) {
        const auto row = ExpectedRow(cv, 37, y, w, format);
        std::memcpy(want.data() + static_cast<size_t>(y) * pitch, row.data(), row.size());
    }
    ASSERT_EQ(std::vector<uint8_t>(mem, mem + total), want) << "surface " << sw << " x " << sh << " format " << format;
}

struct SurfaceFormat {
    DDPIXELFORMAT pf;
    uint32_t format;  // 0: refused
};

std::vector<SurfaceFormat> SurfaceFormats() {
    DDPIXELFORMAT argb = ddtest::Xrgb8888();
    argb.dwFlags |= DDPF_ALPHAPIXELS;
    argb.dwRGBAlphaBitMask = 0xFF000000u;
    DDPIXELFORMAT noRgbFlag = ddtest::Rgb565();
    noRgbFlag.dwFlags = 0;
    DDPIXELFORMAT palettised = ddtest::RgbFormat(8, 0, 0, 0);
    palettised.dwFlags |= DDPF_PALETTEINDEXED8;
    return {
        {ddtest::Rgb555(), VC15_FORMAT_RGB555},
        {ddtest::Rgb565(), VC15_FORMAT_RGB565},
        {ddtest::Rgb888(), VC15_FORMAT_BGR888},
        {ddtest::Xrgb8888(), VC15_FORMAT_XRGB8888},
        {argb, VC15_FORMAT_XRGB8888},
        {palettised, 0},
        {ddtest::RgbFormat(32, 0x0000FF, 0x00FF00, 0xFF0000), 0},  // blue high: not ours
        {ddtest::RgbFormat(16, 0x0F00, 0x00F0, 0x000F), 0},
        {ddtest::RgbFormat(24, 0xFF0000, 0x00FF00, 0x0000FF), VC15_FORMAT_BGR888},
        {noRgbFlag, 0},
    };
}

// Each format on memory surfaces smaller, larger and as large as the canvas;
// then the frame by vcCopyToBuffer, at an odd address and a pitch of exactly
// one row (also the format no surface has: bytes R, G, B, A).
TEST(Present, EveryFormatClippedBothWaysOnMemorySurfacesAndBuffers) {
    Canvas cv(37, 5, 11);
    for (uint32_t format :
         {VC15_FORMAT_RGB555, VC15_FORMAT_RGB565, VC15_FORMAT_BGR888, VC15_FORMAT_XRGB8888, VC15_FORMAT_RGBA8888}) {
        const int32_t pitch = 37 * BytesOf(format);
        std::vector<uint8_t> buf(static_cast<size_t>(pitch) * 5 + 1, kGuard);
        ASSERT_EQ(vcCopyToBuffer(cv.c, buf.data() + 1, pitch, format), 0);
        EXPECT_EQ(buf[0], kGuard);
        ExpectPresented(cv, buf.data() + 1, pitch, 37, 5, buf.size() - 1, format);
    }
    for (const SurfaceFormat& sf : SurfaceFormats()) {
        for (auto [sw, sh] : {std::pair<DWORD, DWORD>{37, 5}, {20, 3}, {50, 8}, {36, 9}}) {
            FormattedSurface s(sw, sh, sf.pf);
            ASSERT_EQ(vcPresent(cv.c, &s), sf.format ? 0 : -1);
            EXPECT_EQ(s.locks, 1);
            EXPECT_EQ(s.unlocks, 1);
            if (sf.format)
                ExpectPresented(cv, s.memory.data(), s.pitch, sw, sh, s.memory.size(), sf.format);
            else
                EXPECT_EQ(s.memory, std::vector<uint8_t>(s.memory.size(), kGuard)) << "refused format written";
        }
    }
}

TEST(Present, LockUnlockAndArgumentFailures) {
    Canvas cv(37, 5, 3);
    FormattedSurface lockFails(37, 5, ddtest::Rgb565());
    lockFails.lockResult = DDERR_SURFACEBUSY;
    EXPECT_EQ(vcPresent(cv.c, &lockFails), -1);
    EXPECT_EQ(lockFails.unlocks, 0);  // nothing to unlock
    EXPECT_EQ(lockFails.memory, std::vector<uint8_t>(lockFails.memory.size(), kGuard));

    FormattedSurface unlockFails(37, 5, ddtest::Rgb565());
    unlockFails.unlockResult = DDERR_GENERIC;
    EXPECT_EQ(vcPresent(cv.c, &unlockFails), -1);  // after the frame was written
    ExpectPresented(cv, unlockFails.memory.data(), unlockFails.pitch, 37, 5, unlockFails.memory.size(),
                    VC15_FORMAT_RGB565);

    FormattedSurface s(37, 5, ddtest::Rgb565());
    ICanvas15* bare = CreateInstance();
    EXPECT_EQ(vcPresent(nullptr, &s), -1);
    EXPECT_EQ(vcPresent(cv.c, nullptr), -1);
    EXPECT_EQ(vcPresent(bare, &s), -1);
    EXPECT_EQ(s.locks, 0);  // refused before locking
    bare->Release();        // (pitches below a row: traps_test)
}

// ---- vcPresent on DirectDraw surfaces --------------------------------------

// The stand-in's surfaces (off Windows) and the platform's (Wine) describe
// themselves on Lock the same way: the frame lands converted in each.
TEST(Present, DirectDrawSurfacesOfEveryFormat) {
    ddtest::ResetAll();
    ddtest::Ref<IDirectDraw7> dd;
    ASSERT_TRUE(ddtest::MakeDirectDraw(dd));
    Canvas cv(37, 5, 5);
    int made = 0;
    for (const SurfaceFormat& sf : SurfaceFormats()) {
        ddtest::Ref<IDirectDrawSurface7> s;
        if (ddtest::MakeSurface(dd.get(), 40, 4, sf.pf, s) != 0) continue;  // formats the platform does not make
        ++made;
        size_t total = 0;
        LONG pitch = 0;
        {
            ddtest::Locked l(s.get());
            ASSERT_TRUE(l.ok);
            pitch = l.desc.lPitch;
            total = static_cast<size_t>(pitch) * 4;
            std::memset(l.desc.lpSurface, kGuard, total);
        }
        ASSERT_EQ(vcPresent(cv.c, s.get()), sf.format ? 0 : -1) << sf.pf.dwRGBBitCount;
        ddtest::Locked l(s.get());
        ASSERT_TRUE(l.ok);
        const auto* mem = static_cast<const uint8_t*>(l.desc.lpSurface);
        if (sf.format)
            ExpectPresented(cv, mem, pitch, 40, 4, total, sf.format);
        else
            EXPECT_EQ(std::vector<uint8_t>(mem, mem + total), std::vector<uint8_t>(total, kGuard));
    }
    EXPECT_GE(made, 4);  // at least 555, 565, 24 and 32 bits
}

}  // namespace
