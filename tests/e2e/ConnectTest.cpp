// Daily connect and disconnect through the simulated host: the connection command, the polling
// steps until the host's state has changed, and the host's dialogs on the way.
#include "HostRun.h"
#include "contract/Quillpost.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace testing_support;

namespace {

class ConnectTest : public testing_support::ClearedSettingsTest {};

// The step commands, registered at start-up before any other.
constexpr int DisconnectStep = FirstCallbackCommand;
constexpr int ConnectStep = FirstCallbackCommand + 1;

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

// Connected at 07:00 after a delay, disconnected at 07:03: the steps poll until the state has
// changed and then stop. While the scheduled connection holds, the 07:01 entry starts no run and
// is passed over; once the disconnect step has found the host offline, 07:04 runs.
TEST_F(ConnectTest, DailyConnectAndDisconnectPollUntilTheStateHasChanged)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute 3\n") +
                                 "setting AutoStart dword 1\n"
                                 "entry Monday 07:01\nentry Monday 07:04 around\n"
                                 "connect succeed 5\nreceive-seconds 5\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "at 07:00:20 callbacks\nat 07:00:50 callbacks\n"
                                 "at 07:02:30 caption\n"
                                 "at 07:03:20 callbacks\nat 07:03:50 callbacks\n"
                                 "end 2026-12-07 07:04:40\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("command: 32835"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.When("host: connected"), "2026-12-07 07:00:05.0") << run.log;
    EXPECT_EQ(run.Count("host: connected"), 1u) << run.log;
    EXPECT_EQ(run.When("host: disconnected"), "2026-12-07 07:03:05.0") << run.log;
    EXPECT_EQ(run.Count("host: disconnected"), 1u) << run.log;

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

    EXPECT_FALSE(run.Has("command: 32786")) << run.log;
    // The entry the connection held back is passed over; the next one is pending and runs.
    EXPECT_EQ(run.When("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:04](&X)\""), "2026-12-07 07:02:30.0") << run.log;
    EXPECT_EQ(run.When("command: 32859"), "2026-12-07 07:04:00.0") << run.log;
}

// A connect or disconnect whose minute no tick could start it in (the host busy or asleep) is made
// by the first tick that may: a connect within ten minutes of its time, a disconnect while the
// scheduled connection it ends is there (which then holds the 07:14 entry back no longer). Each
// catch-up is logged.
TEST_F(ConnectTest, AMissedConnectOrDisconnectIsMadeLate)
{
    const struct {
        const char* scenario;
        size_t connectionCommands;
        const char* logged;
    } rows[] = {
        {"at 06:59:59 jump 180000\n", 2, "07:02:59 予定の接続を始めました (月曜 07:00 の予定より遅れて)\r\n"},
        {"at 06:59:59 jump 660000\n", 0, "07:10:59 月曜 07:00 の予定の接続を見送りました: その分の間に一度も"},
        {"at 07:11:59 jump 70000\n", 2, "07:13:09 予定の切断を始めました (月曜 07:12 の予定より遅れて)\r\n"},
        // Held by a run: made at its time after the run's step back; not made once an Apply moved it.
        {"entry Monday 06:59\nreceive-seconds 150\nat 07:00:30 step -150000\n", 2, "07:00:00 予定の接続を始めました\r\n"},
        {"entry Monday 06:59\nreceive-seconds 150\nat 07:00:30 server ConnectHour 8\nat 07:00:31 setup\n", 0,
         "月曜 07:00 の予定の接続を見送りました: その分に設定を読み直しました\r\n"},
    };
    WriteDword("Software\\Quor\\FakeEditor", "Result", 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scenario);
        HostLayout host;
        ASSERT_TRUE(host.AddBuildFile("fake-editor/chronset.dll", "Plugins\\chronset.dll"));
        HostRunResult run = host.Run(Times("server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute 12\n") +
                                     "setting AutoStart dword 1\nentry Monday 07:14\nconnect succeed 3\n"
                                     "start 2026-12-07 06:58:50\n" + row.scenario + "end 2026-12-07 07:14:10\n");
        ASSERT_EQ(run.exitCode, 0u) << run.log;
        EXPECT_EQ(run.Count("command: 32835"), row.connectionCommands) << run.log;
        EXPECT_TRUE(run.Has("07:14:00.0 command: 32786")) << run.log;
        std::string log = ReadFileBytes(host.Dir() + "\\AppData\\Quor\\ChronelPlug\\chronel.log");
        EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    }
}

// A connection that ends in the host's error dialog: the step cancels the dialog, polling stops and
// the scheduled connection is over, so the schedule's next entry starts its run.
TEST_F(ConnectTest, AConnectThatEndsInTheErrorDialogStopsPolling)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("setting AutoStart dword 1\nentry Monday 07:01\n") +
                                 "connect fail 3\nreceive-seconds 5\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "at 07:00:20 callbacks\nat 07:00:50 callbacks\n"
                                 "end 2026-12-07 07:01:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("dialog: \"エラー\" shown"), "2026-12-07 07:00:03.0") << run.log;
    EXPECT_EQ(run.When("dialog: \"エラー\" answered 2"), "2026-12-07 07:00:03.0") << run.log;
    EXPECT_FALSE(run.Has("host: connected")) << run.log;
    auto counts = run.Events("host: callbacks delivered");
    ASSERT_EQ(counts.size(), 2u) << run.log;
    EXPECT_GT(Delivered(counts[0], ConnectStep), 0) << counts[0];
    EXPECT_EQ(Delivered(counts[1], ConnectStep), Delivered(counts[0], ConnectStep)) << run.log;
    EXPECT_EQ(run.When("command: 32786"), "2026-12-07 07:01:00.0") << run.log;
}

// A connect or disconnect step the host delivers after clean-up (posted by the last tick, still in
// its queue) does nothing: the host's dialog stays for the user to answer.
TEST_F(ConnectTest, AStepDeliveredAfterCleanUpDoesNothing)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute 3\n") +
                                 "start 2026-12-07 06:58:00\n"
                                 "at 06:58:01 cleanup\n"
                                 "at 06:58:02 host-dialog エラー\n"
                                 "at 06:58:03 late-command 40001\n"
                                 "at 06:58:04 late-command 40000\n"
                                 "end 2026-12-07 06:58:06\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("host: a late command 40001\n")) << run.log;
    EXPECT_TRUE(run.Has("host: a late command 40000\n")) << run.log;
    EXPECT_TRUE(run.Has("dialog: \"エラー\" shown")) << run.log;
    EXPECT_FALSE(run.Has("dialog: \"エラー\" answered")) << run.log;
    EXPECT_FALSE(run.Has("command: 32835")) << run.log;
}

// Clean-up ends the scheduled connect under way. Started again, the plug-in polls nothing for
// it: a host dialog that comes up later is the user's to answer, not taken by a step of the
// connect that the earlier start-up began.
TEST_F(ConnectTest, ACleanUpEndsTheConnectUnderWayForTheNextStartUp)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute 3\n") +
                                 "connect succeed 20\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "at 07:00:02 cleanup\n"
                                 "at 07:00:04 startup\n"
                                 "at 07:00:06 host-dialog エラー\n"
                                 "end 2026-12-07 07:00:09\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("command: 32835"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.Count("host: APCStartUp -> 1"), 2u) << run.log;
    EXPECT_TRUE(run.Has("dialog: \"エラー\" shown")) << run.log;
    EXPECT_FALSE(run.Has("dialog: \"エラー\" answered")) << run.log;
}

// Already connected, the disconnect asks "ダイヤル切断の確認"; the step answers yes.
TEST_F(ConnectTest, TheDisconnectQuestionIsAnsweredYes)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute 0\n"
        "connected\nconnect confirm 2\n"
        "start 2026-12-07 06:59:50\n"
        "at 07:00:30 callbacks\n"
        "end 2026-12-07 07:00:40\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("dialog: \"ダイヤル切断の確認\" shown"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.When("dialog: \"ダイヤル切断の確認\" answered 6"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.When("host: disconnected"), "2026-12-07 07:00:00.0") << run.log;
    // The second tick at second 0 finds the host offline: no second connection command.
    EXPECT_EQ(run.Count("command: 32835"), 1u) << run.log;
}

// A connect time equal to the pending event's time starts the connect only; the event is missed.
TEST_F(ConnectTest, AConnectAtTheEventsMinuteStartsOnlyTheConnect)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("setting AutoStart dword 1\nentry Monday 07:00\n") +
                                 "connect succeed 2\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "at 07:00:30 caption\n"
                                 "end 2026-12-07 07:00:40\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("host: connected")) << run.log;
    EXPECT_FALSE(run.Has("command: 32786")) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:00](&X)\"")) << run.log;
}

// A daily connect without a daily disconnect holds nothing back: no disconnect would ever end
// the scheduled connection, so the entries after it start their runs as usual.
TEST_F(ConnectTest, AConnectWithoutADailyDisconnectHoldsNoRunBack)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("setting AutoStart dword 1\nentry Monday 07:01\nentry Monday 07:02 around\n") +
                                 "connect succeed 3\nreceive-seconds 5\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "end 2026-12-07 07:02:40\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("host: connected"), "2026-12-07 07:00:03.0") << run.log;
    EXPECT_EQ(run.When("command: 32786"), "2026-12-07 07:01:00.0") << run.log;
    EXPECT_EQ(run.When("command: 32859"), "2026-12-07 07:02:00.0") << run.log;
}

// With a daily disconnect set, the connection holds runs back until it ends; when the user ends
// it first (or the line drops), the next tick finds the host offline and the runs go on.
TEST_F(ConnectTest, AConnectionThatEndsBeforeTheDailyDisconnectHoldsNoLonger)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("server DisConnect 1\nserver DisConnectHour 9\nserver DisConnectMinute 0\n") +
                                 "setting AutoStart dword 1\nentry Monday 07:01\n"
                                 "connect succeed 3\nreceive-seconds 5\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "at 07:00:20 menu connection\n"
                                 "end 2026-12-07 07:01:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("host: connected"), "2026-12-07 07:00:03.0") << run.log;
    EXPECT_EQ(run.When("host: disconnected"), "2026-12-07 07:00:23.0") << run.log;
    EXPECT_EQ(run.When("command: 32786"), "2026-12-07 07:01:00.0") << run.log;
}

// A host that toggles its connection on every command, whose connection comes up two seconds
// after it: the connect and the disconnect are each commanded once in their minute, although two
// ticks fall on second 0 while the host is still dialing or hanging up.
TEST_F(ConnectTest, EachScheduledToggleIsCommandedOnceInItsMinute)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute 2\n") +
                                 "connect toggle 2\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "end 2026-12-07 07:02:30\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_FALSE(run.Has("cancels the one under way")) << run.log;
    auto commands = run.Events("command: 32835");
    ASSERT_EQ(commands.size(), 2u) << run.log;
    EXPECT_EQ(run.When("command: 32835"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.When("host: connected"), "2026-12-07 07:00:02.0") << run.log;
    EXPECT_EQ(run.When("host: disconnected"), "2026-12-07 07:02:02.0") << run.log;
}

// A host whose steps come from WM_TIMER, as a real host's timer does, and a connection that takes
// a long time: the polling must leave room in the queue for the timer (and with it the tick,
// input and paint). If each step re-posted itself at once the queue would always hold a posted
// message, WM_TIMER would never be taken, the clock would stand still and the host would never
// reach its end.
TEST_F(ConnectTest, PollingDoesNotStarveTheHostsTimer)
{
    HostLayout host;
    HostRunResult run = host.Run(Times("setting AutoStart dword 1\nentry Monday 07:02\n") +
                                 "timer-driven 10\nconnect succeed 60\nreceive-seconds 5\n"
                                 "start 2026-12-07 06:59:50\n"
                                 "at 07:00:30 callbacks\nat 07:01:30 callbacks\nat 07:01:40 caption\n"
                                 "end 2026-12-07 07:01:50\n",
                                 60000);
    ASSERT_FALSE(run.timedOut) << run.log;
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("host: connected"), "2026-12-07 07:01:00.0") << run.log;
    auto counts = run.Events("host: callbacks delivered");
    ASSERT_EQ(counts.size(), 2u) << run.log;
    // Polled all along, at most once a tick, and no more once connected.
    int halfway = Delivered(counts[0], ConnectStep);
    EXPECT_GE(halfway, 30) << counts[0];
    EXPECT_LE(halfway, 62) << counts[0];
    int done = Delivered(counts[1], ConnectStep);
    EXPECT_GE(done, 100) << counts[1];
    EXPECT_LE(done, 122) << counts[1];
    EXPECT_TRUE(run.Has("host: stopped")) << run.log;
}

}  // namespace
