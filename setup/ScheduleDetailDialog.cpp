#include "ScheduleDetailDialog.h"

#include "resource.h"

#include "../common/pure/Settings.h"

#include <commctrl.h>

CScheduleDetailDialog::CScheduleDetailDialog() : CDialog(IDD_SCHEDULE_DETAIL) {}

void CScheduleDetailDialog::DoDataExchange(CDataExchange& dx)
{
    for (int i = 0; i < 7; ++i)
        dx.Check(IDX_DTL_MONDAY + i, WeekdayTicks[i]);
    dx.Check(IDX_DTL_EVERY_DAY, EveryDay);
    dx.Int(IDE_DTL_HOUR, Hour, RangeOf(&ScheduleEntry::Hour), "設定時刻 (時)");
    dx.Int(IDE_DTL_MINUTE, Minute, RangeOf(&ScheduleEntry::Minute), "設定時刻 (分)");
    dx.Check(IDX_DTL_AROUND, Around);
    dx.Check(IDX_DTL_SNTP, SNTP);
}

BOOL CScheduleDetailDialog::OnInitDialog()
{
    UpdateData(false);
    SetSpinRange(IDU_DTL_HOUR, RangeOf(&ScheduleEntry::Hour));
    SetSpinRange(IDU_DTL_MINUTE, RangeOf(&ScheduleEntry::Minute));
    ApplyEnabling();
    return TRUE;
}

void CScheduleDetailDialog::ApplyEnabling()
{
    EnableItem(IDX_DTL_AROUND, AddMode != 0);
    EnableItem(IDX_DTL_EVERY_DAY, AddMode != 0);
    for (int i = 0; i < 7; ++i)
        EnableItem(IDX_DTL_MONDAY + i, AddMode && EveryDay);
}

void CScheduleDetailDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    // The boxes run Monday to Sunday; the flags Sunday to Saturday.
    DayFlags[0] = WeekdayTicks[6];
    for (int day = 1; day < 7; ++day)
        DayFlags[day] = WeekdayTicks[day - 1];
    EndDialog(window_, IDOK);
}

bool CScheduleDetailDialog::OnCommand(int id, int code)
{
    if (id == IDX_DTL_EVERY_DAY && code == BN_CLICKED) {
        // A failing time field shows its message, but the weekday boxes follow the tick anyway:
        // EveryDay is read before the times.
        UpdateData(true);
        ApplyEnabling();
        return true;
    }
    return false;
}
