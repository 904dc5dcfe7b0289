#include "PropertyPage.h"

#include "FailureMessage.h"
#include "PropertySheet.h"

HPROPSHEETPAGE CPropertyPage::CreatePage(CPropertySheet* sheet)
{
    sheet_ = sheet;
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = EditorModule();
    page.pszTemplate = MAKEINTRESOURCEA(templateId_);
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return CreatePropertySheetPageA(&page);
}

bool CPropertyPage::OnApply(DWORD*)
{
    UpdateData(true);
    return true;
}

void CPropertyPage::SetModified(bool changed)
{
    HWND sheet = GetParent(window_);
    if (sheet)
        SendMessageA(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(window_), 0);
}

INT_PTR CPropertyPage::HandleSheetNotify(PSHNOTIFY* notify)
{
    LRESULT result = 0;
    switch (notify->hdr.code) {
    case PSN_SETACTIVE:
        // The first activation follows the set-up, which has written the controls already.
        if (!firstActivation_)
            UpdateData(false);
        firstActivation_ = false;
        break;
    case PSN_KILLACTIVE:
        // Non-zero keeps the page: the failing field has the focus.
        result = UpdateData(true) ? FALSE : TRUE;
        break;
    case PSN_APPLY: {
        DWORD error = ERROR_SUCCESS;
        if (!OnApply(&error)) {
            // The pages after this one are not applied, OK does not close the sheet, and this
            // page stays marked changed, so that the user can try again or cancel.
            sheet_->NoteApplyFailed();
            ShowFailure(GetParent(window_), "設定の保存", "設定を保存できませんでした。", nullptr, error);
            result = PSNRET_INVALID_NOCHANGEPAGE;
            break;
        }
        SetModified(false);
        sheet_->NoteSaved();
        if (notify->lParam)
            sheet_->NoteClosedWithOk();
        result = PSNRET_NOERROR;
        break;
    }
    default:
        return FALSE;
    }
    SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->window_ = window;
    }
    auto* page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!page)
        return FALSE;
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == GetParent(window))
            return page->HandleSheetNotify(reinterpret_cast<PSHNOTIFY*>(lParam));
    }
    return page->HandleMessage(message, wParam, lParam);
}
