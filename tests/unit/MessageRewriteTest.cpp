// Rewriting a released message: reservation gone, "Date:" replaced on request, CR LF header line
// ends, body byte for byte, long lines whole, and a failed read or write reported.
#include "MemoryStreams.h"

#include <gtest/gtest.h>

namespace {

class FixedDate : public DateLineMaker {
public:
    bool NewDateLine(std::string& line) override
    {
        ++calls;
        line = "Date: new " + std::to_string(calls);
        return true;
    }
    int calls = 0;
};

bool Rewrite(const std::string& message, std::string* out, DateLineMaker* dates, int piece = 1 << 20)
{
    MemorySource source(message, piece);
    BufferedReader reader(source);
    MemorySink sink;
    bool done = RewriteMessageText(reader, sink, dates);
    *out = sink.bytes;
    return done;
}

const std::string Body = "Body line 1\nline 2 with \r bare CR\r\n\r\n\x83\x5C\x00 end";

TEST(MessageRewriteTest, DropsTheReservationAndKeepsTheBodyByteForByte)
{
    std::string message = std::string("X-Reserve-Date: 1800000000\nTo: a@b\r\nx-reserve-date: 3\nDate: old\n\n") + Body;
    message.push_back('\0');
    for (int piece : {1, 7, 1 << 20}) {
        std::string out;
        ASSERT_TRUE(Rewrite(message, &out, nullptr, piece));
        std::string expected = std::string("To: a@b\r\nDate: old\r\n\r\n") + Body;
        expected.push_back('\0');
        EXPECT_EQ(out, expected);
    }
}

TEST(MessageRewriteTest, ReplacesEveryDateLineWhenAsked)
{
    FixedDate dates;
    std::string out;
    ASSERT_TRUE(Rewrite("DATE: one\r\nSubject: Date: no\r\ndate:two\r\n\r\nDate: in body\r\n", &out, &dates));
    EXPECT_EQ(out, "Date: new 1\r\nSubject: Date: no\r\nDate: new 2\r\n\r\nDate: in body\r\n");
    EXPECT_EQ(dates.calls, 2);
    // No "Date:" line: none is added.
    ASSERT_TRUE(Rewrite("To: a\n\nb", &out, &dates));
    EXPECT_EQ(out, "To: a\r\n\r\nb");
}

TEST(MessageRewriteTest, HeaderLinesLongerThanTheLineBufferComeThroughWhole)
{
    std::string longValue(5000, 'r');
    std::string out;
    ASSERT_TRUE(Rewrite("References: " + longValue + "\nX-Reserve-Date: " + std::string(3000, '1') + "\n\nbody",
                        &out, nullptr, 100));
    EXPECT_EQ(out, "References: " + longValue + "\r\n\r\nbody");
}

TEST(MessageRewriteTest, AnUnterminatedLastHeaderLineIsWrittenAsItStands)
{
    std::string out;
    ASSERT_TRUE(Rewrite("To: a\nSubject: cut", &out, nullptr));
    EXPECT_EQ(out, "To: a\r\nSubject: cut");
    ASSERT_TRUE(Rewrite("To: a\n", &out, nullptr));
    EXPECT_EQ(out, "To: a\r\n");
}

TEST(MessageRewriteTest, AFailedReadOrWriteIsReportedAtAnyPoint)
{
    const std::string message = "X-Reserve-Date: 1\nTo: a\n\n" + std::string(5000, 'b');
    for (size_t failAt : {size_t{0}, size_t{5}, size_t{25}, size_t{3000}}) {
        MemorySource source(message, 512, failAt);
        BufferedReader reader(source);
        MemorySink sink;
        EXPECT_FALSE(RewriteMessageText(reader, sink, nullptr)) << failAt;
    }
    for (size_t limit : {size_t{0}, size_t{8}, size_t{9}, size_t{2000}}) {
        MemorySource source(message);
        BufferedReader reader(source);
        MemorySink sink(limit);
        EXPECT_FALSE(RewriteMessageText(reader, sink, nullptr)) << limit;
    }
}

}  // namespace
