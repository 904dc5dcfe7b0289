#include "SchedulePage.h"

#include "ScheduleDetailDialog.h"
#include "resource.h"

#include "../common/windows/SettingsStore.h"
#include "../common/windows/SettingsWriter.h"
#include "../common/pure/TextBuffer.h"

#include <commctrl.h>
#include <initializer_list>

#include <cstdio>

namespace {

const char* const TabNames[7] = {"日曜", "月曜", "火曜", "水曜", "木曜", "金曜", "土曜"};

}  // namespace

CSchedulePage::CSchedulePage() : CPropertyPage(IDD_SCHEDULE) {}

namespace {

// A connect or disconnect row. Ticked, it needs a time of day: the plug-in never reaches a time
// outside one. Unticked, its fields are disabled and keep what the record holds (-1 when never set).
void ExchangeRow(CDataExchange& dx, Settings& s, int ticked, int hourId, int32_t Settings::*hour, int minuteId,
                 int32_t Settings::*minute, const char* hourName, const char* minuteName)
{
    if (dx.Saving() && !ticked)
        return;
    dx.Int(hourId, s.*hour, RangeOf(hour), hourName);
    dx.Int(minuteId, s.*minute, RangeOf(minute), minuteName);
}

}  // namespace

void CSchedulePage::DoDataExchange(CDataExchange& dx)
{
    dx.Check(IDX_SCH_CONNECT, settings->Connect);
    ExchangeRow(dx, *settings, settings->Connect, IDE_SCH_CONNECT_HOUR, &Settings::ConnectHour,
                IDE_SCH_CONNECT_MINUTE, &Settings::ConnectMinute, "接続する時刻 (時)", "接続する時刻 (分)");
    dx.Check(IDX_SCH_DISCONNECT, settings->DisConnect);
    ExchangeRow(dx, *settings, settings->DisConnect, IDE_SCH_DISCONNECT_HOUR, &Settings::DisConnectHour,
                IDE_SCH_DISCONNECT_MINUTE, &Settings::DisConnectMinute, "切断する時刻 (時)", "切断する時刻 (分)");
    // chronel would make only one of the two in that minute.
    if (dx.Saving() && !dx.Failed() && settings->Connect && settings->DisConnect &&
        settings->ConnectHour == settings->DisConnectHour && settings->ConnectMinute == settings->DisConnectMinute)
        dx.Fail(IDE_SCH_DISCONNECT_MINUTE, "「サーバーに接続する」と「サーバーから切断する」に同じ時刻は指定できません。");
}

BOOL CSchedulePage::OnInitDialog()
{
    LoadSchedule(*settings);
    UpdateData(false);

    HWND tab = Item(IDC_SCH_TAB);
    // Seven tabs of one width share the row, so no scroll arrows hide the last weekdays.
    RECT tabArea;
    GetClientRect(tab, &tabArea);
    SendMessageA(tab, TCM_SETITEMSIZE, 0, MAKELPARAM((tabArea.right - 6) / 7, 0));
    for (int day = 0; day < 7; ++day) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(TabNames[day]);
        SendMessageA(tab, TCM_INSERTITEMA, day, reinterpret_cast<LPARAM>(&item));
    }

    HWND list = Item(IDC_SCH_LIST);
    listProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSchedulePage::ListProc)));
    const int icons[] = {IDI_NO_MARK, IDI_EVERY_DAY};
    images_ = CreateIconList(icons, 2);
    ListView_SetImageList(list, images_.Get(), LVSIL_SMALL);

    RECT client;
    GetClientRect(list, &client);
    struct {
        const char* header;
        int width;
    } const columns[] = {{"時間", 80}, {"巡回受信", 120}, {"時間調整", client.right - 200}};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(columns[i].header);
        column.cx = columns[i].width;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }

    SYSTEMTIME now;
    GetLocalTime(&now);
    TabCtrl_SetCurSel(tab, now.wDayOfWeek);
    FillList(now.wDayOfWeek);

    SetSpinRange(IDU_SCH_CONNECT_HOUR, RangeOf(&Settings::ConnectHour));
    SetSpinRange(IDU_SCH_DISCONNECT_HOUR, RangeOf(&Settings::DisConnectHour));
    SetSpinRange(IDU_SCH_CONNECT_MINUTE, RangeOf(&Settings::ConnectMinute));
    SetSpinRange(IDU_SCH_DISCONNECT_MINUTE, RangeOf(&Settings::DisConnectMinute));
    EnableConnectRow();
    EnableDisconnectRow();
    return TRUE;
}

LRESULT CALLBACK CSchedulePage::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrA(GetParent(list), DWLP_USER));
    WNDPROC original = page ? static_cast<CSchedulePage*>(page)->listProc_ : nullptr;
    if (!original)
        return DefWindowProcA(list, message, wParam, lParam);
    LRESULT code = CallWindowProcA(original, list, message, wParam, lParam);
    const MSG* key = reinterpret_cast<const MSG*>(lParam);
    if (message == WM_GETDLGCODE && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN &&
        ListView_GetNextItem(list, -1, LVNI_SELECTED) >= 0)
        code |= DLGC_WANTMESSAGE;
    return code;
}

bool CSchedulePage::OnApply(DWORD* error)
{
    // The fields were read when the page was left, or by this OK or Apply.
    return SaveSchedule(*settings, error) != 0;
}

void CSchedulePage::EnableConnectRow()
{
    for (int id : {IDE_SCH_CONNECT_HOUR, IDU_SCH_CONNECT_HOUR, IDE_SCH_CONNECT_MINUTE, IDU_SCH_CONNECT_MINUTE})
        EnableItem(id, settings->Connect != 0);
}

void CSchedulePage::EnableDisconnectRow()
{
    for (int id :
         {IDE_SCH_DISCONNECT_HOUR, IDU_SCH_DISCONNECT_HOUR, IDE_SCH_DISCONNECT_MINUTE, IDU_SCH_DISCONNECT_MINUTE})
        EnableItem(id, settings->DisConnect != 0);
}

int CSchedulePage::SelectedDay() const
{
    return TabCtrl_GetCurSel(Item(IDC_SCH_TAB));
}

void CSchedulePage::FillList(int day)
{
    if (day < 0 || day > 6)
        return;
    HWND list = Item(IDC_SCH_LIST);
    ListView_DeleteAllItems(list);
    for (ScheduleEntry* entry = settings->Schedule[day].Head; entry; entry = entry->Next) {
        // Blank-padded labels sort in time order: " 9時 5分" before "10時30分".
        char label[32];
        std::snprintf(label, sizeof label, "%2d時%2d分", static_cast<int>(entry->Hour),
                      static_cast<int>(entry->Minute));
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = 0x7fffffff;
        item.pszText = label;
        item.iImage = entry->EveryDay ? 1 : 0;
        item.lParam = reinterpret_cast<LPARAM>(entry);
        int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0)
            continue;
        LVITEMA sub{};
        sub.iSubItem = 1;
        sub.pszText = const_cast<char*>(entry->Around ? "する" : "しない");
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
        sub.iSubItem = 2;
        sub.pszText = const_cast<char*>(entry->SNTP ? "する" : "しない");
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
    }
}

ScheduleEntry* CSchedulePage::CurrentEntry() const
{
    LPARAM data = 0;
    return SelectedRowData(IDC_SCH_LIST, &data) ? reinterpret_cast<ScheduleEntry*>(data) : nullptr;
}

INT_PTR CSchedulePage::ShowDetail(CScheduleDetailDialog& dialog)
{
    // Owned by the sheet, which is disabled while the dialog is open: the entry being edited, the
    // weekday shown and the record cannot change under it, and the sheet cannot close before it.
    return dialog.DoModal(GetParent(window_));
}

void CSchedulePage::AddCommand()
{
    CScheduleDetailDialog dialog;
    if (ShowDetail(dialog) != IDOK)
        return;
    int day = SelectedDay();
    if (day < 0 || day > 6)
        return;
    const int32_t hour = dialog.Hour;
    const int32_t minute = dialog.Minute;
    // A weekday that has the time already gets no second entry of it; the user is told which.
    TextBuffer had;
    bool added = false;
    for (int w = 0; w < 7; ++w) {
        if (dialog.EveryDay ? !dialog.DayFlags[w] : w != day)
            continue;
        if (settings->Schedule[w].FindExact(hour, minute)) {
            if (!had.empty())
                had += "、";
            had += TabNames[w];
        } else if (settings->Schedule[w].AddEntry(hour, minute, dialog.EveryDay ? 1 : 0, dialog.Around,
                                                  dialog.SNTP)) {
            added = true;
        }
    }
    FillList(day);
    if (added)
        SetModified(true);
    if (!had.empty()) {
        char message[160];
        std::snprintf(message, sizeof message, "%sには %d時%02d分 の予定がすでにあるので、追加しませんでした。",
                      had.c_str(), static_cast<int>(hour), static_cast<int>(minute));
        MessageBoxA(window_, message, "追加", MB_OK | MB_ICONINFORMATION);
    }
}

void CSchedulePage::EditCommand()
{
    int day = SelectedDay();
    ScheduleEntry* entry = CurrentEntry();
    if (!entry)
        return;
    CScheduleDetailDialog dialog;
    dialog.AddMode = 0;
    dialog.Hour = entry->Hour;
    dialog.Minute = entry->Minute;
    dialog.EveryDay = entry->EveryDay;
    dialog.Around = entry->Around;
    dialog.SNTP = entry->SNTP;
    if (ShowDetail(dialog) != IDOK)
        return;
    const int32_t hour = dialog.Hour;
    const int32_t minute = dialog.Minute;
    const int32_t oldHour = entry->Hour;
    const int32_t oldMinute = entry->Minute;
    // A weekday that has the new time already would hold it twice, and chronel runs only one of
    // the two: the edit is not made, and the user is told which days have it.
    TextBuffer had;
    for (int w = 0; w < 7; ++w) {
        ScheduleEntry* moving = settings->Schedule[w].FindExact(oldHour, oldMinute);
        if (entry->EveryDay ? !moving || !moving->EveryDay : w != day)
            continue;
        if (!entry->EveryDay)
            moving = entry;
        ScheduleEntry* there = settings->Schedule[w].FindExact(hour, minute);
        if (!there || there == moving)
            continue;
        if (!had.empty())
            had += "、";
        had += TabNames[w];
    }
    if (!had.empty()) {
        char message[160];
        std::snprintf(message, sizeof message, "%sには %d時%02d分 の予定がすでにあるので、変更しませんでした。",
                      had.c_str(), static_cast<int>(hour), static_cast<int>(minute));
        MessageBoxA(window_, message, "編集", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (entry->EveryDay) {
        // The whole group moves: every every-day entry of the old time, on every weekday.
        for (int w = 0; w < 7; ++w) {
            ScheduleEntry* found = settings->Schedule[w].FindExact(oldHour, oldMinute);
            if (found && found->EveryDay) {
                found->Hour = hour;
                found->Minute = minute;
            }
        }
    } else {
        entry->Hour = hour;
        entry->Minute = minute;
        entry->EveryDay = dialog.EveryDay;
        entry->Around = dialog.Around;
    }
    entry->SNTP = dialog.SNTP;
    SetModified(true);
    FillList(day);
}

void CSchedulePage::DeleteCommand()
{
    int day = SelectedDay();
    ScheduleEntry* entry = CurrentEntry();
    if (!entry || day < 0 || day > 6)
        return;
    if (MessageBoxA(window_, "削除していいですか?", "削除", MB_OKCANCEL) != IDOK)
        return;
    // Copies: removing frees the nodes.
    const ScheduleEntry chosen = *entry;
    if (chosen.EveryDay &&
        MessageBoxA(window_, "このﾃﾞｰﾀは毎日実行される設定です。\n他の日のﾃﾞｰﾀも削除しますか", "削除", MB_YESNO) ==
            IDYES) {
        for (int w = 0; w < 7; ++w) {
            ScheduleEntry* found = settings->Schedule[w].FindExact(chosen.Hour, chosen.Minute);
            if (found && found->EveryDay) {
                const ScheduleEntry copy = *found;
                settings->Schedule[w].RemoveEntry(copy);
            }
        }
    } else {
        settings->Schedule[day].RemoveEntry(chosen);
    }
    SetModified(true);
    FillList(day);
}

bool CSchedulePage::OnCommand(int id, int code)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case IDB_SCH_ADD:
            AddCommand();
            return true;
        case IDB_SCH_EDIT:
            EditCommand();
            return true;
        case IDB_SCH_DELETE:
            DeleteCommand();
            return true;
        // Only the box is read: the row's time is checked when the page is left or applied, once
        // the user has had the chance to type it.
        case IDX_SCH_CONNECT:
            settings->Connect = IsDlgButtonChecked(window_, IDX_SCH_CONNECT) == BST_CHECKED;
            EnableConnectRow();
            return true;
        case IDX_SCH_DISCONNECT:
            settings->DisConnect = IsDlgButtonChecked(window_, IDX_SCH_DISCONNECT) == BST_CHECKED;
            EnableDisconnectRow();
            return true;
        default:
            return false;
        }
    }
    if (code == EN_CHANGE) {
        switch (id) {
        case IDE_SCH_CONNECT_HOUR:
        case IDE_SCH_CONNECT_MINUTE:
        case IDE_SCH_DISCONNECT_HOUR:
        case IDE_SCH_DISCONNECT_MINUTE:
            MarkChanged();
            return true;
        default:
            return false;
        }
    }
    return false;
}

bool CSchedulePage::OnNotify(NMHDR* header, LRESULT* result)
{
    *result = 0;
    // The connect rows do not follow the weekday: what the user typed there stays as it is.
    if (header->idFrom == IDC_SCH_TAB && header->code == TCN_SELCHANGE) {
        FillList(SelectedDay());
        return true;
    }
    if (header->idFrom == IDC_SCH_LIST) {
        if (header->code == LVN_ITEMCHANGED) {
            EnableItem(IDB_SCH_EDIT, true);
            EnableItem(IDB_SCH_DELETE, true);
            return true;
        }
        if (header->code == NM_DBLCLK) {
            EditCommand();
            return true;
        }
        if (header->code == LVN_KEYDOWN) {
            WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
            if (key == VK_RETURN)
                EditCommand();
            else if (key == VK_DELETE)
                DeleteCommand();
            return true;
        }
    }
    return false;
}
