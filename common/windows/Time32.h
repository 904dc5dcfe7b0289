#pragma once
// Calendar time as a signed 32-bit count of seconds since 1970 (reservation times, the outbox scan's reference time).
// The present moment comes from kernel32's clock (which a host may substitute), and local times
// from the system's current zone, never from the C library, which keeps the zone it read at its
// start.

#include <windows.h>

#include <cstdint>

// The present moment as calendar time (from GetSystemTimeAsFileTime).
int32_t CurrentTime32();
// The present minute (its second 0) as calendar time. Read from the system's clock, not from
// local fields, which in the hour a clock change repeats stand for two moments.
int32_t CurrentMinute32();
// One reading of kernel32's clock: the moment as calendar time and its local date and time
// (milliseconds included) by the system's zone, both from the same reading.
struct ClockReading {
    int32_t time;
    SYSTEMTIME local;
    uint64_t steps;  // the same moment in 100 ns steps since 1601, a file stamp's units
};
ClockReading ReadClock();
// The minute of a calendar time (its second 0).
int32_t MinuteStart(int32_t time);
// Local date and time fields to calendar time. Fields out of range are normalised first (31 April
// is 1 May, minute 75 the next hour's minute 15); whether daylight saving applies is decided by
// the system's zone for that date itself. A time the spring change-over skips is the moment an
// unchanged clock would have shown it (02:30 is 03:30 summer time), never one before the clock
// passed it. -1 when the moment lies outside 0 to INT32_MAX.
int32_t LocalFieldsToTime32(int year, int month, int day, int hour, int minute, int second);
// The local date and time of a calendar time by the system's zone, daylight saving as it applies
// on that date; false for a negative time.
bool Time32ToLocalFields(int32_t time, SYSTEMTIME* local);
