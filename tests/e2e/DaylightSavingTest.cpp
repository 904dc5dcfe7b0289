// Daylight-saving change-overs through the simulated host, whose clock keeps UTC and shows local
// time through the system's zone: CTest runs this program, and the host it starts, with
// TZ=CET-1CEST,M3.5.0,M10.5.0/3 (Central Europe). Wine's C library applies other change-over dates
// to such a rule than its kernel32 does, so every expectation here is first checked against what
// kernel32 says.
#include "HostRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

SYSTEMTIME Utc(int year, int month, int day, int hour, int minute)
{
    return SystemTimeOf(year, month, day, hour, minute);
}

// The local hour and minute kernel32 gives a UTC time, as "hh:mm".
std::string LocalOf(const SYSTEMTIME& utc)
{
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return "(none)";
    char text[8];
    std::snprintf(text, sizeof text, "%02u:%02u", local.wHour, local.wMinute);
    return text;
}

class DaylightSavingTest : public testing_support::ClearedSettingsTest {
protected:
    void SetUp() override
    {
        ClearedSettingsTest::SetUp();
        // Summer time begins at 01:00 UTC on 2027-03-28 (02:00 becomes 03:00) and ends at 01:00 UTC
        // on 2026-10-25 (03:00 becomes 02:00 again).
        ASSERT_EQ(LocalOf(Utc(2027, 3, 28, 0, 59)), "01:59") << "not run with TZ=CET-1CEST,M3.5.0,M10.5.0/3";
        ASSERT_EQ(LocalOf(Utc(2027, 3, 28, 1, 0)), "03:00");
        ASSERT_EQ(LocalOf(Utc(2026, 10, 25, 0, 30)), "02:30");
        ASSERT_EQ(LocalOf(Utc(2026, 10, 25, 1, 30)), "02:30");
    }
};

// The night summer time begins has no 02:30: that entry is passed over, and the entries after it
// run, the first of them at the first tick of summer time.
TEST_F(DaylightSavingTest, TheSpringForwardHourPassesItsEntryOverAndTheNextOnesRun)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\n"
        "entry Sunday 02:30\nentry Sunday 03:00 around\nentry Sunday 03:02\n"
        "receive-seconds 5\n"
        "start 2027-03-28 01:59:30\n"
        "at 2027-03-28 01:59:50 caption\n"
        "at 2027-03-28 03:01:00 caption\n"
        "end 2027-03-28 03:02:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("01:59:50.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [02:30](&X)\"")) << run.log;
    EXPECT_FALSE(run.Has("2027-03-28 02:")) << run.log;
    EXPECT_EQ(run.Count("command: "), 2u) << run.log;
    EXPECT_EQ(run.When(Command(HostCmdPatrolReceive)), "2027-03-28 03:00:00.0") << run.log;
    EXPECT_EQ(run.When(Command(HostCmdReceive)), "2027-03-28 03:02:00.0") << run.log;
    EXPECT_TRUE(run.Has("03:01:00.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [03:02](&X)\"")) << run.log;
}

// The night summer time ends shows 02:00 to 02:59 twice: each entry of that hour runs once, in the
// first pass, and in the second pass the caption already shows the entry after the hour.
TEST_F(DaylightSavingTest, TheRepeatedHourRunsEachOfItsEntriesOnce)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\n"
        "entry Sunday 02:30\nentry Sunday 02:45 around\nentry Sunday 03:05\n"
        "receive-seconds 5\n"
        "start 2026-10-25 01:50:00\n"
        "at 2026-10-25 00:40:00Z caption\n"
        "at 2026-10-25 01:40:00Z caption\n"
        "end 2026-10-25 03:06:00\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Events("menu: "), (std::vector<std::string>{"menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [02:45](&X)\"",
                                                             "menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [03:05](&X)\""}))
        << run.log;
    EXPECT_EQ(run.Count(" 02:40:00.0 menu: "), 2u) << run.log;
    EXPECT_EQ(run.Events("command: "),
              (std::vector<std::string>{Command(HostCmdReceive) + " (receive)",
                                        Command(HostCmdPatrolReceive) + " (patrol receive)",
                                        Command(HostCmdReceive) + " (receive)"}))
        << run.log;
    EXPECT_EQ(run.When(Command(HostCmdReceive)), "2026-10-25 02:30:00.0") << run.log;
    EXPECT_EQ(run.When(Command(HostCmdPatrolReceive)), "2026-10-25 02:45:00.0") << run.log;
    EXPECT_TRUE(run.Has("2026-10-25 03:05:00.0 " + Command(HostCmdReceive))) << run.log;
}

// With one entry in the week, the entry pending after its run is the same weekday and time a week
// on: the second pass of the repeated hour must not take it for that.
TEST_F(DaylightSavingTest, TheWeeksOnlyEntryRunsOnceInTheRepeatedHour)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\n"
        "entry Sunday 02:30\n"
        "receive-seconds 5\n"
        "start 2026-10-25 01:50:00\n"
        "end 2026-10-25 03:00:00\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Count("command: "), 1u) << run.log;
    EXPECT_EQ(run.When(Command(HostCmdReceive)), "2026-10-25 02:30:00.0") << run.log;
}

// Messages released near the change-over carry the offset kernel32 gives their own moment: the
// same local 02:30 is +0200 before the change and +0100 after it.
TEST_F(DaylightSavingTest, DateLinesNearTheChangeOverCarryTheOffsetOfTheirMoment)
{
    const long firstTwoThirty = 1792888200;   // 2026-10-25 00:30 UTC
    const long secondTwoThirty = 1792891800;  // 2026-10-25 01:30 UTC
    HostLayout host;
    HostRunResult run = host.Run("clear-settings\nsetting UseReserve dword 1\nsetting ChangeDate dword 1\n"
                                 "start 2026-10-25 03:10:00\n"
                                 "at 03:10:00 outbox-store Account1 " + std::to_string(firstTwoThirty) + "\n"
                                 "at 03:10:00 outbox-store Account2 " + std::to_string(secondTwoThirty) + "\n"
                                 "end 2026-10-25 03:11:05\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    std::string first = ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Outbox.box\\00000001.qpm");
    std::string second = ReadFileBytes(host.Dir() + "\\Mailbox\\Account2\\Outbox.box\\00000001.qpm");
    EXPECT_NE(first.find("\r\nDate: Sun, 25 Oct 2026 02:30:00 +0200\r\n"), std::string::npos) << first;
    EXPECT_NE(second.find("\r\nDate: Sun, 25 Oct 2026 02:30:00 +0100\r\n"), std::string::npos) << second;
}

}  // namespace
