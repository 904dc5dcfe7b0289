#include "PropertySheet.h"

#include <commctrl.h>

int CPropertySheet::DoModal()
{
    HPROPSHEETPAGE handles[MaxPages] = {};
    for (int i = 0; i < pageCount_; ++i) {
        handles[i] = pages_[i]->CreatePage(this);
        if (!handles[i]) {
            for (int made = 0; made < i; ++made)
                DestroyPropertySheetPage(handles[made]);
            return 0;
        }
    }

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_DEFAULT;
    header.hwndParent = nullptr;
    header.hInstance = EditorModule();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pageCount_);
    header.nStartPage = 0;
    header.phpage = handles;

    closedWithOk_ = false;
    saved_ = false;
    // The sheet destroys the page handles itself, shown or not.
    INT_PTR result = PropertySheetA(&header);
    if (result < 0)
        return 0;
    return closedWithOk_ || saved_ ? 1 : 2;
}
