// The log's lines and the rule that keeps its file bounded.
#include "../../common/pure/LogText.h"
#include "../../common/pure/TextBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Line(const char* message)
{
    TextBuffer out;
    AppendLogLine(out, LogStamp{2026, 12, 7, 7, 0, 2}, message);
    return out.c_str();
}

TEST(LogTextTest, ALineIsTheLocalTimeTheMessageAndCrLfWithControlBytesBlanked)
{
    EXPECT_EQ(Line("受信が終わりました"), "2026/12/07 07:00:02 受信が終わりました\r\n");
    // A name with a line break in it cannot start a line of its own.
    EXPECT_EQ(Line("server\r\nforged\tline\x7f"), "2026/12/07 07:00:02 server  forged line \r\n");
    // Trail bytes of double-byte characters below 0x80 stay as they are ("ソ" is 0x83 0x5C).
    EXPECT_EQ(Line("ソ表\\"), "2026/12/07 07:00:02 ソ表\\\r\n");
    EXPECT_EQ(Line(nullptr), "2026/12/07 07:00:02 \r\n");
}

// A lead byte without its trail byte (a name cut in the middle of a character) would take the byte
// after it, the line's CR among them, into one character in a viewer: it becomes a blank.
TEST(LogTextTest, ALeadByteWithoutItsTrailByteIsBlanked)
{
    EXPECT_EQ(Line("abc\x82"), "2026/12/07 07:00:02 abc \r\n");
    EXPECT_EQ(Line("\x82)"), "2026/12/07 07:00:02  )\r\n");
    EXPECT_EQ(Line("\xe0\r"), "2026/12/07 07:00:02   \r\n");
    // A trail byte that is also a lead byte belongs to the character before it.
    EXPECT_EQ(Line("\x82\x82\x82)"), "2026/12/07 07:00:02 \x82\x82 )\r\n");
    // In Shift JIS bytes: "表" (0x95 0x5C) and a lone lead byte; single-byte katakana (0xA1 to 0xDF,
    // "ｽｹ") stand alone.
    EXPECT_EQ(Line("\x95\x5c\x81"), "2026/12/07 07:00:02 \x95\x5c \r\n");
    EXPECT_EQ(Line("\xbd\xb9"), "2026/12/07 07:00:02 \xbd\xb9\r\n");
}

TEST(LogTextTest, AFullLogIsMovedAsideAndAFailedMoveStillHasAHardLimit)
{
    EXPECT_EQ(RoomForLogWrite(0, 100, false), LogRoom::Append);
    EXPECT_EQ(RoomForLogWrite(ActivityLogLimit - 100, 100, false), LogRoom::Append);
    EXPECT_EQ(RoomForLogWrite(ActivityLogLimit - 100, 101, false), LogRoom::MoveAsideFirst);
    // An empty file takes whatever comes, so that one batch is never refused for good.
    EXPECT_EQ(RoomForLogWrite(0, ActivityLogLimit + 1, false), LogRoom::Append);
    EXPECT_EQ(RoomForLogWrite(ActivityLogLimit, 100, true), LogRoom::Append);
    EXPECT_EQ(RoomForLogWrite(ActivityLogHardLimit - 100, 101, true), LogRoom::Full);
}

}  // namespace
