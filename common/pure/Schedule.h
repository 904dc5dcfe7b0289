#pragma once

#include "OwnedText.h"

#include <cstdint>

// One scheduled receive. Times are to the minute; -1 means "not stored" and never matches.
struct ScheduleEntry {
    ScheduleEntry* Next;
    int32_t Hour;
    int32_t Minute;
    int32_t EveryDay;  // made as one of a group for several weekdays
    int32_t Around;    // patrol receive instead of the ordinary one
    int32_t SNTP;      // also set the clock

    // Whoever wants the clock's hour and minute reads the clock and passes them.
    ScheduleEntry(int32_t hour, int32_t minute);
    ScheduleEntry(const ScheduleEntry&) = default;
    ScheduleEntry& operator=(const ScheduleEntry&) = default;
};

// True when a is earlier than or equal to b (hour first, then minute, signed).
bool IsNotLater(const ScheduleEntry& a, const ScheduleEntry& b);

// One weekday's entries in time order; among equal times the one inserted last comes first.
class ScheduleList {
public:
    ScheduleEntry* Head = nullptr;
    OwnedText DayName;  // copy of the weekday name last read from the store

    ScheduleList() = default;
    ~ScheduleList();
    ScheduleList(const ScheduleList&) = delete;
    ScheduleList& operator=(const ScheduleList&) = delete;

    void Clear();
    // Replaces DayName by a copy of name (none for a null name). 0 when the copy failed.
    int SetDayName(const char* name);

    // Inserts a copy of entry; returns the new node, or none when it could not be allocated
    // (the list is then unchanged).
    ScheduleEntry* InsertSorted(const ScheduleEntry& entry);
    ScheduleEntry* AddEntry(int32_t hour, int32_t minute, int32_t everyDay, int32_t around, int32_t sntp);
    ScheduleEntry* FindExact(int32_t hour, int32_t minute) const;
    void RemoveAt(int position);
    void RemoveEntry(const ScheduleEntry& entry);
    // First node strictly later than hour:minute, in list order.
    ScheduleEntry* FindAfter(int32_t hour, int32_t minute) const;
    int Count() const;
};

// Seven lists, 0 Sunday to 6 Saturday, as the system clock numbers the weekdays.
class WeekSchedule {
public:
    ScheduleList Day[7];

    ScheduleList& operator[](int weekday) { return Day[weekday]; }
    const ScheduleList& operator[](int weekday) const { return Day[weekday]; }

    // The weekday of the next entry strictly after the given moment of the week, with the
    // entry copied into *event; or -1 with event's Hour and Minute set to -1.
    int FindNextEvent(int32_t hour, int32_t minute, int weekday, ScheduleEntry* event) const;
};

extern const char* const WeekdayNames[7];
