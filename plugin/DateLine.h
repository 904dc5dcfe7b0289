#pragma once
// The "Date:" line a released message gets: the reservation moved by a random offset, shown in
// local time with the matching offset from UTC. No platform code.

#include <cstddef>
#include <cstdint>
#include <ctime>

// time + (r mod (preSec + postSec)) - preSec, or time itself when the sum is 0; the result is
// kept within the 32-bit range.
int32_t MoveReservation(int32_t time, int r, int32_t preSec, int32_t postSec);

// Seconds east of UTC of a local broken-down time that shows the calendar time `time`.
long UtcOffsetSeconds(const std::tm& local, int32_t time);

// "Date: Mon, 07 Dec 2026 07:30:00 +0900" (English names, 24-hour clock) into out. False when a
// field is out of range or out is too small.
bool FormatDateLine(const std::tm& local, long offsetSeconds, char* out, size_t size);
