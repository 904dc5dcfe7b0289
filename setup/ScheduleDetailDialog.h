#pragma once
// The modal dialog that adds or edits one schedule entry (template 304).

#include "Dialog.h"

#include <cstdint>

class CScheduleDetailDialog : public CDialog {
public:
    CScheduleDetailDialog();

    int32_t Hour = 0;    // 0 to 23 once OK is accepted
    int32_t Minute = 0;  // 0 to 59 once OK is accepted
    int Around = 0;
    int SNTP = 0;
    int EveryDay = 0;
    int WeekdayTicks[7] = {1, 1, 1, 1, 1, 1, 1};  // check boxes 1060 to 1066, Monday first
    int AddMode = 1;                              // 0: edit mode, set before showing
    int DayFlags[7] = {};                         // Sunday first; filled when OK is accepted

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code) override;

private:
    void ApplyEnabling();
};
