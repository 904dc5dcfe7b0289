#include "CivilTime.h"

namespace {

// Division rounding towards minus infinity, and the remainder that goes with it.
int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

int64_t FloorMod(int64_t a, int64_t b)
{
    return a - FloorDiv(a, b) * b;
}

}  // namespace

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2;
    int64_t era = FloorDiv(year, 400);
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int64_t SecondsFromFields(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second)
{
    int64_t monthIndex = month - 1;
    int64_t days = DaysFromCivil(year + FloorDiv(monthIndex, 12), FloorMod(monthIndex, 12) + 1, 1) + day - 1;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

CivilFields FieldsFromSeconds(int64_t seconds)
{
    int64_t days = FloorDiv(seconds, 86400);
    int64_t inDay = seconds - days * 86400;
    CivilFields fields{};
    fields.hour = static_cast<int>(inDay / 3600);
    fields.minute = static_cast<int>(inDay % 3600 / 60);
    fields.second = static_cast<int>(inDay % 60);
    fields.weekday = static_cast<int>(FloorMod(days + 4, 7));  // 1970-01-01 was a Thursday
    // The inverse of DaysFromCivil: eras of 400 years from 0000-03-01.
    int64_t shifted = days + 719468;
    int64_t era = FloorDiv(shifted, 146097);
    int64_t dayOfEra = shifted - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    fields.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    fields.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    fields.year = yearOfEra + era * 400 + (fields.month <= 2);
    return fields;
}
