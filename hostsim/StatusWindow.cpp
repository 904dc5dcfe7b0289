// Scenario actions at the editor's status window: read what it shows, choose a row, fill the
// dialog that changes a reservation's moment. Buttons are pressed with "press".
#include "Host.h"

#include "../tools/ScreenCapture.h"

#include <commctrl.h>

#include <fstream>
#include <sstream>

namespace {

constexpr int StateText = 1100;  // then the next event, then the clock adjustment
constexpr int TabControl = 1103;
constexpr int HeldList = 1104;
constexpr int LogList = 1105;
constexpr int FirstMomentField = 1110;

HWND StatusWindow()
{
    return FindWindowA(nullptr, "chronel の状況");
}

std::string Cell(HWND list, int row, int column)
{
    char text[512] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// Each row of the list as "status ROW: cell | cell | ...", up to most rows.
void LogRows(const char* what, int listId, int most)
{
    HWND window = StatusWindow();
    HWND list = window ? GetDlgItem(window, listId) : nullptr;
    if (!list) {
        LogEvent("status %s: (no window)", what);
        return;
    }
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    int columns = static_cast<int>(SendMessageA(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)),
                                                HDM_GETITEMCOUNT, 0, 0));
    LogEvent("status %s: %d rows", what, rows);
    for (int row = 0; row < rows && row < most; ++row) {
        std::string line;
        for (int column = 0; column < columns; ++column)
            line += (column ? " | " : "") + Cell(list, row, column);
        // The first column, the moment, must show whole (with the cell's margins).
        if (SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(Cell(list, row, 0).c_str())) + 12 >
            SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0))
            line += " (cut)";
        LogEvent("status %s %d: %s", what, row, line.c_str());
    }
}

// The window's area of the screen as a 24-bit BMP file, for scripts/screenshots.sh.
bool CaptureWindow(HWND window, const std::string& path)
{
    SetForegroundWindow(window);
    // The window's own messages only (its painting), not the host's timer that steps the clock.
    for (int round = 0; round < 30; ++round) {
        MSG msg;
        while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    if (HWND focus = GetFocus())
        HideCaret(focus);  // the same picture each time
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return WriteWindowBitmap(window, path);
}

}  // namespace

bool RunStatusAction(const std::string& verb, const std::string& line)
{
    std::istringstream in(line);
    std::string skip;
    in >> skip;
    if (verb == "status-top") {
        HWND window = StatusWindow();
        for (int id = StateText; id < StateText + 3; ++id) {
            char text[256] = "";
            if (window)
                GetDlgItemTextA(window, id, text, sizeof text);
            LogEvent("status top: %s", window ? text : "(no window)");
        }
    } else if (verb == "status-held") {
        LogRows("held", HeldList, 100);
    } else if (verb == "status-log") {
        // status-log [N]: the first N rows of the recent activity, newest first
        int most = 5;
        in >> most;
        LogRows("log", LogList, most);
    } else if (verb == "status-select") {
        // status-select ROW: the user clicks the row of the reserved messages
        int row = 0;
        in >> row;
        HWND window = StatusWindow();
        HWND list = window ? GetDlgItem(window, HeldList) : nullptr;
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        bool chosen = list && SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        LogEvent("user: chooses row %d of the reserved messages%s", row, chosen ? "" : " (no such row)");
    } else if (verb == "status-fill") {
        // status-fill YEAR MONTH DAY HOUR MINUTE: the fields of "送信予定の変更"
        HWND dialog = FindWindowA(nullptr, "送信予定の変更");
        std::string value, shown;
        for (int i = 0; i < 5 && in >> value; ++i) {
            if (dialog)
                SetDlgItemTextA(dialog, FirstMomentField + i, value.c_str());
            shown += " " + value;
        }
        LogEvent("user: fills%s in \"送信予定の変更\"%s", shown.c_str(), dialog ? "" : " (no dialog)");
    } else if (verb == "status-tab") {
        // status-tab N: the user clicks tab N (0 the reserved messages, 1 the recent activity)
        int tab = 0;
        in >> tab;
        HWND window = StatusWindow();
        HWND tabs = window ? GetDlgItem(window, TabControl) : nullptr;
        if (tabs) {
            SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
            NMHDR header{tabs, static_cast<UINT_PTR>(TabControl), static_cast<UINT>(TCN_SELCHANGE)};
            SendMessageA(window, WM_NOTIFY, TabControl, reinterpret_cast<LPARAM>(&header));
        }
        LogEvent("user: chooses tab %d of the status window%s", tab, tabs ? "" : " (no window)");
    } else if (verb == "status-capture") {
        // status-capture FILE: a picture of the status window
        std::string path;
        in >> path;
        HWND window = StatusWindow();
        LogEvent("status: captured to %s%s", path.c_str(), window && CaptureWindow(window, path) ? "" : " (failed)");
    } else {
        return false;
    }
    return true;
}
