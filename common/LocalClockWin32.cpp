#include "LocalClock.h"

#include <windows.h>

void LocalClockHourMinute(int* hour, int* minute)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    *hour = now.wHour;
    *minute = now.wMinute;
}
