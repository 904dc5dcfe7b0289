#include "Menu.h"

#include "../common/ScheduleStatus.h"
#include "../common/SettingsStore.h"
#include "Globals.h"
#include "SettingsEditor.h"

void FormatScheduleCaption(char* buffer, const ScheduleView& shown)
{
    if (shown.offersStart) {
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ実行(&%c)", PlugSettings.ShortCut);
    } else {
        const ScheduleEntry& next = shown.next;
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ停止 [%02d:%02d](&%c)", next.Hour, next.Minute, PlugSettings.ShortCut);
    }
}

static void SetScheduleCaption(HMENU submenu, int command, const char* caption)
{
    if (submenu && command)
        ModifyMenuA(submenu, static_cast<UINT>(command), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(command),
                    caption);
}

void PublishScheduleState(const ScheduleView& shown)
{
    static DWORD published[3] = {~0u, ~0u, ~0u};  // nothing written yet
    const bool running = !shown.offersStart;
    const int64_t moment = shown.nextMoment;
    DWORD state[3] = {running, running && moment >= 0 && moment < NoNextEvent ? static_cast<DWORD>(moment) : NoNextEvent,
                      running && shown.next.Around};
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

void UpdateScheduleMenuItems(const ScheduleView& shown)
{
    PublishScheduleState(shown);
    char caption[128];
    FormatScheduleCaption(caption, shown);
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

void InsertScheduleMenuItem(HWND window, HMENU menu, HostCallback onSchedule, const ScheduleView& shown)
{
    HMENU submenu = menu ? GetSubMenu(menu, PluginSubmenuPosition) : nullptr;
    if (!submenu)
        return;
    int command = Host.RegistCallback(onSchedule, reinterpret_cast<LPARAM>(submenu));
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
    FormatScheduleCaption(caption, shown);
    SetScheduleCaption(submenu, command, caption);
    PublishScheduleState(shown);
}
