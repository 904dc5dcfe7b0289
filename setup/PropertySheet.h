#pragma once
// A modal property sheet over comctl32 with pages of our own.

#include "PropertyPage.h"

#include "../common/pure/TextBuffer.h"

class CPropertySheet {
public:
    explicit CPropertySheet(const char* caption) : caption_(caption) {}
    virtual ~CPropertySheet() = default;
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Pages in tab order, up to MaxPages; the caller keeps them alive while the sheet runs.
    void AddPage(CPropertyPage* page)
    {
        if (pageCount_ < MaxPages)
            pages_[pageCount_++] = page;
    }
    // Shows the sheet with no owner, on page 0. 1 after OK, and after Cancel or close once an
    // Apply has saved a page; 2 after Cancel or close with nothing saved; 0 when it could not be
    // shown. The caller reloads the settings on 1.
    int DoModal();

    // Called by a page when the sheet's OK applies it.
    void NoteClosedWithOk() { closedWithOk_ = true; }
    // Called by a page that has saved its share of the settings.
    void NoteSaved()
    {
        saved_ = true;
        OnSaved();
    }
    // Called by a page whose apply step failed: the sheet stays open, whatever the pages before it
    // noted.
    void NoteApplyFailed() { closedWithOk_ = false; }

protected:
    // After each page's save, while the sheet stays open or closes.
    virtual void OnSaved() {}

private:
    static const int MaxPages = 8;
    TextBuffer caption_;
    CPropertyPage* pages_[MaxPages] = {};
    int pageCount_ = 0;
    bool closedWithOk_ = false;
    bool saved_ = false;
};
