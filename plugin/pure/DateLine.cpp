#include "DateLine.h"

#include <cstdio>

uint32_t DateShiftSeconds(int32_t stored)
{
    uint32_t seconds = static_cast<uint32_t>(stored);
    return seconds < MaxDateShiftSeconds ? seconds : MaxDateShiftSeconds;
}

// splitmix64: every seed gives a full-period sequence of well-mixed 64-bit values.
uint64_t DateDraw::Next()
{
    state_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

uint32_t DateDraw::UpTo(uint32_t span)
{
    if (span == UINT32_MAX)
        return static_cast<uint32_t>(Next() >> 32);
    // Values from the incomplete last round of span + 1 are drawn again, so every result is
    // equally likely.
    const uint64_t count = static_cast<uint64_t>(span) + 1;
    const uint64_t limit = (1ULL << 32) - (1ULL << 32) % count;
    uint64_t value;
    do
        value = Next() >> 32;
    while (value >= limit);
    return static_cast<uint32_t>(value % count);
}

int32_t MoveReservation(int32_t time, uint32_t offset, uint32_t preSec)
{
    int64_t moved = static_cast<int64_t>(time) - preSec + offset;
    if (moved > INT32_MAX)
        return INT32_MAX;
    if (moved < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(moved);
}

long UtcOffsetSeconds(const CivilFields& local, int32_t time)
{
    return static_cast<long>(
        SecondsFromFields(local.year, local.month, local.day, local.hour, local.minute, local.second) - time);
}

bool FormatDateLine(const CivilFields& local, long offsetSeconds, char* out, size_t size)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (local.weekday < 0 || local.weekday > 6 || local.month < 1 || local.month > 12 || local.year < 0 ||
        local.year > 9999)
        return false;
    // Local offsets stay well within a day; anything else is not a zone.
    if (offsetSeconds <= -86400 || offsetSeconds >= 86400)
        return false;
    long magnitude = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    int written = std::snprintf(out, size, "Date: %s, %02d %s %04d %02d:%02d:%02d %s%02ld%02ld", days[local.weekday],
                                local.day, months[local.month - 1], static_cast<int>(local.year), local.hour,
                                local.minute, local.second, offsetSeconds >= 0 ? "+" : "-", magnitude / 3600,
                                magnitude % 3600 / 60);
    return written > 0 && static_cast<size_t>(written) < size;
}
