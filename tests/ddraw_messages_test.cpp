// Result messages: found by scanning every code of the DirectDraw facility
// and the general codes, not from a copy of the table. Each listed code has
// its own sentence, the codes and texts together (spaces included) are
// pinned by one CRC32 (a change of the constant is a visible decision), and
// everything else gives "0".
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "VexaCanvas15.h"

namespace {

const char* Message(uint32_t code) { return vdxDirectDrawErrorCode(static_cast<HRESULT>(code)); }

// CRC32 of every listed code (four bytes, little-endian) followed by its text
// and the terminating zero, codes in ascending order.
constexpr uint32_t kTableCrc = 0x82A0A656u;

uint32_t Crc32(uint32_t crc, const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

TEST(DDrawMessages, EveryListedCodeHasItsOwnSentence) {
    const char* zero = Message(1);
    ASSERT_STREQ(zero, "0");
    std::set<uint32_t> codes;
    for (uint32_t code = 0x88760000u; code <= 0x88760FFFu; ++code) codes.insert(code);
    for (uint32_t code : {0x00000000u, 0x80004001u, 0x80004005u, 0x8007000Eu, 0x80070057u, 0x800401F0u, 0x80004000u,
                          0x80004002u, 0x80004003u, 0x800401F1u, 0x8007000Du, 0x80070056u, 0x00000001u, 0x7FFFFFFFu,
                          0xFFFFFFFFu, 0x08760005u, 0x88770005u, 0x08760082u, 0x12345678u})
        codes.insert(code);
    std::set<std::string> texts;
    uint32_t crc = 0;
    for (uint32_t code : codes) {
        const char* m = Message(code);
        ASSERT_EQ(m, Message(code)) << "the same code gives the same pointer";
        if (m == zero) continue;
        const std::string text = m;
        SCOPED_TRACE(testing::Message() << std::hex << "code 0x" << code << ": \"" << text << "\"");
        ASSERT_GT(text.size(), 4u);
        texts.insert(text);
        const uint8_t le[4] = {uint8_t(code), uint8_t(code >> 8), uint8_t(code >> 16), uint8_t(code >> 24)};
        crc = Crc32(Crc32(crc, le, 4), m, text.size() + 1);
    }
    EXPECT_EQ(texts.size(), 107u);
    EXPECT_EQ(crc, kTableCrc) << std::hex << "CRC32 of the table";
}

}  // namespace
