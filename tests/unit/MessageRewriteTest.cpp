// Rewriting a released message: reservation gone, "Date:" replaced on request, CR LF header line
// ends, body byte for byte, long lines whole, and a failed read or write reported.
#include "MemoryStreams.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class FixedDate : public DateLineMaker {
public:
    bool NewDateLine(char* line, size_t size) override
    {
        ++calls;
        std::snprintf(line, size, "Date: new %d", calls);
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

// Lines are told apart by their first 15 characters and the rest streams through: lines just
// shorter and longer than that, CRs inside the name, and a long "Date:" line replaced or kept.
TEST(MessageRewriteTest, LinesAroundTheLengthOfTheReservationNameAreToldApart)
{
    for (int piece : {1, 5, 1 << 20}) {
        SCOPED_TRACE(piece);
        std::string out;
        ASSERT_TRUE(Rewrite("X-Reserve-Date:\nX-Reserve-Date\nX-Reserve\r-Date: 5\n\r\r\n", &out, nullptr, piece));
        EXPECT_EQ(out, "X-Reserve-Date\r\nX-Reserve\r\n-Date: 5\r\n\r\n\r\n");
        ASSERT_TRUE(Rewrite("To: a\nX-RESERVE-DATE:", &out, nullptr, piece));
        EXPECT_EQ(out, "To: a\r\n");
        ASSERT_TRUE(Rewrite("Subject: 123456\nSubject: 1234567", &out, nullptr, piece));
        EXPECT_EQ(out, "Subject: 123456\r\nSubject: 1234567");
        FixedDate dates;
        ASSERT_TRUE(Rewrite("Date: " + std::string(3000, 'd') + "\nDate\nDate: x\n\nDate: body", &out, &dates, piece));
        EXPECT_EQ(out, "Date: new 1\r\nDate\r\nDate: new 2\r\n\r\nDate: body");
    }
}

// Every mix of LF, CR LF and lone CR ends a header line, and only the reservation line goes (CR
// then LF is a CR LF, so a CR before an empty line ended by LF is not such a mix).
TEST(MessageRewriteTest, EveryMixOfLineEndsLosesOnlyTheReservationLine)
{
    const char* const ends[] = {"\n", "\r\n", "\r"};
    const char* const lines[] = {"From: a", "X-Reserve-Date: 1", "To: b", "Subject: c", ""};
    for (int mix = 0; mix < 243; ++mix) {
        std::string message, out;
        for (int i = 0, code = mix; i < 5; ++i, code /= 3)
            message += lines[i] + std::string(ends[code % 3]);
        if (mix / 27 == 2 && mix / 81 == 0)
            continue;
        ASSERT_TRUE(Rewrite(message + "Body 1\r\nBody 2\rB", &out, nullptr, 1 + mix % 2 * 100)) << mix;
        EXPECT_EQ(out, "From: a\r\nTo: b\r\nSubject: c\r\n\r\nBody 1\r\nBody 2\rB") << mix;
    }
}

// A "Date:" replaced or a reservation dropped goes with its folded lines; a kept field keeps them.
TEST(MessageRewriteTest, AFoldedFieldIsDroppedOrReplacedWhole)
{
    FixedDate dates;
    std::string out;
    ASSERT_TRUE(Rewrite("Date: Mon,\r\n 07 Dec\r\nX-Reserve-Date:\n\t1\rTo: a\n \x82\xa0\n\nb", &out, &dates, 3));
    EXPECT_EQ(out, "Date: new 1\r\nTo: a\r\n \x82\xa0\r\n\r\nb");
    ASSERT_TRUE(Rewrite("Date: Mon,\r\n 07\nTo: a\n\nb", &out, nullptr, 3));
    EXPECT_EQ(out, "Date: Mon,\r\n 07\r\nTo: a\r\n\r\nb");
}

TEST(MessageRewriteTest, AKeptDateLineComesThroughWhole)
{
    class NoDate : public DateLineMaker {
    public:
        bool NewDateLine(char*, size_t) override { return false; }
    } none;
    std::string dateLine = "Date: " + std::string(4000, '7');
    std::string out;
    ASSERT_TRUE(Rewrite(dateLine + "\r\n\r\nbody", &out, &none, 100));
    EXPECT_EQ(out, dateLine + "\r\n\r\nbody");
}

// The header goes out in writes of a kilobyte, not one per line or piece of a line.
TEST(MessageRewriteTest, HeaderLinesAreWrittenInGatheredPieces)
{
    class CountingSink : public MemorySink {
    public:
        bool Write(const void* data, size_t size) override
        {
            ++writes;
            return MemorySink::Write(data, size);
        }
        int writes = 0;
    };
    std::string header;
    for (int i = 0; i < 200; ++i)
        header += "X-Line: " + std::to_string(i) + "\r\n";
    MemorySource source(header + "\r\nbody", 3);
    BufferedReader reader(source);
    CountingSink sink;
    ASSERT_TRUE(RewriteMessageText(reader, sink, nullptr));
    EXPECT_EQ(sink.bytes, header + "\r\nbody");
    EXPECT_LE(sink.writes, 6);
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
