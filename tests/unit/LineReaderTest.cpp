// Line reading keeps the byte-by-byte rules while it reads the file in large pieces.
#include "MemoryStreams.h"

#include <gtest/gtest.h>

#include <vector>

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

// Header fields: any line end, folded lines joined on, a last line without an end kept.
TEST(LineReaderTest, HeaderFieldsEndAtAnyLineEndAndJoinTheirFoldedLines)
{
    const struct {
        const char* text;
        int limit;
        std::vector<std::string> fields;
    } rows[] = {
        {"A: 1\rB: 2\nC: 3\r\n\rbody", 64, {"A: 1", "B: 2", "C: 3", ""}},
        {"X-Reserve-Date:\r\n 5\r\n\t6\rTo: a\r\r", 64, {"X-Reserve-Date: 5\t6", "To: a", ""}},
        {" lead\nA: 123456\n 789", 8, {" lead", "A: 1234"}},
        {"A: cut", 64, {"A: cut"}},
        {"", 64, {}},
    };
    for (const auto& row : rows) {
        for (int piece : {1, 1 << 20}) {
            SCOPED_TRACE(std::string(row.text) + " " + std::to_string(piece));
            MemorySource source(row.text, piece);
            BufferedReader reader(source);
            std::vector<std::string> fields;
            std::vector<char> field(static_cast<size_t>(row.limit));
            while (ReadHeaderField(reader, field.data(), row.limit) && fields.size() < 10) {
                fields.push_back(field.data());
                if (fields.back().empty())
                    break;
            }
            EXPECT_EQ(fields, row.fields);
        }
    }
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
