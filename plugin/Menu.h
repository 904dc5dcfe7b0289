#pragma once

#include "host/HostUi.h"

#include <windows.h>

// Adds the schedule item (and a separator) before the host's connection item of the submenu.
void InsertScheduleMenuItem(HMENU menu);
// Rewrites the schedule item's caption from ScheduleMode, NextEvent and ShortCut.
void UpdateScheduleMenuItem(HMENU submenu);
// Formats the caption for the present state into buffer (128 bytes).
void FormatScheduleCaption(char* buffer);
int __stdcall OnScheduleMenu(HWND window, LPARAM value);

// Submenu 3 of the window's menu bar, or none.
HMENU PluginSubmenu(HWND window);
