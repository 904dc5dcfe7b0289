#include "EditorSession.h"

#include "TestSupport.h"
#include "setup/resource.h"

#include <commctrl.h>
#include <prsht.h>

namespace testing_support {

namespace {

const char* const SheetCaption = "Chronel Plug 設定 Ver1.10";
typedef int (*SetUpChronelProc)();

struct FindTitle {
    const char* title;
    HWND except;
    HWND owner;  // when set, any window it owns, whatever its title
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param)
{
    auto* find = reinterpret_cast<FindTitle*>(param);
    if (window == find->except || !IsWindowVisible(window))
        return TRUE;
    if (find->owner) {
        if (GetWindow(window, GW_OWNER) != find->owner)
            return TRUE;
        find->found = window;
        return FALSE;
    }
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (find->title ? lstrcmpA(text, find->title) == 0 : lstrcmpA(cls, "#32770") == 0) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindThreadWindow(DWORD threadId, const char* title, HWND except, DWORD timeoutMs, HWND owner = nullptr)
{
    DWORD start = GetTickCount();
    for (;;) {
        FindTitle find{title, except, owner, nullptr};
        EnumThreadWindows(threadId, MatchTitle, reinterpret_cast<LPARAM>(&find));
        if (find.found || GetTickCount() - start > timeoutMs)
            return find.found;
        Sleep(20);
    }
}

}  // namespace

DWORD WINAPI EditorSession::Run(void* self)
{
    auto* session = static_cast<EditorSession*>(self);
    auto setUp = reinterpret_cast<SetUpChronelProc>(reinterpret_cast<void*>(GetProcAddress(session->module_, "SetUpChronel")));
    return setUp ? static_cast<DWORD>(setUp()) : 0xffffffffu;
}

EditorSession::EditorSession()
{
    module_ = LoadLibraryA(BuildPath("host/Plugins/chronset.dll").c_str());
    if (!module_)
        return;
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
    if (thread_)
        sheet_ = WaitForWindow(SheetCaption);
}

EditorSession::~EditorSession()
{
    if (thread_) {
        if (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) {
            // Close whatever the test left open: message boxes and dialogs first, then the sheet.
            for (int round = 0; round < 5 && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; ++round) {
                HWND other = FindThreadWindow(threadId_, nullptr, sheet_, 0);
                if (other)
                    PostMessageA(other, WM_COMMAND, IDCANCEL, 0);
                else if (sheet_)
                    PostMessageA(sheet_, WM_COMMAND, IDCANCEL, 0);
                WaitForSingleObject(thread_, 2000);
            }
        }
        if (WaitForSingleObject(thread_, 10000) == WAIT_TIMEOUT)
            TerminateThread(thread_, 0xdead);
        CloseHandle(thread_);
    }
    if (module_)
        FreeLibrary(module_);
}

HWND EditorSession::ShowPage(int index)
{
    SendMessageA(sheet_, PSM_SETCURSEL, index, 0);
    return CurrentPage();
}

HWND EditorSession::CurrentPage() const
{
    return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND EditorSession::ApplyButton() const
{
    return GetDlgItem(sheet_, 0x3021);
}

void EditorSession::Press(int button)
{
    SendMessageA(sheet_, PSM_PRESSBUTTON, button, 0);
    // comctl32's modal loop looks at its end flag only when a posted message arrives, as the
    // user's own click would bring.
    PostMessageA(sheet_, WM_NULL, 0, 0);
}

void EditorSession::PressLater(int button)
{
    PostMessageA(sheet_, PSM_PRESSBUTTON, button, 0);
}

int EditorSession::WaitForResult(DWORD timeoutMs)
{
    if (!thread_ || WaitForSingleObject(thread_, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeThread(thread_, &code);
    return static_cast<int>(code);
}

HWND EditorSession::WaitForWindow(const char* title, DWORD timeoutMs) const
{
    return FindThreadWindow(threadId_, title, nullptr, timeoutMs);
}

HWND EditorSession::WaitForOtherDialog(DWORD timeoutMs) const
{
    return FindThreadWindow(threadId_, nullptr, sheet_, timeoutMs);
}

HWND EditorSession::WaitForOwnedWindow(HWND owner, DWORD timeoutMs) const
{
    return FindThreadWindow(threadId_, nullptr, nullptr, timeoutMs, owner);
}

HWND EditorSession::Focus() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId_, &info);
    return info.hwndFocus;
}

HWND EditorSession::WaitForFocus(HWND want, DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    for (HWND focus = Focus(); focus != want && GetTickCount() - start < timeoutMs; focus = Focus()) {
        // With no window manager on the test display, the X server may take the activation from
        // the sheet as its box goes, leaving its thread no focus at all. Activated again, the
        // dialog gives back the control it had the focus on, which is the one to check.
        if (!focus)
            SetForegroundWindow(sheet_);
        Sleep(20);
    }
    return Focus();
}

bool EditorSession::Answer(HWND dialog, int id, DWORD timeoutMs) const
{
    PostMessageA(dialog, WM_COMMAND, id, 0);
    return WaitForWindowGone(dialog, timeoutMs);
}

bool EditorSession::ChooseFile(const std::string& path) const
{
    HWND dialog = WaitForOtherDialog();
    if (!dialog)
        return false;
    for (int id : {0x47c /* file name combo */, 0x480 /* file name edit */}) {
        if (GetDlgItem(dialog, id))
            SetDlgItemTextA(dialog, id, path.c_str());
    }
    return Answer(dialog, IDOK);
}

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void ClickLater(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void UserClick(HWND window, const RECT& clientRect)
{
    POINT at{(clientRect.left + clientRect.right) / 2, (clientRect.top + clientRect.bottom) / 2};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

void UserClick(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    UserClick(window, client);
}

void Type(HWND dialog, int id, const std::string& text)
{
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressKey(HWND control, int key)
{
    SendMessageA(GetParent(control), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    PostMessageA(control, WM_KEYDOWN, key, 1);
}

std::string Text(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Checked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Visible(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

int RowCount(HWND page)
{
    return static_cast<int>(SendMessageA(GetDlgItem(page, IDC_SCH_LIST), LVM_GETITEMCOUNT, 0, 0));
}

std::string Cell(HWND page, int row, int column)
{
    char text[256] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(GetDlgItem(page, IDC_SCH_LIST), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int RowImage(HWND page, int row)
{
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(GetDlgItem(page, IDC_SCH_LIST), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

bool SelectRow(HWND page, const std::string& label)
{
    HWND list = GetDlgItem(page, IDC_SCH_LIST);
    for (int row = 0; row < RowCount(page); ++row) {
        if (Cell(page, row, 0) != label)
            continue;
        LVITEMA state{};
        state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        state.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        return true;
    }
    return false;
}

void SelectWeekday(HWND page, int day)
{
    SendMessageA(GetDlgItem(page, IDC_SCH_TAB), TCM_SETCURFOCUS, day, 0);
}

}  // namespace testing_support
