#pragma once

#include <windows.h>

// The host timer's callback, every 500 milliseconds on the user-interface thread. 0 on the tick
// that starts the scheduled disconnect, 1 on every other tick. Does nothing while no timer is held.
int __stdcall OnTimer(int, int);
// Asks the host for the timer of OnTimer, ending first the one held from an earlier start-up: the
// plug-in never holds two, and clean-up ends the one it holds.
void StartTimer();
// Ends the timer held, with the host's result; 0 when none is held.
int StopTimer();
// Host callbacks that carry a scheduled connect or disconnect to completion.
int __stdcall ConnectStep(HWND window, LPARAM value);
int __stdcall DisconnectStep(HWND window, LPARAM value);
// The end of a host mail retrieval (APCFolderEndRetrieve).
int FolderEndRetrieve();

// Scheduled work started by the tick.
void StartScheduledRun();
void StartScheduledConnect();
void StartScheduledDisconnect();
