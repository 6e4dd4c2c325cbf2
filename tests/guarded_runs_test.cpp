// Runs that end exactly at the end of the canvas's pixels, or start exactly at
// their beginning, with the image's own pixels against a guard page too: a
// copy that reads or writes one element past a run (a whole vector instead of
// a masked one, a piece too many) faults. Every run length around the widths
// the row copies switch at, on the unclipped and the clipped path, at every
// processor level available here; the pixels must equal the reference model's.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "core/memory.h"
#include "guard_pages.h"
#include "levels.h"
#include "reference_model.h"
#include "test_hooks.h"

namespace {

using vc15::cpu::Level;

constexpr int32_t kWidth = 100;
constexpr int32_t kHeight = 3;
constexpr uint32_t kLengths[] = {1, 2, 3, 4, 7, 8, 9, 15, 16, 17, 31, 32, 33, 47, 48, 63, 64, 65, 95, 96, 100};

// A block from the library's allocator, so it lies against a guard page while
// one is alive; freed with it.
struct GuardedBlock {
    explicit GuardedBlock(size_t bytes) : data(static_cast<uint8_t*>(vc15::MemAlloc(bytes))) {}
    ~GuardedBlock() { vc15::MemFree(data); }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;
    uint8_t* data;
};

uint16_t Pixel(uint32_t i) { return static_cast<uint16_t>((i * 0x2A5u + 0x1234u) & 0x7FFFu); }

// One span record of `count` pixels at (x, y): header and pixels fill the
// block exactly.
void WriteRecord(uint8_t* at, uint16_t x, uint16_t y, uint32_t count) {
    SpanRecord r{x, y, count};
    std::memcpy(at, &r, sizeof r);
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t p = Pixel(i);
        std::memcpy(at + sizeof r + 2 * i, &p, 2);
    }
}

// A span-list image over records it does not own (the image would release
// its records with delete[]).
struct BorrowedSpans : CSpanImage {
    ~BorrowedSpans() { spans = nullptr; }
};

class GuardedRuns : public ::testing::TestWithParam<Level> {
protected:
    void SetUp() override {
        if (!vc15::cpu::ForceLevelForTesting(GetParam())) GTEST_SKIP() << "level not available here";
    }
    void TearDown() override { vc15::cpu::ForceLevelForTesting(vc15::cpu::Detected()); }
};

// Draws `image` with `effect` at (x, y) on a guarded canvas and on the model,
// both starting from the same pixels, and compares every pixel.
void DrawAndCompare(vc15test::GuardSide side, int32_t x, int32_t y, const CImage* image, const DrawEffect* effect,
                    const std::string& what) {
    ICanvas15* c = CreateInstance();
    CanvasDesc d{0, kWidth, kHeight};
    ASSERT_EQ(c->Create(&d), 0);
    uint16_t* px = nullptr;
    c->GetBuffer(&px);
    ref::Canvas model;
    model.width = kWidth;
    model.height = kHeight;
    model.clip = ClipRect{0, 0, kWidth, kHeight};
    model.pixels.resize(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < model.pixels.size(); ++i) model.pixels[i] = px[i] = static_cast<uint16_t>(0x4210u + i);
    EXPECT_EQ(c->Draw(x, y, image, effect), 0) << what;
    EXPECT_EQ(ref::Draw(model, x, y, image, effect), 0) << what;
    for (size_t i = 0; i < model.pixels.size(); ++i)
        ASSERT_EQ(px[i], model.pixels[i])
            << what << " pixel " << i << (side == vc15test::GuardSide::After ? " (guard after)" : " (guard before)");
    c->Release();
}

TEST_P(GuardedRuns, SpanRunsAtTheCanvasEnds) {
    const DrawEffect soft{EFFECT_SOFT_EDGE, 0, 0, nullptr};
    for (auto side : {vc15test::GuardSide::After, vc15test::GuardSide::Before}) {
        vc15test::GuardPages guard(side);
        for (uint32_t n : kLengths) {
            GuardedBlock spans(sizeof(SpanRecord) + 2 * n);
            ASSERT_NE(spans.data, nullptr);
            // Against the trailing guard the run ends at the canvas's last
            // pixel; against the leading one it starts at the first.
            const bool atEnd = side == vc15test::GuardSide::After;
            for (int clipped = 0; clipped < 2; ++clipped) {
                // Unclipped: a box of the canvas's size at (0, 0). Clipped:
                // one column wider, placed one column left (atEnd) or right.
                const int32_t boxW = kWidth + clipped;
                const uint16_t sx = static_cast<uint16_t>(atEnd ? boxW - static_cast<int32_t>(n) : 0);
                const uint16_t sy = atEnd ? kHeight - 1 : 0;
                WriteRecord(spans.data, sx, sy, n);
                BorrowedSpans image;
                image.width = boxW;
                image.height = kHeight;
                image.spanCount = 1;
                image.spans = spans.data;
                const int32_t at = clipped ? (atEnd ? -1 : 1) : 0;
                // The clipped box starting one column right drops the run's
                // last pixel off the canvas; the run still starts at the
                // first pixel only when the box starts at 0, so there shift
                // the record instead.
                if (clipped && !atEnd) {
                    image.width = kWidth + 1;
                    WriteRecord(spans.data, 1, sy, n);
                    const std::string what = "n=" + std::to_string(n) + " clipped start";
                    DrawAndCompare(side, -1, 0, &image, nullptr, what);
                    DrawAndCompare(side, -1, 0, &image, &soft, what + " soft edge");
                    continue;
                }
                const std::string what = "n=" + std::to_string(n) + (clipped ? " clipped" : " whole");
                DrawAndCompare(side, at, 0, &image, nullptr, what);
                DrawAndCompare(side, at, 0, &image, &soft, what + " soft edge");
            }
        }
    }
}

TEST_P(GuardedRuns, RawRowsAtTheCanvasEnds) {
    for (auto side : {vc15test::GuardSide::After, vc15test::GuardSide::Before}) {
        vc15test::GuardPages guard(side);
        const bool atEnd = side == vc15test::GuardSide::After;
        for (uint32_t n : kLengths) {
            for (uint32_t rows : {1u, 2u, 3u}) {
                GuardedBlock block(2u * n * rows);
                ASSERT_NE(block.data, nullptr);
                for (uint32_t i = 0; i < n * rows; ++i) {
                    const uint16_t p = Pixel(i);
                    std::memcpy(block.data + 2 * i, &p, 2);
                }
                CRawImage raw;
                raw.width = static_cast<int32_t>(n);
                raw.height = static_cast<int32_t>(rows);
                raw.pixels = reinterpret_cast<uint16_t*>(block.data);
                const int32_t w = static_cast<int32_t>(n);
                const int32_t h = static_cast<int32_t>(rows);
                const std::string what = "raw " + std::to_string(n) + "x" + std::to_string(rows);
                // Wholly inside, in the corner the guard page is at.
                DrawAndCompare(side, atEnd ? kWidth - w : 0, atEnd ? kHeight - h : 0, &raw, nullptr, what + " inside");
                // Crossing the clip by one column and one row on that side.
                DrawAndCompare(side, atEnd ? kWidth - w + 1 : -1, atEnd ? kHeight - h + 1 : -1, &raw, nullptr,
                               what + " crossing");
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, GuardedRuns, ::testing::ValuesIn(vc15test::SupportedLevels()),
                         [](const ::testing::TestParamInfo<Level>& info) { return vc15test::LevelName(info.param); });

}  // namespace
