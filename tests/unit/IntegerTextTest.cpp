// Typed integer fields: what is accepted, what is refused, the 32-bit limits, and the full-width
// forms the Japanese input method types (Shift JIS bytes, as the fields hold them).
#include "../../common/pure/IntegerText.h"

#include <gtest/gtest.h>

namespace {

TEST(IntegerTextTest, SignedFieldsTakeAMinusAndSurroundingBlanksOnly)
{
    int32_t value = 99;
    EXPECT_TRUE(ParseSignedField("-1", &value));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(ParseSignedField(" \t 23\t ", &value));
    EXPECT_EQ(value, 23);
    EXPECT_TRUE(ParseSignedField("-2147483648", &value));
    EXPECT_EQ(value, INT32_MIN);
    EXPECT_TRUE(ParseSignedField("2147483647", &value));
    EXPECT_EQ(value, INT32_MAX);
    value = 99;
    for (const char* bad : {"", " ", "-", "+5", "1 2", "7x", "x7", "2147483648", "-2147483649", "0x10", "\x82\x50\x82", "\x82\x59", "\x81\x7c"})
        EXPECT_FALSE(ParseSignedField(bad, &value)) << bad;
    EXPECT_EQ(value, 99);  // a refused text leaves the value
    // "１８", "－５", "　２３　" (ideographic spaces), "1８" mixed
    const struct {
        const char* text;
        int32_t value;
    } fullWidth[] = {{"\x82\x50\x82\x57", 18}, {"\x81\x7c\x82\x54", -5},
                     {"\x81\x40\x82\x51\x82\x52\x81\x40", 23}, {"1\x82\x57", 18}};
    for (const auto& row : fullWidth) {
        EXPECT_TRUE(ParseSignedField(row.text, &value)) << row.value;
        EXPECT_EQ(value, row.value);
    }
}

TEST(IntegerTextTest, UnsignedFieldsRefuseAMinusAndReachFourGiga)
{
    uint32_t value = 7;
    EXPECT_TRUE(ParseUnsignedField("4294967295", &value));
    EXPECT_EQ(value, 4294967295u);
    EXPECT_TRUE(ParseUnsignedField(" 900", &value));
    EXPECT_EQ(value, 900u);
    EXPECT_TRUE(ParseUnsignedField("000", &value));
    EXPECT_EQ(value, 0u);
    value = 7;
    for (const char* bad : {"", "-1", "-0", "4294967296", "99999999999999999999", "1.5"})
        EXPECT_FALSE(ParseUnsignedField(bad, &value)) << bad;
    EXPECT_EQ(value, 7u);
}

}  // namespace
