#pragma once
// The "Date:" line a released message gets: the reservation moved by a random offset, shown in
// local time with the matching offset from UTC. No platform code.

#include "../../common/pure/Settings.h"
#include "../../common/pure/CivilTime.h"

#include <cstddef>
#include <cstdint>

// A stored PreSec or PostSec as the seconds the draw uses: read as the editor shows it (unsigned),
// and at most MaxDateShiftSeconds, so that no stored value moves a line further.
uint32_t DateShiftSeconds(int32_t stored);

// The random draw of the offsets: a generator with 64 bits of state, seeded once, so that
// messages released together get offsets of their own.
class DateDraw {
public:
    constexpr DateDraw() = default;
    void Seed(uint64_t seed) { state_ = seed; }
    uint64_t Next();
    // Evenly over 0 to span, both included.
    uint32_t UpTo(uint32_t span);

private:
    uint64_t state_ = 0;
};

// time - preSec + offset, where offset runs from 0 to preSec + postSec; kept within the 32-bit
// range.
int32_t MoveReservation(int32_t time, uint32_t offset, uint32_t preSec);

// The moment a released message's "Date:" lines show: the reservation moved by an offset that
// draw(span) gives from 0 to span, both included. It is drawn once per message, so a header with
// more than one "Date:" line shows one moment, within the window, on each.
class MessageDate {
public:
    MessageDate(int32_t reservation, uint32_t preSec, uint32_t postSec)
        : reservation_(reservation), preSec_(preSec), postSec_(postSec)
    {
    }
    template <class Draw>
    int32_t Moment(Draw draw)
    {
        if (!drawn_ && preSec_ + postSec_ != 0)
            reservation_ = MoveReservation(reservation_, draw(preSec_ + postSec_), preSec_);
        drawn_ = true;
        return reservation_;
    }

private:
    int32_t reservation_;
    uint32_t preSec_;
    uint32_t postSec_;
    bool drawn_ = false;
};

// Seconds east of UTC of local date and time fields that show the calendar time `time`.
long UtcOffsetSeconds(const CivilFields& local, int32_t time);

// "Date: Mon, 07 Dec 2026 07:30:00 +0900" (English names, 24-hour clock) into out. False when a
// field is out of range or out is too small.
bool FormatDateLine(const CivilFields& local, long offsetSeconds, char* out, size_t size);
