// Scheduled receive runs through the simulated host, on its clock: which entry fires when, with
// which command, and what the schedule item's caption says.
#include "HostRun.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace testing_support;

namespace {

class ScheduleRunTest : public testing_support::ClearedSettingsTest {};

// Lines of the log with a receive command or a caption, in order, with their times.
std::vector<std::string> Timeline(const HostRunResult& run)
{
    std::vector<std::string> lines;
    std::istringstream in(run.log);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("command: ") != std::string::npos || line.find("menu: ") != std::string::npos)
            lines.push_back(line);
    }
    return lines;
}

// A week from Sunday 2026-12-06: each day the clock runs 11:59:30 to 12:01:30 and then jumps
// to the next day's 11:59:30.
TEST_F(ScheduleRunTest, AWeeksEntriesFireOnceEachOnTheirWeekdayWithTheirCommand)
{
    std::string scenario =
        "setting AutoStart dword 1\n"
        "entry Sunday 12:00 around\n"
        "entry Monday 12:00\n"
        "entry Tuesday 12:00 around\n"
        "entry Wednesday 12:00\nentry Wednesday 12:01 around\n"
        "entry Thursday 12:00 around\n"
        "entry Friday 12:00\n"
        "entry Saturday 12:00 around\n"
        "receive-seconds 5\n"
        "start 2026-12-06 11:59:30\n";
    for (int day = 6; day <= 12; ++day) {
        std::string date = "2026-12-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        scenario += "at " + date + " 11:59:40 caption\n";
        scenario += "at " + date + " 12:00:30 caption\n";
        if (day < 12)
            scenario += "at " + date + " 12:01:30 jump 86280000\n";
    }
    scenario += "end 2026-12-12 12:01:40\n";
    HostLayout host;
    HostRunResult run = host.Run(scenario);
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    const std::vector<std::string> expected = {
        "2026-12-06 11:59:40.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-06 12:00:00.0 command: 32859 (patrol receive)",  // Sunday
        "2026-12-06 12:00:30.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-07 11:59:40.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-07 12:00:00.0 command: 32786 (receive)",  // Monday
        "2026-12-07 12:00:30.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-08 11:59:40.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-08 12:00:00.0 command: 32859 (patrol receive)",  // Tuesday
        "2026-12-08 12:00:30.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-09 11:59:40.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-09 12:00:00.0 command: 32786 (receive)",  // Wednesday, twice
        "2026-12-09 12:00:30.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:01](&X)\"",
        "2026-12-09 12:01:00.0 command: 32859 (patrol receive)",
        "2026-12-10 11:59:40.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-10 12:00:00.0 command: 32859 (patrol receive)",  // Thursday
        "2026-12-10 12:00:30.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-11 11:59:40.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-11 12:00:00.0 command: 32786 (receive)",  // Friday
        "2026-12-11 12:00:30.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-12 11:59:40.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
        "2026-12-12 12:00:00.0 command: 32859 (patrol receive)",  // Saturday
        "2026-12-12 12:00:30.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [12:00](&X)\"",
    };
    EXPECT_EQ(Timeline(run), expected) << run.log;
    // Both ticks at second 0 of each minute came, and each run ended before the next.
    EXPECT_EQ(run.Count("APCFolderEndRetrieve -> 1"), 8u) << run.log;
}

// Choosing the item stops the schedule: the stored event starts nothing; choosing it again finds
// the next entry from the present minute.
TEST_F(ScheduleRunTest, TheMenuItemStopsAndStartsTheSchedule)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\n"
        "entry Monday 07:00\nentry Monday 07:02 around\n"
        "receive-seconds 5\n"
        "start 2026-12-07 06:59:30\n"
        "at 06:59:40 menu schedule\n"
        "at 06:59:41 caption\n"
        "at 07:00:30 menu schedule\n"
        "at 07:00:31 caption\n"
        "end 2026-12-07 07:02:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    const std::vector<std::string> expected = {
        "2026-12-07 06:59:40.0 user: chooses \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:00](&X)\"",
        "2026-12-07 06:59:41.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"",
        "2026-12-07 07:00:30.0 user: chooses \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"",
        "2026-12-07 07:00:31.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:02](&X)\"",
        "2026-12-07 07:02:00.0 command: 32859 (patrol receive)",
    };
    std::vector<std::string> timeline;
    for (const std::string& line : Timeline(run))
        timeline.push_back(line);
    std::vector<std::string> chosen;
    std::istringstream in(run.log);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("user: chooses") != std::string::npos || line.find("menu: ") != std::string::npos ||
            line.find("command: ") != std::string::npos)
            chosen.push_back(line);
    }
    EXPECT_EQ(chosen, expected) << run.log;
}

// The host's thread is busy over second 0 of 07:00: the first tick of the minute, a second late,
// still starts its entry, and the next entry follows on time.
TEST_F(ScheduleRunTest, AMinuteWithoutATickAtSecondZeroRunsItsEntryOnItsFirstTick)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\n"
        "entry Monday 07:00\nentry Monday 07:01 around\n"
        "receive-seconds 5\n"
        "start 2026-12-07 06:59:30\n"
        "at 06:59:59 jump 2000\n"
        "end 2026-12-07 07:01:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("clock: jumps 2000 ms")) << run.log;
    EXPECT_EQ(run.Count("command: "), 2u) << run.log;
    EXPECT_EQ(run.When("command: 32786"), "2026-12-07 07:00:01.0") << run.log;
    EXPECT_EQ(run.When("command: 32859"), "2026-12-07 07:01:00.0") << run.log;
}

// A host that ends the receive within its command and then shows a notice that runs its timer:
// the ticks inside the command do not start the same entry again.
TEST_F(ScheduleRunTest, AReceiveThatEndsWithinItsCommandRunsItsEntryOnce)
{
    HostLayout host;
    HostRunResult run = host.Run("setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:01 around\n"
                                 "receive-sync\nreceive-seconds 5\nstart 2026-12-07 06:59:50\nend 2026-12-07 07:01:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Events("command: "),
              (std::vector<std::string>{"command: 32786 (receive)", "command: 32859 (patrol receive)"}))
        << run.log;

    // The host cleans up and starts the plug-in again within that notice, inside the tick that
    // sent the command: the tick returns into the plug-in that ended, and the new one runs the next entry.
    HostLayout again;
    HostRunResult restarted = again.Run("setting AutoStart dword 1\nreceive-sync\nreceive-seconds 20\n"
                                        "start 2026-12-07 06:59:50\nat 07:00:03 cleanup\nat 07:00:06 startup\n"
                                        "end 2026-12-07 07:01:10\n");
    ASSERT_EQ(restarted.exitCode, 0u) << restarted.log;
    EXPECT_LT(restarted.log.find("host: APCStartUp -> 1", restarted.log.find("host: APCCleanUp -> 1")),
              restarted.log.find("host: the notice closed"))
        << restarted.log;
    EXPECT_EQ(restarted.Events("command: "),
              (std::vector<std::string>{"command: 32786 (receive)", "command: 32859 (patrol receive)"}))
        << restarted.log;
}

// An entry whose minute comes while a run is still going starts once the run has ended, if that is
// within its minute; an entry whose whole minute passes during the run is passed over, and the
// caption shows the entry after it, which then runs.
TEST_F(ScheduleRunTest, AnEntryThatComesDuringARunRunsWithinItsMinuteOrIsPassedOver)
{
    HostLayout host;
    HostRunResult late = host.Run(
        "setting AutoStart dword 1\n"
        "entry Monday 07:00\nentry Monday 07:01 around\nentry Monday 07:03\n"
        "receive-seconds 90\n"
        "start 2026-12-07 06:59:50\n"
        "end 2026-12-07 07:03:10\n");
    ASSERT_EQ(late.exitCode, 0u) << late.log;
    EXPECT_EQ(late.When("APCFolderEndRetrieve"), "2026-12-07 07:01:30.0") << late.log;
    EXPECT_EQ(late.When("command: 32859"), "2026-12-07 07:01:30.0") << late.log;

    HostRunResult passed = host.Run(
        "setting AutoStart dword 1\n"
        "entry Monday 07:00\nentry Monday 07:01 around\nentry Monday 07:03\n"
        "receive-seconds 125\n"
        "start 2026-12-07 06:59:50\n"
        "at 07:02:20 caption\n"
        "end 2026-12-07 07:03:10\n");
    ASSERT_EQ(passed.exitCode, 0u) << passed.log;
    EXPECT_FALSE(passed.Has("command: 32859")) << passed.log;
    EXPECT_TRUE(passed.Has("07:02:20.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:03](&X)\"")) << passed.log;
    EXPECT_EQ(passed.Count("command: 32786"), 2u) << passed.log;
    EXPECT_TRUE(passed.Has("07:03:00.0 command: 32786")) << passed.log;
}

}  // namespace
