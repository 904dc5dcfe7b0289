#pragma once
// A page of a property sheet over comctl32: created when its tab is first shown, members written
// into the controls on every later activation, read and validated when it is left, and its apply
// step run by the sheet's OK and Apply.

#include "Dialog.h"

#include <prsht.h>

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(int templateId) : CDialog(templateId) {}

    // The comctl32 page, for the sheet to add. Owned by the sheet's window once added.
    HPROPSHEETPAGE CreatePage(CPropertySheet* sheet);
    bool Created() const { return window_ != nullptr; }

protected:
    // The page's apply step. Default: read the controls. Runs for every created page, in page
    // order, at OK and at Apply. False when the page's settings could not be saved, with the
    // Win32 error in *error: the user is told, and the sheet stays open with the page changed.
    virtual bool OnApply(DWORD* error);
    // Marks the page changed (the sheet's Apply button) or unchanged.
    void SetModified(bool changed);
    // A user edit: marks the page changed, unless the page itself is writing its controls.
    void MarkChanged()
    {
        if (!Loading())
            SetModified(true);
    }

private:
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleSheetNotify(PSHNOTIFY* notify);

    CPropertySheet* sheet_ = nullptr;
    bool firstActivation_ = true;
};
