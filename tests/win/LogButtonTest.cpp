// The general page's "動作記録を開く": chronel's log opened with the system's viewer. The
// editor's application-data folder and its ShellExecuteA are the test's own, so that nothing is
// opened on the machine and nothing is written into the profile of the user who runs the tests.
#include "EditorSession.h"
#include "TestSupport.h"
#include "setup/resource.h"
#include "hostsim/ImportPatch.h"

#include <gtest/gtest.h>
#include <prsht.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

enum { GeneralPage = 1, OpenLogButton = IDB_GEN_OPEN_LOG };

std::string AppData;
std::vector<std::string> Opened;  // "verb|file|parameters" of each call, on the editor's thread
std::vector<INT_PTR> Answers;     // what the calls return, in order; 33 (success) when none left
std::vector<DWORD> LastErrors;    // the last error each call leaves, in order; one that fits the answer when none left
std::vector<HRESULT> ComAnswers;  // what CoInitializeEx returns, in order
int ComEnded = 0;                 // CoUninitialize calls

HRESULT WINAPI TestFolderPath(HWND, int folder, HANDLE, DWORD, LPSTR path)
{
    if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA)
        return E_FAIL;
    lstrcpynA(path, AppData.c_str(), MAX_PATH);
    return S_OK;
}

HINSTANCE WINAPI TestShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT)
{
    Opened.push_back(std::string(verb ? verb : "") + "|" + (file ? file : "") + "|" + (parameters ? parameters : ""));
    INT_PTR answer = 33;
    if (!Answers.empty()) {
        answer = Answers.front();
        Answers.erase(Answers.begin());
    }
    DWORD error = answer == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : ERROR_FILE_NOT_FOUND;
    if (!LastErrors.empty()) {
        error = LastErrors.front();
        LastErrors.erase(LastErrors.begin());
    }
    SetLastError(error);
    return reinterpret_cast<HINSTANCE>(answer);
}

HRESULT WINAPI TestComStart(LPVOID, DWORD)
{
    HRESULT answer = S_OK;
    if (!ComAnswers.empty()) {
        answer = ComAnswers.front();
        ComAnswers.erase(ComAnswers.begin());
    }
    return answer;
}

void WINAPI TestComEnd()
{
    ++ComEnded;
}

class LogButtonTest : public ClearedSettingsTest {
protected:
    void SetUp() override
    {
        ClearedSettingsTest::SetUp();
        AppData = dir.Path();
        Opened.clear();
        Answers.clear();
        LastErrors.clear();
        ComAnswers.clear();
        ComEnded = 0;
        logPath = dir / "Quor\\ChronelPlug\\chronel.log";
    }
    // The open editor's folder and viewer are the test's; false when an import was not found.
    static bool TakeOverTheEditorsShell()
    {
        HMODULE editor = GetModuleHandleA("chronset.dll");
        return editor &&
               PatchImport(editor, "shell32.dll", "SHGetFolderPathA", reinterpret_cast<void*>(TestFolderPath)) == 1 &&
               PatchImport(editor, "shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(TestShellExecute)) == 1;
    }
    void WriteLog()
    {
        CreateDirectoryA((dir / "Quor").c_str(), nullptr);
        CreateDirectoryA((dir / "Quor\\ChronelPlug").c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(logPath, "2026/12/07 07:00:00 chronel を開始しました\r\n"));
    }
    TempDir dir{"appdata"};
    std::string logPath;
};

// The controls beside the log button: each where the page's template puts it.
const int PlacedControls[] = {IDX_GEN_AUTO_START, IDX_GEN_NO_NORMAL, IDX_GEN_AUTO_DISTRIBUTE, IDB_GEN_EXPORT};

RECT PlaceOf(HWND page, int id)
{
    RECT rect{};
    GetWindowRect(GetDlgItem(page, id), &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(LogButtonTest, TheButtonSitsBesideTheExportAndTheControlsKeepTheirTemplatePlaces)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.ShowPage(GeneralPage);
    EXPECT_EQ(Text(page, OpenLogButton), "動作記録を開く");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, OpenLogButton)));
    EXPECT_EQ(Text(page, IDB_GEN_EXPORT), "設定の書出");
    EXPECT_EQ(Text(page, IDX_GEN_AUTO_START), "起動時にﾀｲﾏｰをｽﾀｰﾄする");
    for (int id : PlacedControls) {
        RECT expected = TemplatePlace(IDD_CHRONEL, id);
        ASSERT_GT(expected.right, 0) << id;
        MapDialogRect(page, &expected);
        RECT actual = PlaceOf(page, id);
        EXPECT_EQ(actual.left, expected.left) << id;
        EXPECT_EQ(actual.top, expected.top) << id;
        EXPECT_EQ(actual.right - actual.left, expected.right) << id;
        EXPECT_EQ(actual.bottom - actual.top, expected.bottom) << id;
    }
    // On the export's row, right of it, inside the page, over nothing else.
    RECT client{}, button = PlaceOf(page, OpenLogButton), exportButton = PlaceOf(page, IDB_GEN_EXPORT);
    GetClientRect(page, &client);
    EXPECT_EQ(button.top, exportButton.top);
    EXPECT_GT(button.left, exportButton.right);
    EXPECT_LE(button.right, client.right);
    EXPECT_LE(button.bottom, client.bottom);
    // Clicking it changes no setting: Apply stays off.
    Answers = {33};
    WriteLog();
    ASSERT_TRUE(TakeOverTheEditorsShell());
    Click(page, OpenLogButton);
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

TEST_F(LogButtonTest, TheLogOpensWithTheSystemsViewerAndNotepadWhenLogFilesHaveNone)
{
    WriteLog();
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.ShowPage(GeneralPage);
    ASSERT_TRUE(TakeOverTheEditorsShell());
    Click(page, OpenLogButton);
    ASSERT_EQ(Opened, std::vector<std::string>{"open|" + logPath + "|"});
    // No program for ".log": Notepad is asked instead.
    Opened.clear();
    Answers = {SE_ERR_NOASSOC, 33};
    Click(page, OpenLogButton);
    EXPECT_EQ(Opened, (std::vector<std::string>{"open|" + logPath + "|", "open|notepad.exe|\"" + logPath + "\""}));
    EXPECT_EQ(FindWindowA(nullptr, "動作記録"), nullptr);
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

TEST_F(LogButtonTest, NoLogYetOrNoViewerIsSaidInABox)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.ShowPage(GeneralPage);
    ASSERT_TRUE(TakeOverTheEditorsShell());
    ClickLater(page, OpenLogButton);
    HWND box = editor.WaitForWindow("動作記録");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), editor.Sheet());
    EXPECT_EQ(DialogStaticText(box),
              "動作記録はまだありません。\nchronel が動くと、次のファイルに記録されます。\n" + logPath);
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_TRUE(Opened.empty());

    WriteLog();
    Answers = {SE_ERR_NOASSOC, SE_ERR_FNF};
    ClickLater(page, OpenLogButton);
    box = editor.WaitForWindow("動作記録");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "動作記録を開けませんでした。\n" + logPath + "\n\n" + SystemText(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_EQ(Opened.size(), 2u);

    // Access denied, said by the result, whatever the shell left as the last error.
    Answers = {SE_ERR_ACCESSDENIED};
    LastErrors = {ERROR_MORE_DATA};
    ClickLater(page, OpenLogButton);
    box = editor.WaitForWindow("動作記録");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "動作記録を開けませんでした。\n" + logPath + "\n\n" + SystemText(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(editor.Answer(box, IDOK));
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

// COM is ended after the open only where the button's own call started it or found it started the
// same way; a host thread in another apartment keeps its COM as it was.
TEST_F(LogButtonTest, ComIsEndedOnlyWhereTheButtonMayEndIt)
{
    WriteLog();
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.ShowPage(GeneralPage);
    ASSERT_TRUE(TakeOverTheEditorsShell());
    HMODULE chronset = GetModuleHandleA("chronset.dll");
    ASSERT_EQ(PatchImport(chronset, "ole32.dll", "CoInitializeEx", reinterpret_cast<void*>(TestComStart)), 1);
    ASSERT_EQ(PatchImport(chronset, "ole32.dll", "CoUninitialize", reinterpret_cast<void*>(TestComEnd)), 1);
    ComAnswers = {RPC_E_CHANGED_MODE, S_FALSE, S_OK};
    Click(page, OpenLogButton);
    EXPECT_EQ(ComEnded, 0);
    Click(page, OpenLogButton);
    EXPECT_EQ(ComEnded, 1);
    Click(page, OpenLogButton);
    EXPECT_EQ(ComEnded, 2);
    EXPECT_EQ(Opened.size(), 3u);
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

// A log chronel cannot write is shown on the page's log line, with the system's error.
TEST_F(LogButtonTest, ALogChronelCannotWriteIsShownOnThePage)
{
    WriteDword(PlugKey, "LogFailure", ERROR_ACCESS_DENIED);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    EXPECT_EQ(Text(editor.ShowPage(GeneralPage), 1004), "動作記録に書き込めません (エラー 5)");
}

}  // namespace
