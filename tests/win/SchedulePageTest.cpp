// The schedule page and its detail dialog, driven through the real editor: adding, editing and
// deleting entries with the every-day groups, the connect rows, and what reaches the registry.
#include "EditorSession.h"
#include "TestSupport.h"
#include "setup/resource.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

const std::string Schedule = std::string(PlugKey) + "\\Schedule\\";
const char* const Days[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

class SchedulePageTest : public testing_support::ClearedSettingsTest {};

void StoreEntry(int day, int n, int hour, int minute, int everyDay = 0, int around = 0, int sntp = 0)
{
    std::string key = Schedule + Days[day] + "\\data" + std::to_string(n);
    WriteDword(key, "Hour", static_cast<uint32_t>(hour));
    WriteDword(key, "Minute", static_cast<uint32_t>(minute));
    WriteDword(key, "EveryDay", everyDay);
    WriteDword(key, "Around", around);
    WriteDword(key, "SNTP", sntp);
}

struct Stored {
    uint32_t hour, minute, everyDay, around, sntp;
};

// The entries stored for a weekday, data0 onwards.
std::vector<Stored> StoredDay(int day)
{
    std::vector<Stored> entries;
    for (int n = 0;; ++n) {
        std::string key = Schedule + Days[day] + "\\data" + std::to_string(n);
        Stored s{};
        if (!ReadDword(key, "Hour", &s.hour))
            return entries;
        ReadDword(key, "Minute", &s.minute);
        ReadDword(key, "EveryDay", &s.everyDay);
        ReadDword(key, "Around", &s.around);
        ReadDword(key, "SNTP", &s.sntp);
        entries.push_back(s);
    }
}

std::vector<std::string> Labels(HWND page)
{
    std::vector<std::string> labels;
    for (int row = 0; row < RowCount(page); ++row)
        labels.push_back(Cell(page, row, 0));
    return labels;
}

// Opens the detail dialog with a click on 追加 or 編集.
HWND OpenDetail(EditorSession& editor, HWND page, int button)
{
    ClickLater(page, button);
    return editor.WaitForWindow("スケジュール詳細");
}

// Ticks the weekday boxes of the detail dialog: Monday first, as the boxes run.
void TickWeekdays(HWND dialog, const std::vector<int>& mondayFirst)
{
    for (int i = 0; i < 7; ++i) {
        if (Checked(dialog, IDX_DTL_MONDAY + i) != (mondayFirst[i] != 0))
            Click(dialog, IDX_DTL_MONDAY + i);
    }
}

TEST_F(SchedulePageTest, EmptyStoreShowsUnsetConnectRowsDisabledAndNoRows)
{
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    for (int id : {IDE_SCH_CONNECT_HOUR, IDE_SCH_CONNECT_MINUTE, IDE_SCH_DISCONNECT_HOUR, IDE_SCH_DISCONNECT_MINUTE}) {
        EXPECT_EQ(Text(page, id), "-1") << id;
        EXPECT_FALSE(Enabled(page, id)) << id;
    }
    EXPECT_FALSE(Checked(page, IDX_SCH_CONNECT));
    EXPECT_FALSE(Checked(page, IDX_SCH_DISCONNECT));
    EXPECT_EQ(RowCount(page), 0);
    EXPECT_TRUE(Enabled(page, IDB_SCH_ADD));
    EXPECT_FALSE(Enabled(page, IDB_SCH_EDIT));
    EXPECT_FALSE(Enabled(page, IDB_SCH_DELETE));

    // Ticking a row's box enables its fields without marking the page changed.
    Click(page, IDX_SCH_CONNECT);
    EXPECT_TRUE(Enabled(page, IDE_SCH_CONNECT_HOUR));
    EXPECT_TRUE(Enabled(page, IDU_SCH_CONNECT_MINUTE));
    EXPECT_FALSE(Enabled(page, IDE_SCH_DISCONNECT_HOUR));
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));
    Click(page, IDX_SCH_DISCONNECT);
    EXPECT_TRUE(Enabled(page, IDE_SCH_DISCONNECT_MINUTE));
    EXPECT_TRUE(Enabled(page, IDU_SCH_DISCONNECT_MINUTE));
    Type(page, IDE_SCH_CONNECT_HOUR, "6");
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    Type(page, IDE_SCH_CONNECT_MINUTE, "55");
    Type(page, IDE_SCH_DISCONNECT_HOUR, "22");
    Type(page, IDE_SCH_DISCONNECT_MINUTE, "0");
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    const std::string server = std::string(PlugKey) + "\\Server";
    uint32_t value = 0;
    EXPECT_TRUE(ReadDword(server, "Connect", &value) && value == 1);
    EXPECT_TRUE(ReadDword(server, "ConnectHour", &value) && value == 6);
    EXPECT_TRUE(ReadDword(server, "ConnectMinute", &value) && value == 55);
    EXPECT_TRUE(ReadDword(server, "DisConnect", &value) && value == 1);
    EXPECT_TRUE(ReadDword(server, "DisConnectHour", &value) && value == 22);
}

// Rows come in time order, with the every-day mark and the two する/しない columns; switching
// weekdays shows that day's entries without marking the page changed.
TEST_F(SchedulePageTest, RowsShowEachWeekdaysEntriesInTimeOrder)
{
    StoreEntry(1, 0, 10, 30, 0, 1, 0);
    StoreEntry(1, 1, 9, 5, 1, 0, 1);
    StoreEntry(2, 0, 23, 0);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 1);
    ASSERT_EQ(Labels(page), (std::vector<std::string>{" 9時 5分", "10時30分"}));
    EXPECT_EQ(Cell(page, 0, 1), "しない");
    EXPECT_EQ(Cell(page, 0, 2), "する");
    EXPECT_EQ(RowImage(page, 0), 1);
    EXPECT_EQ(Cell(page, 1, 1), "する");
    EXPECT_EQ(Cell(page, 1, 2), "しない");
    EXPECT_EQ(RowImage(page, 1), 0);
    SelectWeekday(page, 2);
    EXPECT_EQ(Labels(page), (std::vector<std::string>{"23時 0分"}));
    SelectWeekday(page, 0);
    EXPECT_EQ(RowCount(page), 0);
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));
}

// A time the weekday has already is not added again, and the user is told so.
TEST_F(SchedulePageTest, AddingATimeTheDayHasSaysSoAndAddsNothing)
{
    StoreEntry(3, 0, 7, 30);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 3);
    HWND dialog = OpenDetail(editor, page, IDB_SCH_ADD);
    ASSERT_NE(dialog, nullptr);
    // Add mode: patrol and every-day enabled, the weekday boxes only with every-day ticked.
    EXPECT_TRUE(Enabled(dialog, IDX_DTL_AROUND));
    EXPECT_TRUE(Enabled(dialog, IDX_DTL_EVERY_DAY));
    EXPECT_FALSE(Enabled(dialog, IDX_DTL_MONDAY));
    EXPECT_TRUE(Checked(dialog, IDX_DTL_MONDAY + 6));
    Type(dialog, IDE_DTL_HOUR, "7");
    Type(dialog, IDE_DTL_MINUTE, "30");
    ASSERT_TRUE(editor.Answer(dialog, IDOK));
    HWND box = editor.WaitForWindow("追加");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "水曜には 7時30分 の予定がすでにあるので、追加しませんでした。");
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_EQ(RowCount(page), 1);
    EXPECT_FALSE(IsWindowEnabled(editor.ApplyButton()));

    dialog = OpenDetail(editor, page, IDB_SCH_ADD);
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDE_DTL_HOUR, "6");
    Type(dialog, IDE_DTL_MINUTE, "0");
    Click(dialog, IDX_DTL_AROUND);
    ASSERT_TRUE(editor.Answer(dialog, IDOK));
    EXPECT_EQ(Labels(page), (std::vector<std::string>{" 6時 0分", " 7時30分"}));
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    std::vector<Stored> wednesday = StoredDay(3);
    ASSERT_EQ(wednesday.size(), 2u);
    EXPECT_EQ(wednesday[0].hour, 6u);
    EXPECT_EQ(wednesday[0].around, 1u);
    EXPECT_EQ(wednesday[0].everyDay, 0u);
}

TEST_F(SchedulePageTest, AddingEveryDayGoesToTheTickedWeekdaysOnly)
{
    StoreEntry(5, 0, 12, 0);  // Friday has the time already: skipped there
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 0);

    HWND dialog = OpenDetail(editor, page, IDB_SCH_ADD);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDX_DTL_EVERY_DAY);
    EXPECT_TRUE(Enabled(dialog, IDX_DTL_MONDAY));
    TickWeekdays(dialog, {0, 0, 0, 0, 0, 0, 0});
    Type(dialog, IDE_DTL_HOUR, "12");
    ASSERT_TRUE(editor.Answer(dialog, IDOK));  // no weekday: nothing added
    EXPECT_EQ(RowCount(page), 0);

    dialog = OpenDetail(editor, page, IDB_SCH_ADD);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDX_DTL_EVERY_DAY);
    TickWeekdays(dialog, {1, 0, 0, 0, 1, 0, 0});  // 月曜 and 金曜
    Type(dialog, IDE_DTL_HOUR, "12");
    Type(dialog, IDE_DTL_MINUTE, "0");
    Click(dialog, IDX_DTL_SNTP);
    ASSERT_TRUE(editor.Answer(dialog, IDOK));
    HWND box = editor.WaitForWindow("追加");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "金曜には 12時00分 の予定がすでにあるので、追加しませんでした。");
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_EQ(RowCount(page), 0);  // Sunday, shown, was not ticked
    SelectWeekday(page, 1);
    ASSERT_EQ(Labels(page), (std::vector<std::string>{"12時 0分"}));
    EXPECT_EQ(RowImage(page, 0), 1);
    EXPECT_EQ(Cell(page, 0, 2), "する");

    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    for (int day = 0; day < 7; ++day) {
        std::vector<Stored> entries = StoredDay(day);
        if (day == 1) {
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_EQ(entries[0].everyDay, 1u);
            EXPECT_EQ(entries[0].sntp, 1u);
        } else if (day == 5) {
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_EQ(entries[0].everyDay, 0u);  // the old single-day entry, alone
        } else {
            EXPECT_TRUE(entries.empty()) << day;
        }
    }
}

// Editing a 12:00 every-day entry moves its whole group to 12:30, but a single-day 12:00 stays,
// and only the edited entry takes the new clock-adjust tick.
TEST_F(SchedulePageTest, EditingAnEveryDayEntryMovesItsGroup)
{
    StoreEntry(1, 0, 12, 0, 1, 1, 0);
    StoreEntry(2, 0, 12, 0, 1, 1, 0);
    StoreEntry(3, 0, 12, 0, 0, 0, 0);
    StoreEntry(2, 1, 13, 0);  // where the group cannot move
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 1);
    ASSERT_TRUE(SelectRow(page, "12時 0分"));
    EXPECT_TRUE(Enabled(page, IDB_SCH_EDIT));
    EXPECT_TRUE(Enabled(page, IDB_SCH_DELETE));
    HWND dialog = OpenDetail(editor, page, IDB_SCH_EDIT);
    Type(dialog, IDE_DTL_HOUR, "13");
    ASSERT_TRUE(editor.Answer(dialog, IDOK));
    EXPECT_EQ(DialogStaticText(editor.WaitForWindow("編集")), "火曜には 13時00分 の予定がすでにあるので、変更しませんでした。");
    ASSERT_TRUE(editor.Answer(editor.WaitForWindow("編集"), IDOK));
    dialog = OpenDetail(editor, page, IDB_SCH_EDIT);
    ASSERT_NE(dialog, nullptr);
    // Edit mode: patrol, every-day and the weekday boxes cannot be changed.
    EXPECT_EQ(Text(dialog, IDE_DTL_HOUR), "12");
    EXPECT_EQ(Text(dialog, IDE_DTL_MINUTE), "0");
    EXPECT_TRUE(Checked(dialog, IDX_DTL_AROUND));
    EXPECT_TRUE(Checked(dialog, IDX_DTL_EVERY_DAY));
    EXPECT_FALSE(Enabled(dialog, IDX_DTL_AROUND));
    EXPECT_FALSE(Enabled(dialog, IDX_DTL_EVERY_DAY));
    EXPECT_FALSE(Enabled(dialog, IDX_DTL_MONDAY));
    Type(dialog, IDE_DTL_MINUTE, "30");
    Click(dialog, IDX_DTL_SNTP);
    ASSERT_TRUE(editor.Answer(dialog, IDOK));
    EXPECT_EQ(Labels(page), (std::vector<std::string>{"12時30分"}));
    EXPECT_TRUE(IsWindowEnabled(editor.ApplyButton()));
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);

    std::vector<Stored> monday = StoredDay(1), tuesday = StoredDay(2), wednesday = StoredDay(3);
    ASSERT_EQ(monday.size(), 1u);
    ASSERT_EQ(tuesday.size(), 2u);
    ASSERT_EQ(wednesday.size(), 1u);
    EXPECT_EQ(monday[0].minute, 30u);
    EXPECT_EQ(monday[0].sntp, 1u);
    EXPECT_EQ(monday[0].around, 1u);
    EXPECT_EQ(tuesday[0].minute, 30u);
    EXPECT_EQ(tuesday[0].sntp, 0u);
    EXPECT_EQ(wednesday[0].minute, 0u);
}

// The detail dialog takes a time of day only: anything else is refused with a message naming the
// field, and the dialog stays open with the typed text. An entry stored without a time shows -1,
// in its row and in the dialog, and keeps it when the dialog is cancelled.
TEST_F(SchedulePageTest, TheDetailDialogTakesATimeOfDayOnly)
{
    WriteDword(Schedule + "Saturday\\data0", "Around", 1);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 6);
    ASSERT_EQ(Labels(page), (std::vector<std::string>{"-1時-1分"}));
    ASSERT_TRUE(SelectRow(page, "-1時-1分"));
    HWND dialog = OpenDetail(editor, page, IDB_SCH_EDIT);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog, IDE_DTL_HOUR), "-1");
    const struct {
        int field;
        const char* hour;
        const char* minute;
        const char* message;
    } rows[] = {
        {IDE_DTL_HOUR, "-1", "-1", "「設定時刻 (時)」には 0 から 23 までの整数を入力してください。"},
        {IDE_DTL_HOUR, "24", "0", "「設定時刻 (時)」には 0 から 23 までの整数を入力してください。"},
        {IDE_DTL_HOUR, "4294967295", "0", "「設定時刻 (時)」には整数を入力してください。"},
        {IDE_DTL_MINUTE, "7", "60", "「設定時刻 (分)」には 0 から 59 までの整数を入力してください。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        Type(dialog, IDE_DTL_HOUR, row.hour);
        Type(dialog, IDE_DTL_MINUTE, row.minute);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        HWND box = editor.WaitForWindow("chronset");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(DialogStaticText(box), row.message);
        ASSERT_TRUE(editor.Answer(box, IDOK));
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_EQ(Text(dialog, row.field), row.field == IDE_DTL_HOUR ? row.hour : row.minute);
    }
    ASSERT_TRUE(editor.Answer(dialog, IDCANCEL));
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    std::vector<Stored> saturday = StoredDay(6);
    ASSERT_EQ(saturday.size(), 1u);
    EXPECT_EQ(saturday[0].hour, 0xffffffffu);
    EXPECT_EQ(saturday[0].minute, 0xffffffffu);
}

TEST_F(SchedulePageTest, DeletingAsksAndRemovesFromTheShownDayOrTheWholeGroup)
{
    for (int day : {1, 2, 3})
        StoreEntry(day, 0, 8, 15, 1);
    StoreEntry(4, 0, 8, 15, 0);  // single-day entry of the same time: never touched
    StoreEntry(1, 1, 21, 0, 0);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 1);

    // Cancel at the first question: nothing goes.
    ASSERT_TRUE(SelectRow(page, " 8時15分"));
    ClickLater(page, IDB_SCH_DELETE);
    HWND box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "削除していいですか?");
    EXPECT_FALSE(IsWindowEnabled(editor.Sheet()));  // the question is owned by the page
    ASSERT_TRUE(editor.Answer(box, IDCANCEL));
    EXPECT_EQ(RowCount(page), 2);

    // No at the second question: only the shown day's entry goes.
    ASSERT_TRUE(SelectRow(page, " 8時15分"));
    ClickLater(page, IDB_SCH_DELETE);
    box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(editor.Answer(box, IDOK));
    box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogStaticText(box), "このﾃﾞｰﾀは毎日実行される設定です。\n他の日のﾃﾞｰﾀも削除しますか");
    ASSERT_TRUE(editor.Answer(box, IDNO));
    EXPECT_EQ(Labels(page), (std::vector<std::string>{"21時 0分"}));
    SelectWeekday(page, 2);
    EXPECT_EQ(RowCount(page), 1);

    // Yes: every every-day entry of that time goes.
    ASSERT_TRUE(SelectRow(page, " 8時15分"));
    ClickLater(page, IDB_SCH_DELETE);
    box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(editor.Answer(box, IDOK));
    box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(editor.Answer(box, IDYES));
    EXPECT_EQ(RowCount(page), 0);

    // A single-day entry is deleted after the first question alone.
    SelectWeekday(page, 1);
    ASSERT_TRUE(SelectRow(page, "21時 0分"));
    ClickLater(page, IDB_SCH_DELETE);
    box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_EQ(editor.WaitForWindow("削除", 500), nullptr);
    EXPECT_EQ(RowCount(page), 0);

    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    for (int day : {1, 2, 3})
        EXPECT_TRUE(StoredDay(day).empty()) << day;
    EXPECT_EQ(StoredDay(4).size(), 1u);
}

// On the list, Enter edits the focused row (instead of pressing the sheet's OK) and Delete asks
// to delete it.
TEST_F(SchedulePageTest, EnterEditsAndDeleteDeletesTheFocusedRow)
{
    StoreEntry(1, 0, 9, 0);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 1);
    ASSERT_TRUE(SelectRow(page, " 9時 0分"));
    PressKey(GetDlgItem(page, IDC_SCH_LIST), VK_RETURN);
    HWND dialog = editor.WaitForWindow("スケジュール詳細");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog, IDE_DTL_HOUR), "9");
    ASSERT_TRUE(editor.Answer(dialog, IDCANCEL));
    PressKey(GetDlgItem(page, IDC_SCH_LIST), VK_DELETE);
    HWND box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(editor.Answer(box, IDOK));
    EXPECT_EQ(RowCount(page), 0);
    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    EXPECT_TRUE(StoredDay(1).empty());
}

TEST_F(SchedulePageTest, EditAndDeleteDoNothingWithoutASelectedRow)
{
    StoreEntry(1, 0, 9, 0);
    StoreEntry(0, 0, 10, 0);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    SelectWeekday(page, 1);
    ASSERT_TRUE(SelectRow(page, " 9時 0分"));
    SelectWeekday(page, 0);  // the refill leaves no row with the focus
    ASSERT_EQ(RowCount(page), 1);
    ListView_SetItemState(GetDlgItem(page, IDC_SCH_LIST), 0, LVIS_FOCUSED, LVIS_FOCUSED);  // not selected
    ClickLater(page, IDB_SCH_DELETE);
    ClickLater(page, IDB_SCH_EDIT);
    EXPECT_EQ(editor.WaitForWindow("削除", 500), nullptr);
    EXPECT_EQ(editor.WaitForWindow("スケジュール詳細", 500), nullptr);
    editor.Press(PSBTN_CANCEL);
    EXPECT_EQ(editor.WaitForResult(), 2);
}

// The detail dialog is modal to the sheet: while it edits an entry the user cannot delete that
// entry, switch the weekday or close the sheet behind it (each of which left the dialog writing
// into a freed entry, into another weekday's list, or its change lost while OK reported success).
TEST_F(SchedulePageTest, TheDetailDialogKeepsTheSheetDisabledWhileItIsOpen)
{
    StoreEntry(1, 0, 9, 0);
    EditorSession editor;
    ASSERT_NE(editor.Sheet(), nullptr);
    HWND page = editor.CurrentPage();
    HWND tab = GetDlgItem(page, IDC_SCH_TAB);
    SelectWeekday(page, 1);
    ASSERT_TRUE(SelectRow(page, " 9時 0分"));
    HWND dialog = OpenDetail(editor, page, IDB_SCH_EDIT);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), editor.Sheet());
    EXPECT_FALSE(IsWindowEnabled(editor.Sheet()));

    // The dialog moved out of the way, as a user may; then clicks on 削除, on the 火曜 tab and on
    // the sheet's OK.
    RECT sheetArea;
    GetWindowRect(editor.Sheet(), &sheetArea);
    SetWindowPos(dialog, nullptr, sheetArea.right + 10, sheetArea.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    UserClick(GetDlgItem(page, IDB_SCH_DELETE));
    RECT tuesday;
    SendMessageA(tab, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&tuesday));
    UserClick(tab, tuesday);
    UserClick(GetDlgItem(editor.Sheet(), IDOK));
    EXPECT_EQ(editor.WaitForWindow("削除", 1500), nullptr);
    EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(editor.WaitForResult(0), -1);  // the sheet is still open

    Type(dialog, IDE_DTL_HOUR, "20");
    Type(dialog, IDE_DTL_MINUTE, "20");
    Click(dialog, IDX_DTL_SNTP);
    ASSERT_TRUE(editor.Answer(dialog, IDOK));
    EXPECT_TRUE(IsWindowEnabled(editor.Sheet()));
    EXPECT_EQ(Labels(page), (std::vector<std::string>{"20時20分"}));

    // With the dialog gone the same click reaches the sheet again.
    ASSERT_TRUE(SelectRow(page, "20時20分"));
    UserClick(GetDlgItem(page, IDB_SCH_DELETE));
    HWND box = editor.WaitForWindow("削除");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(editor.Answer(box, IDCANCEL));

    editor.Press(PSBTN_OK);
    EXPECT_EQ(editor.WaitForResult(), 1);
    std::vector<Stored> monday = StoredDay(1);
    ASSERT_EQ(monday.size(), 1u);
    EXPECT_EQ(monday[0].hour, 20u);
    EXPECT_EQ(monday[0].minute, 20u);
    EXPECT_EQ(monday[0].sntp, 1u);
    EXPECT_TRUE(StoredDay(2).empty());
}

}  // namespace
