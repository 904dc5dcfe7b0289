#include "Time32.h"

int32_t CurrentTime32()
{
    FILETIME file;
    GetSystemTimeAsFileTime(&file);
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    // 100-ns units since 1601 to seconds since 1970.
    return static_cast<int32_t>(static_cast<int64_t>(value.QuadPart / 10000000ULL) - 11644473600LL);
}

bool LocalTime32(int32_t time, std::tm* out)
{
    __time32_t value = time;
    std::tm* local = _localtime32(&value);
    if (!local)
        return false;
    *out = *local;
    return true;
}

int32_t LocalFieldsToTime32(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    if (!LocalTime32(CurrentTime32(), &fields))
        fields.tm_isdst = -1;
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return static_cast<int32_t>(_mktime32(&fields));
}
