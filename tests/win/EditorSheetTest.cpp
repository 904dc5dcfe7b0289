// The settings sheet as a user meets it: its pages, the rules every page follows (created pages
// apply, Apply and Cancel, validation keeps the page, the changed mark), and the general page
// with its shortcut letter and export command. Driven through the real chronset.dll.
#include "EditorSession.h"
#include "TestSupport.h"
#include "setup/resource.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

using namespace testing_support;

namespace {

enum { SchedulePage = 0, GeneralPage = 1, ReservePage = 2, SntpPage = 3 };

class EditorSheetTest : public testing_support::ClearedSettingsTest {};

bool ValueExists(const char* name)
{
    DWORD type = 0;
    std::string bytes;
    return ReadValue(PlugKey, name, &type, &bytes);
}

std::string StoredText(const char* name)
{
    DWORD type = 0;
    std::string bytes;
    ReadValue(PlugKey, name, &type, &bytes);
    return bytes.c_str();  // Wine's reading may add a terminator that was not stored
}

uint32_t Stored(const char* name)
{
    uint32_t value = 0xdeadbeef;
    ReadDword(PlugKey, name, &value);
    return value;
}

TEST_F(EditorSheetTest, SheetShowsFourPagesWithTheirCaptionsAndCancelReturnsTwo)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(editor.Sheet(), PSM_GETTABCONTROL, 0, 0));
    ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
    const char* const captions[] = {"ｽｹｼﾞｭｰﾙ", "CHRONELの設定", "送信予約の設定", "時間合わせ"};
    for (int i = 0; i < 4; ++i) {
        char text[64] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, captions[i]);
    }
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetWindow(editor.Sheet(), GW_OWNER), nullptr);
    HWND help = GetDlgItem(editor.Sheet(), IDHELP);
    EXPECT_FALSE(help && IsWindowVisible(help));
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
    EXPECT_FALSE(ValueExists("AutoStart"));
}

// OK with only the schedule page shown stores the schedule part and no main value.
TEST_F(EditorSheetTest, OkWithOnlyTheSchedulePageShownWritesOnlyTheSchedule)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    uint32_t hour = 0;
    EXPECT_TRUE(ReadDword(std::string(PlugKey) + "\\Server", "ConnectHour", &hour));
    EXPECT_EQ(hour, 0xffffffffu);
    EXPECT_FALSE(ValueExists("AutoStart"));
    EXPECT_FALSE(ValueExists("TimeOut"));
}

// Every created page applies, in page order, each writing all main values: the reservation
// page's save carries the general page's values too. A page never shown does not apply, yet the
// record's main values (with an empty server text) are written by those that do.
TEST_F(EditorSheetTest, OkAppliesEveryCreatedPageAndEachWritesAllMainValues)
{
    WriteText(PlugKey, "SNTPServer", "ntp.example.jp", false);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND general = editor.ShowPage(GeneralPage);
    Click(general, IDX_GEN_AUTO_START);
    HWND reserve = editor.ShowPage(ReservePage);
    Click(reserve, IDX_RSV_USE);
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("AutoStart"), 1u);
    EXPECT_EQ(Stored("UseReserve"), 1u);
    EXPECT_EQ(Stored("TimeOut"), 600u);
    EXPECT_EQ(Stored("Accuracy"), 200u);
    EXPECT_EQ(StoredText("SNTPServer"), "ntp.example.jp");
    EXPECT_EQ(StoredText("ShortCut"), "X");
}

// Settings were saved, so the result tells the caller to reload them.
TEST_F(EditorSheetTest, ApplyThenCancelKeepsTheAppliedValuesAndReturnsOne)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND general = editor.ShowPage(GeneralPage);
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));
    Click(general, IDX_GEN_AUTO_START);
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    editor.Press(PSBTN_APPLYNOW);
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));  // applying clears the mark
    EXPECT_EQ(Stored("AutoStart"), 1u);
    Click(general, IDX_GEN_NO_NORMAL);
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("AutoStart"), 1u);
    EXPECT_EQ(Stored("NoNomal"), 0u);
}

// A field that fails keeps its page current, takes the focus, and stops OK and Apply.
TEST_F(EditorSheetTest, ValidationShowsTheMessageFocusesTheFieldAndKeepsThePage)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND reserve = editor.ShowPage(ReservePage);
    Click(reserve, IDX_RSV_USE);
    Click(reserve, IDX_RSV_CHANGE_DATE);
    Type(reserve, IDE_RSV_PRE_SEC, "");

    PostMessageA(editor.Sheet(), PSM_SETCURSEL, SntpPage, 0);
    HWND box = editor.WaitForWindow("chronset");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "「秒前から」には 0 以上の整数を入力してください。");
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_EQ(editor.CurrentPage(), reserve);
    EXPECT_EQ(editor.WaitForFocus(GetDlgItem(reserve, IDE_RSV_PRE_SEC)), GetDlgItem(reserve, IDE_RSV_PRE_SEC));

    editor.PressLater(PSBTN_OK);
    box = editor.WaitForWindow("chronset");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_TRUE(IsWindow(editor.Sheet()));
    EXPECT_FALSE(ValueExists("UseReserve"));

    Type(reserve, IDE_RSV_PRE_SEC, " 900\t");
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(Stored("PreSec"), 900u);
}

// A ticked connect or disconnect row takes a time of day only: anything else is refused with a
// message naming the field, which keeps the focus and the typed text. Switching the weekday
// neither asks nor throws the text away. An unticked row keeps its unset -1.
TEST_F(EditorSheetTest, ATickedConnectRowTakesATimeOfDayOnly)
{
    WriteDword(std::string(PlugKey) + "\\Server", "Connect", 1);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    const struct {
        int field;
        const char* typed;
        const char* message;
    } rows[] = {
        {IDE_SCH_CONNECT_HOUR, "7x", "「接続する時刻 (時)」には整数を入力してください。"},
        {IDE_SCH_CONNECT_HOUR, "-1", "「接続する時刻 (時)」には 0 から 23 までの整数を入力してください。"},
        {IDE_SCH_CONNECT_HOUR, "24", "「接続する時刻 (時)」には 0 から 23 までの整数を入力してください。"},
        {IDE_SCH_CONNECT_MINUTE, "60", "「接続する時刻 (分)」には 0 から 59 までの整数を入力してください。"},
    };
    Type(page, IDE_SCH_CONNECT_HOUR, "7");
    Type(page, IDE_SCH_CONNECT_MINUTE, "5");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        Type(page, row.field, row.typed);
        SelectWeekday(page, 3);
        EXPECT_EQ(editor.WaitForWindow("chronset", 300), nullptr);
        editor.PressLater(PSBTN_APPLYNOW);
        HWND box = editor.WaitForWindow("chronset");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(DialogStaticText(box), row.message);
        ASSERT_TRUE(editor.Answer(box, IDOK));
        EXPECT_EQ(editor.WaitForFocus(GetDlgItem(page, row.field)), GetDlgItem(page, row.field));
        EXPECT_EQ(Text(page, row.field), row.typed);
        Type(page, row.field, "２３");  // full-width, as the Japanese input method types
    }
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    uint32_t hour = 0, minute = 0, unset = 0;
    ReadDword(std::string(PlugKey) + "\\Server", "ConnectHour", &hour);
    ReadDword(std::string(PlugKey) + "\\Server", "ConnectMinute", &minute);
    ReadDword(std::string(PlugKey) + "\\Server", "DisConnectHour", &unset);
    EXPECT_EQ(hour, 23u);
    EXPECT_EQ(minute, 23u);
    EXPECT_EQ(unset, 0xffffffffu);
}

// chronel makes only one of a connect and a disconnect set to the same minute: the editor refuses
// the pair with a message that names both fields.
TEST_F(EditorSheetTest, AConnectAndADisconnectAtTheSameMinuteAreRefused)
{
    for (const char* name : {"Connect", "DisConnect"})
        WriteDword(std::string(PlugKey) + "\\Server", name, 1);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    for (int id : {IDE_SCH_CONNECT_HOUR, IDE_SCH_CONNECT_MINUTE, IDE_SCH_DISCONNECT_HOUR, IDE_SCH_DISCONNECT_MINUTE})
        Type(page, id, "7");
    editor.PressLater(PSBTN_OK);
    HWND box = editor.WaitForWindow("chronset");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "「サーバーに接続する」と「サーバーから切断する」に同じ時刻は指定できません。");
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_EQ(editor.WaitForFocus(GetDlgItem(page, IDE_SCH_DISCONNECT_MINUTE)), GetDlgItem(page, IDE_SCH_DISCONNECT_MINUTE));
    Type(page, IDE_SCH_DISCONNECT_MINUTE, "8");
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
}

TEST_F(EditorSheetTest, GeneralPageShowsTheStoredValuesAndTheNineteenLetters)
{
    WriteDword(PlugKey, "NoNomal", 1);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND general = editor.ShowPage(GeneralPage);
    EXPECT_EQ(Text(general, IDC_GEN_SHORTCUT), "X");  // nothing stored: X
    EXPECT_FALSE(Checked(general, IDX_GEN_AUTO_START));
    EXPECT_TRUE(Checked(general, IDX_GEN_NO_NORMAL));
    EXPECT_FALSE(Checked(general, IDX_GEN_AUTO_DISTRIBUTE));
    HWND combo = GetDlgItem(general, IDC_GEN_SHORTCUT);
    std::string letters;
    for (int i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
        char item[8] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        letters += item;
    }
    EXPECT_EQ(letters, "BCDEFGHIJKMPQUVWXYZ");
    // Tab runs through the buttons as they stand, left to right.
    EXPECT_EQ(GetNextDlgTabItem(general, GetDlgItem(general, IDB_GEN_EXPORT), FALSE), GetDlgItem(general, IDB_GEN_STATUS));
    // Choosing a letter marks the page changed, and OK stores it.
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));
    SendMessageA(combo, WM_CHAR, 'q', 0);
    EXPECT_EQ(Text(general, IDC_GEN_SHORTCUT), "Q");
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(StoredText("ShortCut"), "Q");
    EXPECT_EQ(Stored("NoNomal"), 1u);
}

TEST_F(EditorSheetTest, ShortCutOutsideTheListShowsNoLetterAndIsStoredAsCodeZero)
{
    WriteText(PlugKey, "ShortCut", "A", false);
    {
        EditorSession editor;
        ASSERT_NE(editor.Sheet(), nullptr);
        HWND general = editor.ShowPage(GeneralPage);
        EXPECT_EQ(Text(general, IDC_GEN_SHORTCUT), "");
        EXPECT_EQ(SendMessageA(GetDlgItem(general, IDC_GEN_SHORTCUT), CB_GETCURSEL, 0, 0), CB_ERR);
        editor.Press(PSBTN_OK);
        EXPECT_EQ(editor.WaitForResult(), 1);
    }
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(ReadValue(PlugKey, "ShortCut", &type, &bytes));
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], '\0');
}

TEST_F(EditorSheetTest, LowerCaseShortCutSelectsTheCapitalAndIsStoredSo)
{
    WriteText(PlugKey, "ShortCut", "x", false);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND general = editor.ShowPage(GeneralPage);
    EXPECT_EQ(Text(general, IDC_GEN_SHORTCUT), "X");
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_EQ(StoredText("ShortCut"), "X");
}


// The export is a Save dialog (a .reg filter, chronel.reg proposed) and writes the saved
// settings: the general page's unapplied tick and the schedule page's unapplied connect tick are
// not in it. Success says where the file went, and a name too long is said.
TEST_F(EditorSheetTest, ExportWritesTheSavedSettingsAndSaysWhere)
{
    WriteDword(std::string(PlugKey) + "\\Schedule\\Monday\\data0", "Hour", 7);
    WriteDword(std::string(PlugKey) + "\\Schedule\\Monday\\data0", "Minute", 30);
    TempDir dir("export");
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    // A change on another page, not applied: a ticked connect row with its time.
    Click(editor.CurrentPage(), IDX_SCH_CONNECT);
    SetDlgItemTextA(editor.CurrentPage(), IDE_SCH_CONNECT_HOUR, "8");
    SetDlgItemTextA(editor.CurrentPage(), IDE_SCH_CONNECT_MINUTE, "0");
    HWND general = editor.ShowPage(GeneralPage);
    Click(general, IDX_GEN_AUTO_START);
    ClickLater(general, IDB_GEN_EXPORT);
    HWND dialog = editor.WaitForOtherDialog();
    ASSERT_NE(dialog, nullptr);
    // The sheet waits while the dialog is open: no second dialog over the first.
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), editor.Sheet());
    EXPECT_FALSE(IsWindowEnabled(editor.Sheet()));
    EXPECT_NE(Text(dialog, 0x470).find("(*.reg)"), std::string::npos);  // the file-type box
    EXPECT_EQ(Text(dialog, GetDlgItem(dialog, 0x47c) ? 0x47c : 0x480), "chronel.reg");
    // A name longer than a path may be (261 characters) is said as other export failures are.
    ASSERT_TRUE(editor.ChooseFile(dir / (std::string(256 - dir.Path().size(), 'a') + ".reg")));
    HWND box = editor.WaitForWindow("設定の書出");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "設定をファイルに書き出せませんでした。\n\n" + SystemText(ERROR_FILENAME_EXCED_RANGE));
    ASSERT_TRUE(editor.Answer(box, IDOK));
    ClickLater(general, IDB_GEN_EXPORT);
    ASSERT_TRUE(editor.ChooseFile(dir / "settings.reg"));
    box = editor.WaitForWindow("設定の書出");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "保存済みの設定を次のファイルに書き出しました。\n" + (dir / "settings.reg"));
    ASSERT_TRUE(editor.Answer(box, IDOK));
    std::string file = ReadFileBytes(dir / "settings.reg");
    EXPECT_EQ(file.compare(0, 10, "REGEDIT4\n\n"), 0) << file;
    EXPECT_NE(file.find("\"AutoStart\"=dword:00000000\n"), std::string::npos);
    EXPECT_NE(file.find("\"Connect\"=dword:00000000\n"), std::string::npos);
    EXPECT_NE(file.find("Schedule\\Monday\\data0]\n\"Hour\"=dword:00000007\n\"Minute\"=dword:0000001e\n"),
              std::string::npos);
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

// The file dialog moves the process's current directory to each folder the user opens in it (on
// Windows the open form does so whatever its flags say). That directory is the host's own: the
// export puts it back.
TEST_F(EditorSheetTest, ExportLeavesTheHostsCurrentDirectoryWhereItWas)
{
    char before[MAX_PATH] = "";
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, before), 0u);
    TempDir home("home"), dir("export");
    ASSERT_TRUE(SetCurrentDirectoryA(home.Path().c_str()));
    char now[MAX_PATH] = "";
    {
        EditorSession editor;
        if (editor.Sheet()) {
            HWND general = editor.ShowPage(GeneralPage);
            ClickLater(general, IDB_GEN_EXPORT);
            // The user opens the folder first, then names the file in it.
            HWND dialog = editor.WaitForOtherDialog();
            if (dialog) {
                const int nameField = GetDlgItem(dialog, 0x47c) ? 0x47c : 0x480;
                SetDlgItemTextA(dialog, nameField, dir.Path().c_str());
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                // Opened when the look-in box (cmb2) names it.
                const std::string folder = dir.Path().substr(dir.Path().rfind('\\') + 1);
                for (int i = 0; i < 200 && Text(dialog, 0x471).find(folder) == std::string::npos; ++i)
                    Sleep(50);
                EXPECT_NE(Text(dialog, 0x471).find(folder), std::string::npos);
                EXPECT_TRUE(editor.ChooseFile("settings.reg"));
                editor.Answer(editor.WaitForWindow("設定の書出"), IDOK);
            }
            for (int i = 0; i < 100 && GetFileAttributesA((dir / "settings.reg").c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
                Sleep(50);
            GetCurrentDirectoryA(MAX_PATH, now);
            editor.Press(PSBTN_CANCEL);
            EXPECT_EQ(editor.WaitForResult(), 2);
        }
    }
    SetCurrentDirectoryA(before);  // before the folders go
    EXPECT_NE(GetFileAttributesA((dir / "settings.reg").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_STRCASEEQ(now, home.Path().c_str());
}

// An existing file is replaced only when the user says so. One that cannot be written (held open
// by another program) is then said so in a box owned by the sheet, with the file and the system's
// reason, and the old file stays as it was.
TEST_F(EditorSheetTest, ExportThatCannotBeWrittenSaysSoAndKeepsTheOldFile)
{
    TempDir dir("export");
    const std::string path = dir / "settings.reg";
    ASSERT_TRUE(WriteFileBytes(path, "old export"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND general = editor.ShowPage(GeneralPage);
    ClickLater(general, IDB_GEN_EXPORT);
    HWND dialog = editor.WaitForOtherDialog();
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, GetDlgItem(dialog, 0x47c) ? 0x47c : 0x480, path.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND prompt = editor.WaitForOwnedWindow(dialog);
    ASSERT_NE(prompt, nullptr) << "no question before the file is replaced";
    ASSERT_TRUE(editor.Answer(prompt, IDYES));
    ASSERT_TRUE(WaitForWindowGone(dialog, 15000));
    HWND box = editor.WaitForWindow("設定の書出");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), editor.Sheet());
    EXPECT_FALSE(IsWindowEnabled(editor.Sheet()));
    const std::string head = "設定をファイルに書き出せませんでした。\n" + path + "\n\n";
    std::string text = DialogStaticText(box);
    ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;
    std::string reason = text.substr(head.size());
    EXPECT_TRUE(reason == SystemText(ERROR_ACCESS_DENIED) || reason == SystemText(ERROR_SHARING_VIOLATION))
        << reason;
    ASSERT_TRUE(editor.Answer(box, IDOK));
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(path), "old export");
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

// Waits for the save failure's box, checks it and answers it; then the sheet must still be open.
void ExpectSaveFailureBox(EditorSession& editor, DWORD error)
{
    HWND box = editor.WaitForWindow("設定の保存");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), editor.Sheet());
    EXPECT_EQ(DialogStaticText(box), "設定を保存できませんでした。\n\n" + SystemText(error));
    ASSERT_TRUE(editor.Answer(box, IDOK));
    SendMessageA(editor.Sheet(), WM_NULL, 0, 0);  // the sheet's thread is back in its loop
    EXPECT_EQ(editor.WaitForResult(0), -1);
    EXPECT_TRUE(IsWindowVisible(editor.Sheet()));
}

// A schedule the registry refuses to store is said out loud at Apply and at OK, and the sheet
// stays open with the change still to be applied; once the registry takes it, OK stores it.
TEST_F(EditorSheetTest, ASaveThatFailsSaysSoAndKeepsTheSheetOpen)
{
    HKEY monday = nullptr;
    const std::string mondayPath = std::string(PlugKey) + "\\Schedule\\Monday";
    WriteDword(std::string(PlugKey) + "\\Schedule\\Friday", "x", 0);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, mondayPath.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &monday, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(monday);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 1);
    ClickLater(page, IDB_SCH_ADD);
    HWND detail = editor.WaitForWindow("スケジュール詳細");
    ASSERT_NE(detail, nullptr);
    Type(detail, IDE_DTL_HOUR, "7");
    Type(detail, IDE_DTL_MINUTE, "0");
    ASSERT_TRUE(editor.Answer(detail, IDOK));

    editor.PressLater(PSBTN_APPLYNOW);
    ExpectSaveFailureBox(editor, ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    editor.PressLater(PSBTN_OK);
    ExpectSaveFailureBox(editor, ERROR_CHILD_MUST_BE_VOLATILE);

    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, mondayPath.c_str()), ERROR_SUCCESS);
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    uint32_t hour = 0;
    EXPECT_TRUE(ReadDword(mondayPath + "\\data0", "Hour", &hour));
    EXPECT_EQ(hour, 7u);
}

// After a failed OK, Cancel reports Cancel: the caller does not reload settings that were not all
// saved.
TEST_F(EditorSheetTest, CancelAfterAFailedOkReturnsTwo)
{
    HKEY quor = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quor", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &quor, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(quor);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    editor.ShowPage(GeneralPage);
    editor.PressLater(PSBTN_OK);
    ExpectSaveFailureBox(editor, ERROR_CHILD_MUST_BE_VOLATILE);
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

}  // namespace
