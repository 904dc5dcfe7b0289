// Scheduled receive runs through the simulated host, on its clock: which entry fires when, with
// which command, and what the schedule item's caption says.
#include "HostRun.h"
#include "contract/Quillpost.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::string Receive = Command(HostCmdReceive);
const std::string PatrolReceive = Command(HostCmdPatrolReceive);
const std::string ReceiveLine = Receive + " (receive)";
const std::string PatrolLine = PatrolReceive + " (patrol receive)";
std::string Caption(const char* next)
{
    return std::string("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [") + next + "](&X)\"";
}

// A week from Sunday 2026-12-06: each day the clock runs 11:59:30 to 12:01:30 and then jumps
// to the next day's 11:59:30, with the caption read before and after noon.
HostRow Week()
{
    std::string scenario = "setting AutoStart dword 1\n"
                           "entry Sunday 12:00 around\nentry Monday 12:00\nentry Tuesday 12:00 around\n"
                           "entry Wednesday 12:00\nentry Wednesday 12:01 around\nentry Thursday 12:00 around\n"
                           "entry Friday 12:00\nentry Saturday 12:00 around\n"
                           "receive-seconds 5\nstart 2026-12-06 11:59:30\n";
    // Each day's command; Wednesday's second entry fires at 12:01.
    const std::string commands[] = {PatrolLine, ReceiveLine, PatrolLine, ReceiveLine,
                                    PatrolLine, ReceiveLine, PatrolLine};
    std::vector<std::string> expected;
    for (int day = 6; day <= 12; ++day) {
        std::string date = "2026-12-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        scenario += "at " + date + " 11:59:40 caption\nat " + date + " 12:00:30 caption\n";
        if (day < 12)
            scenario += "at " + date + " 12:01:30 jump 86280000\n";
        expected.push_back(date + " 11:59:40.0 " + Caption("12:00"));
        expected.push_back(date + " 12:00:00.0 " + commands[day - 6]);
        expected.push_back(date + " 12:00:30.0 " + Caption(day == 9 ? "12:01" : "12:00"));
        if (day == 9)
            expected.push_back(date + " 12:01:00.0 " + PatrolLine);
    }
    // Both ticks at second 0 of each minute came, and each run ended before the next.
    return {"AWeeksEntriesFireOnceEachOnTheirWeekdayWithTheirCommand", scenario + "end 2026-12-12 12:01:40\n",
            {Stamped("command: |menu: ", expected), Count(8, "APCFolderEndRetrieve -> 1")}};
}

// An entry whose minute comes while a run is still going starts once the run has ended, if that is
// within its minute; an entry whose whole minute passes during the run is passed over, and the
// caption shows the entry after it, which then runs.
std::string DuringARun(const char* receiveSeconds, const char* more)
{
    return std::string("setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:01 around\nentry Monday 07:03\n"
                       "receive-seconds ") + receiveSeconds + "\nstart 2026-12-07 06:59:50\n" + more +
           "end 2026-12-07 07:03:10\n";
}

std::vector<HostRow> Rows()
{
    return {
        Week(),
        // Choosing the item stops the schedule: the stored event starts nothing; choosing it again
        // finds the next entry from the present minute.
        {"TheMenuItemStopsAndStartsTheSchedule",
         "setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:02 around\nreceive-seconds 5\n"
         "start 2026-12-07 06:59:30\nat 06:59:40 menu schedule\nat 06:59:41 caption\n"
         "at 07:00:30 menu schedule\nat 07:00:31 caption\nend 2026-12-07 07:02:10\n",
         {Stamped("user: chooses|menu: |command: ",
                  {"2026-12-07 06:59:40.0 user: chooses \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:00](&X)\"",
                   "2026-12-07 06:59:41.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"",
                   "2026-12-07 07:00:30.0 user: chooses \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"",
                   "2026-12-07 07:00:31.0 " + Caption("07:02"), "2026-12-07 07:02:00.0 " + PatrolLine})}},
        // The host's thread is busy over second 0 of 07:00: the first tick of the minute, a second
        // late, still starts its entry, and the next entry follows on time.
        {"AMinuteWithoutATickAtSecondZeroRunsItsEntryOnItsFirstTick",
         "setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:01 around\nreceive-seconds 5\n"
         "start 2026-12-07 06:59:30\nat 06:59:59 jump 2000\nend 2026-12-07 07:01:10\n",
         {Has("clock: jumps 2000 ms"), Count(2, "command: "), At("2026-12-07 07:00:01.0", Receive),
          At("2026-12-07 07:01:00.0", PatrolReceive)}},
        // A host that ends the receive within its command and then shows a notice that runs its
        // timer: the ticks inside the command do not start the same entry again.
        {"AReceiveThatEndsWithinItsCommandRunsItsEntryOnce",
         "setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:01 around\n"
         "receive-sync\nreceive-seconds 5\nstart 2026-12-07 06:59:50\nend 2026-12-07 07:01:10\n",
         {Lines("command: ", {ReceiveLine, PatrolLine})}},
        // The host cleans up and starts the plug-in again within that notice, inside the tick that
        // sent the command: the tick returns into the plug-in that ended, and the new one runs the
        // next entry.
        {"ACleanUpAndStartUpInsideTheReceivesNoticeRunsTheNextEntryOnce",
         "setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:01 around\n"
         "receive-sync\nreceive-seconds 20\nstart 2026-12-07 06:59:50\nat 07:00:03 cleanup\n"
         "at 07:00:06 startup\nend 2026-12-07 07:01:10\n",
         {Lines("command: ", {ReceiveLine, PatrolLine})},
         [](const HostRunResult& run, const HostLayout&) {
             EXPECT_LT(run.log.find("host: APCStartUp -> 1", run.log.find("host: APCCleanUp -> 1")),
                       run.log.find("host: the notice closed"));
         }},
        {"AnEntryThatComesDuringARunRunsWithinItsMinute", DuringARun("90", ""),
         {At("2026-12-07 07:01:30.0", "APCFolderEndRetrieve"), At("2026-12-07 07:01:30.0", PatrolReceive)}},
        {"AnEntryWhoseMinutePassesDuringARunIsPassedOver", DuringARun("125", "at 07:02:20 caption\n"),
         {None(PatrolReceive), Has("07:02:20.0 " + Caption("07:03")), Count(2, Receive),
          Has("07:03:00.0 " + Receive)}},
    };
}

class ScheduleRunTest : public HostTableTest {};
TEST_P(ScheduleRunTest, Row) { RunRow(); }
INSTANTIATE_TEST_SUITE_P(Host, ScheduleRunTest, testing::ValuesIn(Rows()), RowName);

}  // namespace
