#pragma once
// Page 3: clock adjustment by SNTP.

#include "PropertyPage.h"

#include "../common/pure/Settings.h"

#include <cstdint>
#include "../common/pure/TextBuffer.h"

class AdjustNow;

class CSNTPPage : public CPropertyPage {
public:
    CSNTPPage();
    ~CSNTPPage() override;
    Settings* settings = nullptr;  // lent by the sheet

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnApply(DWORD* error) override;
    bool OnCommand(int id, int code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MasterClicked();
    void ApplyEnabling();
    // The status line: the stored outcome of the last exchange.
    void ShowStoredOutcome();
    void AdjustNowClicked();
    void AdjustNowEnded();
    void LetGoOfRun();

    int useSntp_ = 0;
    uint32_t accuracy_ = 0;
    TextBuffer server_;
    uint32_t timeOut_ = 0;
    int runServer_ = 0;
    AdjustNow* run_ = nullptr;  // the button's exchange while it runs
};
