#include "SchedulePage.h"

#include "ScheduleDetailDialog.h"
#include "resource.h"

#include "common/SettingsStore.h"
#include "common/SettingsWriter.h"

#include <commctrl.h>
#include <initializer_list>

#include <cstdio>

namespace {

const char* const TabNames[7] = {"日曜", "月曜", "火曜", "水曜", "木曜", "金曜", "土曜"};

}  // namespace

CSchedulePage::CSchedulePage() : CPropertyPage(IDD_SCHEDULE) {}

void CSchedulePage::DoDataExchange(CDataExchange& dx)
{
    dx.Check(IDX_SCH_CONNECT, settings->Connect);
    dx.Int(IDE_SCH_CONNECT_HOUR, settings->ConnectHour);
    dx.Int(IDE_SCH_CONNECT_MINUTE, settings->ConnectMinute);
    dx.Check(IDX_SCH_DISCONNECT, settings->DisConnect);
    dx.Int(IDE_SCH_DISCONNECT_HOUR, settings->DisConnectHour);
    dx.Int(IDE_SCH_DISCONNECT_MINUTE, settings->DisConnectMinute);
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
    const int icons[] = {IDI_NO_MARK, IDI_EVERY_DAY};
    images_.Create(icons, 2);
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

    SendDlgItemMessageA(window_, IDU_SCH_CONNECT_HOUR, UDM_SETRANGE32, 0, 23);
    SendDlgItemMessageA(window_, IDU_SCH_DISCONNECT_HOUR, UDM_SETRANGE32, 0, 23);
    SendDlgItemMessageA(window_, IDU_SCH_CONNECT_MINUTE, UDM_SETRANGE32, 0, 59);
    SendDlgItemMessageA(window_, IDU_SCH_DISCONNECT_MINUTE, UDM_SETRANGE32, 0, 59);
    EnableConnectRow();
    EnableDisconnectRow();
    return TRUE;
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
    HWND list = Item(IDC_SCH_LIST);
    int row = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    if (row < 0)
        return nullptr;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<ScheduleEntry*>(item.lParam);
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
    auto hour = static_cast<int32_t>(dialog.Hour);
    auto minute = static_cast<int32_t>(dialog.Minute);
    if (dialog.EveryDay) {
        for (int w = 0; w < 7; ++w) {
            if (dialog.DayFlags[w] && !settings->Schedule[w].FindExact(hour, minute))
                settings->Schedule[w].AddEntry(hour, minute, 1, dialog.Around, dialog.SNTP);
        }
    } else if (day >= 0 && day < 7 && !settings->Schedule[day].FindExact(hour, minute)) {
        settings->Schedule[day].AddEntry(hour, minute, 0, dialog.Around, dialog.SNTP);
    }
    FillList(day);
    SetModified(true);
}

void CSchedulePage::EditCommand()
{
    int day = SelectedDay();
    ScheduleEntry* entry = CurrentEntry();
    if (!entry)
        return;
    CScheduleDetailDialog dialog;
    dialog.AddMode = 0;
    dialog.Hour = static_cast<uint32_t>(entry->Hour);
    dialog.Minute = static_cast<uint32_t>(entry->Minute);
    dialog.EveryDay = entry->EveryDay;
    dialog.Around = entry->Around;
    dialog.SNTP = entry->SNTP;
    if (ShowDetail(dialog) != IDOK)
        return;
    auto hour = static_cast<int32_t>(dialog.Hour);
    auto minute = static_cast<int32_t>(dialog.Minute);
    if (entry->EveryDay) {
        // The whole group moves: every every-day entry of the old time, on every weekday.
        const int32_t oldHour = entry->Hour;
        const int32_t oldMinute = entry->Minute;
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
        case IDX_SCH_CONNECT:
            UpdateData(true);
            EnableConnectRow();
            return true;
        case IDX_SCH_DISCONNECT:
            UpdateData(true);
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
    if (header->idFrom == IDC_SCH_TAB && header->code == TCN_SELCHANGE) {
        UpdateData(true);
        FillList(SelectedDay());
        UpdateData(false);
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
    }
    return false;
}
