#include "SettingSheet.h"

#include "../common/pure/SettingsSaved.h"

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

void CSettingSheet::OnSaved()
{
    // The plug-in's window on this thread; none when the editor runs without it.
    const DWORD thread = GetCurrentThreadId();
    for (HWND window = nullptr;
         (window = FindWindowExA(HWND_MESSAGE, window, WC_DIALOG, SETTINGS_SAVED_TITLE)) != nullptr;) {
        if (GetWindowThreadProcessId(window, nullptr) == thread)
            PostMessageA(window, SETTINGS_SAVED_MESSAGE, 0, 0);
    }
}
