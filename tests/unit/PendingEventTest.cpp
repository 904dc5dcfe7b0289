// The pending event as a moment: due in its own minute, passed over when the clock skips its
// minute, never run twice when the clock goes back.
#include "pure/PendingEvent.h"

#include <gtest/gtest.h>

namespace {

enum { Sunday, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday };

// Monday 2026-12-07 at hour:minute, or days later.
int64_t Monday7(int hour, int minute, int days = 0)
{
    return LocalMinute(2026, 12, 7 + days, hour, minute);
}

class PendingEventTest : public ::testing::Test {
protected:
    void Add(int weekday, int hour, int minute) { week[weekday].AddEntry(hour, minute, 0, 0, 0); }

    int Arm(int64_t present) { return pending.FindAfter(week, present, &event); }
    PendingEvent::TickResult Tick(int64_t present) { return pending.Tick(week, present, &event); }
    // Ticks at present; when due, starts the run and finds the next event as a run does.
    bool RunIfDue(int64_t present)
    {
        if (!Tick(present).due)
            return false;
        pending.MarkStarted();
        pending.FindAfter(week, present, &event);
        return true;
    }

    WeekSchedule week;
    ScheduleEntry event{-1, -1};
    PendingEvent pending;
};

TEST_F(PendingEventTest, TheEventIsDueInItsOwnMinuteOfItsOwnDate)
{
    Add(Monday, 7, 0);
    EXPECT_EQ(Arm(Monday7(6, 59)), Monday);
    EXPECT_EQ(pending.Moment(), Monday7(7, 0));
    EXPECT_FALSE(Tick(Monday7(6, 59)).due);
    PendingEvent::TickResult tick = Tick(Monday7(7, 0));
    EXPECT_TRUE(tick.due);
    EXPECT_FALSE(tick.refound);
    pending.MarkStarted();  // a tick nested in the run's start, before the next event is found
    EXPECT_FALSE(Tick(Monday7(7, 0)).due);
    // Armed in the entry's own minute: strictly after the present, so a week on.
    EXPECT_EQ(Arm(Monday7(7, 0)), Monday);
    EXPECT_EQ(pending.Moment(), Monday7(7, 0, 7));
    // Across a week's, a month's and a year's end.
    WeekSchedule sunday;
    sunday[Sunday].AddEntry(0, 0, 0, 0, 0);
    EXPECT_EQ(pending.FindAfter(sunday, LocalMinute(2026, 12, 26, 23, 59), &event), Sunday);
    EXPECT_EQ(pending.Moment(), LocalMinute(2026, 12, 27, 0, 0));
    WeekSchedule friday;
    friday[Friday].AddEntry(0, 0, 0, 0, 0);
    EXPECT_EQ(pending.FindAfter(friday, LocalMinute(2026, 12, 31, 12, 0), &event), Friday);
    EXPECT_EQ(pending.Moment(), LocalMinute(2027, 1, 1, 0, 0));
}

// A tick that comes late within the entry's minute (the host busy over second 0) still finds it
// due; a minute that passes without any tick (asleep, a forward step) passes its entry over, and
// the next entry is found from the present instead of a week later.
TEST_F(PendingEventTest, AMissedMinuteIsPassedOverAndTheNextEntryFoundFromThePresent)
{
    Add(Monday, 7, 0);
    Add(Monday, 7, 1);
    Add(Monday, 7, 30);
    Add(Monday, 8, 0);
    Add(Tuesday, 6, 0);
    Arm(Monday7(6, 59));
    // A clock adjustment at the 07:00 run steps the clock to 07:02:30.
    EXPECT_TRUE(RunIfDue(Monday7(7, 0)));
    EXPECT_EQ(event.Minute, 1);
    PendingEvent::TickResult tick = Tick(Monday7(7, 2));
    EXPECT_TRUE(tick.refound);
    EXPECT_EQ(tick.day, Monday);
    EXPECT_FALSE(tick.due);  // nothing is caught up
    EXPECT_EQ(event.Hour, 7);
    EXPECT_EQ(event.Minute, 30);
    EXPECT_FALSE(Tick(Monday7(7, 29)).due);
    EXPECT_TRUE(RunIfDue(Monday7(7, 30)));

    // Asleep from 07:35 over 08:00 to Tuesday 06:00:20: the first tick is within the minute of
    // Tuesday's entry.
    tick = Tick(Monday7(6, 0, 1));
    EXPECT_TRUE(tick.refound);
    EXPECT_TRUE(tick.due);
    EXPECT_EQ(tick.day, Tuesday);
}

// Where daylight saving begins, 02:00 to 02:59 never come: the 02:30 entry is passed over, and the
// 03:00 entry is due at the first tick after the change.
TEST_F(PendingEventTest, TheSpringForwardHourPassesItsEntriesOverAndKeepsTheNext)
{
    Add(Sunday, 2, 30);
    Add(Sunday, 3, 0);
    const int64_t before = LocalMinute(2027, 3, 28, 1, 59);
    pending.FindAfter(week, before, &event);
    EXPECT_EQ(pending.Moment(), LocalMinute(2027, 3, 28, 2, 30));
    PendingEvent::TickResult tick = Tick(LocalMinute(2027, 3, 28, 3, 0));
    EXPECT_TRUE(tick.refound);
    EXPECT_TRUE(tick.due);
    EXPECT_EQ(event.Hour, 3);
}

// With one entry in the week its next occurrence is a week on, so the clock going back across it
// finds it already run: the hour repeated when daylight saving ends, or a clock adjustment to a
// server two minutes behind.
TEST_F(PendingEventTest, AMomentThatRanDoesNotRunAgainWhenTheClockGoesBack)
{
    Add(Sunday, 2, 30);
    const int64_t first = LocalMinute(2026, 10, 25, 2, 30);
    pending.FindAfter(week, first - 31, &event);
    EXPECT_TRUE(RunIfDue(first));
    for (int64_t minute = first + 1; minute <= first + 29; ++minute)
        EXPECT_FALSE(RunIfDue(minute));
    // 03:00 summer time is 02:00 winter time: the local times of the hour come again.
    for (int64_t minute = first - 30; minute <= first + 60; ++minute)
        EXPECT_FALSE(RunIfDue(minute)) << minute - first;
    EXPECT_EQ(pending.Moment(), first + 7 * 1440);

    PendingEvent adjusted;
    WeekSchedule monday;
    monday[Monday].AddEntry(7, 0, 0, 0, 0);
    adjusted.FindAfter(monday, Monday7(6, 59), &event);
    EXPECT_TRUE(adjusted.Tick(monday, Monday7(7, 0), &event).due);
    adjusted.MarkStarted();
    adjusted.FindAfter(monday, Monday7(7, 0), &event);
    PendingEvent::TickResult back = adjusted.Tick(monday, Monday7(6, 58), &event);
    EXPECT_TRUE(back.refound);
    EXPECT_FALSE(back.due);
    EXPECT_FALSE(adjusted.Tick(monday, Monday7(6, 59), &event).due);
    EXPECT_FALSE(adjusted.Tick(monday, Monday7(7, 0), &event).due);
    // The user stopping and restarting the schedule does not bring it back either.
    adjusted.FindAfter(monday, Monday7(6, 59), &event);
    EXPECT_FALSE(adjusted.Tick(monday, Monday7(7, 0), &event).due);
}

// An entry that was passed over (its minute came during another run) gets its turn when the clock
// goes back and shows its minute again; the ones that ran around it do not.
TEST_F(PendingEventTest, AfterTheClockGoesBackAnEntryThatNeverRanStillRunsOnce)
{
    Add(Monday, 7, 0);
    Add(Monday, 7, 1);
    Add(Monday, 7, 2);
    Arm(Monday7(6, 59));
    EXPECT_TRUE(RunIfDue(Monday7(7, 0)));
    // The run lasts until 07:02: 07:01 is not looked at, 07:02 runs.
    EXPECT_TRUE(RunIfDue(Monday7(7, 2)));
    EXPECT_FALSE(RunIfDue(Monday7(7, 3)));
    PendingEvent::TickResult back = Tick(Monday7(6, 59));
    EXPECT_TRUE(back.refound);
    EXPECT_EQ(event.Minute, 1);
    EXPECT_FALSE(RunIfDue(Monday7(7, 0)));
    EXPECT_TRUE(RunIfDue(Monday7(7, 1)));
    EXPECT_FALSE(RunIfDue(Monday7(7, 2)));
    EXPECT_EQ(pending.Moment(), Monday7(7, 0, 7));
}

// A clock set back by more than a day was wrong before; what ran in that false future does not
// hold the schedule back now.
TEST_F(PendingEventTest, RunsMoreThanADayAheadOfTheClockAreForgotten)
{
    Add(Monday, 7, 0);
    Add(Tuesday, 7, 0);
    Arm(Monday7(6, 59));
    EXPECT_TRUE(RunIfDue(Monday7(7, 0)));
    EXPECT_TRUE(RunIfDue(Monday7(7, 0, 1)));
    // Within a day back: Tuesday's run is remembered.
    Tick(Monday7(7, 30, 1) - 1440 + 1);
    EXPECT_FALSE(RunIfDue(Monday7(7, 0, 1)));
    // The clock, three days ahead, is corrected a week back.
    PendingEvent::TickResult back = Tick(Monday7(6, 59));
    EXPECT_TRUE(back.refound);
    EXPECT_TRUE(RunIfDue(Monday7(7, 0)));
    EXPECT_TRUE(RunIfDue(Monday7(7, 0, 1)));
}

// Entries with a time the clock never shows (a value missing from the store, or one typed into the
// registry) are never due and do not hide the entries after them.
TEST_F(PendingEventTest, EntriesWithoutAClockTimeAreNeverDue)
{
    Add(Monday, 7, -1);
    Add(Monday, 7, 75);
    Add(Monday, 25, 0);
    Add(Monday, -1, 5);
    EXPECT_EQ(Arm(Monday7(6, 0)), -1);
    EXPECT_EQ(event.Hour, -1);
    EXPECT_EQ(event.Minute, -1);
    for (int64_t minute = Monday7(6, 0); minute < Monday7(6, 0, 8); minute += 7)
        EXPECT_FALSE(Tick(minute).due);
    Add(Monday, 9, 0);
    EXPECT_EQ(Arm(Monday7(6, 0)), Monday);
    EXPECT_EQ(pending.Moment(), Monday7(9, 0));
    // Passing the unusable ones over happens once, not on every tick of their minutes.
    for (int64_t minute = Monday7(6, 0); minute < Monday7(9, 0); ++minute)
        EXPECT_FALSE(Tick(minute).refound) << minute - Monday7(6, 0);
    EXPECT_TRUE(Tick(Monday7(9, 0)).due);

    WeekSchedule empty;
    PendingEvent none;
    EXPECT_EQ(none.FindAfter(empty, Monday7(6, 0), &event), -1);
    EXPECT_EQ(none.Moment(), PendingEvent::NoMoment);
    EXPECT_FALSE(none.Tick(empty, Monday7(6, 1), &event).due);
}

// What a tick passed over is said: the pending moment left behind unrun, the entries after it
// that no tick saw, and, when the clock goes back, the minute it came from and the moments that
// ran in the minutes it shows again.
TEST_F(PendingEventTest, ATickSaysWhatItPassedOverAndWhereTheClockCameFrom)
{
    Add(Monday, 7, 0);
    Add(Monday, 7, 1);
    Add(Monday, 7, 2);
    Add(Monday, 7, 30);
    Arm(Monday7(6, 59));
    PendingEvent::TickResult tick = Tick(Monday7(6, 59));
    EXPECT_EQ(tick.passed, PendingEvent::NoMoment);
    EXPECT_EQ(tick.backFrom, PendingEvent::NoMoment);
    EXPECT_TRUE(RunIfDue(Monday7(7, 0)));
    // The 07:00 run steps the clock to 07:05: 07:01 was pending, 07:02 no tick saw either.
    tick = Tick(Monday7(7, 5));
    EXPECT_EQ(tick.passed, Monday7(7, 1));
    EXPECT_EQ(tick.backFrom, PendingEvent::NoMoment);
    PendingEvent::EntryMoment between[4];
    ASSERT_EQ(pending.Between(week, Monday7(7, 1), Monday7(7, 5), false, between, 4), 1);
    EXPECT_EQ(between[0].moment, Monday7(7, 2));
    EXPECT_EQ(between[0].hour, 7);
    EXPECT_EQ(between[0].minute, 2);
    EXPECT_EQ(between[0].day, Monday);
    // Set back to 06:58: from 07:05; of the minutes shown again only 07:00 ran.
    tick = Tick(Monday7(6, 58));
    EXPECT_EQ(tick.passed, PendingEvent::NoMoment);
    EXPECT_EQ(tick.backFrom, Monday7(7, 5));
    ASSERT_EQ(pending.Between(week, Monday7(6, 57), Monday7(7, 6), true, between, 4), 1);
    EXPECT_EQ(between[0].moment, Monday7(7, 0));
    EXPECT_EQ(pending.Between(week, Monday7(6, 57), Monday7(7, 6), false, between, 4), 2);
    // A week asleep: every entry of the week is counted, only max of them named.
    EXPECT_EQ(pending.Between(week, Monday7(7, 30), Monday7(7, 31, 7), false, between, 2), 4);
    // The walk ends: a year of a full schedule is counted up to the limit.
    WeekSchedule full;
    for (int day = 0; day < 7; ++day)
        for (int hour = 0; hour < 24; ++hour)
            full[day].AddEntry(hour, 0, 0, 0, 0);
    EXPECT_EQ(pending.Between(full, Monday7(8, 0), Monday7(8, 0, 500), false, between, 4),
              PendingEvent::WalkLimit);
}

}  // namespace
