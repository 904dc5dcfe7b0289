#include "Schedule.h"

#include "Allocation.h"
#include "OwnedText.h"

const char* const WeekdayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

ScheduleEntry::ScheduleEntry(int32_t hour, int32_t minute)
    : Next(nullptr), Hour(hour), Minute(minute), EveryDay(0), Around(0), SNTP(0)
{
}

bool IsNotLater(const ScheduleEntry& a, const ScheduleEntry& b)
{
    return a.Hour < b.Hour || (a.Hour == b.Hour && a.Minute <= b.Minute);
}

ScheduleList::~ScheduleList()
{
    Clear();
}

void ScheduleList::Clear()
{
    while (Head) {
        ScheduleEntry* next = Head->Next;
        delete Head;
        Head = next;
    }
}

int ScheduleList::SetDayName(const char* name)
{
    DayName = CopyText(name);
    return DayName || !name;
}

ScheduleEntry* ScheduleList::InsertSorted(const ScheduleEntry& entry)
{
    ScheduleEntry* node = new (NoThrow) ScheduleEntry(entry);
    if (!node)
        return nullptr;
    node->Next = nullptr;
    if (!Head || IsNotLater(*node, *Head)) {
        node->Next = Head;
        Head = node;
        return node;
    }
    ScheduleEntry* at = Head;
    while (at->Next && !IsNotLater(*node, *at->Next))
        at = at->Next;
    node->Next = at->Next;
    at->Next = node;
    return node;
}

ScheduleEntry* ScheduleList::AddEntry(int32_t hour, int32_t minute, int32_t everyDay, int32_t around,
                                      int32_t sntp)
{
    ScheduleEntry entry(hour, minute);
    entry.EveryDay = everyDay;
    entry.Around = around;
    entry.SNTP = sntp;
    return InsertSorted(entry);
}

ScheduleEntry* ScheduleList::FindExact(int32_t hour, int32_t minute) const
{
    for (ScheduleEntry* at = Head; at; at = at->Next) {
        if (at->Hour == hour && at->Minute == minute)
            return at;
    }
    return nullptr;
}

void ScheduleList::RemoveAt(int position)
{
    if (!Head || position < 0)
        return;
    if (position == 0) {
        ScheduleEntry* gone = Head;
        Head = gone->Next;
        delete gone;
        return;
    }
    ScheduleEntry* before = Head;
    for (int i = 1; i < position; ++i) {
        before = before->Next;
        if (!before)
            return;
    }
    ScheduleEntry* gone = before->Next;
    if (!gone)
        return;
    before->Next = gone->Next;
    delete gone;
}

void ScheduleList::RemoveEntry(const ScheduleEntry& entry)
{
    int position = 0;
    for (ScheduleEntry* at = Head; at; at = at->Next, ++position) {
        if (at->Hour == entry.Hour && at->Minute == entry.Minute) {
            RemoveAt(position);
            return;
        }
    }
}

ScheduleEntry* ScheduleList::FindAfter(int32_t hour, int32_t minute) const
{
    for (ScheduleEntry* at = Head; at; at = at->Next) {
        if (at->Hour > hour || (at->Hour == hour && at->Minute > minute))
            return at;
    }
    return nullptr;
}

int ScheduleList::Count() const
{
    int count = 0;
    for (ScheduleEntry* at = Head; at; at = at->Next)
        ++count;
    return count;
}

int WeekSchedule::FindNextEvent(int32_t hour, int32_t minute, int weekday, ScheduleEntry* event) const
{
    int day = weekday;
    for (int round = 0; round < 8 && day >= 0 && day < 7; ++round) {
        if (ScheduleEntry* found = Day[day].FindAfter(hour, minute)) {
            *event = *found;
            event->Next = nullptr;  // a copy, not a link into the list
            return day;
        }
        // From the second pass on a whole day counts, from 00:00 inclusive.
        hour = 0;
        minute = -1;
        day = (day + 1) % 7;
    }
    event->Hour = -1;
    event->Minute = -1;
    return -1;
}
