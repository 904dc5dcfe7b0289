#include "Menu.h"

#include "../common/ScheduleStatus.h"
#include "../common/SettingsStore.h"
#include "Globals.h"
#include "LogLines.h"
#include "Scheduler.h"
#include "host/HostApi.h"

void FormatScheduleCaption(char* buffer)
{
    if (ScheduleOffersStart()) {
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ実行(&%c)", PlugSettings.ShortCut);
    } else {
        const ScheduleEntry& next = NextScheduledEvent();
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ停止 [%02d:%02d](&%c)", next.Hour, next.Minute, PlugSettings.ShortCut);
    }
}

static void SetScheduleCaption(HMENU submenu, int command, const char* caption)
{
    if (submenu && command)
        ModifyMenuA(submenu, static_cast<UINT>(command), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(command),
                    caption);
}

void PublishScheduleState()
{
    static DWORD published[3] = {~0u, ~0u, ~0u};  // nothing written yet
    const bool running = !ScheduleOffersStart();
    const int64_t moment = NextScheduledMoment();
    DWORD state[3] = {running, running && moment >= 0 && moment < NoNextEvent ? static_cast<DWORD>(moment) : NoNextEvent,
                      running && NextScheduledEvent().Around};
    if (state[0] == published[0] && state[1] == published[1] && state[2] == published[2])
        return;
    RegKey plug = OpenSettingsKey();
    RegKey status = CreateSubKey(plug.Get(), "Status");
    if (!status)
        return;
    const char* const names[3] = {ScheduleRunningValue, NextEventValue, NextAroundValue};
    for (int i = 0; i < 3; ++i) {
        RegSetValueExA(status.Get(), names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&state[i]), sizeof state[i]);
        published[i] = state[i];
    }
}

void UpdateScheduleMenuItems()
{
    PublishScheduleState();
    char caption[128];
    FormatScheduleCaption(caption);
    // FolderWindows holds only folder-window records.
    for (WindowRecord* record = FolderWindows.head; record; record = record->next) {
        auto* folder = static_cast<FolderWindowRecord*>(record);
        SetScheduleCaption(folder->scheduleSubmenu, folder->scheduleCommand, caption);
    }
}

HMENU PluginSubmenu(HWND window)
{
    if (!window)
        return nullptr;
    HMENU bar = GetMenu(window);
    return bar ? GetSubMenu(bar, PluginSubmenuPosition) : nullptr;
}

void InsertScheduleMenuItem(HWND window, HMENU menu)
{
    HMENU submenu = menu ? GetSubMenu(menu, PluginSubmenuPosition) : nullptr;
    if (!submenu)
        return;
    int command = Host.RegistCallback(OnScheduleMenu, reinterpret_cast<LPARAM>(submenu));
    InsertMenuA(submenu, HostCmdConnection, MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(command), "");
    // The status item follows the schedule item, whose place and command stay as they were.
    int status = Host.RegistCallback(OnStatusMenu, 0);
    InsertMenuA(submenu, HostCmdConnection, MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(status),
                "CHRONEL の状況...");
    InsertMenuA(submenu, HostCmdConnection, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    // Each folder window's item follows the schedule, not only the one inserted last.
    auto* folder = static_cast<FolderWindowRecord*>(FolderWindows.Find(window));
    if (folder) {
        folder->scheduleSubmenu = submenu;
        folder->scheduleCommand = command;
    }
    char caption[128];
    FormatScheduleCaption(caption);
    SetScheduleCaption(submenu, command, caption);
    PublishScheduleState();
}

int __stdcall OnScheduleMenu(HWND, LPARAM)
{
    ToggleSchedule();
    LogScheduleSwitched(TakePassedWhileStopped());
    UpdateScheduleMenuItems();
    return 0;
}
