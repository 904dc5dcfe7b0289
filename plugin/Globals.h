#pragma once

#include "../common/Settings.h"
#include "host/WindowList.h"

#include <windows.h>

#include <cstdint>

enum ScheduleModes { Stopped = 0, Armed = 1, Running = 2 };
enum AnsweredDialogs { None = 0, ErrorDialog = 1, ReceiveDialog = 2, DisconnectDialog = 3 };

// Module-wide state, touched only on the host's user-interface thread.
extern HINSTANCE PluginModule;
extern Settings PlugSettings;
extern ScheduleEntry NextEvent;
extern int NextEventDay;  // weekday of NextEvent, -1 for none
extern int ScheduleMode;
extern int ModeAfterRun;  // Armed, or Stopped for a run a release started while the schedule was stopped
extern int AnsweredDialog;
extern int ScheduledConnection;
extern int ScheduledConnectionUp;  // the scheduled connect has found the host online
extern int SendNow;
extern int WasHidden;
extern int WasIconic;
extern WINDOWPLACEMENT SavedPlacement;
extern HWND MovedWindow;  // the window a run moved off the screen, until it is put back
extern int ConnectStepCommand;
extern int DisconnectStepCommand;
extern int TimerId;
extern int32_t ReferenceTime;
extern int ReserveHeaderLength;
extern WindowList FolderWindows;
extern WindowList SendWindows;

// The first folder window the host reported, or none while there is no folder window.
HWND MainWindow();

// Finds the next event after the local clock's present minute into NextEvent/NextEventDay, passing
// over moments that have run (Timer.cpp, which keeps the event's date).
void FindNextEventNow();
