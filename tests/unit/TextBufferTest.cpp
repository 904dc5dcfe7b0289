// The editor's byte text: growth, pieces of itself, copies and moves, and running out of room.
#include "../../common/pure/TextBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string Bytes(const TextBuffer& text)
{
    return std::string(text.c_str(), text.size());
}

TEST(TextBufferTest, GrowsAndTakesPiecesOfItselfAcrossAMoveOfItsBlock)
{
    TextBuffer text;
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_TRUE(text.empty());
    text += "ab";
    // Each append of the whole text doubles it and outgrows the block more than once on the way.
    for (int i = 0; i < 10; ++i)
        text.Append(text.c_str(), text.size());
    std::string expected;
    for (int i = 0; i < 1024; ++i)
        expected += "ab";
    EXPECT_EQ(Bytes(text), expected);
    // A piece from the middle of itself, taken when the block is full.
    TextBuffer tail("0123456789");
    tail.Append(tail.c_str() + 4, 3);
    EXPECT_EQ(Bytes(tail), "0123456789456");
    tail.Assign(tail.c_str() + 8);
    EXPECT_EQ(Bytes(tail), "89456");
    tail += 'x';
    tail.Append(static_cast<const char*>(nullptr));
    EXPECT_EQ(Bytes(tail), "89456x");
    EXPECT_EQ(tail.c_str()[tail.size()], '\0');
}

TEST(TextBufferTest, CopiesAreIndependentAndAMovedFromTextIsEmptyAndUsable)
{
    TextBuffer first("server");
    TextBuffer copy(first);
    copy += ".example.jp";
    EXPECT_EQ(Bytes(first), "server");
    EXPECT_EQ(Bytes(copy), "server.example.jp");
    first = copy;
    copy.Truncate(3);
    EXPECT_EQ(Bytes(first), "server.example.jp");
    EXPECT_EQ(Bytes(copy), "ser");

    TextBuffer moved(static_cast<TextBuffer&&>(first));
    EXPECT_EQ(Bytes(moved), "server.example.jp");
    EXPECT_TRUE(first.empty());
    EXPECT_STREQ(first.c_str(), "");
    first += "again";
    EXPECT_EQ(Bytes(first), "again");
    moved = static_cast<TextBuffer&&>(first);
    EXPECT_EQ(Bytes(moved), "again");
    moved = moved;
    EXPECT_EQ(Bytes(moved), "again");
}

TEST(TextBufferTest, RoomForAnApiToWriteIntoThenCutToWhatItWrote)
{
    TextBuffer text("old");
    char* room = text.WritableOfLength(8);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(text.size(), 8u);
    EXPECT_EQ(room[8], '\0');
    room[0] = 'n';
    room[1] = 'e';
    room[2] = 'w';
    text.Truncate(3);
    EXPECT_EQ(Bytes(text), "new");
    // Truncation never lengthens.
    text.Truncate(100);
    EXPECT_EQ(Bytes(text), "new");
}

TEST(TextBufferTest, ATextTooLongToHoldFailsAndKeepsWhatItHad)
{
    TextBuffer text("kept");
    EXPECT_FALSE(text.Failed());
    text.Append("x", SIZE_MAX / 2);
    EXPECT_TRUE(text.Failed());
    EXPECT_EQ(Bytes(text), "kept");
    text += "!";
    EXPECT_EQ(Bytes(text), "kept!");
    EXPECT_TRUE(text.Failed());
    // The failure travels with copies and appends, so neither is ever taken for the whole text.
    TextBuffer copy(text);
    EXPECT_TRUE(copy.Failed());
    TextBuffer whole("whole ");
    whole += text;
    EXPECT_TRUE(whole.Failed());
    EXPECT_EQ(Bytes(whole), "whole kept!");
    EXPECT_EQ(text.WritableOfLength(SIZE_MAX / 2), nullptr);
}

}  // namespace
