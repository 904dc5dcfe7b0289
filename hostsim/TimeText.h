#pragma once
// Moments as the scenario files and the host's event log write them, "YYYY-MM-DD hh:mm:ss.f", and
// as SYSTEMTIME fields: for the simulated host, and for the tests that write its scenarios and read
// its log. No zone is applied anywhere here.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

// A SYSTEMTIME of the fields (the day of the week left 0).
inline SYSTEMTIME SystemTimeOf(int year, int month, int day, int hour, int minute, int second = 0,
                               int millisecond = 0)
{
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    time.wMilliseconds = static_cast<WORD>(millisecond);
    return time;
}

// Milliseconds since 1601 of the fields as they stand; 0 for fields the calendar does not have.
inline int64_t MillisecondsOf(const SYSTEMTIME& time)
{
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file))
        return 0;
    return static_cast<int64_t>((static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime) / 10000);
}

// A date "YYYY-MM-DD" and a time "hh:mm", "hh:mm:ss" or "hh:mm:ss.f" (one or more digits of a
// second; the first three count). What follows the time (a "Z" that names UTC) is the caller's.
// False when the text is not such a date and time, or names one the calendar does not have.
inline bool ParseDateAndTime(const char* date, const char* time, SYSTEMTIME* out)
{
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char fraction[8] = "";
    if (std::sscanf(date, "%u-%u-%u", &year, &month, &day) != 3)
        return false;
    if (std::sscanf(time, "%u:%u:%u.%7[0-9]", &hour, &minute, &second, fraction) < 2)
        return false;
    size_t digits = std::strlen(fraction);
    int millisecond = 0;
    for (size_t digit = 0; digit < 3; ++digit)
        millisecond = millisecond * 10 + (digit < digits ? fraction[digit] - '0' : 0);
    *out = SystemTimeOf(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                        static_cast<int>(hour), static_cast<int>(minute), static_cast<int>(second), millisecond);
    FILETIME check;
    return SystemTimeToFileTime(out, &check) != 0;
}
