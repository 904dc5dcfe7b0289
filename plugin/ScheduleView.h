#pragma once
// The schedule as the menu items, the status window and the log show it. The scheduler owns the
// schedule and hands this down; what shows it never asks the scheduler back.

#include "../common/pure/Schedule.h"

#include <cstdint>

struct ScheduleView {
    // Stopped, or running a release's run that leaves it stopped: the menu item offers to start it.
    bool offersStart;
    // The pending event (hour and minute -1 when the schedule has no entry the clock can show),
    // its weekday (-1 for none) and its local minute (PendingEvent; negative for none).
    ScheduleEntry next;
    int nextDay;
    int64_t nextMoment;
};
