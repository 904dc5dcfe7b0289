#include "StatusWindow.h"

#include "ChronelPage.h"
#include "resource.h"

#include "../common/windows/ActivityLog.h"
#include "../common/pure/CivilTime.h"
#include "../common/pure/Owned.h"
#include "../common/pure/ScheduleStatus.h"
#include "../common/windows/SettingsStore.h"
#include "../common/pure/ShiftJis.h"
#include "../common/windows/SntpStatus.h"
#include "../common/pure/TextBuffer.h"
#include "../common/windows/ThreadWindow.h"
#include "../common/windows/Time32.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace {

const char* const Weekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
constexpr int LogLinesShown = 200;

// "12月8日(火) 07:30", with the year in front when it is not the present one.
void AppendMoment(TextBuffer& out, const CivilFields& at, int presentYear)
{
    char text[64];
    if (at.year != presentYear)
        std::snprintf(text, sizeof text, "%d年", static_cast<int>(at.year));
    else
        text[0] = '\0';
    out += text;
    std::snprintf(text, sizeof text, "%d月%d日(%s) %02d:%02d", at.month, at.day, Weekdays[at.weekday % 7], at.hour,
                  at.minute);
    out += text;
}

CivilFields LocalFieldsOf(int32_t time)
{
    SYSTEMTIME local{};
    Time32ToLocalFields(time, &local);
    return CivilFields{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                       local.wDayOfWeek};
}

DWORD ReadStatusNumber(HKEY key, const char* name, DWORD fallback)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return fallback;
    return value;
}

void AddColumns(HWND list, const char* const* names, const int* widths, int count)
{
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(names[i]);
        column.cx = widths[i];
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void SetCell(HWND list, int row, int column, const char* text)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    if (column == 0)
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    else
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The width of the character at text: two bytes for a Shift JIS pair.
int CharWidth(const char* text)
{
    return IsShiftJisLeadByte(static_cast<unsigned char>(*text)) && text[1] ? 2 : 1;
}

// A failure, as the log says it in its own words: what it quotes in 「」 (a subject, a server's
// name) is the user's text and is passed over, and the words are matched a whole character at a
// time, so that a trail byte and the next character never read as one of them.
bool SaysFailure(const char* line)
{
    static const char* const words[] = {"失敗", "エラー", "できません", "できず", "終わりません"};
    const char* lastClose = nullptr;
    for (const char* at = line; *at; at += CharWidth(at))
        if (std::strncmp(at, "」", 2) == 0)
            lastClose = at;
    bool quoted = false;
    for (const char* at = line; *at; at += CharWidth(at)) {
        if (at == lastClose)
            quoted = false;
        else if (std::strncmp(at, "「", 2) == 0 && at < lastClose)
            quoted = true;
        for (const char* word : words)
            if (!quoted && std::strncmp(at, word, std::strlen(word)) == 0)
                return true;
    }
    return false;
}

// Where the event ends and its detail begins: the first ": " outside parentheses and 「」, as in
// "chronel を開始しました (スケジュール: 停止中)", which is an event without detail; null for none.
const char* DetailColon(const char* line)
{
    int depth = 0;
    for (const char* at = line; *at; at += CharWidth(at)) {
        if (*at == '(' || std::strncmp(at, "「", 2) == 0)
            ++depth;
        else if ((*at == ')' || std::strncmp(at, "」", 2) == 0) && depth > 0)
            --depth;
        else if (!depth && at[0] == ':' && at[1] == ' ')
            return at;
    }
    return nullptr;
}


// The moment of a reservation, field by field, as the send window's dialog asks for it.
class CMomentDialog : public CDialog {
public:
    explicit CMomentDialog(int32_t moment) : CDialog(IDD_STATUS_TIME), moment_(moment) {}
    int32_t Moment() const { return moment_; }

protected:
    BOOL OnInitDialog() override
    {
        static const int ranges[5][2] = {{1970, 2038}, {1, 12}, {1, 31}, {0, 23}, {0, 59}};
        CivilFields at = LocalFieldsOf(moment_);
        const int values[5] = {static_cast<int>(at.year), at.month, at.day, at.hour, at.minute};
        for (int i = 0; i < 5; ++i) {
            SendDlgItemMessageA(window_, IDU_STA_YEAR + i, UDM_SETRANGE32, ranges[i][0], ranges[i][1]);
            SetDlgItemInt(window_, IDE_STA_YEAR + i, static_cast<UINT>(values[i]), FALSE);
        }
        return TRUE;
    }
    void OnOK() override
    {
        int values[5];
        for (int i = 0; i < 5; ++i) {
            BOOL read = FALSE;
            values[i] = static_cast<int>(GetDlgItemInt(window_, IDE_STA_YEAR + i, &read, FALSE));
            if (!read) {
                MessageBoxA(window_, "日付と時刻を数字で入れてください。", "送信予定の変更", MB_OK | MB_ICONEXCLAMATION);
                SetFocus(Item(IDE_STA_YEAR + i));
                return;
            }
        }
        int32_t moment = LocalFieldsToTime32(values[0], values[1], values[2], values[3], values[4], 0);
        if (moment == -1) {
            MessageBoxA(window_, "この日時は指定できません (1970年から2038年1月まで)。", "送信予定の変更",
                        MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        moment_ = moment;
        EndDialog(window_, IDOK);
    }

private:
    int32_t moment_;
};

}  // namespace

void CStatusWindow::Show()
{
    char caption[64] = "";
    LoadStringA(EditorModule(), IDS_STATUS_CAPTION, caption, sizeof caption);
    // A window closed while a loop run inside it (the sheet's) stays, hidden, until that loop ends.
    if (HWND open = FindThreadWindow(caption, HiddenWindows::Skip)) {
        BringWindowForward(open);
        return;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
    // No owner: the host stays usable, as it does beside the settings sheet.
    CStatusWindow window;
    window.DoModal(nullptr);
}

BOOL CStatusWindow::OnInitDialog()
{
    HWND tab = Item(IDC_STA_TAB);
    const char* const tabs[] = {"予約中のメール", "最近の動作"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabs[i]);
        SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    const char* const heldColumns[] = {"送信予定", "件名", "宛先", "アカウント", "状態"};
    const int heldWidths[] = {125, 150, 120, 70, 200};
    AddColumns(Item(IDC_STA_HELD), heldColumns, heldWidths, 5);
    const char* const logColumns[] = {"時刻", "出来事", "詳細"};
    const int logWidths[] = {140, 200, 300};
    AddColumns(Item(IDC_STA_LOG), logColumns, logWidths, 3);
    // The time column fits a marked stamp whole, in the list's own font.
    const LRESULT stamp = SendDlgItemMessageA(window_, IDC_STA_LOG, LVM_GETSTRINGWIDTHA, 0,
                                              reinterpret_cast<LPARAM>("× 2026/12/28 23:59:59"));
    SendDlgItemMessageA(window_, IDC_STA_LOG, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(stamp + 16, 0));
    root_ = HostMailboxRoot();
    ShowTop();
    FillHeld();
    FillLog();
    ShowTab(0);
    return TRUE;
}

void CStatusWindow::ShowTop()
{
    DWORD running = 0, next = NoNextEvent, around = 0;
    RegKey plug = OpenSettingsKey();
    HKEY key = nullptr;
    if (plug && RegOpenKeyExA(plug.Get(), "Status", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegKey status(key);
        running = ReadStatusNumber(key, ScheduleRunningValue, 0);
        next = ReadStatusNumber(key, NextEventValue, NoNextEvent);
        around = ReadStatusNumber(key, NextAroundValue, 0);
    }
    SetDlgItemTextA(window_, IDT_STA_STATE, running ? "スケジュール: 動作中" : "スケジュール: 停止中");
    TextBuffer line("次回: ");
    if (running && next != NoNextEvent) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        AppendMoment(line, FieldsFromSeconds(static_cast<int64_t>(next) * 60), now.wYear);
        line += around ? " 巡回受信" : " 受信";
    } else {
        line += running ? "予定はありません" : "スケジュールが止まっています";
    }
    SetDlgItemTextA(window_, IDT_STA_NEXT, line.c_str());
    SntpOutcome outcome;
    bool stored = ReadSntpStatus(&outcome);
    TextBuffer clock;
    SntpStatusLine(stored ? &outcome : nullptr, clock);
    SetDlgItemTextA(window_, IDT_STA_CLOCK, clock.c_str());
}

void CStatusWindow::FillHeld()
{
    HWND list = Item(IDC_STA_HELD);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    if (!held_.Read(root_)) {
        SetCell(list, 0, 0, "");
        SetCell(list, 0, 4, root_ ? "メールボックスのフォルダーを読めません" : "Quillpost の中で開いてください");
    }
    // Without the send reservation the plug-in releases nothing, whatever the moment.
    int32_t useReserve = 0;
    if (RegKey plug = OpenSettingsKey())
        ReadNumber(plug.Get(), "UseReserve", &useReserve);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int32_t present = CurrentTime32();
    for (size_t i = 0; i < held_.Count(); ++i) {
        const HeldMessage& message = held_.At(i);
        const int row = static_cast<int>(i);
        TextBuffer moment;
        if (message.readable)
            AppendMoment(moment, LocalFieldsOf(message.moment), now.wYear);
        SetCell(list, row, 0, moment.c_str());
        SetCell(list, row, 1, message.subject);
        SetCell(list, row, 2, message.to);
        SetCell(list, row, 3, message.account);
        TextBuffer state;
        if (!message.readable) {
            state += "読めません: ";
            state += message.why;
        } else {
            state += !useReserve ? "送信予約が無効: 送られません"
                     : message.moment <= present ? "時刻を過ぎました: 次の確認で送信" : "待機中";
        }
        SetCell(list, row, 4, state.c_str());
        // The row keeps its place in the sorted list.
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = static_cast<LPARAM>(i);
        SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    Enable();
}

void CStatusWindow::FillLog()
{
    HWND list = Item(IDC_STA_LOG);
    ListView_DeleteAllItems(list);
    char path[MAX_PATH];
    if (!ActivityLogPath(path, sizeof path, false))
        return;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    // The end of the file holds the last lines: 200 lines of the log stay well within 64 KB.
    constexpr DWORD Tail = 64 * 1024;
    LARGE_INTEGER size{};
    GetFileSizeEx(file.Get(), &size);
    LARGE_INTEGER from{};
    from.QuadPart = size.QuadPart > Tail ? size.QuadPart - Tail : 0;
    SetFilePointerEx(file.Get(), from, nullptr, FILE_BEGIN);
    TextBuffer text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        text.Append(chunk, read);
    // Whole lines only, the newest first.
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    if (from.QuadPart > 0) {
        const char* feed = static_cast<const char*>(std::memchr(begin, '\n', text.size()));
        begin = feed ? feed + 1 : end;
    }
    int row = 0;
    while (end > begin && row < LogLinesShown) {
        const char* lineEnd = end;
        while (lineEnd > begin && (lineEnd[-1] == '\n' || lineEnd[-1] == '\r'))
            --lineEnd;
        const char* lineStart = lineEnd;
        while (lineStart > begin && lineStart[-1] != '\n')
            --lineStart;
        end = lineStart;
        if (lineEnd == lineStart)
            continue;
        TextBuffer line;
        line.Append(lineStart, static_cast<size_t>(lineEnd - lineStart));
        // "2026/12/07 07:00:02 event: detail"
        const char* at = line.c_str();
        char stamp[20] = "";
        if (line.size() > 20 && at[19] == ' ') {
            std::memcpy(stamp, at, 19);
            at += 20;
        }
        const char* colon = DetailColon(at);
        TextBuffer event;
        event.Append(at, colon ? static_cast<size_t>(colon - at) : std::strlen(at));
        TextBuffer first(SaysFailure(at) ? "× " : "");
        first += stamp;
        SetCell(list, row, 0, first.c_str());
        SetCell(list, row, 1, event.c_str());
        SetCell(list, row, 2, colon ? colon + 2 : "");
        ++row;
    }
}

void CStatusWindow::ShowTab(int tab)
{
    ShowWindow(Item(IDC_STA_HELD), tab == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDB_STA_SEND_NOW), tab == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDB_STA_CHANGE), tab == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_STA_LOG), tab == 1 ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDB_STA_OPEN_LOG), tab == 1 ? SW_SHOW : SW_HIDE);
}

const HeldMessage* CStatusWindow::Selected() const
{
    LPARAM data = 0;
    if (!SelectedRowData(IDC_STA_HELD, &data))
        return nullptr;
    size_t index = static_cast<size_t>(data);
    return index < held_.Count() && held_.At(index).readable ? &held_.At(index) : nullptr;
}

void CStatusWindow::Enable()
{
    bool chosen = Selected() != nullptr;
    EnableItem(IDB_STA_SEND_NOW, chosen);
    EnableItem(IDB_STA_CHANGE, chosen);
}

bool CStatusWindow::StillHeld(const HeldMessage& message)
{
    if (IsStillHeld(root_, message))
        return true;
    MessageBoxA(window_,
                "このメールはもう予約中ではありません。\n時刻が来て送信待ちになったか、送られたか、予約が取り消されました。"
                "一覧を読み直します。",
                "予約中のメール", MB_OK | MB_ICONINFORMATION);
    FillHeld();
    return false;
}

void CStatusWindow::Fail(const char* what, ChangeResult result, const char* kept)
{
    TextBuffer text(what);
    if (result == ChangeResult::NotRead)
        text += "メールのファイルを読めませんでした。";
    else if (result == ChangeResult::Damaged) {
        text += "メールのファイルの書き換えが途中で失敗しました。書き換えた全文が同じフォルダーの次のファイルにあります:\n";
        text += kept;
    } else
        text += "メールのファイルを書き換えられませんでした。メールは元のままです。";
    MessageBoxA(window_, text.c_str(), "予約中のメール", MB_OK | MB_ICONEXCLAMATION);
}

// The reservation becomes the present minute: the plug-in's next scan finds it due and releases it.
void CStatusWindow::SendNow()
{
    const HeldMessage* message = Selected();
    char path[2048];
    if (!message || !HeldMessagePath(root_, *message, path, sizeof path) || !StillHeld(*message))
        return;
    char kept[260];
    ChangeResult result = ChangeReservation(path, CurrentMinute32(), kept);
    if (result != ChangeResult::Changed)
        Fail("今すぐ送れませんでした。", result, kept);
    FillHeld();
}

void CStatusWindow::ChangeMoment()
{
    const HeldMessage* message = Selected();
    char path[2048];
    if (!message || !HeldMessagePath(root_, *message, path, sizeof path))
        return;
    CMomentDialog dialog(message->moment);
    // Asked again after the dialog: the scan may release the message while the dialog is open.
    if (dialog.DoModal(window_) != IDOK || dialog.Moment() == message->moment || !StillHeld(*message))
        return;
    char kept[260];
    ChangeResult result = ChangeReservation(path, dialog.Moment(), kept);
    if (result != ChangeResult::Changed)
        Fail("送信予定を変更できませんでした。", result, kept);
    FillHeld();
}

bool CStatusWindow::OnCommand(int id, int code)
{
    if (code != BN_CLICKED)
        return false;
    // The buttons of a tab not shown do nothing, whatever reaches them (an access key).
    const bool heldShown = IsWindowVisible(Item(IDC_STA_HELD)) != FALSE;
    switch (id) {
    case IDB_STA_SEND_NOW:
        if (heldShown)
            SendNow();
        return true;
    case IDB_STA_CHANGE:
        if (heldShown)
            ChangeMoment();
        return true;
    case IDB_STA_REFRESH:
        ShowTop();
        FillHeld();
        FillLog();
        return true;
    case IDB_STA_OPEN_LOG:
        if (!heldShown)
            OpenActivityLog(window_);
        return true;
    default:
        return false;
    }
}

bool CStatusWindow::OnNotify(NMHDR* header, LRESULT*)
{
    if (header->idFrom == IDC_STA_TAB && header->code == TCN_SELCHANGE) {
        ShowTab(static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
        return true;
    }
    if (header->idFrom == IDC_STA_HELD && header->code == LVN_ITEMCHANGED) {
        Enable();
        return true;
    }
    return false;
}
