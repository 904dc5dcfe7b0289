#include "Time32.h"

#include "CivilTime.h"

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

uint64_t CurrentSystemSteps()
{
    FILETIME file;
    GetSystemTimeAsFileTime(&file);
    return static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime;
}

int32_t CurrentTime32()
{
    // 100-ns units since 1601 to seconds since 1970.
    return static_cast<int32_t>(static_cast<int64_t>(CurrentSystemSteps() / 10000000ULL) - 11644473600LL);
}

int32_t CurrentMinute32()
{
    int32_t now = CurrentTime32();
    int32_t second = now % 60;
    return now - (second < 0 ? second + 60 : second);
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
