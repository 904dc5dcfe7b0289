// The editor's integer fields: what is accepted, what is refused, and the 32-bit limits.
#include "setup/IntegerText.h"

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
    for (const char* bad : {"", " ", "-", "+5", "1 2", "7x", "x7", "2147483648", "-2147483649", "0x10", "１"})
        EXPECT_FALSE(ParseSignedField(bad, &value)) << bad;
    EXPECT_EQ(value, 99);  // a refused text leaves the value
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
