#include "Menu.h"

#include "Globals.h"
#include "LogLines.h"
#include "host/HostApi.h"

// A run that a release started while the schedule was stopped leaves it stopped: the item still
// offers to start it.
static bool ScheduleStopped()
{
    return ScheduleMode == Stopped || (ScheduleMode == Running && ModeAfterRun == Stopped);
}

void FormatScheduleCaption(char* buffer)
{
    if (ScheduleStopped())
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ実行(&%c)", PlugSettings.ShortCut);
    else
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ停止 [%02d:%02d](&%c)", NextEvent.Hour, NextEvent.Minute,
                  PlugSettings.ShortCut);
}

void UpdateScheduleMenuItem(HMENU submenu)
{
    if (!submenu)
        return;
    char caption[128];
    FormatScheduleCaption(caption);
    ModifyMenuA(submenu, ScheduleMenuCommand, MF_BYCOMMAND | MF_STRING, ScheduleMenuCommand, caption);
}

HMENU PluginSubmenu(HWND window)
{
    if (!window)
        return nullptr;
    HMENU bar = GetMenu(window);
    return bar ? GetSubMenu(bar, PluginSubmenuPosition) : nullptr;
}

void InsertScheduleMenuItem(HMENU menu)
{
    HMENU submenu = menu ? GetSubMenu(menu, PluginSubmenuPosition) : nullptr;
    if (!submenu)
        return;
    ScheduleMenuCommand = Host.RegistCallback(OnScheduleMenu, reinterpret_cast<LPARAM>(submenu));
    InsertMenuA(submenu, HostCmdConnection, MF_BYCOMMAND | MF_STRING, ScheduleMenuCommand, "");
    InsertMenuA(submenu, HostCmdConnection, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    UpdateScheduleMenuItem(submenu);
}

int __stdcall OnScheduleMenu(HWND window, LPARAM)
{
    HMENU submenu = PluginSubmenu(window);
    if (ScheduleStopped()) {
        FindNextEventNow();
        // During such a run, the schedule is armed once the run ends.
        if (ScheduleMode == Running)
            ModeAfterRun = Armed;
        else
            ScheduleMode = Armed;
    } else {
        ScheduleMode = Stopped;
    }
    LogScheduleSwitched();
    UpdateScheduleMenuItem(submenu);
    return 0;
}
