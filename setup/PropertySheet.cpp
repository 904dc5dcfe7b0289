#include "PropertySheet.h"

#include <commctrl.h>

int CPropertySheet::DoModal()
{
    std::vector<HPROPSHEETPAGE> handles;
    for (CPropertyPage* page : pages_) {
        HPROPSHEETPAGE handle = page->CreatePage(this);
        if (!handle) {
            for (HPROPSHEETPAGE made : handles)
                DestroyPropertySheetPage(made);
            return 0;
        }
        handles.push_back(handle);
    }

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_DEFAULT;
    header.hwndParent = nullptr;
    header.hInstance = EditorModule();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(handles.size());
    header.nStartPage = 0;
    header.phpage = handles.data();

    closedWithOk_ = false;
    // The sheet destroys the page handles itself, shown or not.
    INT_PTR result = PropertySheetA(&header);
    if (result < 0)
        return 0;
    return closedWithOk_ ? 1 : 2;
}
