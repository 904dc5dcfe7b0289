// The reservation line in header text: finding it, reading its value, writing and removing it.
#include "../../common/pure/HeaderText.h"
#include "../../common/pure/HeaderWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Set(const std::string& header, int32_t time)
{
    std::vector<char> out(header.size() + ReserveLineRoom);
    SetReserveDate(header.c_str(), out.data(), time);
    return out.data();
}

// Subjects and names as the status window shows them: Japanese encoded words in Shift JIS.
TEST(HeaderTextTest, EncodedWordsInJisOrShiftJisAreShownInShiftJis)
{
    const struct {
        const char* text;
        size_t size;
        const char* shown;
    } rows[] = {
        {"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", 64, "\x83\x65\x83\x58\x83\x67"},
        {"Re: =?iso-2022-jp?b?GyRCJUYlOSVIGyhC?=  =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= end", 64,
         "Re: \x83\x65\x83\x58\x83\x67\x83\x65\x83\x58\x83\x67 end"},
        {"=?Shift_JIS?Q?=83e=83X=83g_1?=", 64, "\x83\x65\x83\x58\x83\x67 1"},
        {"=?ISO-2022-JP?B?GyhJMRsoQg==?=", 64, "\xB1"},  // half-width katakana
        {"=?UTF-8?B?44OG44K544OI?= x", 64, "=?UTF-8?B?44OG44K544OI?= x"},
        {"=?ISO-2022-JP?B?not base64!?= =?ISO-2022-JP?B?GyRCJUYbKEI=?=", 64,
         "=?ISO-2022-JP?B?not base64!?= \x83\x65"},
        {"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", 4, "\x83\x65"},  // never cut inside a character
        {"plain \x83\x65", 64, "plain \x83\x65"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        char out[64];
        DecodeHeaderWords(row.text, out, row.size);
        EXPECT_STREQ(out, row.shown);
    }
}

TEST(HeaderTextTest, FindsOnlyALineThatBeginsWithTheNameInAnyCase)
{
    EXPECT_EQ(FindReserveDate(nullptr), -1);
    EXPECT_EQ(FindReserveDate(""), -1);
    EXPECT_EQ(FindReserveDate("X-Reserve-Date: 1800000000\r\nTo: a@b\r\n"), 1800000000);
    EXPECT_EQ(FindReserveDate("To: a@b\r\nx-reserve-DATE:  \t-42xyz\r\n"), -42);
    EXPECT_EQ(FindReserveDate("To: a\nX-Reserve-Date: 5\nX-Reserve-Date: 6\n"), 5);  // the first one
    // Inside a line it is not a reservation.
    EXPECT_EQ(FindReserveDate("Subject: see X-Reserve-Date: 5\r\nTo: a\r\n"), -1);
    EXPECT_EQ(FindReserveDate("X-Reserve-Dat: 5\r\n"), -1);
}

TEST(HeaderTextTest, ValueWithoutDigitsIsTimeZeroAndNeverComesFromTheNextLine)
{
    EXPECT_EQ(FindReserveDate("X-Reserve-Date:\r\n"), 0);
    EXPECT_EQ(FindReserveDate("X-Reserve-Date: abc"), 0);
    EXPECT_EQ(FindReserveDate("X-Reserve-Date:\r\n12345\r\n"), 0);
    EXPECT_EQ(ReadDecimal("+17"), 17);
    EXPECT_EQ(ReadDecimal("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(ReadDecimal("-99999999999999999999"), INT32_MIN);
}

TEST(HeaderTextTest, SetPutsTheLineFirstAndDropsEveryOtherOccurrence)
{
    EXPECT_EQ(Set("To: a\r\nSubject: s\r\n", 1800000000),
              "X-Reserve-Date: 1800000000\r\nTo: a\r\nSubject: s\r\n");
    EXPECT_EQ(Set("X-RESERVE-DATE: 1\r\nTo: a\r\n", 2), "X-Reserve-Date: 2\r\nTo: a\r\n");
    // Cancelling removes the line, every such line, and nothing else.
    EXPECT_EQ(Set("To: a\r\nX-Reserve-Date: 1\r\nCc: c\r\n", -1), "To: a\r\nCc: c\r\n");
    EXPECT_EQ(Set("x-reserve-date: 1\nTo: a\nX-Reserve-Date: 2\r\n", -1), "To: a\n");
    EXPECT_EQ(Set("To: a\r\nX-Reserve-Date: 1", -1), "To: a\r\n");
    EXPECT_EQ(Set("", -1), "");
    // The longest line still fits the room the caller gives.
    EXPECT_EQ(Set("", INT32_MIN), "X-Reserve-Date: -2147483648\r\n");
    std::vector<char> out(ReserveLineRoom);
    SetReserveDate(nullptr, out.data(), 7);
    EXPECT_STREQ(out.data(), "X-Reserve-Date: 7\r\n");
}

// The name inside a line is text of that line: setting or cancelling keeps the line whole, and the
// line after it stays a line of its own (the recipient of a following "To:" is not lost).
TEST(HeaderTextTest, TheNameInsideALineIsKeptWithTheLine)
{
    const std::string header = "Subject: About X-Reserve-Date: header\r\nTo: bob@example.jp\r\n";
    EXPECT_EQ(Set(header, -1), header);
    EXPECT_EQ(Set("X-Reserve-Date: 1\r\n" + header, -1), header);
    EXPECT_EQ(Set(header, 9), "X-Reserve-Date: 9\r\n" + header);
    EXPECT_EQ(Set("To: a\r\nXX-Reserve-Date: 5\r\n-Reserve-Date: 6\r\nCc: c", -1),
              "To: a\r\nXX-Reserve-Date: 5\r\n-Reserve-Date: 6\r\nCc: c");
    // A field ends at any line end and takes its folded lines; the first reservation decides.
    const char* const fields = "X-Reserve-Date: \n\t\r 9\rTo: a\r\nX-Reserve-Date: 5\r\n 6\r\nSubject: s\r\n X-Reserve-Date: 7";
    EXPECT_EQ(FindReserveDate(fields), 9);
    EXPECT_EQ(CountReserveFields(fields), 2);
    EXPECT_EQ(Set(fields, -1), "To: a\r\nSubject: s\r\n X-Reserve-Date: 7");
}

TEST(HeaderTextTest, SetThenFindGivesTheTimeBack)
{
    for (int32_t time : {0, 1, 1800000000, INT32_MAX, -2})
        EXPECT_EQ(FindReserveDate(Set("To: a\r\nX-Reserve-Date: 9\r\n", time).c_str()), time);
}

// The subject that names a message in the log: one line, bounded, cut between characters.
TEST(HeaderTextTest, TheLogSubjectIsOneBoundedLine)
{
    const std::string a91(91, 'a'), a92(92, 'a');
    const struct { std::string header, subject; } rows[] = {
        {"To: a\r\nsubject:\t hello \r\nSubject: second\r\n", "hello"}, {"Subject: a\r\n  b\r\nTo: c\r\n", "a b"},
        {"Subject: a\x01\x1b$B\x7f b\rc\r\n", "a $B b"}, {"Subject: =?UTF-8?B?44GC?=\n", "=?UTF-8?B?44GC?="},
        {"Subject: x\x82\r\n", "x"}, {"Subject: \x82\x0a y\n", "y"}, {"To: a\r\nSubjects: x\r\n", ""},
        {"Subject: " + a91 + "\x82\xa0\x82\xa0", a91 + "\x82\xa0\x81\x63"}, {"Subject: " + a92 + "\x82\xa0", a92 + "\x81\x63"}};
    for (const auto& row : rows) {
        char out[LogSubjectSize];
        FindLogSubject(row.header.c_str(), out);
        EXPECT_EQ(out, row.subject) << row.header;
    }
}

}  // namespace
