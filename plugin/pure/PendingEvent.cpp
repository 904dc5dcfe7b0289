#include "PendingEvent.h"

#include "../../common/pure/CivilTime.h"

#include <cstring>

namespace {

constexpr int64_t MinutesPerDay = 1440;
constexpr int64_t WeekDays = 7;

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

int64_t FloorMod(int64_t a, int64_t b)
{
    return a - FloorDiv(a, b) * b;
}

int WeekdayOf(int64_t day)
{
    return static_cast<int>(FloorMod(day + 4, WeekDays));  // 1970-01-01 was a Thursday
}

// A time the clock shows; an entry with any other (a value missing from the store) never runs.
bool IsClockTime(const ScheduleEntry& entry)
{
    return entry.Hour >= 0 && entry.Hour <= 23 && entry.Minute >= 0 && entry.Minute <= 59;
}

bool IsLater(const ScheduleEntry& entry, int32_t hour, int32_t minute)
{
    return entry.Hour > hour || (entry.Hour == hour && entry.Minute > minute);
}

}  // namespace

int64_t LocalMinute(int64_t year, int month, int day, int hour, int minute)
{
    return DaysFromCivil(year, month, day) * MinutesPerDay + hour * 60 + minute;
}

int PendingEvent::FindAfter(const WeekSchedule& schedule, int64_t present, ScheduleEntry* entry)
{
    lastSeen_ = present;
    See(present);
    return FindFrom(schedule, present, entry);
}

PendingEvent::TickResult PendingEvent::Tick(const WeekSchedule& schedule, int64_t present, ScheduleEntry* entry)
{
    TickResult result{false, -1, false, NoMoment, NoMoment};
    bool wentBack = lastSeen_ != NoMoment && present < lastSeen_;
    if (wentBack)
        result.backFrom = lastSeen_;
    lastSeen_ = present;
    See(present);
    if (wentBack || (moment_ != NoMoment && moment_ < present)) {
        // A moment not yet reached when the clock went back is still ahead, not passed.
        if (!wentBack)
            result.passed = moment_;
        result.refound = true;
        result.day = FindFrom(schedule, present - 1, entry);
    }
    // A moment whose run has started is never due again, whatever the caller has yet to do with it.
    result.due = moment_ != NoMoment && moment_ == present && !HasRun(moment_);
    return result;
}

void PendingEvent::MarkStarted()
{
    // A due moment is the present minute, which lies within the remembered day.
    if (moment_ == NoMoment || newest_ == NoMoment || moment_ > newest_ || moment_ <= newest_ - RememberedMinutes)
        return;
    int64_t bit = FloorMod(moment_, RememberedMinutes);
    ran_[bit / 32] |= 1u << (bit % 32);
}

// FindNextEvent walks the week from a weekday, hour and minute; this follows it over dates, and
// looks on past entries the clock never shows and past moments that have run.
int PendingEvent::FindFrom(const WeekSchedule& schedule, int64_t exclusiveStart, ScheduleEntry* entry)
{
    const int64_t firstDay = FloorDiv(exclusiveStart, MinutesPerDay);
    int64_t day = firstDay;
    int32_t hour = static_cast<int32_t>(FloorMod(exclusiveStart, MinutesPerDay) / 60);
    int32_t minute = static_cast<int32_t>(FloorMod(exclusiveStart, 60));
    // Every round moves strictly on, and after eight days every entry of the week has been met.
    while (day - firstDay <= WeekDays) {
        ScheduleEntry found = *entry;
        int weekday = WeekdayOf(day);
        int foundDay = schedule.FindNextEvent(hour, minute, weekday, &found);
        if (foundDay < 0)
            break;
        int64_t ahead = FloorMod(foundDay - weekday, WeekDays);
        if (ahead == 0 && !IsLater(found, hour, minute))
            ahead = WeekDays;
        day += ahead;
        hour = found.Hour;
        minute = found.Minute;
        if (day - firstDay > WeekDays)
            break;
        if (!IsClockTime(found))
            continue;
        int64_t moment = day * MinutesPerDay + found.Hour * 60 + found.Minute;
        if (HasRun(moment))
            continue;
        *entry = found;
        moment_ = moment;
        return foundDay;
    }
    entry->Hour = -1;
    entry->Minute = -1;
    moment_ = NoMoment;
    return -1;
}

int PendingEvent::Between(const WeekSchedule& schedule, int64_t after, int64_t before, bool ran, EntryMoment* out,
                          int max) const
{
    // A walker without memory meets every moment; this one's memory says which have run.
    PendingEvent walker;
    int count = 0;
    int64_t cursor = after;
    for (int walked = 0; walked < WalkLimit; ++walked) {
        ScheduleEntry entry(0, 0);
        int day = walker.FindFrom(schedule, cursor, &entry);
        if (day < 0 || walker.moment_ >= before)
            break;
        cursor = walker.moment_;
        if (HasRun(cursor) != ran)
            continue;
        if (count < max)
            out[count] = EntryMoment{entry.Hour, entry.Minute, day, cursor};
        ++count;
    }
    return count;
}

void PendingEvent::See(int64_t present)
{
    if (newest_ != NoMoment && present <= newest_) {
        if (newest_ - present >= RememberedMinutes) {
            std::memset(ran_, 0, sizeof ran_);
            newest_ = present;
        }
        return;
    }
    // The minutes that leave the remembered day make room for the new ones.
    if (newest_ == NoMoment || present - newest_ >= RememberedMinutes) {
        std::memset(ran_, 0, sizeof ran_);
    } else {
        for (int64_t moment = newest_ + 1; moment <= present; ++moment) {
            int64_t bit = FloorMod(moment, RememberedMinutes);
            ran_[bit / 32] &= ~(1u << (bit % 32));
        }
    }
    newest_ = present;
}

bool PendingEvent::HasRun(int64_t moment) const
{
    if (newest_ == NoMoment || moment > newest_ || moment <= newest_ - RememberedMinutes)
        return false;
    int64_t bit = FloorMod(moment, RememberedMinutes);
    return (ran_[bit / 32] >> (bit % 32)) & 1u;
}
