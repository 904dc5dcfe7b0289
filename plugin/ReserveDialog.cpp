#include "ReserveDialog.h"

#include "Globals.h"
#include "Time32.h"
#include "pure/HeaderText.h"
#include "resource.h"

#include <commctrl.h>

namespace {

// The values one dialog shows and the step that writes its choice. Each dialog keeps its own: the
// user may have the dialogs of several send windows open at once.
struct ReserveDialogState {
    HWND owner;
    ReserveFields shown;
    ReserveApply apply;
    bool ended;  // EndDialog called: the dialog only waits to be taken down
};

// Hands chosen to the dialog's apply step and ends the dialog when it was written; a choice that
// could not be written leaves the dialog open (the apply step has said why).
void Choose(HWND dialog, ReserveDialogState* state, int32_t chosen)
{
    if (!state->apply(state->owner, dialog, chosen))
        return;
    state->ended = true;
    EndDialog(dialog, 1);
}

struct FieldControl {
    int edit;
    int upDown;
    int low;
    int high;
};
const FieldControl Fields[5] = {
    {IDE_RESERVE_YEAR, IDU_RESERVE_YEAR, 1970, 2038},  {IDE_RESERVE_MONTH, IDU_RESERVE_MONTH, 1, 12},
    {IDE_RESERVE_DAY, IDU_RESERVE_DAY, 1, 31},         {IDE_RESERVE_HOUR, IDU_RESERVE_HOUR, 0, 23},
    {IDE_RESERVE_MINUTE, IDU_RESERVE_MINUTE, 0, 59},
};

int ReadField(HWND dialog, int id)
{
    char text[64] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    int32_t value = ReadDecimal(text);
    // Far beyond any time a 32-bit value reaches; keeps the field arithmetic from overflowing.
    const int32_t bound = 100000000;
    return value > bound ? bound : value < -bound ? -bound : value;
}

// "1970年1月1日 9:00": the local minute of a calendar time.
void FormatLocalMinute(int32_t time, char* out)
{
    SYSTEMTIME local{};
    Time32ToLocalFields(time, &local);
    wsprintfA(out, "%d年%d月%d日 %d:%02d", local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
}

// A date the calendar time cannot hold: said, and the dialog stays for the user to correct it.
void ShowUnusableDate(HWND dialog)
{
    char first[64];
    char last[64];
    FormatLocalMinute(0, first);
    FormatLocalMinute(INT32_MAX, last);
    char text[256];
    wsprintfA(text, "この日時では送信予約できません。\n%sから%sまでの日時を入力してください。", first, last);
    MessageBoxA(dialog, text, "送信予約", MB_OK | MB_ICONEXCLAMATION);
}

INT_PTR CALLBACK ReserveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<ReserveDialogState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const ReserveFields& shown = state->shown;
        const int values[5] = {shown.year, shown.month, shown.day, shown.hour, shown.minute};
        for (int i = 0; i < 5; ++i) {
            char text[16];
            wsprintfA(text, "%d", values[i]);
            SetDlgItemTextA(dialog, Fields[i].edit, text);
            SendDlgItemMessageA(dialog, Fields[i].upDown, UDM_SETRANGE32, static_cast<WPARAM>(Fields[i].low),
                                static_cast<LPARAM>(Fields[i].high));
        }
        return TRUE;
    }
    auto* state = reinterpret_cast<ReserveDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_COMMAND || !state || state->ended)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDB_RESERVE_SET: {
        int32_t chosen = LocalFieldsToTime32(ReadField(dialog, IDE_RESERVE_YEAR), ReadField(dialog, IDE_RESERVE_MONTH),
                                             ReadField(dialog, IDE_RESERVE_DAY), ReadField(dialog, IDE_RESERVE_HOUR),
                                             ReadField(dialog, IDE_RESERVE_MINUTE), 0);
        // -1 would remove the reservation: only "予約取り消し" does that.
        if (chosen == -1) {
            ShowUnusableDate(dialog);
            return TRUE;
        }
        Choose(dialog, state, chosen);
        return TRUE;
    }
    case IDB_RESERVE_REMOVE:
        Choose(dialog, state, -1);
        return TRUE;
    case IDB_RESERVE_CLOSE:
        state->ended = true;
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int RunReserveDialog(HWND owner, const ReserveFields& fields, ReserveApply apply)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    ReserveDialogState state = {owner, fields, apply, false};
    INT_PTR ended = DialogBoxParamA(PluginModule, MAKEINTRESOURCEA(IDD_RESERVE), owner, ReserveDialogProc,
                                    reinterpret_cast<LPARAM>(&state));
    return ended == 1 ? 1 : 0;
}
