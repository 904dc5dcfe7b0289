// The new "Date:" line: random offset, English names, and a zone offset that matches the local
// time shown (daylight saving included).
#include "pure/DateLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Format(const CivilFields& local, long offset)
{
    char line[80];
    if (!FormatDateLine(local, offset, line, sizeof line))
        return "(refused)";
    return line;
}

CivilFields Fields(int year, int month, int day, int wday, int hour, int minute, int second)
{
    return CivilFields{year, month, day, hour, minute, second, wday};
}

TEST(DateLineTest, FormatsEnglishNamesAndTheSignedOffset)
{
    CivilFields t = Fields(2026, 12, 7, 1, 7, 3, 9);
    EXPECT_EQ(Format(t, 9 * 3600), "Date: Mon, 07 Dec 2026 07:03:09 +0900");
    EXPECT_EQ(Format(t, 5 * 3600 + 1800), "Date: Mon, 07 Dec 2026 07:03:09 +0530");
    EXPECT_EQ(Format(t, -5 * 3600), "Date: Mon, 07 Dec 2026 07:03:09 -0500");
    EXPECT_EQ(Format(t, 0), "Date: Mon, 07 Dec 2026 07:03:09 +0000");
    EXPECT_EQ(Format(Fields(2027, 1, 31, 0, 23, 59, 59), -(3 * 3600 + 1800)), "Date: Sun, 31 Jan 2027 23:59:59 -0330");
    t.weekday = 7;
    EXPECT_EQ(Format(t, 0), "(refused)");
    t.weekday = 1;
    t.month = 13;
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
    EXPECT_EQ(MoveReservation(at, 0, 0), at);
    EXPECT_EQ(MoveReservation(at, 0, 60), at - 60);
    EXPECT_EQ(MoveReservation(at, 90, 60), at + 30);
    EXPECT_EQ(MoveReservation(INT32_MAX, 5, 0), INT32_MAX);
    EXPECT_EQ(MoveReservation(INT32_MIN, 0, 1), INT32_MIN);
}

// A header with more than one "Date:" line: each shows the same moment, one draw for the message,
// so none lies outside the window around the reservation however often the draw ends at an edge.
TEST(DateLineTest, EveryDateLineOfAMessageShowsTheOneMovedMoment)
{
    const int32_t at = 1800000000;
    MessageDate late(at, 60, 120);
    uint32_t (*widest)(uint32_t) = [](uint32_t span) { return span; };
    EXPECT_EQ(late.Moment(widest), at + 120);
    EXPECT_EQ(late.Moment(widest), at + 120);
    EXPECT_EQ(late.Moment(widest), at + 120);
    MessageDate early(at, 60, 120);
    uint32_t (*none)(uint32_t) = [](uint32_t) { return 0u; };
    EXPECT_EQ(early.Moment(none), at - 60);
    EXPECT_EQ(early.Moment(widest), at - 60);
    MessageDate still(at, 0, 0);
    EXPECT_EQ(still.Moment(widest), at);
}

// What the editor stores (any unsigned number typed, kept as a signed 32-bit value) is read the way
// the editor shows it, and no stored value moves a line further than a day.
TEST(DateLineTest, StoredSecondsAreReadAsTypedAndAtMostADay)
{
    EXPECT_EQ(DateShiftSeconds(0), 0u);
    EXPECT_EQ(DateShiftSeconds(600), 600u);
    EXPECT_EQ(DateShiftSeconds(86400), 86400u);
    EXPECT_EQ(DateShiftSeconds(86401), 86400u);
    EXPECT_EQ(DateShiftSeconds(static_cast<int32_t>(3000000000u)), 86400u);  // typed 3000000000
    EXPECT_EQ(DateShiftSeconds(-1), 86400u);
    EXPECT_EQ(MaxDateShiftSeconds, 86400u);
}

// Every offset of the window is drawn about equally often, the last second after the reservation
// included, also for the widest window.
TEST(DateLineTest, TheDrawCoversTheWholeWindowEvenly)
{
    DateDraw draw;
    draw.Seed(20261207);
    const uint32_t span = 10;  // 5 s before to 5 s after
    int counts[span + 1] = {};
    const int rounds = 110000;
    for (int i = 0; i < rounds; ++i) {
        uint32_t offset = draw.UpTo(span);
        ASSERT_LE(offset, span);
        ++counts[offset];
    }
    for (int count : counts) {
        EXPECT_GT(count, rounds / 11 * 9 / 10);
        EXPECT_LT(count, rounds / 11 * 11 / 10);
    }

    // A day before to a day after: half the lines fall after the reservation, and the ends are
    // reached.
    const uint32_t day = MaxDateShiftSeconds;
    int after = 0;
    uint32_t least = UINT32_MAX, most = 0;
    for (int i = 0; i < 100000; ++i) {
        uint32_t offset = draw.UpTo(2 * day);
        after += offset > day;
        least = offset < least ? offset : least;
        most = offset > most ? offset : most;
    }
    EXPECT_GT(after, 48000);
    EXPECT_LT(after, 52000);
    EXPECT_LT(least, 100u);
    EXPECT_GT(most, 2 * day - 100);
    EXPECT_EQ(draw.UpTo(0), 0u);
}

}  // namespace
