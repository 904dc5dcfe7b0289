#include "ChronelPage.h"

#include "FailureMessage.h"
#include "FileDialog.h"
#include "StatusWindow.h"
#include "resource.h"

#include "../common/windows/ActivityLog.h"
#include "../common/windows/SettingsStore.h"
#include "../common/windows/SettingsWriter.h"
#include "../common/pure/TextBuffer.h"

#include <objbase.h>
#include <shellapi.h>

namespace {

// A, L, N, O, R, S and T are taken by the host's own menu.
const char* const ShortCutLetters = "BCDEFGHIJKMPQUVWXYZ";

}  // namespace

CChronelPage::CChronelPage() : CPropertyPage(IDD_CHRONEL) {}

void CChronelPage::DoDataExchange(CDataExchange& dx)
{
    dx.Check(IDX_GEN_AUTO_START, autoStart_);
    dx.ComboText(IDC_GEN_SHORTCUT, shortCut_);
    shortCut_.Truncate(1);
    dx.Check(IDX_GEN_NO_NORMAL, noNormal_);
    dx.Check(IDX_GEN_AUTO_DISTRIBUTE, autoDistribute_);
}

BOOL CChronelPage::OnInitDialog()
{
    autoStart_ = settings->AutoStart;
    noNormal_ = settings->NoNomal;
    autoDistribute_ = settings->AutoDistribute;
    const char shortCut[2] = {settings->ShortCut, '\0'};
    shortCut_.Assign(shortCut);
    UpdateData(false);
    HWND combo = Item(IDC_GEN_SHORTCUT);
    for (const char* letter = ShortCutLetters; *letter; ++letter) {
        const char item[2] = {*letter, '\0'};
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    // Now that the list holds the letters, the stored one can be selected.
    UpdateData(false);
    // chronel says here when it cannot write its log, which is otherwise lost without a word.
    if (unsigned long error = ReadLogFailure()) {
        TextBuffer text("動作記録に書き込めません (エラー ");
        AppendDecimal(text, error);
        text += ')';
        SetDlgItemTextA(window_, IDS_GEN_LOG_STATE, text.c_str());
    }
    return TRUE;
}

bool CChronelPage::OnApply(DWORD* error)
{
    UpdateData(true);
    settings->AutoStart = autoStart_;
    settings->NoNomal = noNormal_;
    settings->AutoDistribute = autoDistribute_;
    settings->ShortCut = shortCut_.empty() ? '\0' : shortCut_[0];
    return SaveSettings(*settings, error) != 0;
}

void CChronelPage::ExportCommand()
{
    char path[MAX_PATH] = "chronel.reg";
    OPENFILENAMEA save{};
    // The full size, which Windows 2000 and later know.
    save.lStructSize = sizeof save;
    // Owned by the sheet: it waits while the dialog is open, and a second export cannot be started.
    HWND owner = GetParent(window_);
    save.hwndOwner = owner;
    save.lpstrFilter = "登録ファイル (*.reg)\0*.reg\0すべてのファイル (*.*)\0*.*\0";
    save.nFilterIndex = 1;
    save.lpstrFile = path;
    save.nMaxFile = sizeof path;
    save.lpstrDefExt = "reg";
    save.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    DWORD error = ERROR_SUCCESS;
    if (!ShowSaveFileDialog(save, &error)) {
        if (error)
            ShowFailure(owner, "設定の書出", "設定をファイルに書き出せませんでした。", nullptr, error);
        return;
    }
    // What is saved, as the note says: the registry as it stands, without the changes on any page
    // that have not been applied.
    Settings saved;
    LoadSettings(saved);
    if (!ExportSettings(saved, path, &error)) {
        ShowFailure(owner, "設定の書出", "設定をファイルに書き出せませんでした。", path, error);
        return;
    }
    TextBuffer text("保存済みの設定を次のファイルに書き出しました。\n");
    text += path;
    MessageBoxA(owner, text.Failed() ? "保存済みの設定を書き出しました。" : text.c_str(), "設定の書出",
                MB_OK | MB_ICONINFORMATION);
}

// chronel's log in the program the system opens text files with (Notepad unless the user chose
// another); Notepad itself when ".log" has no program.
void OpenActivityLog(HWND owner)
{
    char path[MAX_PATH];
    if (!ActivityLogPath(path, sizeof path, false)) {
        ShowFailure(owner, "動作記録", "動作記録の場所 (アプリケーションデータのフォルダー) がわかりません。", nullptr,
                    ERROR_PATH_NOT_FOUND);
        return;
    }
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        TextBuffer text("動作記録はまだありません。\nchronel が動くと、次のファイルに記録されます。\n");
        text += path;
        MessageBoxA(owner, text.c_str(), "動作記録", MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The program that opens it may be reached through COM, which ShellExecute expects ready on the
    // calling thread; a host that has made it ready already keeps its own set-up.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    auto opened = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", path, nullptr, nullptr, SW_SHOWNORMAL));
    if (opened == SE_ERR_NOASSOC || opened == SE_ERR_ASSOCINCOMPLETE) {
        TextBuffer quoted("\"");
        quoted += path;
        quoted += '"';
        opened = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", "notepad.exe", quoted.c_str(), nullptr,
                                                         SW_SHOWNORMAL));
    }
    DWORD error = GetLastError();
    // Those of ShellExecute's results that are system error codes say what failed better than the
    // last error, which the shell's own probing may have left behind.
    if (opened == ERROR_FILE_NOT_FOUND || opened == ERROR_PATH_NOT_FOUND || opened == ERROR_ACCESS_DENIED ||
        opened == ERROR_NOT_ENOUGH_MEMORY || opened == ERROR_BAD_FORMAT)
        error = static_cast<DWORD>(opened);
    // Ended only where it was started here or was already started the same way (S_OK, S_FALSE);
    // a thread in another apartment (RPC_E_CHANGED_MODE) is left as it is.
    if (SUCCEEDED(com))
        CoUninitialize();
    if (opened <= 32) {
        ShowFailure(owner, "動作記録", "動作記録を開けませんでした。", path, error ? error : ERROR_NO_ASSOCIATION);
    }
}

bool CChronelPage::OnCommand(int id, int code)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case IDX_GEN_AUTO_START:
        case IDX_GEN_NO_NORMAL:
        case IDX_GEN_AUTO_DISTRIBUTE:
            MarkChanged();
            return true;
        case IDB_GEN_EXPORT:
            ExportCommand();
            return true;
        case IDB_GEN_OPEN_LOG:
            OpenActivityLog(GetParent(window_));
            return true;
        case IDB_GEN_STATUS:
            CStatusWindow::Show();
            return true;
        default:
            return false;
        }
    }
    if (id == IDC_GEN_SHORTCUT && code == CBN_SELCHANGE) {
        MarkChanged();
        return true;
    }
    return false;
}
