// The new "Date:" line: random offset, English names, and a zone offset that matches the local
// time shown (daylight saving included).
#include "DateLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

std::string Format(const std::tm& local, long offset)
{
    char line[80];
    if (!FormatDateLine(local, offset, line, sizeof line))
        return "(refused)";
    return line;
}

std::tm Fields(int year, int month, int day, int wday, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = wday;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(DateLineTest, FormatsEnglishNamesAndTheSignedOffset)
{
    std::tm t = Fields(2026, 12, 7, 1, 7, 3, 9);
    EXPECT_EQ(Format(t, 9 * 3600), "Date: Mon, 07 Dec 2026 07:03:09 +0900");
    EXPECT_EQ(Format(t, 5 * 3600 + 1800), "Date: Mon, 07 Dec 2026 07:03:09 +0530");
    EXPECT_EQ(Format(t, -5 * 3600), "Date: Mon, 07 Dec 2026 07:03:09 -0500");
    EXPECT_EQ(Format(t, 0), "Date: Mon, 07 Dec 2026 07:03:09 +0000");
    EXPECT_EQ(Format(Fields(2027, 1, 31, 0, 23, 59, 59), -(3 * 3600 + 1800)), "Date: Sun, 31 Jan 2027 23:59:59 -0330");
    t.tm_wday = 7;
    EXPECT_EQ(Format(t, 0), "(refused)");
    char tiny[10];
    EXPECT_FALSE(FormatDateLine(Fields(2026, 12, 7, 1, 0, 0, 0), 0, tiny, sizeof tiny));
}

TEST(DateLineTest, OffsetIsTakenFromTheLocalTimeShown)
{
    // 2026-07-01 12:00:00 UTC shown as 14:00 summer time in Central Europe: +0200, not +0100.
    const int32_t summer = 1782907200;
    EXPECT_EQ(UtcOffsetSeconds(Fields(2026, 7, 1, 3, 14, 0, 0), summer), 7200);
    // The same zone in winter, and a zone west of UTC across the date line of a year.
    const int32_t winter = 1798804800;  // 2027-01-01 12:00:00 UTC
    EXPECT_EQ(UtcOffsetSeconds(Fields(2027, 1, 1, 5, 13, 0, 0), winter), 3600);
    EXPECT_EQ(UtcOffsetSeconds(Fields(2027, 1, 1, 5, 6, 30, 0), winter), -(5 * 3600 + 1800));
    EXPECT_EQ(UtcOffsetSeconds(Fields(1970, 1, 1, 4, 9, 0, 0), 0), 9 * 3600);
}

TEST(DateLineTest, MoveStaysInsideTheWindowAroundTheReservation)
{
    const int32_t at = 1800000000;
    EXPECT_EQ(MoveReservation(at, 12345, 0, 0), at);
    EXPECT_EQ(MoveReservation(at, 0, 60, 30), at - 60);
    EXPECT_EQ(MoveReservation(at, 89, 60, 30), at + 29);
    EXPECT_EQ(MoveReservation(at, 90, 60, 30), at - 60);
    for (int r = 0; r <= 32767; r += 97) {
        int32_t moved = MoveReservation(at, r, 300, 120);
        EXPECT_GE(moved, at - 300);
        EXPECT_LT(moved, at + 120);
    }
    // Settings far out of range keep the result a 32-bit time.
    EXPECT_EQ(MoveReservation(INT32_MAX, 5, -10, INT32_MAX), INT32_MAX);
    EXPECT_EQ(MoveReservation(INT32_MIN, 0, INT32_MAX, 1), INT32_MIN);
}

}  // namespace
