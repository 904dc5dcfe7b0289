#include "Time32.h"

#include "../pure/CivilTime.h"

namespace {

// The range SYSTEMTIME and the zone functions accept.
constexpr int64_t FirstSystemYear = 1601;
constexpr int64_t LastSystemYear = 30827;

bool ToSystemTime(int64_t seconds, SYSTEMTIME* out)
{
    CivilFields fields = FieldsFromSeconds(seconds);
    if (fields.year < FirstSystemYear || fields.year > LastSystemYear)
        return false;
    *out = SYSTEMTIME{};
    out->wYear = static_cast<WORD>(fields.year);
    out->wMonth = static_cast<WORD>(fields.month);
    out->wDayOfWeek = static_cast<WORD>(fields.weekday);
    out->wDay = static_cast<WORD>(fields.day);
    out->wHour = static_cast<WORD>(fields.hour);
    out->wMinute = static_cast<WORD>(fields.minute);
    out->wSecond = static_cast<WORD>(fields.second);
    return true;
}

}  // namespace

namespace {

int32_t Time32Of(const FILETIME& file)
{
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    // 100-ns units since 1601 to seconds since 1970.
    return static_cast<int32_t>(static_cast<int64_t>(value.QuadPart / 10000000ULL) - 11644473600LL);
}

}  // namespace

int32_t CurrentTime32()
{
    FILETIME file;
    GetSystemTimeAsFileTime(&file);
    return Time32Of(file);
}

int32_t MinuteStart(int32_t time)
{
    int32_t second = time % 60;
    return time - (second < 0 ? second + 60 : second);
}

int32_t CurrentMinute32()
{
    return MinuteStart(CurrentTime32());
}

ClockReading ReadClock()
{
    FILETIME file;
    GetSystemTimeAsFileTime(&file);
    ClockReading reading{Time32Of(file), SYSTEMTIME{},
                         static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime};
    // GetLocalTime's fields, from this reading rather than a second one.
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&file, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &reading.local))
        GetLocalTime(&reading.local);
    return reading;
}

// The system's zone functions, not the C library's: the C library keeps the zone it read at its
// start, and under a TZ rule (as Wine passes it on) it applies change-over dates of its own.
int32_t LocalFieldsToTime32(int year, int month, int day, int hour, int minute, int second)
{
    int64_t wanted = SecondsFromFields(year, month, day, hour, minute, second);
    SYSTEMTIME local;
    SYSTEMTIME utc;
    if (!ToSystemTime(wanted, &local) || !TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        return -1;
    int64_t time = SecondsFromFields(utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
    // A time in the hour the clock skips in spring does not exist; the zone functions read it with
    // the summer offset, a moment the clock shows an hour earlier. Moved on by what it fell short,
    // a reservation never goes out before the clock has passed the time entered.
    SYSTEMTIME shown;
    if (ToSystemTime(time, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &shown)) {
        int64_t shownSeconds =
            SecondsFromFields(shown.wYear, shown.wMonth, shown.wDay, shown.wHour, shown.wMinute, shown.wSecond);
        if (shownSeconds < wanted)
            time += wanted - shownSeconds;
    }
    return time < 0 || time > INT32_MAX ? -1 : static_cast<int32_t>(time);
}

bool Time32ToLocalFields(int32_t time, SYSTEMTIME* local)
{
    SYSTEMTIME utc;
    return time >= 0 && ToSystemTime(time, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, local);
}
