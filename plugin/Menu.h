#pragma once

#include <windows.h>

// The host's menu commands and window-level interface that the plug-in relies on.
enum HostCommands {
    HostCmdReceive = 32786,
    HostCmdDistribute = 32825,
    HostCmdToTray = 32828,
    HostCmdConnection = 32835,
    HostCmdPatrolReceive = 32859,
};
constexpr int PluginSubmenuPosition = 3;  // the fourth top-level menu of a folder window
constexpr UINT TrayIconMessage = WM_USER + 223;

// Adds the schedule item (and a separator) before the host's connection item of the folder
// window's submenu, each time under a command of its own, and remembers it with the window.
void InsertScheduleMenuItem(HWND window, HMENU menu);
// Rewrites the caption of the schedule item of every folder window from ScheduleMode, NextEvent
// and ShortCut.
void UpdateScheduleMenuItems();
// Formats the caption for the present state into buffer (128 bytes).
void FormatScheduleCaption(char* buffer);
int __stdcall OnScheduleMenu(HWND window, LPARAM value);

// Submenu 3 of the window's menu bar, or none.
HMENU PluginSubmenu(HWND window);
