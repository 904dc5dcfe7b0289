#include "Scheduler.h"

#include "DailyConnection.h"
#include "Globals.h"
#include "HostWindows.h"
#include "Menu.h"
#include "Outbox.h"
#include "SntpClient.h"
#include "Time32.h"
#include "host/HostApi.h"
#include "host/HostUi.h"
#include "pure/PendingEvent.h"

namespace {

ScheduleModes ScheduleMode = ScheduleModes::Stopped;
// Armed, or Stopped for a run a release started while the schedule was stopped.
ScheduleModes ModeAfterRun = ScheduleModes::Armed;
// The pending event's hour, minute and kind (at load, the load time's hour and minute); Pending
// holds its date and the moments that have run.
ScheduleEntry NextEvent;
PendingEvent Pending;

// An outbox scan released a message with SendQuick set: the next tick at second 0 that may start
// a run starts one.
bool SendNow = false;

int64_t LocalMinuteOf(const SYSTEMTIME& local)
{
    return LocalMinute(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
}

// Between start-up and clean-up. A host may still deliver a tick or a step after clean-up (one it
// had already taken from its queue); the plug-in's work is over by then.
bool TimerHeld = false;
int TimerId = 0;

// The pending event follows the clock on every tick, including those where nothing may start:
// once its moment has passed unrun, or the clock has gone back, the next one is found from the
// present, and the caption shows it. True when the pending moment is the present minute.
bool FollowClock(const SYSTEMTIME& now)
{
    PendingEvent::TickResult tick = Pending.Tick(PlugSettings.Schedule, LocalMinuteOf(now), &NextEvent);
    if (tick.refound)
        UpdateScheduleMenuItems();
    return tick.due;
}

}  // namespace

void FindNextEventNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    Pending.FindAfter(PlugSettings.Schedule, LocalMinuteOf(now), &NextEvent);
}

void StartSchedule(bool armed)
{
    ScheduleMode = ScheduleModes::Stopped;
    if (armed) {
        FindNextEventNow();
        ScheduleMode = ScheduleModes::Armed;
    }
}

void StopSchedule()
{
    ScheduleMode = ScheduleModes::Stopped;
}

// A run that a release started while the schedule was stopped leaves it stopped: the item still
// offers to start it.
bool ScheduleOffersStart()
{
    return ScheduleMode == ScheduleModes::Stopped ||
           (ScheduleMode == ScheduleModes::Running && ModeAfterRun == ScheduleModes::Stopped);
}

void ToggleSchedule()
{
    if (ScheduleOffersStart()) {
        FindNextEventNow();
        // During such a run, the schedule is armed once the run ends.
        if (ScheduleMode == ScheduleModes::Running)
            ModeAfterRun = ScheduleModes::Armed;
        else
            ScheduleMode = ScheduleModes::Armed;
    } else {
        ScheduleMode = ScheduleModes::Stopped;
    }
}

const ScheduleEntry& NextScheduledEvent()
{
    return NextEvent;
}

void StartTimer()
{
    if (TimerHeld)
        Host.KillTimer(TimerId);
    TimerId = Host.SetTimer(500, reinterpret_cast<void*>(OnTimer), 0);
    TimerHeld = true;
}

bool IsTimerHeld()
{
    return TimerHeld;
}

int StopTimer()
{
    if (!TimerHeld)
        return 0;
    TimerHeld = false;
    return Host.KillTimer(TimerId);
}

int __stdcall OnTimer(int, int)
{
    if (!TimerHeld)
        return 1;
    SYSTEMTIME now;
    GetLocalTime(&now);
    PostWantedSteps();
    if (ScheduleMode == ScheduleModes::Running) {
        AnswerHostDialogs();
        return 1;
    }
    const bool secondZero = now.wSecond == 0;
    if (secondZero && PlugSettings.UseReserve) {
        // Local zones keep whole minutes: second 0 here is second 0 of the system's clock.
        const ReleaseRules rules{CurrentMinute32(), PlugSettings.ChangeDate != 0, PlugSettings.PreSec,
                                 PlugSettings.PostSec};
        if (ScanOutbox(rules) && PlugSettings.SendQuick)
            SendNow = true;
    }
    bool eventDue = FollowClock(now);
    // Without a folder window there is no host window to command: nothing starts, and a pending
    // SendNow waits for one.
    if (!MainWindow())
        return 1;
    // The minute of a connect or disconnect starts nothing else, on any tick.
    switch (TickDailyConnection(now, LocalMinuteOf(now))) {
    case DailyMinute::Other:
        break;
    case DailyMinute::DisconnectStarted:
        return 0;
    case DailyMinute::Connect:
    case DailyMinute::Disconnect:
        return 1;
    }
    // A schedule the user stopped starts no run from its stored event; a release with SendQuick
    // still sends and receives. The event is due on the first tick of its minute that may start
    // it, also when the tick at second 0 did not come (the host busy).
    eventDue = eventDue && ScheduleMode == ScheduleModes::Armed && !ConnectionHoldsRuns();
    if ((secondZero && SendNow) || eventDue) {
        if (eventDue)
            Pending.MarkStarted();
        SendNow = false;
        StartScheduledRun();
    }
    if (ScheduleMode == ScheduleModes::Running)
        AnswerHostDialogs();
    return 1;
}

void StartScheduledRun()
{
    // A run a release starts while the schedule is stopped leaves it stopped.
    ModeAfterRun = ScheduleMode == ScheduleModes::Stopped ? ScheduleModes::Stopped : ScheduleModes::Armed;
    ScheduleMode = ScheduleModes::Running;
    AnswerHostDialogs();
    if (!PlugSettings.NoNomal)
        RestoreOffScreen();
    if (PlugSettings.UseSNTP && NextEvent.SNTP)
        StartSntpAdjustClock();
    HWND main = MainWindow();
    if (main)
        SendMessageA(main, WM_COMMAND, NextEvent.Around ? HostCmdPatrolReceive : HostCmdReceive, 0);
    FindNextEventNow();
    UpdateScheduleMenuItems();
}

ScheduleModes FolderEndRetrieve()
{
    // Also when the user stopped the schedule during the run: a window left off the screen
    // would be out of the user's reach.
    PutBackMovedWindow(true);
    if (ScheduleMode != ScheduleModes::Running)
        return ScheduleMode;
    AnswerHostDialogs();
    if (MainWindow() && PlugSettings.AutoDistribute)
        PostToMainWindow(HostCmdDistribute);
    ScheduleMode = ModeAfterRun;
    return ScheduleMode;
}
