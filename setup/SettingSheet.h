#pragma once
// The settings sheet: four pages over one Settings record.

#include "ChronelPage.h"
#include "PropertySheet.h"
#include "ReservePage.h"
#include "SNTPPage.h"
#include "SchedulePage.h"

class CSettingSheet : public CPropertySheet {
public:
    explicit CSettingSheet(const char* caption);
    // Lends the record to every page; set before DoModal.
    void SetSettings(Settings* settings);

protected:
    // Tells the plug-in that opened the editor, so that it runs what was saved at once.
    void OnSaved() override;

private:
    CSchedulePage schedule_;
    CChronelPage general_;
    CReservePage reserve_;
    CSNTPPage sntp_;
};
