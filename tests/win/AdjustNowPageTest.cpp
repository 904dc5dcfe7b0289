// The time-adjustment page's status line and its "今すぐ合わせる" button, through the real editor
// against a time server on 127.0.0.1:123. The editor's clock imports are pointed at a clock of
// the test's own, as the simulated host does for the plug-in: the machine's clock is never set.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "EditorSession.h"
#include "TestSupport.h"
#include "hostsim/ImportPatch.h"
#include "setup/resource.h"

#include <gtest/gtest.h>
#include <prsht.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

using namespace testing_support;

namespace {

enum { SntpPage = 3 };
const std::string StatusKey = std::string(PlugKey) + "\\Status";

constexpr int64_t Second = 10000000;

// 2026-12-07 07:00:00 in Tokyo, as 100-ns units since 1601 (UTC).
int64_t Seven()
{
    SYSTEMTIME utc{};
    utc.wYear = 2026;
    utc.wMonth = 12;
    utc.wDay = 6;
    utc.wHour = 22;
    FILETIME file;
    SystemTimeToFileTime(&utc, &file);
    return static_cast<int64_t>(static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
}

std::vector<uint8_t> ReplyAt(int64_t ticks)
{
    int64_t ntp = ticks - 9435484800LL * Second;
    return SntpReply(static_cast<uint32_t>(ntp / Second),
                     static_cast<uint32_t>((static_cast<uint64_t>(ntp % Second) << 32) / Second));
}

// The editor's clock while a test runs: it stands still until it is set.
volatile int64_t ClockNow;
volatile DWORD ClockRefusal;
volatile LONG ClockSets;
SYSTEMTIME LastSet;

void WINAPI ReadClock(LPFILETIME out)
{
    int64_t now = ClockNow;
    out->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(now));
    out->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(now) >> 32);
}

BOOL WINAPI SetClock(const SYSTEMTIME* utc)
{
    InterlockedIncrement(&ClockSets);
    LastSet = *utc;
    if (ClockRefusal) {
        SetLastError(ClockRefusal);
        return FALSE;
    }
    FILETIME file;
    SystemTimeToFileTime(utc, &file);
    ClockNow = static_cast<int64_t>(static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
    return TRUE;
}

// The editor's application-data folder, where it writes chronel's log: the test's own.
std::string AppData;

HRESULT WINAPI TestFolderPath(HWND, int folder, HANDLE, DWORD, LPSTR path)
{
    if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA)
        return E_FAIL;
    lstrcpynA(path, AppData.c_str(), MAX_PATH);
    return S_OK;
}

class AdjustNowPageTest : public ClearedSettingsTest {
protected:
    void SetUp() override
    {
        ClearedSettingsTest::SetUp();
        ClockNow = Seven();
        ClockRefusal = 0;
        ClockSets = 0;
        AppData = appData.Path();
        ASSERT_TRUE(server.Start()) << "cannot serve on 127.0.0.1:123";
        WriteText(PlugKey, "SNTPServer", "127.0.0.1", false);
        WriteDword(PlugKey, "TimeOut", 30);
    }
    // The open editor's clock is the test's; false if an import could not be replaced (then
    // nothing may be clicked).
    static bool TakeOverTheEditorsClock()
    {
        HMODULE editor = GetModuleHandleA("chronset.dll");
        return editor && PatchKernel32Import(editor, "GetSystemTimeAsFileTime", reinterpret_cast<void*>(ReadClock)) == 1 &&
               PatchKernel32Import(editor, "SetSystemTime", reinterpret_cast<void*>(SetClock)) == 1 &&
               PatchImport(editor, "shell32.dll", "SHGetFolderPathA", reinterpret_cast<void*>(TestFolderPath)) == 1;
    }
    // Takes over the open editor's clock, shows the page and presses the button; none when the
    // clock could not be taken over (then nothing was pressed).
    static HWND PressAdjustNow(EditorSession& editor)
    {
        if (!editor.Sheet() || !TakeOverTheEditorsClock())
            return nullptr;
        HWND page = editor.ShowPage(SntpPage);
        Click(page, IDB_NTP_ADJUST_NOW);
        return page;
    }
    // Waits until the status line is no longer the running one.
    static std::string WaitForOutcome(HWND page)
    {
        std::string line;
        for (DWORD waited = 0; waited < 30000; waited += 20) {
            line = Text(page, IDT_NTP_STATUS);
            if (line.rfind("前回の時刻合わせ", 0) == 0)
                break;
            Sleep(20);
        }
        return line;
    }
    // The log's lines without their time stamps (the editor stamps them by the machine's clock).
    std::vector<std::string> LogMessages() const
    {
        std::vector<std::string> messages;
        std::string log = ReadFileBytes(appData / "Quor\\ChronelPlug\\chronel.log");
        for (size_t at = 0; at < log.size();) {
            size_t end = log.find("\r\n", at);
            if (end == std::string::npos)
                break;
            messages.push_back(log.substr(at + 20, end - at - 20));
            at = end + 2;
        }
        return messages;
    }
    SntpTestServer server;
    TempDir appData{"appdata"};
};

// Controls the page shows where its template puts them (the up-down controls move themselves and
// narrow their buddy edits, so those are left out).
const int PlacedControls[] = {IDX_NTP_USE,          IDT_NTP_SERVER,   IDE_NTP_SERVER,        IDT_NTP_TIMEOUT,
                              IDT_NTP_TIMEOUT_UNIT, IDT_NTP_ACCURACY, IDT_NTP_ACCURACY_UNIT, IDX_NTP_RUN_SERVER,
                              IDT_NTP_STATUS,       IDB_NTP_ADJUST_NOW};

TEST_F(AdjustNowPageTest, TheLineShowsTheStoredOutcomeAndTheControlsKeepTheirTemplatePlaces)
{
    {
        EditorSession editor;
        ASSERT_NE(editor.Sheet(), nullptr);
        HWND page = editor.ShowPage(SntpPage);
        EXPECT_EQ(Text(page, IDT_NTP_STATUS), "前回の時刻合わせ: 記録はありません");
        EXPECT_EQ(Text(page, IDB_NTP_ADJUST_NOW), "今すぐ合わせる");
        EXPECT_TRUE(Enabled(page, IDB_NTP_ADJUST_NOW)) << "usable with the switch off";
        EXPECT_FALSE(Checked(page, IDX_NTP_USE));
        for (int id : PlacedControls) {
            // Position and size are converted apart, as the dialog manager does.
            RECT expected = TemplatePlace(IDD_SNTP, id);
            ASSERT_GT(expected.right, 0) << id;
            MapDialogRect(page, &expected);
            RECT actual;
            GetWindowRect(GetDlgItem(page, id), &actual);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, expected.left) << id;
            EXPECT_EQ(actual.top, expected.top) << id;
            EXPECT_EQ(actual.right - actual.left, expected.right) << id;
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom) << id;
        }
        // The status line and the button lie below the other controls and inside the page.
        RECT page_{}, line{}, button{}, hidden{};
        GetClientRect(page, &page_);
        GetWindowRect(GetDlgItem(page, IDT_NTP_STATUS), &line);
        GetWindowRect(GetDlgItem(page, IDB_NTP_ADJUST_NOW), &button);
        GetWindowRect(GetDlgItem(page, IDX_NTP_RUN_SERVER), &hidden);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&button), 2);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&hidden), 2);
        EXPECT_GE(line.top, hidden.bottom);
        EXPECT_GE(button.top, line.bottom);
        EXPECT_LE(button.bottom, page_.bottom);
        editor.Press(PSBTN_CANCEL);
        editor.WaitForResult();
    }
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.ShowPage(SntpPage);
    // An outcome stored meanwhile (the plug-in's scheduled exchange) shows while the page is open.
    WriteText(StatusKey, "Time", "2026/12/07 07:00:02", true);
    WriteText(StatusKey, "Server", "ntp.example.jp", true);
    WriteDword(StatusKey, "Detail", ERROR_PRIVILEGE_NOT_HELD);
    int64_t correction = 1234;
    WriteValue(StatusKey, "Correction", REG_QWORD, &correction, sizeof correction);
    WriteDword(StatusKey, "Result", 1);
    const std::string stored = "前回の時刻合わせ: 2026/12/07 07:00:02 失敗: 時計を変更する権限がありません (ずれ +1.234 秒)";
    for (int i = 0; i < 500 && Text(page, IDT_NTP_STATUS) != stored; ++i)
        Sleep(20);
    EXPECT_EQ(Text(page, IDT_NTP_STATUS), stored);
    editor.Press(PSBTN_CANCEL);
    editor.WaitForResult();
}

// The exchange runs beside the sheet: while the server holds its answer the sheet answers at once,
// and the outcome then appears in the line and under Status.
TEST_F(AdjustNowPageTest, TheButtonSetsTheClockWithoutFreezingTheSheet)
{
    server.Answer({});
    EditorSession editor;
    HWND page = PressAdjustNow(editor);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, IDT_NTP_STATUS), "時刻合わせ中です… (応答を最大 30 秒待ちます)");
    EXPECT_FALSE(Enabled(page, IDB_NTP_ADJUST_NOW));
    ASSERT_TRUE(server.WaitForRequests(1, 15000));
    EXPECT_EQ(server.LastClientPort(), 1024);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(editor.Sheet(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
    editor.ShowPage(1);
    page = editor.ShowPage(SntpPage);
    Click(page, IDB_NTP_ADJUST_NOW);  // a second press while one runs starts nothing
    EXPECT_EQ(server.Requests(), 1);

    server.ReplyToLast(ReplyAt(Seven() + 5 * Second));
    EXPECT_EQ(WaitForOutcome(page), "前回の時刻合わせ: 2026/12/07 07:00:05 成功 (+5.000 秒)");
    EXPECT_TRUE(Enabled(page, IDB_NTP_ADJUST_NOW));
    EXPECT_EQ(ClockSets, 1);
    EXPECT_EQ(LastSet.wHour, 22);  // UTC
    EXPECT_EQ(LastSet.wSecond, 5);
    EXPECT_EQ(LastSet.wMilliseconds, 0);
    uint32_t result = 99;
    ASSERT_TRUE(ReadDword(StatusKey, "Result", &result));
    EXPECT_EQ(result, 0u);
    // The button does not count as an edit of the settings.
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

// Pressed from the keyboard (the focus on the button, then Space): the button is disabled while
// the exchange runs, and the focus must not stay on it, or the sheet would take no more keys (Tab,
// Esc) until the user clicks somewhere.
TEST_F(AdjustNowPageTest, TheKeyboardFocusLeavesTheButtonItDisables)
{
    server.Answer({});
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    ASSERT_TRUE(TakeOverTheEditorsClock());
    HWND page = editor.ShowPage(SntpPage);
    HWND button = GetDlgItem(page, IDB_NTP_ADJUST_NOW);
    SendMessageA(editor.Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetGUIThreadInfo(editor.ThreadId(), &info));
    ASSERT_EQ(info.hwndFocus, button);
    Click(page, IDB_NTP_ADJUST_NOW);
    EXPECT_FALSE(Enabled(page, IDB_NTP_ADJUST_NOW));
    ASSERT_TRUE(GetGUIThreadInfo(editor.ThreadId(), &info));
    EXPECT_NE(info.hwndFocus, nullptr);
    EXPECT_NE(info.hwndFocus, button);
    EXPECT_TRUE(IsWindowEnabled(info.hwndFocus));
    EXPECT_TRUE(IsChild(editor.Sheet(), info.hwndFocus));

    ASSERT_TRUE(server.WaitForRequests(1, 15000));
    server.ReplyToLast(ReplyAt(Seven() + 5 * Second));
    EXPECT_EQ(WaitForOutcome(page), "前回の時刻合わせ: 2026/12/07 07:00:05 成功 (+5.000 秒)");
    editor.Press(PSBTN_CANCEL);
    editor.WaitForResult();
}

TEST_F(AdjustNowPageTest, ARefusedChangeAndAFieldInErrorShowWhatHappened)
{
    server.Answer(ReplyAt(Seven() + 5 * Second));
    ClockRefusal = ERROR_PRIVILEGE_NOT_HELD;
    EditorSession editor;
    HWND page = PressAdjustNow(editor);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(WaitForOutcome(page),
              "前回の時刻合わせ: 2026/12/07 07:00:00 失敗: 時計を変更する権限がありません (ずれ +5.000 秒)");
    EXPECT_EQ(ClockNow, Seven());

    // The server now typed in the field is the one asked; here one with no name.
    Type(page, IDE_NTP_SERVER, "");
    Click(page, IDB_NTP_ADJUST_NOW);
    EXPECT_EQ(WaitForOutcome(page), "前回の時刻合わせ: 2026/12/07 07:00:00 失敗: SNTPサーバーが設定されていません");
    EXPECT_EQ(server.Requests(), 1);
    // Each press leaves its line in chronel's log, written once the page has been told (so the
    // two threads' lines may come in either order).
    std::vector<std::string> logged = {
        "時刻合わせ (今すぐ合わせる): 失敗: SNTPサーバーが設定されていません",
        "時刻合わせ (今すぐ合わせる、サーバー 127.0.0.1): 失敗: 時計を変更する権限がありません (ずれ +5.000 秒)",
    };
    for (DWORD waited = 0; waited < 30000 && LogMessages().size() < logged.size(); waited += 20)
        Sleep(20);
    std::vector<std::string> messages = LogMessages();
    std::sort(messages.begin(), messages.end());
    std::sort(logged.begin(), logged.end());
    EXPECT_EQ(messages, logged);

    // An empty time-out field is refused as leaving the page would, and nothing is started.
    Type(page, IDE_NTP_SERVER, "127.0.0.1");
    Type(page, IDE_NTP_TIMEOUT, "");
    ClickLater(page, IDB_NTP_ADJUST_NOW);
    HWND box = editor.WaitForWindow("chronset");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "「ﾀｲﾑｱｳﾄ」には 0 以上の整数を入力してください。");
    editor.Answer(box, IDOK);
    EXPECT_EQ(server.Requests(), 1);
    editor.Press(PSBTN_CANCEL);
    editor.WaitForResult();
}

// chronel frees the editor as soon as the sheet closes: the exchange keeps the library loaded on
// its own reference, stores its outcome, and only then lets the library go.
TEST_F(AdjustNowPageTest, TheSheetCanCloseWhileTheExchangeWaits)
{
    server.Answer({});
    {
        EditorSession editor;
        ASSERT_NE(PressAdjustNow(editor), nullptr);
        ASSERT_TRUE(server.WaitForRequests(1, 15000));
        editor.Press(PSBTN_CANCEL);
        EXPECT_EQ(editor.WaitForResult(), 2);
    }
    EXPECT_NE(GetModuleHandleA("chronset.dll"), nullptr) << "held by the exchange";
    server.ReplyToLast(ReplyAt(Seven() + 5 * Second));
    bool unloaded = false;
    for (DWORD waited = 0; waited < 30000 && !unloaded; waited += 20) {
        Sleep(20);
        unloaded = GetModuleHandleA("chronset.dll") == nullptr;
    }
    EXPECT_TRUE(unloaded);
    EXPECT_EQ(ClockSets, 1);
    uint32_t result = 99;
    ASSERT_TRUE(ReadDword(StatusKey, "Result", &result));
    EXPECT_EQ(result, 0u);
}

}  // namespace
