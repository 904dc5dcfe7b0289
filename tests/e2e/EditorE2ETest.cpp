// The real settings editor from the simulated host: the plug-in's settings command opens the
// sheet, and an OK there changes the schedule the plug-in runs.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "HostRun.h"
#include "setup/resource.h"

#include <gtest/gtest.h>
#include <prsht.h>

using namespace testing_support;

namespace {

const char* const SheetCaption = "Chronel Plug 設定 Ver1.10";
const int HostPluginSettingsCommand = 0xE180;  // the simulated host's file menu item

// The user adds an every-day entry at hour:minute on the schedule page, through the detail dialog.
void AddEveryDayEntry(HWND sheet, const char* hour, const char* minute)
{
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    PostMessageA(GetDlgItem(page, IDB_SCH_ADD), BM_CLICK, 0, 0);
    HWND detail = WaitForWindow("スケジュール詳細", 20000);
    ASSERT_NE(detail, nullptr);
    SendMessageA(GetDlgItem(detail, IDX_DTL_EVERY_DAY), BM_CLICK, 0, 0);  // every day, all weekdays ticked
    SetDlgItemTextA(detail, IDE_DTL_HOUR, hour);
    SetDlgItemTextA(detail, IDE_DTL_MINUTE, minute);
    PostMessageA(detail, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForWindowGone(detail, 20000));
}

// True once the window is no longer minimised, within timeoutMs.
bool WaitUntilRestored(HWND window, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (!IsIconic(window))
            return true;
        Sleep(50);
    }
    return !IsIconic(window);
}

BOOL CALLBACK CountSheets(HWND window, LPARAM count)
{
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (std::string(title) == SheetCaption)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

class EditorE2ETest : public testing_support::ClearedSettingsTest {
protected:
    // Starts the host on the scenario with the real editor in its Plugins folder, and waits for
    // the sheet that the scenario's setup action opens.
    void OpenSheet(const std::string& scenario)
    {
        ASSERT_TRUE(host.AddBuildFile("host/Plugins/chronset.dll", "Plugins\\chronset.dll"));
        ASSERT_TRUE(host.Start(scenario));
        sheet = WaitForWindow(SheetCaption, 60000);
        ASSERT_NE(sheet, nullptr);
    }
    // The user presses one of the sheet's buttons (PSBTN_OK, PSBTN_CANCEL) that closes it; the
    // host's run to its end.
    HostRunResult CloseSheet(int button)
    {
        SendMessageA(sheet, PSM_PRESSBUTTON, button, 0);
        PostMessageA(sheet, WM_NULL, 0, 0);
        return host.Wait();
    }

    HostLayout host;
    HWND sheet = nullptr;
};

// The user adds an every-day 08:15 entry through the sheet and presses OK: the armed schedule's
// next time, shown in the menu caption, moves from 10:00 to 08:15 (read before 08:15 fires). The
// scenario holds the host's clock while the sheet is open, however long the user (this test) takes.
TEST_F(EditorE2ETest, OkInTheSheetUpdatesTheScheduleThePluginRuns)
{
    ASSERT_NO_FATAL_FAILURE(OpenSheet("setting AutoStart dword 1\nentry Monday 10:00\n"
                                      "start 2026-12-07 06:58:00\n"  // a Monday
                                      "at 06:58:01 caption\nat 06:58:02 setup held\nat 08:00:00 caption\n"
                                      "end 2026-12-07 08:00:05\n"));
    AddEveryDayEntry(sheet, "8", "15");
    HostRunResult run = CloseSheet(PSBTN_OK);
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_EQ(run.When("host: APCSetup -> 1"), "2026-12-07 06:58:02.0") << run.log;
    auto captions = run.Events("menu: ");
    ASSERT_EQ(captions.size(), 2u) << run.log;
    EXPECT_EQ(captions[0], "menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [10:00](&X)\"");
    EXPECT_EQ(captions[1], "menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [08:15](&X)\"");
}

// Cancel leaves the plug-in's schedule as it was.
TEST_F(EditorE2ETest, CancelInTheSheetLeavesTheSchedule)
{
    ASSERT_NO_FATAL_FAILURE(OpenSheet("setting AutoStart dword 1\nentry Monday 10:00\nstart 2026-12-07 06:58:00\n"
                                      "at 06:58:02 setup held\nat 09:00:00 caption\nend 2026-12-07 09:00:05\n"));
    HostRunResult run = CloseSheet(PSBTN_CANCEL);
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_EQ(run.When("host: APCSetup -> 1"), "2026-12-07 06:58:02.0") << run.log;  // FreeLibrary's result
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [10:00](&X)\"")) << run.log;
}

// "今すぐ合わせる" on the time-adjustment page: the editor, loaded by the plug-in, sets the
// host's clock (the host gives it the simulated clock as it is loaded) and shows the outcome.
TEST_F(EditorE2ETest, TheAdjustNowButtonSetsTheHostsClock)
{
    SntpTestServer server;
    ASSERT_TRUE(server.Start()) << "cannot serve on 127.0.0.1:123";
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0));
    ASSERT_NO_FATAL_FAILURE(OpenSheet("setting SNTPServer sz 127.0.0.1\nsetting TimeOut dword 10\n"
                                      "await-plugin-threads 60\n"
                                      "start 2026-12-07 06:58:00\nat 06:58:02 setup held\nend 2026-12-07 09:00:00\n"));
    SendMessageA(sheet, PSM_SETCURSEL, 3, 0);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    SendMessageA(GetDlgItem(page, IDB_NTP_ADJUST_NOW), BM_CLICK, 0, 0);
    std::string line;
    for (DWORD waited = 0; waited < 30000; waited += 20) {
        char text[512] = "";
        GetWindowTextA(GetDlgItem(page, IDT_NTP_STATUS), text, sizeof text);
        line = text;
        if (line.rfind("前回の時刻合わせ", 0) == 0)
            break;
        Sleep(20);
    }
    // The host's clock stood before 07:00 and the server said 07:00:30.
    EXPECT_EQ(line.rfind("前回の時刻合わせ: 2026/12/07 07:0", 0), 0u) << line;
    EXPECT_NE(line.find(" 成功 (+"), std::string::npos) << line;
    HostRunResult run = CloseSheet(PSBTN_CANCEL);
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_TRUE(run.Has("plugin: chronset.dll loaded, ")) << run.log;
    std::vector<std::string> sets = run.Events("clock: set to 2026-12-07 07:0");
    EXPECT_EQ(sets.size(), 1u) << run.log;
    uint32_t result = 99;
    ASSERT_TRUE(ReadDword(std::string(PlugKey) + "\\Status", "Result", &result));
    EXPECT_EQ(result, 0u);
}

// Apply, then Cancel: the applied schedule is stored, and the plug-in runs it at once, not from
// the host's next start.
TEST_F(EditorE2ETest, ApplyThenCancelRunsTheAppliedSchedule)
{
    ASSERT_NO_FATAL_FAILURE(OpenSheet("setting AutoStart dword 1\nentry Monday 10:00\nstart 2026-12-07 06:58:00\n"
                                      "at 06:58:02 setup held\nat 08:00:00 caption\nend 2026-12-07 08:20:05\n"));
    AddEveryDayEntry(sheet, "8", "15");
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    HostRunResult run = CloseSheet(PSBTN_CANCEL);
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [08:15](&X)\"")) << run.log;
    EXPECT_EQ(run.When(Command(HostCmdReceive)), "2026-12-07 08:15:00.0") << run.log;
}

// The host's clock runs while the sheet is open. An every-day 10:00 entry added and applied at
// 09:58 runs at 10:00, the sheet still open, and the menu shows it from the Apply on. The scenario
// holds the clock from 09:58:01 until the test has applied (the file "applied").
TEST_F(EditorE2ETest, AnAppliedEntryRunsWhileTheSheetStaysOpen)
{
    ASSERT_NO_FATAL_FAILURE(OpenSheet("setting AutoStart dword 1\nstart 2026-12-07 09:57:50\n"
                                      "at 09:58:00 setup\nat 09:58:01 wait file applied\nat 09:59:00 caption\n"
                                      "end 2026-12-07 10:00:30\n"));
    auto logged = [this](const char* text) {
        for (DWORD waited = 0; waited < 60000; waited += 50, Sleep(50)) {
            if (ReadFileBytes(host.Dir() + "\\events.log").find(text) != std::string::npos)
                return true;
        }
        return false;
    };
    // The dialogs of the test open inside the wait's loop, never the other way round.
    ASSERT_TRUE(logged("wait: for file"));
    AddEveryDayEntry(sheet, "10", "0");
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    ASSERT_TRUE(WriteFileBytes(host.Dir() + "\\applied", ""));
    bool ran = logged(Command(HostCmdReceive).c_str());
    HostRunResult run = CloseSheet(PSBTN_CANCEL);
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_TRUE(ran) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [10:00](&X)\"")) << run.log;
    EXPECT_EQ(run.When(Command(HostCmdReceive)), "2026-12-07 10:00:00.0") << run.log;
    EXPECT_LT(run.log.find(Command(HostCmdReceive)), run.log.find("host: APCSetup -> 1")) << run.log;
}

// An Apply after the host's clean-up changes nothing in the plug-in: the caption keeps its letter.
TEST_F(EditorE2ETest, AnApplyAfterCleanUpDoesNothing)
{
    ASSERT_NO_FATAL_FAILURE(OpenSheet("start 2026-12-07 06:58:00\nat 06:58:02 setup\nat 06:58:03 cleanup\n"
                                      "at 06:58:04 wait file applied\nat 06:58:05 caption\nend 2026-12-07 06:58:06\n"));
    for (int i = 0; i < 1200 && ReadFileBytes(host.Dir() + "\\events.log").find("wait: for file") == std::string::npos; ++i)
        Sleep(50);  // cleaned up, the sheet still open
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SendMessageA(GetDlgItem(page, IDC_GEN_SHORTCUT), CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("B"));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_GEN_SHORTCUT, CBN_SELCHANGE), 0);
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    ASSERT_TRUE(WriteFileBytes(host.Dir() + "\\applied", ""));
    HostRunResult run = CloseSheet(PSBTN_CANCEL);
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ") && !run.Has("(&B)")) << run.log;
}

// A sheet that outlives a clean-up and the host's next start-up: its OK goes to the plug-in
// started last, whose caption then shows the new entry.
TEST_F(EditorE2ETest, AnOkAfterCleanUpAndStartUpGoesToTheNewStart)
{
    ASSERT_NO_FATAL_FAILURE(OpenSheet("setting AutoStart dword 1\nentry Monday 10:00\nstart 2026-12-07 06:58:00\n"
                                      "at 06:58:02 setup\nat 06:58:03 cleanup\nat 06:58:04 startup\n"
                                      "at 06:58:05 wait file saved\nat 06:58:06 caption\nend 2026-12-07 06:58:07\n"));
    for (int i = 0; i < 1200 && ReadFileBytes(host.Dir() + "\\events.log").find("wait: for file") == std::string::npos; ++i)
        Sleep(50);  // started again, the sheet still open
    AddEveryDayEntry(sheet, "8", "15");
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(WriteFileBytes(host.Dir() + "\\saved", ""));
    HostRunResult run = host.Wait();
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_EQ(run.Count("host: APCStartUp -> 1"), 2u) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [08:15](&X)\"")) << run.log;
}

// The settings opened again from the host's menu while the sheet is open: no second sheet (whose
// OK would write its stale values over the first's); the open one comes to the front, restored
// from the task bar, and the second command returns 0.
TEST_F(EditorE2ETest, OpeningTheSettingsAgainBringsTheOpenSheetForward)
{
    ASSERT_NO_FATAL_FAILURE(OpenSheet("start 2026-12-07 06:58:00\nat 06:58:02 setup\nend 2026-12-07 06:58:05\n"));
    ShowWindow(sheet, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(sheet));
    HWND frame = FindWindowA("QuillpostFrame", "Quillpost");
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, HostPluginSettingsCommand, 0);
    EXPECT_TRUE(WaitUntilRestored(sheet, 20000));
    int sheets = 0;
    EnumWindows(CountSheets, reinterpret_cast<LPARAM>(&sheets));
    EXPECT_EQ(sheets, 1);
    // Whatever opened, closed one by one.
    HWND open = sheet;
    for (int closed = 0; open && closed < 3; ++closed, open = WaitForWindow(SheetCaption, 1000)) {
        SendMessageA(open, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        PostMessageA(open, WM_NULL, 0, 0);
        WaitForWindowGone(open, 20000);
    }
    HostRunResult run = host.Wait();
    ASSERT_FALSE(run.timedOut) << run.log;
    EXPECT_EQ(run.Count("user: opens the plug-in's settings"), 2u) << run.log;
    EXPECT_TRUE(run.Has("host: APCSetup -> 0")) << run.log;
    EXPECT_EQ(run.Count("host: APCSetup -> 1"), 1u) << run.log;
}

}  // namespace
