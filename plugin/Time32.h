#pragma once
// Calendar time as a signed 32-bit count of seconds since 1970 (reservation times, ReferenceTime).
// The present moment comes from kernel32's clock (which a host may substitute), never from the
// C library's clock functions; the C library only converts.

#include <windows.h>

#include <cstdint>
#include <ctime>

// The present moment as calendar time (from GetSystemTimeAsFileTime).
int32_t CurrentTime32();
// Local date and time fields to calendar time by the C library's local-time conversion, with the
// daylight-saving flag of the present moment as its base (fields out of range are normalised).
// -1 when the conversion fails.
int32_t LocalFieldsToTime32(int year, int month, int day, int hour, int minute, int second);
// Local broken-down time of a calendar time; false when it cannot be converted (before 1970).
bool LocalTime32(int32_t time, std::tm* out);
