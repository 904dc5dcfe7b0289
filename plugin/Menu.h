#pragma once

#include "ScheduleView.h"
#include "WindowList.h"
#include "host/HostApi.h"
#include "../contract/Quillpost.h"

#include <windows.h>

// The schedule items of the folder windows and what the status window shows of the schedule
// (common/ScheduleStatus.h), which is written only when it differs from what was written last.
class ScheduleMenus {
public:
    // Adds the schedule item, the status item (and a separator) before the host's connection item
    // of the folder window's submenu, each time under a command of its own, and remembers it with
    // the window's record in folders. onSchedule: the schedule item's command; shown: what its
    // caption shows, with the settings' ShortCut.
    void Insert(WindowList& folders, HWND window, HMENU menu, HostCallback onSchedule, const ScheduleView& shown,
                char shortCut);
    // Rewrites the caption of the schedule item of every folder window from the schedule shown.
    void Update(const WindowList& folders, const ScheduleView& shown, char shortCut);
    // Writes what the status window shows of the schedule when it changed.
    void Publish(const ScheduleView& shown);

private:
    DWORD published_[3] = {~0u, ~0u, ~0u};  // nothing written yet
};
// Formats the caption for the schedule shown into buffer (128 bytes).
void FormatScheduleCaption(char* buffer, const ScheduleView& shown, char shortCut);

// Submenu 3 of the window's menu bar, or none.
HMENU PluginSubmenu(HWND window);
