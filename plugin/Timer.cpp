#include "Timer.h"

#include "Globals.h"

int __stdcall OnTimer(int, int)
{
    return 1;
}

int __stdcall ConnectStep(HWND, LPARAM)
{
    return 0;
}

int __stdcall DisconnectStep(HWND, LPARAM)
{
    return 0;
}

int FolderEndRetrieve()
{
    if (ScheduleMode != Running)
        return ScheduleMode;
    ScheduleMode = Armed;
    return ScheduleMode;
}
