#pragma once
// The daily connect and disconnect at the set times: started by the tick in their minute, carried
// to completion by two host callbacks, and the scheduled connection they bracket, which holds the
// schedule's runs back while its disconnect is still to come.

#include <windows.h>

#include <cstdint>

// Registers ConnectStep and DisconnectStep with the host, for the commands that carry a scheduled
// connect or disconnect on.
void RegisterConnectionSteps();
// Host callbacks that carry a scheduled connect or disconnect to completion.
int __stdcall ConnectStep(HWND window, LPARAM value);
int __stdcall DisconnectStep(HWND window, LPARAM value);

// Posts the steps that asked on an earlier tick to be carried on.
void PostWantedSteps();
// At clean-up: the connect or disconnect under way ends with the plug-in's work, so that a later
// start-up polls nothing for it (each poll answers the host's dialogs) and holds no run back for
// it. The minutes they started in stay, so a start-up in that minute does not command them again.
void EndConnectionWork();

// What the tick's minute is to the daily connection.
enum class DailyMinute {
    Other,               // neither set time: the tick goes on
    Connect,             // the connect's minute: nothing else starts
    Disconnect,          // the disconnect's minute: nothing else starts
    DisconnectStarted,   // the disconnect started on this tick
};
// The tick's part: in the minute of a set connect or disconnect, starts it at second 0, once in
// that minute. minute: the local minute of now (LocalMinute).
DailyMinute TickDailyConnection(const SYSTEMTIME& now, int64_t minute);
// True while a scheduled connection holds the schedule's runs back: a connect was started and a
// set daily disconnect will end it. Once the host is found offline after the connect came up (the
// user or the line ended it), the connection is over.
bool ConnectionHoldsRuns();

// Scheduled work started by the tick.
void StartScheduledConnect();
void StartScheduledDisconnect();
