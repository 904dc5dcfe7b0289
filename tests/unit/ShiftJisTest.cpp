#include "../../common/pure/ShiftJis.h"

#include <gtest/gtest.h>

namespace {

// Fixed code page 932 ranges, so a text reads the same on a system with any other code page.
TEST(ShiftJisTest, LeadBytesAreThoseOfCodePage932)
{
    for (int c = 0; c < 256; ++c) {
        bool lead = (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
        EXPECT_EQ(IsShiftJisLeadByte(static_cast<unsigned char>(c)), lead) << c;
    }
    // The edges: ASCII, the half-width katakana between the ranges, and the bytes past them.
    EXPECT_FALSE(IsShiftJisLeadByte(0x5c));
    EXPECT_FALSE(IsShiftJisLeadByte(0x80));
    EXPECT_TRUE(IsShiftJisLeadByte(0x95));  // "表"
    EXPECT_FALSE(IsShiftJisLeadByte(0xa0));
    EXPECT_FALSE(IsShiftJisLeadByte(0xb1));  // half-width "ア"
    EXPECT_FALSE(IsShiftJisLeadByte(0xfd));
}

TEST(ShiftJisTest, FoldingLowersOnlyAsciiLetters)
{
    EXPECT_EQ(FoldAscii('A'), 'a');
    EXPECT_EQ(FoldAscii('Z'), 'z');
    EXPECT_EQ(FoldAscii('a'), 'a');
    for (char c : {'@', '[', '`', '{', '\\', '0'})
        EXPECT_EQ(FoldAscii(c), c) << c;
    // Bytes above ASCII (lead bytes, half-width katakana) stay as they are.
    for (int c = 0x80; c < 0x100; ++c)
        EXPECT_EQ(FoldAscii(static_cast<char>(c)), static_cast<char>(c)) << c;
}

}  // namespace
