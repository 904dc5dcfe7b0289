#pragma once
// The schedule's state machine: the host timer's tick, the schedule's mode, its next event, the
// receive run it starts and the run's end. The daily connect and disconnect the tick starts are
// DailyConnection's.

#include "../common/Schedule.h"

#include <windows.h>

// The schedule's modes. The values are what APCFolderEndRetrieve hands the host.
enum class ScheduleModes : int { Stopped = 0, Armed = 1, Running = 2 };

// The host timer's callback, every 500 milliseconds on the user-interface thread. 0 on the tick
// that starts the scheduled disconnect, 1 on every other tick. Does nothing while no timer is held.
int __stdcall OnTimer(int, int);
// Asks the host for the timer of OnTimer, ending first the one held from an earlier start-up: the
// plug-in never holds two, and clean-up ends the one it holds.
void StartTimer();
// Ends the timer held, with the host's result; 0 when none is held.
int StopTimer();
// True between start-up and clean-up, while the timer is held.
bool IsTimerHeld();
// The end of a host mail retrieval (APCFolderEndRetrieve): the mode the schedule is in after it.
ScheduleModes FolderEndRetrieve();

// The schedule at start-up: armed with the next event after the present, or stopped.
void StartSchedule(bool armed);
// Stopped; a run in progress ends without arming it again.
void StopSchedule();
// The schedule menu item's command: stops an armed schedule, or arms a stopped one (during a run
// a release started while it was stopped, it is armed once the run ends).
void ToggleSchedule();
// True when the schedule is stopped, or runs a release's run that leaves it stopped: the menu
// item then offers to start it.
bool ScheduleOffersStart();
// How many entries' minutes came while the schedule was stopped, since the last call.
int TakePassedWhileStopped();
// The pending event (hour and minute -1 when the schedule has no entry the clock can show), and
// its weekday (-1 for none).
const ScheduleEntry& NextScheduledEvent();
int NextScheduledEventDay();
// The pending event's local minute (PendingEvent), negative for none.
int64_t NextScheduledMoment();
// Finds the next event after the local clock's present minute, passing over moments that have
// run.
void FindNextEventNow();

// The receive run the tick starts: when the next event is due, or a release asks to send at once.
void StartScheduledRun();
