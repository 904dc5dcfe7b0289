// Outbox index lines: entry name, the Base64 flag word, and names that would leave the folder.
#include "../../common/pure/EntryIndex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t Flags(const std::string& data)
{
    return DecodeEntryFlags(data.data(), data.size());
}

TEST(EntryIndexTest, FlagWordIsTheFirstFourBytesLeastSignificantFirst)
{
    // 00 00 00 C1 | 2A 00 00 00 | 10 20 30 40
    EXPECT_EQ(Flags("AAAAwSoAAAAQIDBA"), 0xC1000000u);
    // 07 00 00 00 ...
    EXPECT_EQ(Flags("BwAAAAAAAAAAAAAA"), 7u);
    // ff ff ff ff and more than 16 characters: only the first 16 count.
    EXPECT_EQ(Flags("/////////////////////"), 0xFFFFFFFFu);
    EXPECT_EQ(Flags(""), 0u);
}

TEST(EntryIndexTest, OutsideCharactersStopAGroupOrCountAsZero)
{
    // A second group that starts outside the alphabet is not decoded.
    EXPECT_EQ(Flags("////=///////////"), 0x00FFFFFFu);
    // Inside a group an outside character gives zero bits.
    EXPECT_EQ(Flags("/=//////"), 0xFFFF0FFCu);
    // Fewer than six characters do not reach the fourth byte, which reads as zero.
    EXPECT_EQ(Flags("/////"), 0x00FFFFFFu);
    EXPECT_EQ(Flags("//////"), 0xFFFFFFFFu);
}

TEST(EntryIndexTest, ParsesNameAndDataFieldUpToTheColon)
{
    char name[32];
    uint32_t flags = 0;
    ASSERT_TRUE(ParseIndexLine("00000012=BwAAAAAAAAAAAAAA:Subject text=x:y", name, sizeof name, &flags));
    EXPECT_STREQ(name, "00000012");
    EXPECT_EQ(flags, 7u);
    ASSERT_TRUE(ParseIndexLine("a=/////", name, sizeof name, &flags));
    EXPECT_EQ(flags, 0x00FFFFFFu);
    // A colon right after the data's fourth byte cuts the field.
    ASSERT_TRUE(ParseIndexLine("a=/////:////", name, sizeof name, &flags));
    EXPECT_EQ(flags, 0x00FFFFFFu);
    EXPECT_FALSE(ParseIndexLine("no equals sign", name, sizeof name, &flags));
    EXPECT_FALSE(ParseIndexLine("name=", name, sizeof name, &flags));
    EXPECT_FALSE(ParseIndexLine("name=:rest", name, sizeof name, &flags));
    EXPECT_FALSE(ParseIndexLine("a-name-longer-than-the-buffer-given=AAAA", name, 8, &flags));
}

TEST(EntryIndexTest, NamesThatWouldLeaveTheOutboxAreRefused)
{
    EXPECT_TRUE(IsPlainEntryName("00000012"));
    EXPECT_TRUE(IsPlainEntryName("\x83\x5C\x83\x7A"));  // Shift JIS with a 0x5C trail byte
    EXPECT_FALSE(IsPlainEntryName(""));
    EXPECT_FALSE(IsPlainEntryName(".."));
    EXPECT_FALSE(IsPlainEntryName("..\\..\\win"));
    EXPECT_FALSE(IsPlainEntryName("a/b"));
    EXPECT_FALSE(IsPlainEntryName("C:x"));
    EXPECT_FALSE(IsPlainEntryName("."));
    EXPECT_FALSE(IsPlainEntryName("a\\b"));
    // Device names open the device in any folder, with any extension.
    for (const char* device : {"NUL", "nul", "CON", "Prn", "aux", "COM1", "com9", "LPT1", "lpt3.x", "CON .a"})
        EXPECT_FALSE(IsPlainEntryName(device)) << device;
    for (const char* plain : {"NULL", "COM", "COM0", "COM10", "LPT", "CONX", "xNUL", "AUX1", "nu"})
        EXPECT_TRUE(IsPlainEntryName(plain)) << plain;
}

}  // namespace
