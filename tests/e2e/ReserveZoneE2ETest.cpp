// The reservation dialog in a zone with daylight saving: CTest runs this program, and the host it
// starts, with TZ=CET-1CEST,M3.5.0,M10.5.0/3 (Central Europe: +0100 in winter, +0200 in summer).
// The dates stay well away from the change-overs, where Wine's C library and its kernel32 apply
// different change-over dates to such a rule.
#include "HostRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class ReserveZoneE2ETest : public testing_support::ClearedSettingsTest {
protected:
    void SetUp() override
    {
        ClearedSettingsTest::SetUp();
        // The system's own answer for the zone this test is about.
        SYSTEMTIME july = {2027, 7, 4, 15, 12, 0, 0, 0}, december = {2026, 12, 2, 15, 12, 0, 0, 0}, utc;
        ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &july, &utc));
        ASSERT_EQ(utc.wHour, 10) << "not run with TZ=CET-1CEST,M3.5.0,M10.5.0/3 (run it through ctest)";
        ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &december, &utc));
        ASSERT_EQ(utc.wHour, 11);
    }

    // Reserves the fields in a send window on a clock started at start, then reopens the dialog.
    HostRunResult ReserveAndReopen(const std::string& start, const std::string& fields)
    {
        HostLayout host;
        std::string day = start.substr(0, 10);
        return host.Run("clear-settings\nsetting UseReserve dword 1\nstart " + start + "\n"
                        "at " + day + " 10:00:01 send-open 1\n"
                        "at " + day + " 10:00:02 send-menu 1\n"
                        "at " + day + " 10:00:03 reserve-fill " + fields + "\n"
                        "at " + day + " 10:00:04 click 送信予約 1\n"
                        "at " + day + " 10:00:05 send-header 1\n"
                        "at " + day + " 10:00:06 send-menu 1\n"
                        "at " + day + " 10:00:07 reserve-fields\n"
                        "at " + day + " 10:00:08 click 送信予約 1\n"
                        "end " + day + " 10:00:10\n");
    }
};

// Each reservation is converted with the daylight saving of its own date, not of the day it is
// made: in December a July noon is 10:00 UTC, in July a December noon 11:00 UTC. Reopened, the
// dialog shows what was entered, and pressing "予約" again changes nothing.
TEST_F(ReserveZoneE2ETest, ADateInTheOtherSeasonIsStoredAndReopenedAsEntered)
{
    HostRunResult summer = ReserveAndReopen("2026-12-07 10:00:00", "2027 7 15 12 0");
    ASSERT_EQ(summer.exitCode, 0u) << summer.log;
    EXPECT_TRUE(summer.Has("header 1: X-Reserve-Date: 1815645600\\r\\n")) << summer.log;
    EXPECT_TRUE(summer.Has("dialog: fields 2027 7 15 12 0")) << summer.log;
    EXPECT_EQ(summer.Count("header 1: set"), 1u) << summer.log;

    HostRunResult winter = ReserveAndReopen("2026-07-06 10:00:00", "2026 12 15 12 0");
    ASSERT_EQ(winter.exitCode, 0u) << winter.log;
    EXPECT_TRUE(winter.Has("header 1: X-Reserve-Date: 1797332400\\r\\n")) << winter.log;
    EXPECT_TRUE(winter.Has("dialog: fields 2026 12 15 12 0")) << winter.log;
    EXPECT_EQ(winter.Count("header 1: set"), 1u) << winter.log;
}

// 29 March 2026 the clock goes from 02:00 straight to 03:00. A time in the skipped hour is taken
// as the moment an unchanged clock would show it, never one before the clock has passed it:
// 02:30 is 03:30 summer time (01:30 UTC), and the dialog reopens on that. Only the system's zone
// functions are involved in this path, so the change-over's own date is safe here.
TEST_F(ReserveZoneE2ETest, ATimeInTheSkippedHourIsNotReservedBeforeTheClockPassesIt)
{
    HostRunResult run = ReserveAndReopen("2026-03-20 10:00:00", "2026 3 29 2 30");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("header 1: X-Reserve-Date: 1774747800\\r\\n")) << run.log;
    EXPECT_TRUE(run.Has("dialog: fields 2026 3 29 3 30")) << run.log;
}

}  // namespace
