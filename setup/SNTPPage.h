#pragma once
// Page 3: clock adjustment by SNTP.

#include "PropertyPage.h"

#include "common/Settings.h"

#include <cstdint>
#include "common/TextBuffer.h"

class CSNTPPage : public CPropertyPage {
public:
    CSNTPPage();
    Settings* settings = nullptr;  // lent by the sheet

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnApply(DWORD* error) override;
    bool OnCommand(int id, int code) override;

private:
    void MasterClicked();
    void ApplyEnabling();

    int useSntp_ = 0;
    uint32_t accuracy_ = 0;
    TextBuffer server_;
    uint32_t timeOut_ = 0;
    int runServer_ = 0;
};
