#pragma once

#include <windows.h>

// The host timer's callback, every 500 milliseconds on the user-interface thread. 0 on the tick
// that starts the scheduled disconnect, 1 on every other tick.
int __stdcall OnTimer(int, int);
// Host callbacks that carry a scheduled connect or disconnect to completion.
int __stdcall ConnectStep(HWND window, LPARAM value);
int __stdcall DisconnectStep(HWND window, LPARAM value);
// The end of a host mail retrieval (APCFolderEndRetrieve).
int FolderEndRetrieve();

// Scheduled work started by the tick.
void StartScheduledRun();
void StartScheduledConnect();
void StartScheduledDisconnect();
