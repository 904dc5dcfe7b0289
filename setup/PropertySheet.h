#pragma once
// A modal property sheet over comctl32 with pages of our own.

#include "PropertyPage.h"

#include <string>
#include <vector>

class CPropertySheet {
public:
    explicit CPropertySheet(std::string caption) : caption_(std::move(caption)) {}
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Pages in tab order; the caller keeps them alive while the sheet runs.
    void AddPage(CPropertyPage* page) { pages_.push_back(page); }
    // Shows the sheet with no owner, on page 0. 1 after OK, 2 after Cancel or close, 0 when it
    // could not be shown.
    int DoModal();

    // Called by a page when the sheet's OK applies it.
    void NoteClosedWithOk() { closedWithOk_ = true; }

private:
    std::string caption_;
    std::vector<CPropertyPage*> pages_;
    bool closedWithOk_ = false;
};
