#include "Dialog.h"

#include <commctrl.h>

HINSTANCE EditorModule()
{
    // The address of this function lies in chronset.dll, whichever process loaded it.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&EditorModule), &module);
    return module;
}

INT_PTR CDialog::DoModal(HWND owner)
{
    return DialogBoxParamA(EditorModule(), MAKEINTRESOURCEA(templateId_), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::SetSpinRange(int spinId, const ValueRange& range) const
{
    SendDlgItemMessageA(window_, spinId, UDM_SETRANGE32, static_cast<WPARAM>(range.least), range.spinMost);
}

bool CDialog::SelectedRowData(int listId, LPARAM* data) const
{
    HWND list = Item(listId);
    // The highlighted row, which the user sees chosen: Ctrl with an arrow key moves the focus
    // alone, and Ctrl with a click takes the highlight off the focused row.
    int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0)
        return false;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    *data = item.lParam;
    return true;
}

bool CDialog::UpdateData(bool save)
{
    CDataExchange dx(window_, save);
    bool wasLoading = loading_;
    loading_ = !save;
    DoDataExchange(dx);
    loading_ = wasLoading;
    return !dx.Failed();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(window_, IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(window_, IDCANCEL);
}

bool CDialog::OnCommand(int, int)
{
    return false;
}

bool CDialog::OnNotify(NMHDR*, LRESULT*)
{
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM)
{
    return false;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &result))
            return FALSE;
        SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return OnMessage(message, wParam, lParam) ? TRUE : FALSE;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->window_ = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            dialog->OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            dialog->OnCancel();
            return TRUE;
        }
    }
    return dialog->HandleMessage(message, wParam, lParam);
}
