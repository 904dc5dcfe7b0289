#pragma once
// What every part of the plug-in shares, touched only on the host's user-interface thread: its
// module, its settings and the host's windows it has been told of. The schedule's state is kept
// by Scheduler.cpp and DailyConnection.cpp, the main window a run moved by HostWindows.cpp.

#include "../common/Settings.h"
#include "WindowList.h"

#include <windows.h>

extern HINSTANCE PluginModule;
extern Settings PlugSettings;
extern WindowList FolderWindows;
extern WindowList SendWindows;

// The first folder window the host reported, or none while there is no folder window.
HWND MainWindow();
