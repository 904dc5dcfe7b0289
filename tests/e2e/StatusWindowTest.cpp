// The editor's status window through the simulated host: what it lists and what its buttons do to
// a held message, with the plug-in's own scan releasing it.
#include "HostRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// 2026-12-07 (a Monday) in Japan, UTC+9.
constexpr long At0658 = 1796594280;  // 06:58
constexpr long At0800 = 1796598000;
constexpr long At0900 = 1796601600;

const std::string Start = "clear-settings\nsetting UseReserve dword 1\nsetting AutoStart dword 1\n"
                          "entry Tuesday 07:30 around\nstart 2026-12-07 06:58:00\n";
const std::string Open = "at 06:58:05 menu status\n";
const std::string Close = "at 06:59:50 press \"chronel の状況\" 2\nend 2026-12-07 07:02:00\n";

class StatusWindowTest : public ClearedSettingsTest {};

// The host with the editor beside the plug-in, and an earlier session's log when one is given.
HostRunResult RunWithEditor(HostLayout& host, const std::string& scenario, const std::string& log = "")
{
    EXPECT_TRUE(host.AddBuildFile("host/Plugins/chronset.dll", "Plugins\\chronset.dll"));
    if (!log.empty()) {
        for (const char* folder : {"\\AppData", "\\AppData\\Quor", "\\AppData\\Quor\\ChronelPlug"})
            CreateDirectoryA((host.Dir() + folder).c_str(), nullptr);
        EXPECT_TRUE(WriteFileBytes(host.Dir() + "\\AppData\\Quor\\ChronelPlug\\chronel.log", log));
    }
    return host.Run(Start + scenario + Close);
}

std::string OutboxMessage(HostLayout& host, const char* account)
{
    return ReadFileBytes(host.Dir() + "\\Mailbox\\" + account + "\\Outbox.box\\00000001.qpm");
}

TEST_F(StatusWindowTest, ListsHeldMessagesByMomentWithTheirStateAndTheScheduleAtTheTop)
{
    HostLayout host;
    HostRunResult run = RunWithEditor(host, "at 06:58:00 outbox-store Account1 " + std::to_string(At0900) + "\n" +
                            "at 06:58:00 outbox-store Account2 " + std::to_string(At0800) + "\n" +
                            "at 06:58:00 outbox-store Account3 " + std::to_string(At0658 + 30) + "\n" +
                            "at 06:58:00 outbox-store Account4 " + std::to_string(At0800) + "\n" +
                            "at 06:58:00 outbox-store Account5" + std::string(60, 'L') + " " + std::to_string(At0900 + 60) + "\n" +
                            "at 06:58:01 hold-message Account4 00000001 none\n" + Open +
                            // 更新 once the third message's moment has passed
                            "at 06:58:35 press \"chronel の状況\" 1108\n" +
                            "at 06:58:40 status-top\nat 06:58:40 status-held\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Events("status "), (std::vector<std::string>{
                                         "status top: スケジュール: 動作中",
                                         "status top: 次回: 12月8日(火) 07:30 巡回受信",
                                         "status top: 前回の時刻合わせ: 記録はありません",
                                         "status held: 5 rows",
                                         "status held 0: 12月7日(月) 06:58 | stored |  | Account3 | 時刻を過ぎました: 次の確認で送信",
                                         "status held 1: 12月7日(月) 08:00 | stored |  | Account2 | 待機中",
                                         "status held 2: 12月7日(月) 09:00 | stored |  | Account1 | 待機中",
                                         "status held 3: 12月7日(月) 09:01 | stored |  | Account5" + std::string(60, 'L') + " | 待機中",
                                         "status held 4:  |  |  | Account4 | 読めません: ほかのプログラムが使用中です",
                                     }))
        << run.log;
    // Reading changed nothing: the messages are as stored, and only the due one was released.
    EXPECT_NE(OutboxMessage(host, "Account1").find("X-Reserve-Date: " + std::to_string(At0900) + "\r\n"), std::string::npos);
    EXPECT_EQ(run.When(ReleaseMaskOn()), "2026-12-07 06:59:00.0") << run.log;
    EXPECT_EQ(run.Count(ReleaseMaskOn()), 1u);
}

// Each row: the buttons pressed on the one held message, and the minute the plug-in's scan then
// releases it. The released message's "Date:" line is its reservation.
TEST_F(StatusWindowTest, SendNowAndChangeMomentRewriteTheReservationForTheScanToRelease)
{
    const struct {
        const char* name;
        long stored;  // the message's reservation
        std::string actions;
        const char* held;  // the row once the window has done its work
        const char* released;
        const char* date;
        const char* box = nullptr;  // what the window says, if anything
    } rows[] = {
        {"send now", At0900, "at 06:58:10 press \"chronel の状況\" 1106\n",
         "12月7日(月) 06:58 | stored |  | Account1 | 時刻を過ぎました: 次の確認で送信", "2026-12-07 06:59:00.0",
         "Date: Mon, 07 Dec 2026 06:58:00 +0900\r\n"},
        {"change the moment", At0900,
         "at 06:58:10 press \"chronel の状況\" 1107\nat 06:58:15 status-fill 2026 12 7 7 1\n"
         "at 06:58:20 press \"送信予定の変更\" 1\n",
         "12月7日(月) 07:01 | stored |  | Account1 | 待機中", "2026-12-07 07:01:00.0",
         "Date: Mon, 07 Dec 2026 07:01:00 +0900\r\n"},
        // The list is not read again before the press: the message went at its own minute, and
        // the press must not put a reservation back into it.
        {"send now after the scan released it", At0658 + 60,
         "at 06:59:10 press \"chronel の状況\" 1106\nat 06:59:15 press 予約中のメール 1\n",
         "12月7日(月) 06:59 | stored |  | Account1 | 待機中", "2026-12-07 06:59:00.0",
         "Date: Mon, 07 Dec 2026 06:59:00 +0900\r\n", "dialog: \"予約中のメール\" says \"このメールはもう予約中ではありません"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ClearSettings();
        HostLayout host;
        HostRunResult run = RunWithEditor(host, "setting ChangeDate dword 1\nsetting PreSec dword 0\nsetting PostSec dword 0\n"
                                "at 06:58:00 outbox-store Account1 " + std::to_string(row.stored) + "\n" + Open +
                                "at 06:58:08 status-select 0\n" + row.actions + "at 06:58:30 status-held\n");
        ASSERT_EQ(run.exitCode, 0u) << run.log;
        EXPECT_TRUE(run.Has(std::string("status held 0: ") + row.held)) << run.log;
        // Released by the first scan at or after the new moment, and no earlier.
        EXPECT_EQ(run.When(ReleaseMaskOn()), row.released) << run.log;
        EXPECT_EQ(run.Count(ReleaseMaskOn()), 1u);
        std::string message = OutboxMessage(host, "Account1");
        EXPECT_NE(message.find(row.date), std::string::npos) << message;
        EXPECT_EQ(message.find("X-Reserve-Date:"), std::string::npos) << message;
        if (row.box) {
            EXPECT_TRUE(run.Has(row.box)) << run.log;
        }
        // The plug-in's scan is told of each rewrite.
        DWORD steps = 0, size = sizeof steps;
        RegGetValueA(HKEY_CURRENT_USER, "Software\\Quor\\ChronelPlug\\Status", "OutboxChanged", RRF_RT_REG_DWORD, nullptr, &steps, &size);
        EXPECT_EQ(steps, row.box ? 0u : 1u);
    }
}

TEST_F(StatusWindowTest, RecentActivityShowsTheLastRunNewestFirstWithFailuresMarked)
{
    HostLayout host;
    HostRunResult run = RunWithEditor(host, Open + "at 06:58:10 status-log 50\n",
                            "2026/12/07 06:30:00 スケジュール受信を開始しました: 巡回受信\r\n"
                            "2026/12/07 06:30:04 受信がエラーで終わりました\r\n"
                            "2026/12/07 06:45:00 スケジュール受信を開始しました: 受信\r\n"
                            "2026/12/07 06:45:03 chronel を開始しました (スケジュール: 実行中、次の予定 火曜 07:30)\r\n"
                            "2026/12/07 06:50:00 予約メールを送信待ちにしました: A\\1 「エラー報告」 (予約 2026/12/07 06:50:00)\r\n"
                            "2026/12/07 06:51:00 予約メールを送信待ちにしました: A\\2 (予約 2026/12/07 06:51:00)、書き換えできず予約の行を残したまま送ります\r\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    std::vector<std::string> rows = run.Events("status log");
    std::string shown;
    for (const std::string& row : rows)
        shown += row.substr(row.find(':') + 2) + "\n";
    // A failure is told by the log's words, not by a subject's.
    EXPECT_NE(shown.find("× 2026/12/07 06:51:00 | 予約メールを送信待ちにしました | A\\2 (予約 2026/12/07 06:51:00)、書き換えできず予約の行を残したまま送ります\n"
                         "2026/12/07 06:50:00 | 予約メールを送信待ちにしました | A\\1 「エラー報告」 (予約 2026/12/07 06:50:00)\n"
                         "2026/12/07 06:45:03 | chronel を開始しました (スケジュール: 実行中、次の予定 火曜 07:30) | \n"
                         "2026/12/07 06:45:00 | スケジュール受信を開始しました | 受信\n"
                         "× 2026/12/07 06:30:04 | 受信がエラーで終わりました | \n"
                         "2026/12/07 06:30:00 | スケジュール受信を開始しました | 巡回受信\n"),
              std::string::npos)
        << run.log;
}

TEST_F(StatusWindowTest, TheStatusItemFollowsTheScheduleItemWhichKeepsItsPlaceAndCommand)
{
    HostLayout host;
    HostRunResult run = RunWithEditor(host, "setting UseReserve dword 0\nat 06:58:00 outbox-store Account1 " +
                                                std::to_string(At0900) + "\nat 06:58:01 menu items\n" + Open + "at 06:58:10 status-held\n" +
                                                // asked again after closing it while the sheet ran inside it
                                                "at 06:58:12 setup\nat 06:58:14 press \"chronel の状況\" 2\nat 06:58:16 menu status\n"
                                                "at 06:58:18 press \"Chronel Plug 設定 Ver1.10\" 2\nat 06:58:20 status-top\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    // Without the send reservation nothing releases it, and the list says so.
    EXPECT_TRUE(run.Has("status held 0: 12月7日(月) 09:00 | stored |  | Account1 | 送信予約が無効: 送られません")) << run.log;
    EXPECT_FALSE(run.Has("status top: (no window)")) << run.log;
    // The host's own items come first; the plug-in's follow them, before the connection item.
    std::vector<std::string> items = run.Events("menu item ");
    ASSERT_EQ(items.size(), 7u) << run.log;
    EXPECT_EQ(items[3],
              "menu item 3: " + std::to_string(FirstCallbackCommand + 2) + " \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:30](&X)\"");
    EXPECT_EQ(items[4], "menu item 4: " + std::to_string(FirstCallbackCommand + 3) + " \"CHRONEL の状況...\"");
    EXPECT_EQ(items[5], "menu item 5: 0 \"\"");
    EXPECT_EQ(items[6], "menu item 6: " + std::to_string(HostCmdConnection) + " \"サーバに接続する(&S)\"");
}

}  // namespace
