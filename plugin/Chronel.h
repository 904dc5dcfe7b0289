#pragma once
// The plug-in's state from the host's start-up to its clean-up, in one object: the schedule, the
// daily connection, the main window a run moved, the menu items and status the schedule is shown
// by, and the outbox scan. APCStartUp makes it and APCCleanUp ends it; what the host's contract
// keeps until the library is unloaded (the settings, the window lists) is LoadedRecord's, handed
// to it. Only the entry points and the host's callbacks find it (ChronelCall); what they call is
// handed what it works on.

#include "DailyConnection.h"
#include "Globals.h"
#include "HostWindows.h"
#include "Menu.h"
#include "Scheduler.h"

class Chronel {
public:
    // startTime: the start-up's hour and minute, the schedule's next event until one is found.
    Chronel(LoadedRecord& loaded, const ScheduleEntry& startTime);
    // Deleted by CleanUp or the last ChronelCall; tests make and delete their own.
    ~Chronel() = default;
    Chronel(const Chronel&) = delete;
    Chronel& operator=(const Chronel&) = delete;

    // APCStartUp, with the settings read: the object made and started (an earlier one ends first,
    // its timer ended and its window put back). False when it could not be made: chronel then
    // schedules nothing until the next start-up.
    static bool StartUp(LoadedRecord& loaded);
    // APCCleanUp: the object's work ends (the moved window's placement put back, the schedule
    // stopped and published, the timer ended) and it goes once no host call still uses it. The
    // host's result of ending the timer; 0 when there was none.
    static int CleanUp();

    LoadedRecord& loaded;
    DailyConnection daily;
    MovedWindow moved;
    ScheduleMenus menus;
    OutboxScanner outbox;
    Schedule schedule;

private:
    friend class ChronelCall;
    // Ends the work: the window back (viaTray as for MovedWindow::PutBack), the outbox scan stopped
    // (also one under way) and the timer ended.
    int End(bool viaTray);
    // Deleted now, or by the last host call that still uses it.
    void Release();

    // Host calls into the object under way (ChronelCall).
    int calls_ = 0;
    bool ended_ = false;
    // The object from start-up to clean-up; none before, after, or when start-up could not make it.
    static Chronel* current_;
};

// The plug-in's object for one host call, held until the call returns: a clean-up within the call
// (a host that handles its exit in a loop the call runs) ends it and leaves its delete to the
// call's end. Empty after clean-up: the call then does nothing.
class ChronelCall {
public:
    ChronelCall();
    ~ChronelCall();
    ChronelCall(const ChronelCall&) = delete;
    ChronelCall& operator=(const ChronelCall&) = delete;

    explicit operator bool() const { return chronel_ != nullptr; }
    Chronel* operator->() const { return chronel_; }

private:
    Chronel* chronel_;
};

// The host's callbacks into the object.
int __stdcall OnTimer(int, int);
int __stdcall OnScheduleMenu(HWND window, LPARAM value);
int __stdcall ConnectStep(HWND window, LPARAM value);
int __stdcall DisconnectStep(HWND window, LPARAM value);
