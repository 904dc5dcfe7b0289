#include "DateLine.h"

#include "CivilTime.h"

#include <cstdio>

int32_t MoveReservation(int32_t time, int r, int32_t preSec, int32_t postSec)
{
    int64_t span = static_cast<int64_t>(preSec) + postSec;
    if (span == 0)
        return time;
    int64_t moved = static_cast<int64_t>(time) + r % span - preSec;
    if (moved > INT32_MAX)
        return INT32_MAX;
    if (moved < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(moved);
}

long UtcOffsetSeconds(const std::tm& local, int32_t time)
{
    int64_t asUtc = DaysFromCivil(static_cast<int64_t>(local.tm_year) + 1900, static_cast<int64_t>(local.tm_mon) + 1,
                                  local.tm_mday) * 86400 +
                    static_cast<int64_t>(local.tm_hour) * 3600 + local.tm_min * 60 + local.tm_sec;
    return static_cast<long>(asUtc - time);
}

bool FormatDateLine(const std::tm& local, long offsetSeconds, char* out, size_t size)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 || local.tm_mon > 11)
        return false;
    // Local offsets stay well within a day; anything else is not a zone.
    if (offsetSeconds <= -86400 || offsetSeconds >= 86400)
        return false;
    long magnitude = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    int written = std::snprintf(out, size, "Date: %s, %02d %s %04d %02d:%02d:%02d %s%02ld%02ld", days[local.tm_wday],
                                local.tm_mday, months[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min,
                                local.tm_sec, offsetSeconds >= 0 ? "+" : "-", magnitude / 3600,
                                magnitude % 3600 / 60);
    return written > 0 && static_cast<size_t>(written) < size;
}
