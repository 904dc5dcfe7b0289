// Line reading keeps the byte-by-byte rules while it reads the file in large pieces.
#include "MemoryStreams.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Lines(const std::string& bytes, int limit, int piece = 1 << 20)
{
    MemorySource source(bytes, piece);
    BufferedReader reader(source);
    std::vector<std::string> lines;
    std::vector<char> buffer(static_cast<size_t>(limit));
    while (ReadFileLine(reader, buffer.data(), limit))
        lines.push_back(buffer.data());
    return lines;
}

TEST(LineReaderTest, CrDroppedLfEndsAndAnUnterminatedLastLineIsNotALine)
{
    for (int piece : {1, 3, 4096}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(Lines("a\r\nb\nc\rd\n\nlast", 1024, piece), (std::vector<std::string>{"a", "b", "cd", ""}));
        EXPECT_EQ(Lines("", 1024, piece), std::vector<std::string>{});
    }
}

TEST(LineReaderTest, LongLinesKeepTheirBeginningAndTheRestIsDropped)
{
    std::string longLine(5000, 'x');
    auto lines = Lines(longLine + "\nnext\n", 1024);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(1023, 'x'));
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(Lines("abc\n", 3), std::vector<std::string>{"ab"});
}

TEST(LineReaderTest, AFailedReadEndsTheLineWithWhatWasRead)
{
    MemorySource source("abc\nde", 1 << 20, 6);
    BufferedReader reader(source);
    char line[16];
    ASSERT_TRUE(ReadFileLine(reader, line, sizeof line));
    EXPECT_STREQ(line, "abc");
    ASSERT_TRUE(ReadFileLine(reader, line, sizeof line));
    EXPECT_STREQ(line, "de");
}

TEST(LineReaderTest, ReadsTheFileInPiecesNotByteByByte)
{
    std::string index;
    for (int i = 0; i < 1000; ++i)
        index += "00000000=AAAAAAAAAAAAAAAA:subject\r\n";
    MemorySource source(index);
    BufferedReader reader(source);
    char line[1024];
    int count = 0;
    while (ReadFileLine(reader, line, sizeof line))
        ++count;
    EXPECT_EQ(count, 1000);
    EXPECT_LT(source.reads, 20);
}

TEST(LineReaderTest, ChunksAfterLinesStartWithTheBufferedBytes)
{
    MemorySource source("h\n\nbody bytes", 1 << 20);
    BufferedReader reader(source);
    char line[16];
    EXPECT_TRUE(ReadFileLine(reader, line, sizeof line));
    EXPECT_TRUE(ReadFileLine(reader, line, sizeof line));
    EXPECT_STREQ(line, "");
    const unsigned char* bytes = nullptr;
    std::string rest;
    int count;
    while ((count = reader.Peek(&bytes)) > 0) {
        rest.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
        reader.Take(count);
    }
    EXPECT_EQ(rest, "body bytes");
}

}  // namespace
