// The week's schedule: insertion order, list edits, and the next event after a moment of the week.
#include "../../common/pure/Schedule.h"

#include <gtest/gtest.h>

namespace {

ScheduleEntry At(int hour, int minute, int around = 0)
{
    ScheduleEntry entry(hour, minute);
    entry.Around = around;
    return entry;
}

std::string Times(const ScheduleList& list)
{
    std::string out;
    for (const ScheduleEntry* at = list.Head; at; at = at->Next)
        out += std::to_string(at->Hour) + ":" + std::to_string(at->Minute) + (at->Around ? "a" : "") + " ";
    return out;
}

TEST(ScheduleListTest, InsertionKeepsTimeOrderAndPutsEqualTimesFirst)
{
    ScheduleList list;
    list.InsertSorted(At(12, 0));
    list.InsertSorted(At(7, 30));
    list.InsertSorted(At(23, 59));
    list.InsertSorted(At(12, 0, 1));   // equal to an inner node: goes before it
    list.InsertSorted(At(7, 30, 1));   // equal to the head: becomes the head
    list.InsertSorted(At(-1, 5));      // no stored hour: first of all
    list.InsertSorted(At(12, -1));     // minute -1 sorts before the hour's minute 0
    EXPECT_EQ(Times(list), "-1:5 7:30a 7:30 12:-1 12:0a 12:0 23:59 ");
    EXPECT_EQ(list.Count(), 7);
}

TEST(ScheduleListTest, FindRemoveAndAdd)
{
    ScheduleList list;
    list.AddEntry(9, 0, 1, 0, 1);
    list.AddEntry(10, 0, 0, 1, 0);
    list.AddEntry(9, 0, 0, 0, 0);
    ScheduleEntry* found = list.FindExact(9, 0);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->EveryDay, 0);  // the one inserted last comes first
    EXPECT_EQ(list.FindExact(9, 1), nullptr);

    list.RemoveAt(3);  // past the end
    list.RemoveAt(-1);
    EXPECT_EQ(list.Count(), 3);
    list.RemoveEntry(At(9, 0, 1));  // compares the time only; removes only the first
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Head->EveryDay, 1);
    list.RemoveAt(1);  // the last node
    EXPECT_EQ(Times(list), "9:0 ");
    list.RemoveEntry(At(8, 0));  // none: nothing happens
    list.RemoveAt(0);
    EXPECT_EQ(list.Head, nullptr);
    list.RemoveAt(0);  // empty list
}

TEST(ScheduleListTest, FindAfterIsStrictAndClearKeepsTheName)
{
    ScheduleList list;
    list.SetDayName("Monday");
    list.InsertSorted(At(8, 0));
    list.InsertSorted(At(8, 30));
    EXPECT_EQ(list.FindAfter(8, 0)->Minute, 30);
    EXPECT_EQ(list.FindAfter(7, 59)->Minute, 0);
    EXPECT_EQ(list.FindAfter(8, 30), nullptr);
    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_STREQ(list.DayName.Get(), "Monday");
}

class NextEventTest : public ::testing::Test {
protected:
    WeekSchedule week;
    ScheduleEntry event{0, 0};
};

TEST_F(NextEventTest, EmptyScheduleHasNoEvent)
{
    event.Around = 1;
    EXPECT_EQ(week.FindNextEvent(10, 0, 3, &event), -1);
    EXPECT_EQ(event.Hour, -1);
    EXPECT_EQ(event.Minute, -1);
    EXPECT_EQ(event.Around, 1);  // the other fields are left as they were
}

TEST_F(NextEventTest, OnlyEntryAtThePresentMinuteIsNextWeeksEvent)
{
    week[3].InsertSorted(At(10, 0, 1));
    EXPECT_EQ(week.FindNextEvent(10, 0, 3, &event), 3);
    EXPECT_EQ(event.Hour, 10);
    EXPECT_EQ(event.Around, 1);
    EXPECT_EQ(event.Next, nullptr);  // a copy, not a link into the list
}

TEST_F(NextEventTest, WeekWrapsFromSaturdayToSunday)
{
    week[0].InsertSorted(At(0, 0));
    EXPECT_EQ(week.FindNextEvent(23, 59, 6, &event), 0);
    EXPECT_EQ(event.Hour, 0);
    EXPECT_EQ(event.Minute, 0);
}

TEST_F(NextEventTest, EarliestDayWinsAndEarlierTodayMeansNextWeek)
{
    week[3].InsertSorted(At(9, 0));
    week[4].InsertSorted(At(8, 0));
    EXPECT_EQ(week.FindNextEvent(10, 0, 3, &event), 4);
    EXPECT_EQ(event.Hour, 8);
    week[4].Clear();
    EXPECT_EQ(week.FindNextEvent(10, 0, 3, &event), 3);
    EXPECT_EQ(event.Hour, 9);
}

TEST_F(NextEventTest, EqualTimesGiveTheLastInsertedAndAreSkippedTogether)
{
    week[1].InsertSorted(At(7, 0, 0));
    week[1].InsertSorted(At(7, 0, 1));
    week[1].InsertSorted(At(7, 5));
    EXPECT_EQ(week.FindNextEvent(6, 59, 1, &event), 1);
    EXPECT_EQ(event.Around, 1);
    EXPECT_EQ(week.FindNextEvent(7, 0, 1, &event), 1);
    EXPECT_EQ(event.Minute, 5);
}

TEST_F(NextEventTest, UnsetHourNeverMatchesAndUnsetMinuteNeedsALaterHour)
{
    week[2].InsertSorted(At(-1, 30));
    EXPECT_EQ(week.FindNextEvent(0, 0, 2, &event), -1);

    week[2].InsertSorted(At(5, -1));
    EXPECT_EQ(week.FindNextEvent(4, 0, 2, &event), 2);  // same day, later hour
    EXPECT_EQ(event.Minute, -1);
    EXPECT_EQ(week.FindNextEvent(5, 0, 2, &event), 2);  // a week later: hour 5 > 0
    week[5].InsertSorted(At(0, -1));                    // hour 0, minute -1: never on another day
    EXPECT_EQ(week.FindNextEvent(6, 0, 4, &event), 2);
    EXPECT_EQ(week.FindNextEvent(0, -2, 5, &event), 5);  // only on its own day, from before it
}

TEST_F(NextEventTest, WeekdayOutOfRangeFindsNothing)
{
    week[0].InsertSorted(At(1, 0));
    EXPECT_EQ(week.FindNextEvent(0, 0, 7, &event), -1);
    EXPECT_EQ(week.FindNextEvent(0, 0, -1, &event), -1);
}

}  // namespace
