// Daily connect and disconnect through the simulated host: the connection command, the polling
// steps until the host's state has changed, and the host's dialogs on the way.
#include "HostRun.h"
#include "contract/Quillpost.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The step commands, registered at start-up before any other.
constexpr int DisconnectStep = FirstCallbackCommand;
constexpr int ConnectStep = FirstCallbackCommand + 1;

const std::string Connection = Command(HostCmdConnection);
const std::string Receive = Command(HostCmdReceive);
const std::string PatrolReceive = Command(HostCmdPatrolReceive);
const char* const ErrorShown = "dialog: \"エラー\" shown";
const char* const ErrorAnswered = "dialog: \"エラー\" answered";

// The delivery count of a step command in a "callbacks" line.
int Delivered(const std::string& line, int command)
{
    std::string key = " " + std::to_string(command) + "=";
    size_t at = line.find(key);
    return at == std::string::npos ? -1 : std::stoi(line.substr(at + key.size()));
}

std::string Times(const std::string& daily)
{
    return "server Connect 1\nserver ConnectHour 7\nserver ConnectMinute 0\n" + daily;
}

std::string DisconnectAt(int minute)
{
    return "server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute " + std::to_string(minute) + "\n";
}

// A connect or disconnect whose minute no tick could start it in (the host busy or asleep) is made
// by the first tick that may: a connect within ten minutes of its time, a disconnect while the
// scheduled connection it ends is there (which then holds the 07:14 entry back no longer). Each
// catch-up is logged.
HostRow Missed(const char* name, const char* scenario, size_t connectionCommands, const char* logged)
{
    return {name,
            Times(DisconnectAt(12)) + "setting AutoStart dword 1\nentry Monday 07:14\nconnect succeed 3\n"
                                      "start 2026-12-07 06:58:50\n" + scenario + "end 2026-12-07 07:14:10\n",
            {Count(connectionCommands, Connection), Has("07:14:00.0 " + Receive),
             FileHas("AppData\\Quor\\ChronelPlug\\chronel.log", logged)},
            nullptr,
            [](HostLayout& host) {
                WriteDword("Software\\Quor\\FakeEditor", "Result", 1);
                EXPECT_TRUE(host.AddBuildFile("fake-editor/chronset.dll", "Plugins\\chronset.dll"));
            }};
}

std::vector<HostRow> Rows()
{
    return {
        // Connected at 07:00 after a delay, disconnected at 07:03: the steps poll until the state
        // has changed and then stop. While the scheduled connection holds, the 07:01 entry starts
        // no run and is passed over; once the disconnect step has found the host offline, 07:04 runs.
        {"DailyConnectAndDisconnectPollUntilTheStateHasChanged",
         Times(DisconnectAt(3)) + "setting AutoStart dword 1\nentry Monday 07:01\nentry Monday 07:04 around\n"
                                  "connect succeed 5\nreceive-seconds 5\nstart 2026-12-07 06:59:50\n"
                                  "at 07:00:20 callbacks\nat 07:00:50 callbacks\nat 07:02:30 caption\n"
                                  "at 07:03:20 callbacks\nat 07:03:50 callbacks\nend 2026-12-07 07:04:40\n",
         {At("2026-12-07 07:00:00.0", Connection), At("2026-12-07 07:00:05.0", "host: connected"),
          Count(1, "host: connected"), At("2026-12-07 07:03:05.0", "host: disconnected"),
          Count(1, "host: disconnected"), None(Receive),
          // The entry the connection held back is passed over; the next one is pending and runs.
          At("2026-12-07 07:02:30.0", "menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:04](&X)\""),
          At("2026-12-07 07:04:00.0", PatrolReceive)},
         [](const HostRunResult& run, const HostLayout&) {
             auto counts = run.Events("host: callbacks delivered");
             ASSERT_EQ(counts.size(), 4u) << run.log;
             // The connect step ran about once a tick over the five seconds, then stopped.
             int connectSteps = Delivered(counts[0], ConnectStep);
             EXPECT_GE(connectSteps, 10) << counts[0];
             EXPECT_LE(connectSteps, 24) << counts[0];
             EXPECT_EQ(Delivered(counts[1], ConnectStep), connectSteps) << counts[1];
             EXPECT_EQ(Delivered(counts[0], DisconnectStep), 0) << counts[0];
             int disconnectSteps = Delivered(counts[2], DisconnectStep);
             EXPECT_GE(disconnectSteps, 10) << counts[2];
             EXPECT_LE(disconnectSteps, 24) << counts[2];
             EXPECT_EQ(Delivered(counts[3], DisconnectStep), disconnectSteps) << counts[3];
         }},
        Missed("AMissedConnectIsMadeLate", "at 06:59:59 jump 180000\n", 2,
               "07:02:59 予定の接続を始めました (月曜 07:00 の予定より遅れて)\r\n"),
        Missed("AConnectMissedForTenMinutesIsPassedOver", "at 06:59:59 jump 660000\n", 0,
               "07:10:59 月曜 07:00 の予定の接続を見送りました: その分の間に一度も"),
        Missed("AMissedDisconnectIsMadeLate", "at 07:11:59 jump 70000\n", 2,
               "07:13:09 予定の切断を始めました (月曜 07:12 の予定より遅れて)\r\n"),
        // Held by a run: made at its time after the run's step back; not made once an Apply moved it.
        Missed("AConnectHeldByARunIsMadeAfterItsStepBack",
               "entry Monday 06:59\nreceive-seconds 150\nat 07:00:30 step -150000\n", 2,
               "07:00:00 予定の接続を始めました\r\n"),
        Missed("AConnectHeldByARunIsNotMadeOnceAnApplyMovedIt",
               "entry Monday 06:59\nreceive-seconds 150\nat 07:00:30 server ConnectHour 8\nat 07:00:31 setup\n", 0,
               "月曜 07:00 の予定の接続を見送りました: その分に設定を読み直しました\r\n"),
        // A connection that ends in the host's error dialog: the step cancels the dialog, polling
        // stops and the scheduled connection is over, so the schedule's next entry starts its run.
        {"AConnectThatEndsInTheErrorDialogStopsPolling",
         Times("setting AutoStart dword 1\nentry Monday 07:01\n") +
             "connect fail 3\nreceive-seconds 5\nstart 2026-12-07 06:59:50\n"
             "at 07:00:20 callbacks\nat 07:00:50 callbacks\nend 2026-12-07 07:01:10\n",
         {At("2026-12-07 07:00:03.0", ErrorShown), At("2026-12-07 07:00:03.0", ErrorAnswered + std::string(" 2")),
          None("host: connected"), At("2026-12-07 07:01:00.0", Receive)},
         [](const HostRunResult& run, const HostLayout&) {
             auto counts = run.Events("host: callbacks delivered");
             ASSERT_EQ(counts.size(), 2u) << run.log;
             EXPECT_GT(Delivered(counts[0], ConnectStep), 0) << counts[0];
             EXPECT_EQ(Delivered(counts[1], ConnectStep), Delivered(counts[0], ConnectStep)) << run.log;
         }},
        // A connect or disconnect step the host delivers after clean-up (posted by the last tick,
        // still in its queue) does nothing: the host's dialog stays for the user to answer.
        {"AStepDeliveredAfterCleanUpDoesNothing",
         Times(DisconnectAt(3)) + "start 2026-12-07 06:58:00\nat 06:58:01 cleanup\nat 06:58:02 host-dialog エラー\n"
                                  "at 06:58:03 late-command " + std::to_string(ConnectStep) + "\n"
                                  "at 06:58:04 late-command " + std::to_string(DisconnectStep) + "\n"
                                  "end 2026-12-07 06:58:06\n",
         {Has("host: a late command " + std::to_string(ConnectStep) + "\n"),
          Has("host: a late command " + std::to_string(DisconnectStep) + "\n"), Has(ErrorShown), None(ErrorAnswered),
          None(Connection)}},
        // Clean-up ends the scheduled connect under way. Started again, the plug-in polls nothing
        // for it: a host dialog that comes up later is the user's to answer, not taken by a step of
        // the connect that the earlier start-up began.
        {"ACleanUpEndsTheConnectUnderWayForTheNextStartUp",
         Times(DisconnectAt(3)) + "connect succeed 20\nstart 2026-12-07 06:59:50\nat 07:00:02 cleanup\n"
                                  "at 07:00:04 startup\nat 07:00:06 host-dialog エラー\nend 2026-12-07 07:00:09\n",
         {At("2026-12-07 07:00:00.0", Connection), Count(2, "host: APCStartUp -> 1"), Has(ErrorShown),
          None(ErrorAnswered)}},
        // Already connected, the disconnect asks "ダイヤル切断の確認"; the step answers yes. The
        // second tick at second 0 finds the host offline: no second connection command.
        {"TheDisconnectQuestionIsAnsweredYes",
         DisconnectAt(0) + "connected\nconnect confirm 2\nstart 2026-12-07 06:59:50\n"
                           "at 07:00:30 callbacks\nend 2026-12-07 07:00:40\n",
         {At("2026-12-07 07:00:00.0", "dialog: \"ダイヤル切断の確認\" shown"),
          At("2026-12-07 07:00:00.0", "dialog: \"ダイヤル切断の確認\" answered 6"),
          At("2026-12-07 07:00:00.0", "host: disconnected"), Count(1, Connection)}},
        // A connect time equal to the pending event's time starts the connect only; the event is missed.
        {"AConnectAtTheEventsMinuteStartsOnlyTheConnect",
         Times("setting AutoStart dword 1\nentry Monday 07:00\n") +
             "connect succeed 2\nstart 2026-12-07 06:59:50\nat 07:00:30 caption\nend 2026-12-07 07:00:40\n",
         {Has("host: connected"), None(Receive), Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:00](&X)\"")}},
        // A daily connect without a daily disconnect holds nothing back: no disconnect would ever
        // end the scheduled connection, so the entries after it start their runs as usual.
        {"AConnectWithoutADailyDisconnectHoldsNoRunBack",
         Times("setting AutoStart dword 1\nentry Monday 07:01\nentry Monday 07:02 around\n") +
             "connect succeed 3\nreceive-seconds 5\nstart 2026-12-07 06:59:50\nend 2026-12-07 07:02:40\n",
         {At("2026-12-07 07:00:03.0", "host: connected"), At("2026-12-07 07:01:00.0", Receive),
          At("2026-12-07 07:02:00.0", PatrolReceive)}},
        // With a daily disconnect set, the connection holds runs back until it ends; when the user
        // ends it first (or the line drops), the next tick finds the host offline and the runs go on.
        {"AConnectionThatEndsBeforeTheDailyDisconnectHoldsNoLonger",
         Times("server DisConnect 1\nserver DisConnectHour 9\nserver DisConnectMinute 0\n") +
             "setting AutoStart dword 1\nentry Monday 07:01\nconnect succeed 3\nreceive-seconds 5\n"
             "start 2026-12-07 06:59:50\nat 07:00:20 menu connection\nend 2026-12-07 07:01:10\n",
         {At("2026-12-07 07:00:03.0", "host: connected"), At("2026-12-07 07:00:23.0", "host: disconnected"),
          At("2026-12-07 07:01:00.0", Receive)}},
        // A host that toggles its connection on every command, whose connection comes up two
        // seconds after it: the connect and the disconnect are each commanded once in their minute,
        // although two ticks fall on second 0 while the host is still dialing or hanging up.
        {"EachScheduledToggleIsCommandedOnceInItsMinute",
         Times(DisconnectAt(2)) + "connect toggle 2\nstart 2026-12-07 06:59:50\nend 2026-12-07 07:02:30\n",
         {None("cancels the one under way"), Count(2, Connection), At("2026-12-07 07:00:00.0", Connection),
          At("2026-12-07 07:00:02.0", "host: connected"), At("2026-12-07 07:02:02.0", "host: disconnected")}},
        // A host whose steps come from WM_TIMER, as a real host's timer does, and a connection that
        // takes a long time: the polling must leave room in the queue for the timer (and with it
        // the tick, input and paint). If each step re-posted itself at once the queue would always
        // hold a posted message, WM_TIMER would never be taken, the clock would stand still and the
        // host would never reach its end.
        {"PollingDoesNotStarveTheHostsTimer",
         Times("setting AutoStart dword 1\nentry Monday 07:02\n") +
             "timer-driven 10\nconnect succeed 60\nreceive-seconds 5\nstart 2026-12-07 06:59:50\n"
             "at 07:00:30 callbacks\nat 07:01:30 callbacks\nat 07:01:40 caption\nend 2026-12-07 07:01:50\n",
         {At("2026-12-07 07:01:00.0", "host: connected"), Has("host: stopped")},
         [](const HostRunResult& run, const HostLayout&) {
             auto counts = run.Events("host: callbacks delivered");
             ASSERT_EQ(counts.size(), 2u) << run.log;
             // Polled all along, at most once a tick, and no more once connected.
             int halfway = Delivered(counts[0], ConnectStep);
             EXPECT_GE(halfway, 30) << counts[0];
             EXPECT_LE(halfway, 62) << counts[0];
             int done = Delivered(counts[1], ConnectStep);
             EXPECT_GE(done, 100) << counts[1];
             EXPECT_LE(done, 122) << counts[1];
         },
         nullptr, 60000},
    };
}

class ConnectTest : public HostTableTest {};
TEST_P(ConnectTest, Row) { RunRow(); }
INSTANTIATE_TEST_SUITE_P(Host, ConnectTest, testing::ValuesIn(Rows()), RowName);

}  // namespace
