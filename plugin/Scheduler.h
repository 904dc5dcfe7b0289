#pragma once
// The schedule's state machine: the host timer's tick, the schedule's mode, its next event, the
// receive run it starts and the run's end. The daily connect and disconnect the tick starts are
// DailyConnection's.

#include "../common/windows/Time32.h"
#include "DailyConnection.h"
#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "Menu.h"
#include "Outbox.h"
#include "ScheduleView.h"
#include "host/HostApi.h"
#include "pure/PendingEvent.h"

#include <windows.h>

// The schedule's modes. The values are what APCFolderEndRetrieve hands the host.
enum class ScheduleModes : int { Stopped = 0, Armed = 1, Running = 2 };

// The local clock's present minute (LocalMinute). Read by the host's calls into the plug-in
// (start-up, a menu command, settings taken; the tick reads its own moment) and handed down:
// nothing below them reads the clock.
int64_t PresentMinute();
// The local minute (LocalMinute) of a clock reading's local fields.
int64_t LocalMinuteOf(const SYSTEMTIME& local);

class Schedule {
public:
    // Works with the settings and folder windows of loaded, and drives the daily connection, the
    // window a run moves, the menu items and the outbox scan it is handed. startTime: the start-up's
    // hour and minute, shown as the next event until one is found.
    Schedule(LoadedRecord& loaded, DailyConnection& daily, MovedWindow& moved, ScheduleMenus& menus,
             OutboxScanner& outbox, const ScheduleEntry& startTime)
        : loaded_(loaded), daily_(daily), moved_(moved), menus_(menus), outbox_(outbox), NextEvent(startTime)
    {
    }

    // Asks the host for the timer of onTimer, ending first the one held: the plug-in never holds
    // two, and clean-up ends the one it holds. present: the start-up's minute.
    void StartTimer(int(__stdcall* onTimer)(int, int), int64_t present);
    // Ends the timer held, with the host's result; 0 when none is held.
    int StopTimer();
    // The host timer's tick, every 500 milliseconds on the user-interface thread, at the moment
    // now (the tick's one reading of the clock). 0 on the tick that starts the scheduled
    // disconnect, 1 on every other tick. Does nothing while no timer is held.
    int Tick(const ClockReading& now);
    // The end of a host mail retrieval (APCFolderEndRetrieve): the mode the schedule is in after it.
    ScheduleModes FolderEndRetrieve();

    // The schedule at start-up: armed with the next event after the present minute, or stopped.
    void Start(bool armed, int64_t present);
    // Stopped; a run in progress ends without arming it again.
    void Stop();
    // The schedule menu item's command: stops an armed schedule, or arms a stopped one (during a
    // run a release started while it was stopped, it is armed once the run ends); the log and
    // every caption follow.
    void Switch(int64_t present);
    // The schedule as the menu, the status window and the log show it.
    ScheduleView View() const;
    // Finds the next event after the present minute (LocalMinute), passing over moments that have
    // run.
    void FindNextEvent(int64_t present);
    // The menu items and the status window follow the schedule.
    void Show();

private:
    bool OffersStart() const;
    void AgeRun(const SYSTEMTIME& now);
    void AnswerRunDialogs();
    void HoldBack(PassOverReason why);
    void LogPassedBetween(int64_t after, int64_t before, bool ran, PassOverReason why, int named);
    void LogLeftBehind(const ScheduleEntry& entry, int weekday, int64_t moment, int64_t present,
                       PassOverReason unseen);
    bool FollowClock(int64_t present);
    // The receive run the tick starts: when the next event is due, or a release asks to send at
    // once. present: the tick's minute.
    void StartScheduledRun(int64_t present);
    HWND Main() const { return MainWindow(loaded_.FolderWindows); }

    LoadedRecord& loaded_;
    DailyConnection& daily_;
    MovedWindow& moved_;
    ScheduleMenus& menus_;
    OutboxScanner& outbox_;

    ScheduleModes ScheduleMode = ScheduleModes::Stopped;
    // Armed, or Stopped for a run a release started while the schedule was stopped.
    ScheduleModes ModeAfterRun = ScheduleModes::Armed;
    // The pending event's hour, minute and kind (before the first is found, the start-up's hour
    // and minute); Pending holds its date and the moments that have run.
    ScheduleEntry NextEvent;
    int NextEventDay = 0;  // the weekday of NextEvent, -1 for none
    PendingEvent Pending;
    // An outbox scan released a message with SendQuick set: the next tick at second 0 that may
    // start a run starts one.
    bool SendNow = false;
    // Between start-up and clean-up. The daily connection is told of both ends.
    bool TimerHeld = false;
    int TimerId = 0;
    // A run's start is in the log and its end not yet: the end is logged also when the user
    // stopped the schedule during the run.
    bool RunLogged = false;
    // The host's error dialog was answered during the run.
    bool RunFailed = false;
    // How long the run has gone on: the time between its ticks, each gap counted up to
    // LongestTickGapMs, so that a clock step (the run's own clock adjustment) or a computer asleep
    // does not age it. Once it has gone on for StuckRunMinutes it is stuck: the log says so, and
    // what it holds back is logged with that reason.
    int64_t RunAgeMs = 0;
    int64_t RunLastTickMs = -1;
    bool RunStuck = false;
    // The reference time up to which a stuck run's held releases are logged.
    int32_t HeldReleasesLogged = INT32_MIN;
    // Entries whose minutes came while the schedule was stopped: the line of its start counts them.
    int PassedWhileStopped = 0;
    // The pending event found on every tick, including those where nothing may start. A tick that
    // finds it due and cannot start it notes why here; should its minute end without the run, the
    // log says so.
    int64_t HeldMoment = PendingEvent::NoMoment;
    PassOverReason HeldWhy = PassOverReason::ScheduleStopped;
};
