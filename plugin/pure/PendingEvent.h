#pragma once
// When the schedule's pending event is due. The event is a moment - a local date and time to the
// minute - not a weekday and time: a minute the clock never shows (the computer asleep, the host
// busy, the clock stepped forward) passes the event over instead of holding it for a week, and a
// minute the clock shows twice (the clock set back, the hour repeated when daylight saving ends)
// does not run its entry twice. No platform code.

#include "../../common/pure/Schedule.h"

#include <cstdint>

// Minutes of local wall-clock time since 1970-01-01 00:00, no zone involved.
int64_t LocalMinute(int64_t year, int month, int day, int hour, int minute);

class PendingEvent {
public:
    static constexpr int64_t NoMoment = INT64_MIN;
    // Moments that ran are remembered for a day back from the latest present seen. A clock set
    // back by more than that was plainly wrong, and what ran in its false future is forgotten.
    static constexpr int64_t RememberedMinutes = 1440;

    // The next event strictly after the present minute (arming, after a run, after new settings),
    // passing over moments that have run. Fills *entry and returns its weekday, or returns -1 with
    // entry's Hour and Minute -1 when the schedule has no entry the clock can show.
    int FindAfter(const WeekSchedule& schedule, int64_t present, ScheduleEntry* entry);

    struct TickResult {
        bool refound;  // a new event is in *entry, its weekday in day
        int day;
        bool due;      // the pending moment is the present minute and has not started
        int64_t passed;    // the pending moment before the tick, passed without its run; or NoMoment
        int64_t backFrom;  // the clock went back: the minute of the tick before; or NoMoment
    };
    // One timer tick at the present minute. When the pending moment has passed without its run,
    // or the clock went back, the next event is found anew from the present minute on: an entry
    // of the present minute itself is still due (a tick late within its minute); earlier ones are
    // passed over, and none that has run is found again.
    TickResult Tick(const WeekSchedule& schedule, int64_t present, ScheduleEntry* entry);

    // The pending moment's run has started: that moment never runs again.
    void MarkStarted();

    int64_t Moment() const { return moment_; }
    bool HasRun(int64_t moment) const;

    // An entry of the schedule at its moment.
    struct EntryMoment {
        int32_t hour, minute;
        int day;  // weekday
        int64_t moment;
    };
    // Walks are cut off after this many moments.
    static constexpr int WalkLimit = 10000;
    // The entries whose moments lie strictly between after and before, oldest first: those that
    // have run (ran) or those that have not. Up to max of them are put in out. Returns how many
    // there are, counting no further than WalkLimit moments of the schedule.
    int Between(const WeekSchedule& schedule, int64_t after, int64_t before, bool ran, EntryMoment* out,
                int max) const;

private:
    int FindFrom(const WeekSchedule& schedule, int64_t exclusiveStart, ScheduleEntry* entry);
    void See(int64_t present);

    int64_t moment_ = NoMoment;
    int64_t lastSeen_ = NoMoment;  // the present of the last tick
    int64_t newest_ = NoMoment;    // the latest present seen; the memory of runs ends here
    uint32_t ran_[RememberedMinutes / 32] = {};  // by moment modulo RememberedMinutes
};
