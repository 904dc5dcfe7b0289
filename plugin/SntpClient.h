#pragma once

#include "../common/pure/Settings.h"

#include <windows.h>

// The clock-adjustment thread: one exchange with the request it is given (see
// StartSntpAdjustClock), which it frees; its outcome is stored under the settings key's Status.
// Exit code 0 clock set, 1 no socket, -1 otherwise.
DWORD WINAPI SntpAdjustClock(LPVOID request);
// Starts SntpAdjustClock on a detached thread with its own copy of SNTPServer, TimeOut and Accuracy, so a
// settings reload cannot pull the name from under it. Nothing waits for the thread.
void StartSntpAdjustClock(const Settings& settings);
