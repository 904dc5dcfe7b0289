// The new "Date:" line from what a message and the settings bring: the reservation value as the
// scan reads it, and any PreSec, PostSec (the registry holds any 32-bit number) and draw.
#include "DateLine.h"
#include "HeaderText.h"

#include <cstring>
#include <ctime>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 16)
        return 0;
    int32_t numbers[4];
    std::memcpy(numbers, data, sizeof numbers);
    std::string value(reinterpret_cast<const char*>(data) + 16, size - 16);
    int32_t time = ReadDecimal(value.c_str());
    int r = numbers[0] & 0x7fff;  // the generator's range
    int32_t preSec = numbers[1], postSec = numbers[2];
    int32_t moved = MoveReservation(time, r, preSec, postSec);
    int64_t span = static_cast<int64_t>(preSec) + postSec;
    if (span == 0 && moved != time)
        __builtin_trap();
    // Within PreSec before and PostSec after, kept inside the 32-bit range.
    if (span > 0 && preSec >= 0 && postSec >= 0) {
        auto clamp = [](int64_t v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v; };
        if (moved < clamp(static_cast<int64_t>(time) - preSec) || moved > clamp(static_cast<int64_t>(time) + postSec - 1))
            __builtin_trap();
    }

    std::time_t at = moved;
    std::tm broken{};
    if (!gmtime_r(&at, &broken))
        return 0;
    if (UtcOffsetSeconds(broken, moved) != 0)
        __builtin_trap();
    char line[64];
    if (!FormatDateLine(broken, 0, line, sizeof line) || std::strncmp(line, "Date: ", 6) != 0)
        __builtin_trap();
    long offset = numbers[3];
    bool made = FormatDateLine(broken, offset, line, sizeof line);
    if (made != (offset > -86400 && offset < 86400))
        __builtin_trap();
    return 0;
}
