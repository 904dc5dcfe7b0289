#pragma once
// Calendar arithmetic on the proleptic Gregorian calendar, with no time zone: date and time
// fields to a count of seconds and back, normalising fields out of range the way a user's
// entry is read (31 April is 1 May, minute 75 is the next hour's minute 15). No platform code.

#include <cstdint>

struct CivilFields {
    int64_t year;
    int month;  // 1 to 12
    int day;    // 1 to 31
    int hour;
    int minute;
    int second;
    int weekday;  // 0 Sunday to 6 Saturday
};

// Days from 1970-01-01 to a date (month 1 to 12, day 1 to 31).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);

// Seconds from 1970-01-01 00:00:00 to the fields, each of which may lie out of its range
// (month 0 is December of the year before, day 0 the last day of the month before).
int64_t SecondsFromFields(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second);

// The fields of a count of seconds from 1970-01-01 00:00:00, every one in its range.
CivilFields FieldsFromSeconds(int64_t seconds);
