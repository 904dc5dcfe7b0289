#include "ReservePage.h"

#include "resource.h"

#include "../common/windows/SettingsWriter.h"

#include <commctrl.h>
#include <initializer_list>

CReservePage::CReservePage() : CPropertyPage(IDD_RESERVE) {}

void CReservePage::DoDataExchange(CDataExchange& dx)
{
    dx.Check(IDX_RSV_USE, useReserve_);
    dx.Check(IDX_RSV_SEND_QUICK, sendQuick_);
    dx.Check(IDX_RSV_CHANGE_DATE, changeDate_);
    dx.UInt(IDE_RSV_POST_SEC, postSec_, RangeOf(&Settings::PostSec), "秒後まで");
    dx.UInt(IDE_RSV_PRE_SEC, preSec_, RangeOf(&Settings::PreSec), "秒前から");
    // Group index: 0 is the hidden "no mark" button, 1 to 7 the mark buttons.
    dx.Radio(IDR_RSV_NO_MARK, mark_);
}

void CReservePage::ApplyEnabling()
{
    const bool use = useReserve_ != 0;
    const bool window = use && changeDate_ != 0;
    EnableItem(IDX_RSV_SEND_QUICK, use);
    EnableItem(IDX_RSV_CHANGE_DATE, use);
    for (int id : {IDT_RSV_PRE_LABEL, IDT_RSV_PRE_UNIT, IDT_RSV_POST_UNIT, IDE_RSV_PRE_SEC, IDE_RSV_POST_SEC,
                   IDU_RSV_PRE_SEC, IDU_RSV_POST_SEC})
        EnableItem(id, window);
    EnableItem(IDG_RSV_MARK, use);
    EnableItem(IDR_RSV_NO_MARK, use);
    for (int i = 0; i < 7; ++i)
        EnableItem(IDR_RSV_MARK1 + i, use);
}

// Tab reaches the marks at the ticked one, or at the first while none shows ticked (mark 0 ticks
// the hidden button); the arrow keys move within the group.
void CReservePage::KeepMarkTabStop()
{
    int ticked = 0;
    for (int i = 0; i < 7; ++i) {
        if (IsDlgButtonChecked(window_, IDR_RSV_MARK1 + i) == BST_CHECKED)
            ticked = i;
    }
    for (int i = 0; i < 7; ++i) {
        HWND button = Item(IDR_RSV_MARK1 + i);
        LONG_PTR style = GetWindowLongPtrA(button, GWL_STYLE);
        SetWindowLongPtrA(button, GWL_STYLE, i == ticked ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

BOOL CReservePage::OnInitDialog()
{
    useReserve_ = settings->UseReserve;
    sendQuick_ = settings->SendQuick;
    changeDate_ = settings->ChangeDate;
    preSec_ = static_cast<uint32_t>(settings->PreSec);
    postSec_ = static_cast<uint32_t>(settings->PostSec);
    mark_ = settings->ReserveMark;
    UpdateData(false);
    ApplyEnabling();
    KeepMarkTabStop();

    const int icons[7] = {IDI_RESERVE_MARK1,     IDI_RESERVE_MARK1 + 1, IDI_RESERVE_MARK1 + 2, IDI_RESERVE_MARK1 + 3,
                          IDI_RESERVE_MARK1 + 4, IDI_RESERVE_MARK1 + 5, IDI_RESERVE_MARK1 + 6};
    marks_ = CreateIconList(icons, 7);
    if (marks_) {
        for (int i = 0; i < 7; ++i) {
            buttonIcons_[i].Reset(ImageList_GetIcon(marks_.Get(), i, ILD_NORMAL));
            SendDlgItemMessageA(window_, IDR_RSV_MARK1 + i, BM_SETIMAGE, IMAGE_ICON,
                                reinterpret_cast<LPARAM>(buttonIcons_[i].Get()));
        }
    }
    SetSpinRange(IDU_RSV_PRE_SEC, RangeOf(&Settings::PreSec));
    SetSpinRange(IDU_RSV_POST_SEC, RangeOf(&Settings::PostSec));
    return TRUE;
}

bool CReservePage::OnApply(DWORD* error)
{
    UpdateData(true);
    settings->UseReserve = useReserve_;
    settings->SendQuick = sendQuick_;
    settings->ChangeDate = changeDate_;
    settings->PreSec = static_cast<int32_t>(preSec_);
    settings->PostSec = static_cast<int32_t>(postSec_);
    settings->ReserveMark = mark_;
    return SaveSettings(*settings, error) != 0;
}

bool CReservePage::OnCommand(int id, int code)
{
    if (code == BN_CLICKED) {
        if (id == IDX_RSV_USE || id == IDX_RSV_CHANGE_DATE) {
            UpdateData(true);
            ApplyEnabling();
            MarkChanged();
            return true;
        }
        if (id >= IDR_RSV_MARK1 && id <= IDR_RSV_NO_MARK)
            KeepMarkTabStop();
        if (id == IDX_RSV_SEND_QUICK || (id >= IDR_RSV_MARK1 && id <= IDR_RSV_NO_MARK)) {
            MarkChanged();
            return true;
        }
        return false;
    }
    if (code == EN_CHANGE && (id == IDE_RSV_PRE_SEC || id == IDE_RSV_POST_SEC)) {
        MarkChanged();
        return true;
    }
    return false;
}
