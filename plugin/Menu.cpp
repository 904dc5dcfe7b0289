#include "Menu.h"

#include "../common/pure/ScheduleStatus.h"
#include "../common/windows/SettingsStore.h"
#include "SettingsEditor.h"

void FormatScheduleCaption(char* buffer, const ScheduleView& shown, char shortCut)
{
    if (shown.offersStart) {
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ実行(&%c)", shortCut);
    } else {
        const ScheduleEntry& next = shown.next;
        wsprintfA(buffer, "CHRONEL ｽｹｼﾞｭｰﾙ停止 [%02d:%02d](&%c)", next.Hour, next.Minute, shortCut);
    }
}

static void SetScheduleCaption(HMENU submenu, int command, const char* caption)
{
    if (submenu && command)
        ModifyMenuA(submenu, static_cast<UINT>(command), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(command),
                    caption);
}

void ScheduleMenus::Publish(const ScheduleView& shown)
{
    const bool running = !shown.offersStart;
    const int64_t moment = shown.nextMoment;
    DWORD state[3] = {running, running && moment >= 0 && moment < NoNextEvent ? static_cast<DWORD>(moment) : NoNextEvent,
                      running && shown.next.Around};
    if (state[0] == published_[0] && state[1] == published_[1] && state[2] == published_[2])
        return;
    RegKey plug = OpenSettingsKey();
    RegKey status = CreateSubKey(plug.Get(), "Status");
    if (!status)
        return;
    const char* const names[3] = {ScheduleRunningValue, NextEventValue, NextAroundValue};
    for (int i = 0; i < 3; ++i) {
        RegSetValueExA(status.Get(), names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&state[i]), sizeof state[i]);
        published_[i] = state[i];
    }
}

void ScheduleMenus::Update(const WindowList& folders, const ScheduleView& shown, char shortCut)
{
    Publish(shown);
    char caption[128];
    FormatScheduleCaption(caption, shown, shortCut);
    // The folder windows' list holds only folder-window records.
    for (WindowRecord* record = folders.head; record; record = record->next) {
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

void ScheduleMenus::Insert(WindowList& folders, HWND window, HMENU menu, HostCallback onSchedule,
                           const ScheduleView& shown, char shortCut)
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
    auto* folder = static_cast<FolderWindowRecord*>(folders.Find(window));
    if (folder) {
        folder->scheduleSubmenu = submenu;
        folder->scheduleCommand = command;
    }
    char caption[128];
    FormatScheduleCaption(caption, shown, shortCut);
    SetScheduleCaption(submenu, command, caption);
    Publish(shown);
}
