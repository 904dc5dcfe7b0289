#pragma once

#include "host/HostUi.h"

#include <windows.h>

// Adds the schedule item (and a separator) before the host's connection item of the folder
// window's submenu, each time under a command of its own, and remembers it with the window.
void InsertScheduleMenuItem(HWND window, HMENU menu);
// Rewrites the caption of the schedule item of every folder window from the schedule's mode, its
// next event and ShortCut.
void UpdateScheduleMenuItems();
// Formats the caption for the present state into buffer (128 bytes).
void FormatScheduleCaption(char* buffer);
int __stdcall OnScheduleMenu(HWND window, LPARAM value);

// Submenu 3 of the window's menu bar, or none.
HMENU PluginSubmenu(HWND window);
