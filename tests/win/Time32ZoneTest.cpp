// Local fields to calendar time and back in a zone with daylight saving: CTest runs this program
// with TZ=CET-1CEST,M3.5.0,M10.5.0/3 (+0100 in winter, +0200 from the last Sunday of March 02:00
// to the last Sunday of October 03:00).
#include "../../common/windows/Time32.h"

#include <gtest/gtest.h>

namespace {

class Time32ZoneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SYSTEMTIME july = {2027, 7, 4, 15, 12, 0, 0, 0}, utc;
        ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &july, &utc));
        ASSERT_EQ(utc.wHour, 10) << "not run with TZ=CET-1CEST,M3.5.0,M10.5.0/3 (run it through ctest)";
    }

    static std::string Shown(int32_t time)
    {
        SYSTEMTIME local{};
        if (!Time32ToLocalFields(time, &local))
            return "none";
        char text[32];
        wsprintfA(text, "%04d-%02d-%02d %02d:%02d", local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
        return text;
    }
};

// 29 March 2026: the clock goes from 01:59 winter time (00:59 UTC) to 03:00 summer time (01:00
// UTC). A time in between is never read as a moment before the clock has passed it.
TEST_F(Time32ZoneTest, ATimeTheSpringChangeSkipsIsNotReadAsAnEarlierMoment)
{
    EXPECT_EQ(LocalFieldsToTime32(2026, 3, 29, 1, 59, 0), 1774745940);  // 00:59 UTC
    EXPECT_EQ(LocalFieldsToTime32(2026, 3, 29, 3, 0, 0), 1774746000);   // 01:00 UTC
    EXPECT_EQ(LocalFieldsToTime32(2026, 3, 29, 2, 0, 0), 1774746000);
    EXPECT_EQ(LocalFieldsToTime32(2026, 3, 29, 2, 30, 0), 1774747800);  // 01:30 UTC, 03:30 summer time
    EXPECT_EQ(Shown(1774747800), "2026-03-29 03:30");
    // Reopened and taken again as shown, it stays.
    EXPECT_EQ(LocalFieldsToTime32(2026, 3, 29, 3, 30, 0), 1774747800);
}

// 25 October 2026: 02:00 to 02:59 come twice; the first of them is taken.
TEST_F(Time32ZoneTest, ATimeTheAutumnChangeRepeatsIsItsFirstMoment)
{
    EXPECT_EQ(LocalFieldsToTime32(2026, 10, 25, 2, 30, 0), 1792888200);  // 00:30 UTC
    EXPECT_EQ(Shown(1792888200), "2026-10-25 02:30");
    EXPECT_EQ(Shown(1792888200 + 3600), "2026-10-25 02:30");
    EXPECT_EQ(LocalFieldsToTime32(2026, 10, 25, 3, 30, 0), 1792895400);  // 02:30 UTC
}

// The ends of the 32-bit range, in winter time here.
TEST_F(Time32ZoneTest, TheRangeEndsAtItsLocalMinutes)
{
    EXPECT_EQ(LocalFieldsToTime32(1970, 1, 1, 1, 0, 0), 0);
    EXPECT_EQ(LocalFieldsToTime32(1970, 1, 1, 0, 59, 0), -1);
    EXPECT_EQ(LocalFieldsToTime32(2038, 1, 19, 4, 14, 0), 2147483640);
    EXPECT_EQ(LocalFieldsToTime32(2038, 1, 19, 4, 15, 0), -1);
    EXPECT_EQ(Shown(0), "1970-01-01 01:00");
    EXPECT_EQ(Shown(2147483647), "2038-01-19 04:14");
}

}  // namespace
