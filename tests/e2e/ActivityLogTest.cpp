// chronel's log through the simulated host: what a day of scheduled runs, connections,
// reservations and clock adjustments leaves in it. The host gives the plug-in a folder of its own
// as the user's application-data folder, and its clock as the local time.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "HostRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

using namespace testing_support;

namespace {

std::string LogPath(const HostLayout& host, const char* name = "chronel.log")
{
    return host.Dir() + "\\AppData\\Quor\\ChronelPlug\\" + name;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

class ActivityLogTest : public ClearedSettingsTest {
protected:
    void SetUp() override
    {
        ClearedSettingsTest::SetUp();
        ASSERT_TRUE(server.Start()) << "cannot serve on 127.0.0.1:123";
    }
    SntpTestServer server;
};

// A Monday morning: a run with a clock adjustment, entries passed over for each reason the tick
// knows, a scheduled connect and disconnect, the user stopping and starting the schedule (and
// stopping it during the last run, which still ends), and a reservation posted and released with
// its Date: line. An entry's minute is logged as passed
// over once it has ended without the entry's run, with the reason the tick found in it.
TEST_F(ActivityLogTest, ADaysEventsEachLeaveOneLineInJapanese)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0));
    HostLayout host;
    HostRunResult run = host.Run(
        "clear-settings\n"
        "setting AutoStart dword 1\nsetting AutoDistribute dword 1\n"
        "setting UseSNTP dword 1\nsetting SNTPServer sz 127.0.0.1\nsetting TimeOut dword 5\n"
        "setting UseReserve dword 1\nsetting ChangeDate dword 1\n"
        "entry Monday 07:00 sntp\n"    // runs, and sets the clock 30 s ahead
        "entry Monday 07:01\n"         // the 07:00 run still goes
        "entry Monday 07:05\n"         // the scheduled connect's minute
        "entry Monday 07:06 around\n"  // the connection holds runs back
        "entry Monday 07:08\n"         // the scheduled disconnect's minute
        "entry Monday 07:10\n"         // the user has stopped the schedule
        "entry Monday 07:12 around\n"  // runs again
        "server Connect 1\nserver ConnectHour 7\nserver ConnectMinute 5\n"
        "server DisConnect 1\nserver DisConnectHour 7\nserver DisConnectMinute 8\n"
        "connect confirm 3\nreceive-seconds 90\ntimer-driven 10\nawait-plugin-threads 60\nhold-clock-for-exchanges\n"
        "start 2026-12-07 06:58:00\n"
        "at 06:58:01 send-open 1\nat 06:58:02 send-menu 1\nat 06:58:04 reserve-fill 2026 12 7 7 3\n"
        "at 06:58:05 click 送信予約 1\nat 06:58:07 send-post 1\n"
        "at 07:00:01 wait log clock: set to\n"
        "at 07:09:30 menu schedule\nat 07:11:00 menu schedule\nat 07:12:30 menu schedule\n"
        "end 2026-12-07 07:14:00\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    std::string log = ReadFileBytes(LogPath(host));
    std::vector<std::string> lines = Lines(log);
    for (std::string& line : lines) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r') << "CR LF line ends: " << line;
        line.pop_back();
    }
    const std::vector<std::string> expected = {
        "2026/12/07 06:58:00 chronel を開始しました (スケジュール: 実行中、次の予定 月曜 07:00)",
        "2026/12/07 06:58:07 送信予約を登録しました: Account1\\Outbox.box\\00000001 「message 1」 (予約 2026/12/07 07:03:00)",
        "2026/12/07 07:00:00 スケジュール受信を開始しました: 月曜 07:00 の予定、受信、時刻合わせあり",
        "2026/12/07 07:00:30 時刻合わせ (サーバー 127.0.0.1): 成功 (+30.000 秒)",
        "2026/12/07 07:02:00 受信が終わりました (振り分けを実行します)",
        "2026/12/07 07:02:00 月曜 07:01 の予定を見送りました: 前の受信がまだ終わっていません",
        "2026/12/07 07:03:00 予約メールを送信待ちにしました: Account1\\Outbox.box\\00000001 「message 1」 "
        "(予約 2026/12/07 07:03:00)、Date: Mon, 07 Dec 2026 07:03:00 +0900",
        "2026/12/07 07:05:00 予定の接続を始めました",
        "2026/12/07 07:05:03 接続しました",
        "2026/12/07 07:06:00 月曜 07:05 の予定を見送りました: 同じ分に予定の接続を始めました",
        "2026/12/07 07:07:00 月曜 07:06 の予定を見送りました: 予定の接続が切断の時刻まで続いています",
        "2026/12/07 07:08:00 予定の切断を始めました",
        "2026/12/07 07:08:00 切断しました",
        "2026/12/07 07:09:00 月曜 07:08 の予定を見送りました: 同じ分に予定の切断を始めました",
        "2026/12/07 07:09:30 スケジュールを停止しました",
        "2026/12/07 07:11:00 スケジュールを開始しました (停止中に 1 件の予定を見送りました、次の予定 月曜 07:12)",
        "2026/12/07 07:12:00 スケジュール受信を開始しました: 月曜 07:12 の予定、巡回受信",
        "2026/12/07 07:12:30 スケジュールを停止しました",
        "2026/12/07 07:13:30 受信が終わりました",
        "2026/12/07 07:14:00 chronel を終了しました",
    };
    EXPECT_EQ(lines, expected) << log;
    EXPECT_EQ(GetFileAttributesA(LogPath(host, "chronel.old.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

// What went wrong is in the line: a clock change the system refuses, a connect that ends in the
// host's error.
TEST_F(ActivityLogTest, FailuresSayWhy)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0));
    HostLayout host;
    HostRunResult run = host.Run(
        "clear-settings\nclock-refuse\n"
        "setting AutoStart dword 1\nsetting UseSNTP dword 1\nsetting SNTPServer sz 127.0.0.1\n"
        "setting TimeOut dword 5\nentry Monday 07:00 sntp\n"
        "server Connect 1\nserver ConnectHour 7\nserver ConnectMinute 2\n"
        "connect fail 2\nreceive-seconds 5\ntimer-driven 10\nawait-plugin-threads 60\nhold-clock-for-exchanges\n"
        "receive-error パスワードが違います\n"
        "start 2026-12-07 06:59:50\nat 07:00:01 wait log clock: SetSystemTime refused\n"
        "end 2026-12-07 07:03:00\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    ASSERT_TRUE(run.Has("clock: SetSystemTime refused")) << run.log;
    std::string log = ReadFileBytes(LogPath(host));
    EXPECT_NE(log.find(" 時刻合わせ (サーバー 127.0.0.1): 失敗: 時計を変更する権限がありません (ずれ +30.000 秒)\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("2026/12/07 07:02:00 予定の接続を始めました\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" 接続できませんでした (Quillpost のエラー表示を閉じました)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("2026/12/07 07:00:05 受信中に Quillpost のエラー表示を閉じました: パスワードが違います\r\n"
                       "2026/12/07 07:00:05 受信がエラーで終わりました\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 8) << log;
}

// The clock set forward over three entries and then back over the one that ran: the three are
// passed over as minutes no tick saw, the one that ran is not run again, and the three run when
// the clock shows their minutes once more.
TEST_F(ActivityLogTest, TimeThatMovesSaysWhichEntriesWerePassedOverAndWhy)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "clear-settings\nsetting AutoStart dword 1\n"
        "entry Monday 07:00\nentry Monday 07:01\nentry Monday 07:02\nentry Monday 07:03 around\n"
        "receive-seconds 5\n"
        "start 2026-12-07 06:59:50\n"
        "at 07:00:30 step 210000\n"    // to 07:04:00
        "at 07:04:30 step -360000\n"   // to 06:58:30
        "end 2026-12-07 07:04:40\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    std::string log = ReadFileBytes(LogPath(host));
    const char* const noTick = "その分の間に一度も動作できませんでした (スリープ、時計の進み、Quillpost の処理待ちなど)";
    const std::string expected = std::string() +
        "2026/12/07 06:59:50 chronel を開始しました (スケジュール: 実行中、次の予定 月曜 07:00)\r\n"
        "2026/12/07 07:00:00 スケジュール受信を開始しました: 月曜 07:00 の予定、受信\r\n"
        "2026/12/07 07:00:05 受信が終わりました\r\n"
        "2026/12/07 07:04:00 月曜 07:01 の予定を見送りました: " + noTick + "\r\n"
        "2026/12/07 07:04:00 月曜 07:02 の予定を見送りました: " + noTick + "\r\n"
        "2026/12/07 07:04:00 月曜 07:03 の予定を見送りました: " + noTick + "\r\n"
        "2026/12/07 06:58:30 時計が戻りました: 2026/12/07 07:04 から 2026/12/07 06:58 へ\r\n"
        "2026/12/07 06:58:30 月曜 07:00 の予定を見送りました: 時計が戻りましたが、この時刻の予定は実行済みです\r\n"
        "2026/12/07 07:01:00 スケジュール受信を開始しました: 月曜 07:01 の予定、受信\r\n"
        "2026/12/07 07:01:05 受信が終わりました\r\n"
        "2026/12/07 07:02:00 スケジュール受信を開始しました: 月曜 07:02 の予定、受信\r\n"
        "2026/12/07 07:02:05 受信が終わりました\r\n"
        "2026/12/07 07:03:00 スケジュール受信を開始しました: 月曜 07:03 の予定、巡回受信\r\n"
        "2026/12/07 07:03:05 受信が終わりました\r\n"
        "2026/12/07 07:04:40 chronel を終了しました\r\n";
    EXPECT_EQ(log, expected);
    EXPECT_EQ(run.Count("command: "), 4u) << run.log;
}

// Asleep from 06:59:30 to 11:00:30 over a morning of an entry every ten minutes: eight are named,
// and a count stands for the rest.
TEST_F(ActivityLogTest, ALongSleepNamesEightEntriesAndCountsTheRest)
{
    std::string scenario = "clear-settings\nsetting AutoStart dword 1\nreceive-seconds 5\n";
    for (int minute = 7 * 60; minute < 11 * 60; minute += 10) {
        char line[32];
        std::snprintf(line, sizeof line, "entry Monday %02d:%02d\n", minute / 60, minute % 60);
        scenario += line;
    }
    HostLayout host;
    HostRunResult run = host.Run(scenario + "start 2026-12-07 06:59:00\nat 06:59:30 jump 14460000\n"
                                            "end 2026-12-07 11:01:00\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    std::vector<std::string> lines = Lines(ReadFileBytes(LogPath(host)));
    ASSERT_EQ(lines.size(), 11u) << ReadFileBytes(LogPath(host));
    EXPECT_EQ(lines[1], "2026/12/07 11:00:30 月曜 07:00 の予定を見送りました: その分の間に一度も動作できませんでした "
                        "(スリープ、時計の進み、Quillpost の処理待ちなど)\r");
    const std::string eighth = "2026/12/07 11:00:30 月曜 08:10 の予定を見送りました: ";
    EXPECT_EQ(lines[8].substr(0, eighth.size()), eighth);
    EXPECT_EQ(lines[9], "2026/12/07 11:00:30 ほかに 16 件の予定を見送りました: その分の間に一度も動作できませんでした "
                        "(スリープ、時計の進み、Quillpost の処理待ちなど)\r");
    EXPECT_EQ(run.Count("command: "), 0u) << run.log;
}

// A log that cannot be written (its folder cannot be made, or another program holds the file
// shut) leaves out its lines and changes nothing else: the run, the release and the host's
// closing happen as without it.
TEST_F(ActivityLogTest, ALogThatCannotBeWrittenChangesNothingElse)
{
    const std::string scenario =
        "clear-settings\nsetting AutoStart dword 1\nsetting UseReserve dword 1\n"
        "entry Monday 07:00\nreceive-seconds 5\n"
        "start 2026-12-07 06:58:00\n"
        "at 06:58:01 send-open 1\nat 06:58:02 send-menu 1\nat 06:58:04 reserve-fill 2026 12 7 6 59\n"
        "at 06:58:05 click 送信予約 1\nat 06:58:07 send-post 1\n"
        "end 2026-12-07 07:01:00\n";
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "no folder" : "file held");
        HostLayout host;
        HANDLE held = INVALID_HANDLE_VALUE;
        if (way == 0) {
            // A file where the application-data folder should be.
            ASSERT_TRUE(WriteFileBytes(host.Dir() + "\\AppData", "not a folder"));
        } else {
            std::string folder = host.Dir() + "\\AppData";
            CreateDirectoryA(folder.c_str(), nullptr);
            CreateDirectoryA((folder + "\\Quor").c_str(), nullptr);
            CreateDirectoryA((folder + "\\Quor\\ChronelPlug").c_str(), nullptr);
            held = CreateFileA(LogPath(host).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        HostRunResult run = host.Run(scenario);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        ASSERT_EQ(run.exitCode, 0u) << run.log;
        EXPECT_EQ(run.Count(Command(HostCmdReceive)), 1u) << run.log;
        EXPECT_TRUE(run.Has("mailbox: Account1\\Outbox.box\\00000001 flags " + FlagText(EntryReleaseBits))) << run.log;
        EXPECT_TRUE(run.Has("host: stopped")) << run.log;
        // Said for the editor's general page, instead of losing every line in silence.
        uint32_t failure = 0;
        EXPECT_TRUE(ReadDword(PlugKey, "LogFailure", &failure) && failure != 0);
        if (way == 1) {
            EXPECT_EQ(ReadFileBytes(LogPath(host)), "");
        }
    }
}

// A run whose end never comes: after thirty minutes the log says so once, and the entry, the
// release and the daily connect it holds back are each logged with that reason.
TEST_F(ActivityLogTest, ARunThatDoesNotEndSaysSoAndWhatItHoldsBack)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "clear-settings\nsetting AutoStart dword 1\nsetting UseReserve dword 1\n"
        "entry Monday 07:00\nentry Monday 07:31\nserver Connect 1\nserver ConnectHour 7\nserver ConnectMinute 32\n"
        "receive-seconds 100000\nstart 2026-12-07 06:59:00\n"
        "at 06:59:01 send-open 1\nat 06:59:02 send-menu 1\nat 06:59:04 reserve-fill 2026 12 7 7 33\n"
        "at 06:59:05 click 送信予約 1\nat 06:59:07 send-post 1\nend 2026-12-07 07:43:00\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    std::string log = ReadFileBytes(LogPath(host));
    const char* const stuck = "受信が30分たっても終わりません\r\n";
    EXPECT_NE(log.find(std::string("07:30:00 ") + stuck + "2026/12/07 07:32:00 月曜 07:31 の予定を見送りました: " + stuck +
                       "2026/12/07 07:32:00 月曜 07:32 の予定の接続を待たせています: " + stuck +
                       "2026/12/07 07:33:00 予約メールの送信待ちを待たせています: Account1\\Outbox.box\\00000001 "
                       "「message 1」 (予約 2026/12/07 07:33:00): " + stuck +
                       "2026/12/07 07:42:00 月曜 07:32 の予定の接続を見送りました: " + stuck +
                       "2026/12/07 07:43:00 chronel を終了しました\r\n"),
              std::string::npos) << log;
    EXPECT_EQ(run.Count("command: 3"), 1u) << run.log;
}

// The log held shut by another program for a while: the lines lost meanwhile, the clock
// adjustment's among them, are counted once the log can be written again.
TEST_F(ActivityLogTest, LinesLostWhileTheLogIsHeldAreCountedTheClockLineAmongThem)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0));
    HostLayout host;
    for (const char* folder : {"\\AppData", "\\AppData\\Quor", "\\AppData\\Quor\\ChronelPlug"})
        CreateDirectoryA((host.Dir() + folder).c_str(), nullptr);
    HANDLE held = CreateFileA(LogPath(host).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(host.Start("clear-settings\nsetting AutoStart dword 1\nsetting UseSNTP dword 1\n"
                           "setting SNTPServer sz 127.0.0.1\nsetting TimeOut dword 5\nentry Monday 07:00 sntp\n"
                           "receive-seconds 5\ntimer-driven 10\nstart 2026-12-07 06:59:50\n"
                           "at 07:00:01 wait log ended with\nat 07:00:02 wait file released\nend 2026-12-07 07:01:00\n"));
    for (int i = 0; i < 1200 && ReadFileBytes(host.Dir() + "\\events.log").find("wait: for file") == std::string::npos; ++i)
        Sleep(100);
    CloseHandle(held);
    ASSERT_TRUE(WriteFileBytes(host.Dir() + "\\released", ""));
    HostRunResult run = host.Wait();
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    std::string log = ReadFileBytes(LogPath(host));
    // The three lines of the moments it was held: each written after all, or counted as lost.
    size_t at = log.find(" 動作記録に書き込めず ");
    int lost = at == std::string::npos ? 0 : std::atoi(log.c_str() + at + std::strlen(" 動作記録に書き込めず "));
    for (const char* line : {"chronel を開始しました", "スケジュール受信を開始しました", "時刻合わせ (サーバー 127.0.0.1): 成功"})
        lost += log.find(line) != std::string::npos;
    EXPECT_EQ(lost, 3) << log;
    uint32_t failure = 0;
    EXPECT_FALSE(ReadDword(PlugKey, "LogFailure", &failure));
}

}  // namespace
