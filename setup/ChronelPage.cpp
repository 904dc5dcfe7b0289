#include "ChronelPage.h"

#include "FailureMessage.h"
#include "FileDialog.h"
#include "resource.h"

#include "common/SettingsWriter.h"

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
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = nullptr;  // the sheet stays usable while the dialog is open
    open.lpstrFile = path;
    open.nMaxFile = sizeof path;
    open.lpstrDefExt = "reg";
    open.Flags = OFN_HIDEREADONLY;  // the file need not exist yet
    if (!ShowOpenFileDialog(open))
        return;
    // The record as it stands: this page's unapplied changes are not in it. Success says nothing.
    DWORD error = ERROR_SUCCESS;
    if (!ExportSettings(*settings, path, &error))
        ShowFailure(GetParent(window_), "設定の書出", "設定をファイルに書き出せませんでした。", path, error);
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
