// The new "Date:" line from what a message and the settings bring: the reservation value as the
// scan reads it, and any PreSec, PostSec (the registry holds any 32-bit number) and seed.
#include "pure/DateLine.h"
#include "../../common/pure/HeaderText.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 20)
        return 0;
    int32_t numbers[5];
    std::memcpy(numbers, data, sizeof numbers);
    std::string value(reinterpret_cast<const char*>(data) + 20, size - 20);
    int32_t time = ReadDecimal(value.c_str());
    uint32_t preSec = DateShiftSeconds(numbers[1]), postSec = DateShiftSeconds(numbers[2]);
    if (preSec > MaxDateShiftSeconds || postSec > MaxDateShiftSeconds)
        __builtin_trap();
    DateDraw draw;
    draw.Seed(static_cast<uint32_t>(numbers[0]));
    uint32_t offset = draw.UpTo(preSec + postSec);
    if (offset > preSec + postSec)
        __builtin_trap();
    int32_t moved = MoveReservation(time, offset, preSec);
    // Within PreSec before and PostSec after, kept inside the 32-bit range.
    auto clamp = [](int64_t v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v; };
    if (moved < clamp(static_cast<int64_t>(time) - preSec) || moved > clamp(static_cast<int64_t>(time) + postSec))
        __builtin_trap();

    CivilFields shown = FieldsFromSeconds(moved);
    if (UtcOffsetSeconds(shown, moved) != 0)
        __builtin_trap();
    char line[64];
    bool inYears = shown.year >= 0 && shown.year <= 9999;
    if (FormatDateLine(shown, 0, line, sizeof line) != inYears || (inYears && std::strncmp(line, "Date: ", 6) != 0))
        __builtin_trap();
    long offsetFromUtc = numbers[3];
    bool made = FormatDateLine(shown, offsetFromUtc, line, sizeof line);
    if (made != (inYears && offsetFromUtc > -86400 && offsetFromUtc < 86400))
        __builtin_trap();
    return 0;
}
