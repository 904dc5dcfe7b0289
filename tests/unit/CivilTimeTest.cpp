// Date and time fields to seconds and back, with the normalisation of fields out of range that
// the reservation dialog relies on.
#include "../../common/pure/CivilTime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

std::string Show(const CivilFields& f)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d w%d", static_cast<long long>(f.year), f.month,
                  f.day, f.hour, f.minute, f.second, f.weekday);
    return text;
}

std::string Normalised(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second)
{
    return Show(FieldsFromSeconds(SecondsFromFields(year, month, day, hour, minute, second)));
}

TEST(CivilTimeTest, FieldsOutOfRangeRollIntoTheNextOrPreviousUnit)
{
    EXPECT_EQ(Normalised(2026, 4, 31, 7, 75, 0), "2026-05-01 08:15:00 w5");
    EXPECT_EQ(Normalised(2027, 0, 0, 24, 0, 0), "2026-12-01 00:00:00 w2");
    EXPECT_EQ(Normalised(2026, 13, 1, 0, 0, 0), "2027-01-01 00:00:00 w5");
    EXPECT_EQ(Normalised(2026, -11, 1, 0, 0, 0), "2025-01-01 00:00:00 w3");
    EXPECT_EQ(Normalised(2024, 2, 30, 0, 0, 0), "2024-03-01 00:00:00 w5");  // a leap year
    EXPECT_EQ(Normalised(2100, 2, 29, 0, 0, 0), "2100-03-01 00:00:00 w1");  // not one
    EXPECT_EQ(Normalised(1970, 1, 1, 0, 0, -1), "1969-12-31 23:59:59 w3");
    EXPECT_EQ(Normalised(0, 1, 1, 0, 0, 0), "0000-01-01 00:00:00 w6");
}

TEST(CivilTimeTest, SecondsAgreeWithTheCLibrarysUtcConversion)
{
    EXPECT_EQ(SecondsFromFields(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(SecondsFromFields(2038, 1, 19, 3, 14, 7), INT32_MAX);
    // Every 997 hours over two centuries, against gmtime.
    for (int64_t t = -2208988800LL; t < 4102444800LL; t += 997 * 3600 + 61) {
        std::time_t value = static_cast<std::time_t>(t);
        std::tm utc{};
        ASSERT_TRUE(gmtime_r(&value, &utc));
        CivilFields f = FieldsFromSeconds(t);
        ASSERT_EQ(f.year, utc.tm_year + 1900) << t;
        ASSERT_EQ(f.month, utc.tm_mon + 1) << t;
        ASSERT_EQ(f.day, utc.tm_mday) << t;
        ASSERT_EQ(f.hour * 3600 + f.minute * 60 + f.second, utc.tm_hour * 3600 + utc.tm_min * 60 + utc.tm_sec) << t;
        ASSERT_EQ(f.weekday, utc.tm_wday) << t;
        ASSERT_EQ(SecondsFromFields(f.year, f.month, f.day, f.hour, f.minute, f.second), t);
    }
}

// The fields a dialog can hand over (each at most 10^8 in size) stay far within 64 bits.
TEST(CivilTimeTest, TheLargestFieldsDoNotOverflow)
{
    const int64_t big = 100000000;
    EXPECT_GT(SecondsFromFields(big, big, big, big, big, big), 0);
    EXPECT_LT(SecondsFromFields(-big, -big, -big, -big, -big, -big), 0);
    EXPECT_EQ(FieldsFromSeconds(SecondsFromFields(big, 1, 1, 0, 0, 0)).year, big);
}

}  // namespace
