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

private:
    CSchedulePage schedule_;
    CChronelPage general_;
    CReservePage reserve_;
    CSNTPPage sntp_;
};
