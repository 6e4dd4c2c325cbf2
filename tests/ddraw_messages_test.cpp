// Result messages: every listed code, the spaces around each text, the texts
// hosts rely on byte for byte, and "0" for everything else.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "VexaCanvas15.h"

namespace {

enum Spaces { kTrailing, kLeading, kBoth, kTwoTrailing, kNone };

struct Row {
    uint32_t code;
    Spaces spaces;
};

// Every code of the table with the spaces its text carries.
// clang-format off
const Row kRows[] = {
    // No leading space, one trailing space.
    {0x80004001, kTrailing}, {0x800401F0, kTrailing}, {0x8007000E, kTrailing}, {0x80070057, kTrailing},
    {0x88760005, kTrailing}, {0x8876000A, kTrailing}, {0x88760014, kTrailing}, {0x88760028, kTrailing},
    {0x8876005A, kTrailing}, {0x8876005F, kTrailing}, {0x88760064, kTrailing}, {0x8876006E, kTrailing},
    {0x88760091, kTrailing}, {0x88760096, kTrailing}, {0x887600A0, kTrailing}, {0x887600AA, kTrailing},
    {0x887600B4, kTrailing}, {0x887600CD, kTrailing}, {0x887600D4, kTrailing}, {0x887600D7, kTrailing},
    {0x887600DC, kTrailing}, {0x887600DE, kTrailing}, {0x887600E1, kTrailing}, {0x887600E6, kTrailing},
    {0x887600F0, kTrailing}, {0x887600FA, kTrailing}, {0x887600FF, kTrailing}, {0x88760104, kTrailing},
    {0x88760118, kTrailing}, {0x88760122, kTrailing}, {0x88760136, kTrailing}, {0x8876013C, kTrailing},
    {0x8876013D, kTrailing}, {0x88760140, kTrailing}, {0x8876014A, kTrailing}, {0x8876014F, kTrailing},
    {0x88760154, kTrailing}, {0x8876015E, kTrailing}, {0x88760168, kTrailing}, {0x8876017C, kTrailing},
    {0x8876017E, kTrailing}, {0x88760180, kTrailing}, {0x88760183, kTrailing}, {0x88760190, kTrailing},
    {0x8876019A, kTrailing}, {0x887601A4, kTrailing}, {0x887601AE, kTrailing}, {0x887601B3, kTrailing},
    {0x887601B8, kTrailing}, {0x887601C2, kTrailing}, {0x887601CC, kTrailing}, {0x887601D6, kTrailing},
    {0x887601E0, kTrailing}, {0x887601EA, kTrailing}, {0x887601FE, kTrailing}, {0x8876021C, kTrailing},
    {0x88760230, kTrailing}, {0x88760232, kTrailing}, {0x88760233, kTrailing}, {0x88760234, kTrailing},
    {0x88760236, kTrailing}, {0x88760238, kTrailing}, {0x8876023E, kTrailing}, {0x8876023F, kTrailing},
    {0x88760240, kTrailing}, {0x88760243, kTrailing}, {0x88760244, kTrailing}, {0x88760245, kTrailing},
    {0x88760246, kTrailing}, {0x88760247, kTrailing}, {0x88760248, kTrailing}, {0x88760249, kTrailing},
    {0x8876024B, kTrailing}, {0x8876024D, kTrailing}, {0x8876024E, kTrailing}, {0x8876024F, kTrailing},
    {0x88760250, kTrailing}, {0x88760258, kTrailing}, {0x88760259, kTrailing}, {0x8876026C, kTrailing},
    {0x88760276, kTrailing}, {0x88760280, kTrailing}, {0x887602A8, kTrailing}, {0x887602B2, kTrailing},
    {0x887602BB, kTrailing},
    // One leading space, no trailing space.
    {0x00000000, kLeading}, {0x80004005, kLeading}, {0x88760082, kLeading}, {0x88760219, kLeading},
    {0x88760235, kLeading}, {0x8876023D, kLeading}, {0x88760241, kLeading}, {0x8876024A, kLeading},
    {0x887602B7, kLeading},
    // One leading and one trailing space.
    {0x88760078, kBoth}, {0x8876023B, kBoth}, {0x88760242, kBoth},
    // No leading space, two trailing spaces.
    {0x88760037, kTwoTrailing}, {0x887600D2, kTwoTrailing}, {0x88760208, kTwoTrailing}, {0x88760231, kTwoTrailing},
    {0x88760237, kTwoTrailing}, {0x88760239, kTwoTrailing}, {0x8876023C, kTwoTrailing}, {0x88760294, kTwoTrailing},
    // Neither.
    {0x8876023A, kNone}, {0x8876024C, kNone},
};
// clang-format on

const char* Message(uint32_t code) { return vdxDirectDrawErrorCode(static_cast<HRESULT>(code)); }

TEST(DDrawMessages, TableHasEveryCodeInItsSpaceGroup) {
    int counts[5] = {0, 0, 0, 0, 0};
    std::set<uint32_t> codes;
    std::set<std::string> texts;
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << std::hex << "code 0x" << row.code);
        codes.insert(row.code);
        counts[row.spaces] += 1;
        const std::string text = Message(row.code);
        ASSERT_GT(text.size(), 4u);
        texts.insert(text);
        const bool leading = text[0] == ' ';
        const size_t trailing = text.size() - 1 - text.find_last_not_of(' ');
        switch (row.spaces) {
            case kTrailing:
                EXPECT_FALSE(leading);
                EXPECT_EQ(trailing, 1u);
                break;
            case kLeading:
                EXPECT_TRUE(leading);
                EXPECT_EQ(trailing, 0u);
                break;
            case kBoth:
                EXPECT_TRUE(leading);
                EXPECT_EQ(trailing, 1u);
                break;
            case kTwoTrailing:
                EXPECT_FALSE(leading);
                EXPECT_EQ(trailing, 2u);
                break;
            case kNone:
                EXPECT_FALSE(leading);
                EXPECT_EQ(trailing, 0u);
                break;
        }
        // Only one space at the start, and a real sentence after it.
        const size_t body = text.find_first_not_of(' ');
        EXPECT_LE(body, 1u);
        EXPECT_TRUE(text[body] >= 'A' && text[body] <= 'Z') << text;
        EXPECT_EQ(text[text.find_last_not_of(' ')], '.') << text;
    }
    EXPECT_EQ(codes.size(), 107u);
    EXPECT_EQ(texts.size(), 107u) << "every code has its own sentence";
    EXPECT_EQ(counts[kTrailing], 85);
    EXPECT_EQ(counts[kLeading], 9);
    EXPECT_EQ(counts[kBoth], 3);
    EXPECT_EQ(counts[kTwoTrailing], 8);
    EXPECT_EQ(counts[kNone], 2);
}

TEST(DDrawMessages, PublishedTextsByteForByte) {
    EXPECT_STREQ(Message(0x00000000), " The request completed successfully.");
    EXPECT_STREQ(Message(0x80004001), "The operation is not supported. ");
    EXPECT_STREQ(Message(0x80004005), " There is an undefined error condition.");
    EXPECT_STREQ(Message(0x8007000E), "DirectDraw does not have enough memory to perform the operation. ");
    EXPECT_STREQ(Message(0x80070057), "One or more of the parameters passed to the method are incorrect. ");
    EXPECT_STREQ(Message(0x88760037), "An exception was encountered while performing the requested operation.  ");
    EXPECT_STREQ(Message(0x88760078), " DirectDraw does not support the requested mode. ");
    EXPECT_STREQ(Message(0x88760082), " DirectDraw received a pointer that was an invalid DirectDraw object.");
    EXPECT_STREQ(Message(0x88760294),
                 "An attempt to page unlock a surface failed. Page unlock will not work on a display-memory surface "
                 "or an emulated primary surface.  ");
    EXPECT_STREQ(Message(0x887602B7), " The video port is not active.");
    EXPECT_STREQ(Message(0x887602BB),
                 "Surfaces created by one direct draw device cannot be used directly by another direct draw device. ");
}

TEST(DDrawMessages, CodesOutsideTheTableGiveZero) {
    std::set<uint32_t> listed;
    for (const Row& row : kRows) listed.insert(row.code);
    const char* zero = Message(1);
    EXPECT_STREQ(zero, "0");
    // The whole DirectDraw facility range, Direct3D's codes included, and the
    // general codes around the five listed ones.
    for (uint32_t code = 0x88760000u; code <= 0x88760FFFu; ++code) {
        if (listed.count(code)) continue;
        ASSERT_EQ(Message(code), zero) << std::hex << code;
    }
    for (uint32_t code : {0x80004000u, 0x80004002u, 0x80004003u, 0x800401F1u, 0x8007000Du, 0x80070056u, 0x887600B5u,
                          0x88760001u, 0x00000001u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x08760005u, 0x88770005u, 0x08760082u})
        EXPECT_STREQ(Message(code), "0") << std::hex << code;
}

TEST(DDrawMessages, EqualCodesGiveTheSamePointer) {
    for (const Row& row : kRows) EXPECT_EQ(Message(row.code), Message(row.code));
    EXPECT_EQ(Message(0x887600B5), Message(0x12345678));
    EXPECT_STREQ(Message(0x8876021C) + std::strlen(Message(0x8876021C)) - 2, ". ");
}

}  // namespace
