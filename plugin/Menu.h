#pragma once

#include "ScheduleView.h"
#include "host/HostApi.h"
#include "../contract/Quillpost.h"

#include <windows.h>

// Adds the schedule item, the status item (and a separator) before the host's connection item of the folder
// window's submenu, each time under a command of its own, and remembers it with the window.
// onSchedule: the schedule item's command; shown: what its caption shows.
void InsertScheduleMenuItem(HWND window, HMENU menu, HostCallback onSchedule, const ScheduleView& shown);
// Rewrites the caption of the schedule item of every folder window from the schedule's mode, its
// next event and ShortCut.
void UpdateScheduleMenuItems(const ScheduleView& shown);
// Formats the caption for the schedule shown into buffer (128 bytes).
void FormatScheduleCaption(char* buffer, const ScheduleView& shown);
// Writes what the status window shows of the schedule (common/ScheduleStatus.h) when it differs
// from what was written last.
void PublishScheduleState(const ScheduleView& shown);

// Submenu 3 of the window's menu bar, or none.
HMENU PluginSubmenu(HWND window);
