#pragma once
// The schedule's state machine: the host timer's tick, the schedule's mode, its next event, the
// receive run it starts and the run's end. The daily connect and disconnect the tick starts are
// DailyConnection's.

#include "ScheduleView.h"

#include <windows.h>

// The schedule's modes. The values are what APCFolderEndRetrieve hands the host.
enum class ScheduleModes : int { Stopped = 0, Armed = 1, Running = 2 };

// The host timer's callback, every 500 milliseconds on the user-interface thread. 0 on the tick
// that starts the scheduled disconnect, 1 on every other tick. Does nothing while no timer is held.
int __stdcall OnTimer(int, int);
// The local clock's present minute (LocalMinute). Read by the host's calls into the plug-in (the
// tick, start-up, a menu command, settings taken) and handed down: nothing below them reads the
// clock.
int64_t PresentMinute();

// Asks the host for the timer of OnTimer, ending first the one held from an earlier start-up: the
// plug-in never holds two, and clean-up ends the one it holds. present: the start-up's minute.
void StartTimer(int64_t present);
// Ends the timer held, with the host's result; 0 when none is held.
int StopTimer();
// The end of a host mail retrieval (APCFolderEndRetrieve): the mode the schedule is in after it.
ScheduleModes FolderEndRetrieve();

// The schedule at start-up: armed with the next event after the present minute, or stopped.
void StartSchedule(bool armed, int64_t present);
// Stopped; a run in progress ends without arming it again.
void StopSchedule();
// The schedule menu item's command (host callback): stops an armed schedule, or arms a stopped one
// (during a run a release started while it was stopped, it is armed once the run ends); the log
// and every caption follow.
int __stdcall OnScheduleMenu(HWND window, LPARAM value);
// The schedule as the menu, the status window and the log show it.
ScheduleView ViewSchedule();
// Finds the next event after the present minute (LocalMinute), passing over moments that have
// run.
void FindNextEvent(int64_t present);

// The receive run the tick starts: when the next event is due, or a release asks to send at once.
// present: the tick's minute.
void StartScheduledRun(int64_t present);
