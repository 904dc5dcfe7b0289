#pragma once
// The daily connect and disconnect at the set times: started by the first tick that may start them
// once their minute has come, carried to completion by two host callbacks, and the scheduled
// connection they bracket, which holds the schedule's runs back while its disconnect is still to
// come.

#include "LogLines.h"

#include <windows.h>

#include <cstdint>

// Registers ConnectStep and DisconnectStep with the host, for the commands that carry a scheduled
// connect or disconnect on.
void RegisterConnectionSteps();
// Host callbacks that carry a scheduled connect or disconnect to completion. Outside the work
// StartConnectionWork and EndConnectionWork bracket they do nothing.
int __stdcall ConnectStep(HWND window, LPARAM value);
int __stdcall DisconnectStep(HWND window, LPARAM value);

// Posts the steps that asked on an earlier tick to be carried on.
void PostWantedSteps();
// At clean-up: the connect or disconnect under way ends with the plug-in's work, so that a later
// start-up polls nothing for it (each poll answers the host's dialogs) and holds no run back for
// it. The minutes they started in stay, so a start-up in that minute does not command them again.
void EndConnectionWork();
// When the scheduler takes the host's timer, the local minute (LocalMinute) of the present: a set
// time of this minute or before came before the plug-in's work began and is not made.
void StartConnectionWork(int64_t minute);

// What the tick's minute is to the daily connection.
enum class DailyMinute {
    Other,               // neither set time: the tick goes on
    Connect,             // the connect's minute, or a connect started late: nothing else starts
    Disconnect,          // the disconnect's minute: nothing else starts
    DisconnectStarted,   // the disconnect started on this tick
};
// The tick's part, on every tick. A set time is due from its minute on: a connect for
// ConnectLateMinutes, a disconnect in its minute and after it for as long as a scheduled
// connection is there to end; whichever of the two came later has the say. The first tick that
// may start a due time (mayStart) starts it, once; on the others, why says what holds it back,
// and a time whose chance passes is logged with the last such reason. minute: the local minute of
// the tick (LocalMinute).
DailyMinute TickDailyConnection(int64_t minute, bool mayStart, PassOverReason why);
constexpr int64_t ConnectLateMinutes = 10;
// True while a scheduled connection holds the schedule's runs back: a connect was started and a
// set daily disconnect will end it. Once the host is found offline after the connect came up (the
// user or the line ended it), the connection is over.
bool ConnectionHoldsRuns();

// Scheduled work started by the tick; lateFor: the minute it was set for when it starts late,
// else -1.
void StartScheduledConnect(int64_t lateFor);
void StartScheduledDisconnect(int64_t lateFor);
