#pragma once

#include "host/HostUi.h"

#include <windows.h>

// Adds the schedule item, the status item (and a separator) before the host's connection item of the folder
// window's submenu, each time under a command of its own, and remembers it with the window.
void InsertScheduleMenuItem(HWND window, HMENU menu);
// Rewrites the caption of the schedule item of every folder window from the schedule's mode, its
// next event and ShortCut.
void UpdateScheduleMenuItems();
// Formats the caption for the present state into buffer (128 bytes).
void FormatScheduleCaption(char* buffer);
int __stdcall OnScheduleMenu(HWND window, LPARAM value);
// The status item's command: the status window of the settings editor.
int __stdcall OnStatusMenu(HWND window, LPARAM value);
// Writes what the status window shows of the schedule (common/ScheduleStatus.h) when it differs
// from what was written last.
void PublishScheduleState();

// Submenu 3 of the window's menu bar, or none.
HMENU PluginSubmenu(HWND window);
