#include "SettingSheet.h"

CSettingSheet::CSettingSheet(const char* caption) : CPropertySheet(caption)
{
    AddPage(&schedule_);
    AddPage(&general_);
    AddPage(&reserve_);
    AddPage(&sntp_);
}

void CSettingSheet::SetSettings(Settings* settings)
{
    schedule_.settings = settings;
    general_.settings = settings;
    reserve_.settings = settings;
    sntp_.settings = settings;
}
