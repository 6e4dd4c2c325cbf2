// Runs that end exactly at the end of the canvas's pixels, or start exactly at
// their beginning, with the image's own pixels against a guard page too: a
// copy that reads or writes one element past a run (a whole vector instead of
// a masked one, a piece too many) faults. Every run length around the widths
// the row copies switch at, on the unclipped and the clipped path, at every
// processor level available here; the pixels must equal the reference model's.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "core/memory.h"
#include "draw_test_support.h"
#include "guard_pages.h"
#include "levels.h"
#include "reference_model.h"

namespace {

using vc15::cpu::Level;

constexpr int32_t kWidth = 100;
constexpr int32_t kHeight = 3;
constexpr uint32_t kLengths[] = {1, 2, 3, 4, 7, 8, 9, 15, 16, 17, 31, 32, 33, 47, 48, 63, 64, 65, 95, 96, 100};

// A block from the library's allocator, so it lies against a guard page while
// one is alive; freed with it.
using GuardedBlock = std::unique_ptr<uint8_t, void (*)(void*)>;
GuardedBlock Block(size_t bytes) { return {static_cast<uint8_t*>(vc15::MemAlloc(bytes)), vc15::MemFree}; }

// A span-list image over records it does not own (the image would release
// its records with delete[]).
struct BorrowedSpans : CSpanImage {
    ~BorrowedSpans() { spans = nullptr; }
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
    for (int32_t i = 0; i < kWidth * kHeight; ++i) px[i] = static_cast<uint16_t>(0x4210 + i);
    ref::Canvas model = vc15test::ModelOf(*static_cast<vc15::CCanvas*>(c));
    EXPECT_EQ(c->Draw(x, y, image, effect), 0) << what;
    EXPECT_EQ(ref::Draw(model, x, y, image, effect), 0) << what;
    for (size_t i = 0; i < model.pixels.size(); ++i)
        ASSERT_EQ(px[i], model.pixels[i])
            << what << " pixel " << i << (side == vc15test::GuardSide::After ? " (guard after)" : " (guard before)");
    c->Release();
}

// Against the trailing guard a run ends at the canvas's last pixel, against
// the leading one it starts at the first. Span records: unclipped, a box of
// the canvas's size at (0, 0); clipped, one column wider, placed one column
// left, with the record one column further right in it. Raw images of 1 to 3
// rows: wholly inside in the corner the guard page is at, and crossing the
// clip by one column and one row on that side.
TEST(GuardedRuns, RunsAtTheCanvasEnds) {
    const DrawEffect soft{EFFECT_SOFT_EDGE, 0, 0, nullptr};
    std::vector<uint16_t> art(kWidth * kHeight);
    for (size_t i = 0; i < art.size(); ++i) art[i] = static_cast<uint16_t>((i * 0x2A5u + 0x1234u) & 0x7FFFu);
    vc15test::AtEveryLevel([&](Level) {
        for (auto side : {vc15test::GuardSide::After, vc15test::GuardSide::Before}) {
            vc15test::GuardPages guard(side);
            const bool atEnd = side == vc15test::GuardSide::After;
            for (uint32_t n : kLengths) {
                const int32_t w = static_cast<int32_t>(n);
                std::vector<uint8_t> record;
                GuardedBlock spans = Block(sizeof(SpanRecord) + 2 * n);  // header and pixels fill it exactly
                ASSERT_NE(spans.get(), nullptr);
                for (int clipped = 0; clipped < 2; ++clipped) {
                    record.clear();
                    vc15test::AppendRecord(record, static_cast<uint16_t>((atEnd ? kWidth - w : 0) + clipped),
                                           atEnd ? kHeight - 1 : 0,
                                           std::vector<uint16_t>(art.begin(), art.begin() + n));
                    std::memcpy(spans.get(), record.data(), record.size());
                    BorrowedSpans image;
                    image.width = kWidth + clipped;
                    image.height = kHeight;
                    image.spanCount = 1;
                    image.spans = spans.get();
                    const std::string what = "n=" + std::to_string(n) + (clipped ? " clipped" : " whole");
                    DrawAndCompare(side, -clipped, 0, &image, nullptr, what);
                    DrawAndCompare(side, -clipped, 0, &image, &soft, what + " soft edge");
                }
                for (int32_t h = 1; h <= 3; ++h) {
                    GuardedBlock block = Block(2u * n * h);
                    ASSERT_NE(block.get(), nullptr);
                    std::memcpy(block.get(), art.data(), 2u * n * h);
                    CRawImage raw;
                    raw.width = w;
                    raw.height = h;
                    raw.pixels = reinterpret_cast<uint16_t*>(block.get());
                    const std::string what = "raw " + std::to_string(n) + "x" + std::to_string(h);
                    for (int32_t cross = 0; cross < 2; ++cross)
                        DrawAndCompare(side, atEnd ? kWidth - w + cross : -cross, atEnd ? kHeight - h + cross : -cross,
                                       &raw, nullptr, what + (cross ? " crossing" : " inside"));
                }
            }
        }
    });
}

}  // namespace
