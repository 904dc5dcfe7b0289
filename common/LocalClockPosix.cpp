#include "LocalClock.h"

#include <ctime>

void LocalClockHourMinute(int* hour, int* minute)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    *hour = local.tm_hour;
    *minute = local.tm_min;
}
