// Differential tests of the depth rows: the SSE2 and AVX2 forms against the
// scalar rules, bit for bit, over all short lengths, long runs, every bias
// class and unaligned pointers; and the dispatch through the cpu level hook.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "blit/depth_rows.h"
#include "core/cpu.h"
#include "test_hooks.h"

namespace {

using vc15::cpu::Level;
namespace dr = vc15::depth_rows;

struct Forms {
    const char* name;
    decltype(&dr::WriteScalar) write;
    decltype(&dr::CopyScalar) copy;
    decltype(&dr::BlendScalar) blend;
    Level level;
};

std::vector<Forms> SimdForms() {
    std::vector<Forms> f;
#if defined(VC15_HAVE_X86_SIMD)
    if (vc15::cpu::Supports(Level::Sse2))
        f.push_back({"sse2", dr::WriteSse2, dr::CopySse2, dr::BlendSse2, Level::Sse2});
    if (vc15::cpu::Supports(Level::Avx2))
        f.push_back({"avx2", dr::WriteAvx2, dr::CopyAvx2, dr::BlendAvx2, Level::Avx2});
    if (vc15::cpu::Supports(Level::Avx512))
        f.push_back({"avx512", dr::WriteAvx512, dr::CopyAvx512, dr::BlendAvx512, Level::Avx512});
#endif
    return f;
}

struct Case {
    std::vector<uint8_t> plane, samples;
    std::vector<uint16_t> dst, src;
};

// Plane and samples close to each other so that passes and fails mix, with
// the extremes (0, 255) frequent.
Case MakeCase(size_t n, std::mt19937& rng) {
    Case c;
    c.plane.resize(n + 40);
    c.samples.resize(n + 40);
    c.dst.resize(n + 40);
    c.src.resize(n + 40);
    for (size_t i = 0; i < n + 40; ++i) {
        const uint32_t r = rng();
        c.plane[i] = (r & 15) == 0 ? 255 : (r & 15) == 1 ? 0 : static_cast<uint8_t>(100 + (r >> 8) % 60);
        c.samples[i] = (r & 0x70) == 0 ? 255 : (r & 0x70) == 0x10 ? 0 : static_cast<uint8_t>(90 + (r >> 16) % 60);
        c.dst[i] = static_cast<uint16_t>(rng());  // bit 15 set in half of them
        c.src[i] = static_cast<uint16_t>(rng());
    }
    return c;
}

void CheckAll(const Forms& f, size_t n, size_t off, uint32_t bias, uint32_t level, std::mt19937& rng) {
    const Case base = MakeCase(n, rng);
    {
        Case want = base, got = base;
        dr::WriteScalar(want.plane.data() + off, want.samples.data() + off, static_cast<uint32_t>(n), bias);
        f.write(got.plane.data() + off, got.samples.data() + off, static_cast<uint32_t>(n), bias);
        ASSERT_EQ(want.plane, got.plane) << f.name << " write n " << n << " bias " << bias;
    }
    {
        Case want = base, got = base;
        dr::CopyScalar(want.dst.data() + off, want.plane.data() + off, want.src.data() + off, want.samples.data() + off,
                       static_cast<uint32_t>(n), bias);
        f.copy(got.dst.data() + off, got.plane.data() + off, got.src.data() + off, got.samples.data() + off,
               static_cast<uint32_t>(n), bias);
        ASSERT_EQ(want.dst, got.dst) << f.name << " copy n " << n << " bias " << bias;
    }
    {
        Case want = base, got = base;
        dr::BlendScalar(want.dst.data() + off, want.plane.data() + off, want.src.data() + off,
                        want.samples.data() + off, static_cast<uint32_t>(n), bias, level);
        f.blend(got.dst.data() + off, got.plane.data() + off, got.src.data() + off, got.samples.data() + off,
                static_cast<uint32_t>(n), bias, level);
        ASSERT_EQ(want.dst, got.dst) << f.name << " blend n " << n << " bias " << bias << " level " << level;
    }
}

TEST(SimdDepthRows, EveryLengthBiasAndLevelMatchesScalar) {
    const auto forms = SimdForms();
    if (forms.empty()) GTEST_SKIP() << "no SIMD level";
    std::mt19937 rng(42);
    for (const Forms& f : forms)
        for (uint32_t bias : {0u, 1u, 10u, 40u, 128u, 254u, 255u})
            for (size_t n = 0; n <= 70; ++n) {
                const uint32_t level = std::vector<uint32_t>{0, 1, 3, 77, 128, 200, 255, 256}[n % 8];
                CheckAll(f, n, n % 3, bias, level, rng);
                if (HasFatalFailure()) return;
            }
}

TEST(SimdDepthRows, LongRunsMatchScalar) {
    const auto forms = SimdForms();
    if (forms.empty()) GTEST_SKIP() << "no SIMD level";
    std::mt19937 rng(7);
    for (const Forms& f : forms)
        for (size_t n : {640u, 1001u, 4099u})
            for (uint32_t level = 0; level <= 256; level += 37) {
                CheckAll(f, n, 1, level % 50, level, rng);
                if (HasFatalFailure()) return;
            }
}

TEST(SimdDepthRows, DispatchFollowsTheCpuLevel) {
    const Level before = vc15::cpu::Active();
    std::mt19937 rng(3);
    for (Level level : {Level::Scalar, Level::Sse2, Level::Ssse3, Level::Avx2, Level::Avx512}) {
        if (!vc15::cpu::ForceLevelForTesting(level)) continue;
        const Case base = MakeCase(100, rng);
        Case want = base, got = base;
        dr::BlendScalar(want.dst.data(), want.plane.data(), want.src.data(), want.samples.data(), 100, 5, 77);
        vc15::DepthBlendRow(got.dst.data(), got.plane.data(), got.src.data(), got.samples.data(), 100, 5, 77);
        EXPECT_EQ(want.dst, got.dst);
        dr::CopyScalar(want.dst.data(), want.plane.data(), want.src.data(), want.samples.data(), 100, 5);
        vc15::DepthCopyRow(got.dst.data(), got.plane.data(), got.src.data(), got.samples.data(), 100, 5);
        EXPECT_EQ(want.dst, got.dst);
        dr::WriteScalar(want.plane.data(), want.samples.data(), 100, 5);
        vc15::DepthWriteRow(got.plane.data(), got.samples.data(), 100, 5);
        EXPECT_EQ(want.plane, got.plane);
    }
    vc15::cpu::ForceLevelForTesting(before);
}

}  // namespace
