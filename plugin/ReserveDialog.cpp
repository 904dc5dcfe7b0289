#include "ReserveDialog.h"

#include "../common/pure/IntegerText.h"
#include "Globals.h"
#include "../common/windows/Time32.h"
#include "../common/pure/CivilTime.h"
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

// Short fields: the dialog's code counts against chronel's size.
struct FieldControl {
    short edit;
    short upDown;
    short low;
    short high;
    char name[4];  // its label, for the box that names it
};
const FieldControl Fields[] = {
    {IDE_RESERVE_YEAR, IDU_RESERVE_YEAR, 1970, 2038, "年"}, {IDE_RESERVE_MONTH, IDU_RESERVE_MONTH, 1, 12, "月"},
    {IDE_RESERVE_DAY, IDU_RESERVE_DAY, 1, 31, "日"},        {IDE_RESERVE_HOUR, IDU_RESERVE_HOUR, 0, 23, "時"},
    {IDE_RESERVE_MINUTE, IDU_RESERVE_MINUTE, 0, 59, "分"},
};
const int FieldCount = sizeof Fields / sizeof Fields[0];

// The moment the fields name, read as typed (full-width digits too, as the Japanese input method
// gives them) and never normalised: 30 February or hour 25 is no moment. Returns the first field
// that holds no number in its range, FieldCount when the moment lies outside what a calendar
// time holds, -1 when *moment is set. *high: the top of the bad field's range.
int ReadMoment(HWND dialog, int32_t* moment, int* high)
{
    int values[FieldCount];
    for (int i = 0; i < FieldCount; ++i) {
        char text[64] = "";
        HWND edit = GetDlgItem(dialog, Fields[i].edit);
        GetWindowTextA(edit, text, sizeof text);
        int32_t value = 0;
        *high = Fields[i].high;
        if (i == 2)  // the days of the month read before it
            *high = static_cast<int>((SecondsFromFields(values[0], values[1] + 1, 1, 0, 0, 0) -
                                      SecondsFromFields(values[0], values[1], 1, 0, 0, 0)) / 86400);
        // A text longer than the buffer would be read cut short.
        if (GetWindowTextLengthA(edit) >= static_cast<int>(sizeof text) - 1 || !ParseSignedField(text, &value) ||
            value < Fields[i].low || value > *high)
            return i;
        values[i] = value;
    }
    *moment = LocalFieldsToTime32(values[0], values[1], values[2], values[3], values[4], 0);
    return *moment == -1 ? FieldCount : -1;
}

// "1970年1月1日 9:00", or with its weekday "2026年12月8日(火) 18:30": the local minute of a
// calendar time.
void FormatLocalMinute(int32_t time, char* out, bool weekday = false)
{
    SYSTEMTIME local{};
    Time32ToLocalFields(time, &local);
    char day[8] = "";
    if (weekday)
        wsprintfA(day, "(%.2s)", &"日月火水木金土"[local.wDayOfWeek % 7 * 2]);
    wsprintfA(out, "%d年%d月%d日%s %d:%02d", local.wYear, local.wMonth, local.wDay, day, local.wHour,
              local.wMinute);
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

// The moment in words under the fields, kept up with every change; empty while the fields name
// none.
void ShowMoment(HWND dialog)
{
    int32_t moment;
    int high;
    char text[64] = "";
    if (ReadMoment(dialog, &moment, &high) == -1)
        FormatLocalMinute(moment, text, true);
    SetDlgItemTextA(dialog, IDT_RESERVE_MOMENT, text);
}

// A field that holds no number in its range: said, naming the field, and the dialog stays with
// the user's input, the field selected for correction.
void ShowBadField(HWND dialog, int field, int high)
{
    char text[128];
    wsprintfA(text, "「%s」には%dから%dまでの数を入力してください。", Fields[field].name, Fields[field].low, high);
    MessageBoxA(dialog, text, "送信予約", MB_OK | MB_ICONEXCLAMATION);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, Fields[field].edit)), TRUE);
}

INT_PTR CALLBACK ReserveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<ReserveDialogState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const ReserveFields& shown = state->shown;
        const int values[5] = {shown.year, shown.month, shown.day, shown.hour, shown.minute};
        for (int i = 0; i < FieldCount; ++i) {
            char text[16];
            wsprintfA(text, "%d", values[i]);
            SetDlgItemTextA(dialog, Fields[i].edit, text);
            SendDlgItemMessageA(dialog, Fields[i].upDown, UDM_SETRANGE32, static_cast<WPARAM>(Fields[i].low),
                                static_cast<LPARAM>(Fields[i].high));
        }
        ShowMoment(dialog);
        return TRUE;
    }
    auto* state = reinterpret_cast<ReserveDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_COMMAND || !state || state->ended)
        return FALSE;
    if (HIWORD(wParam) == EN_CHANGE) {
        ShowMoment(dialog);
        return TRUE;
    }
    switch (LOWORD(wParam)) {
    case IDB_RESERVE_SET: {
        int32_t chosen = -1;
        int high = 0;
        int bad = ReadMoment(dialog, &chosen, &high);
        // -1 would remove the reservation: only "予約取り消し" does that.
        if (bad == FieldCount)
            ShowUnusableDate(dialog);
        else if (bad >= 0)
            ShowBadField(dialog, bad, high);
        // A moment gone by would leave with the next send: only when the user says so.
        else if (chosen >= CurrentTime32() ||
                 MessageBoxA(dialog, "この時刻はすでに過ぎています。次の送信で送りますか?", "送信予約",
                             MB_YESNO | MB_ICONQUESTION) == IDYES)
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
