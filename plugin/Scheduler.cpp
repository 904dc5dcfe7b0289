#include "Scheduler.h"

#include "DailyConnection.h"
#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "Menu.h"
#include "Outbox.h"
#include "SntpClient.h"
#include "../common/Time32.h"
#include "host/HostApi.h"
#include "../contract/Quillpost.h"
#include "pure/PendingEvent.h"

namespace {

ScheduleModes ScheduleMode = ScheduleModes::Stopped;
// Armed, or Stopped for a run a release started while the schedule was stopped.
ScheduleModes ModeAfterRun = ScheduleModes::Armed;
// The pending event's hour, minute and kind (at load, the load time's hour and minute); Pending
// holds its date and the moments that have run.
ScheduleEntry NextEvent;
int NextEventDay = 0;  // the weekday of NextEvent, -1 for none
PendingEvent Pending;

// An outbox scan released a message with SendQuick set: the next tick at second 0 that may start
// a run starts one.
bool SendNow = false;

// Between start-up and clean-up. A host may still deliver a tick or a step after clean-up (one it
// had already taken from its queue); the plug-in's work is over by then. The daily connection is
// told of both ends (StartConnectionWork, EndConnectionWork).
bool TimerHeld = false;
int TimerId = 0;

// True when the schedule is stopped, or runs a release's run that leaves it stopped: the menu
// item then offers to start it.
bool ScheduleOffersStart()
{
    return ScheduleMode == ScheduleModes::Stopped ||
           (ScheduleMode == ScheduleModes::Running && ModeAfterRun == ScheduleModes::Stopped);
}

// The menu items and the status window follow the schedule.
void ShowSchedule()
{
    UpdateScheduleMenuItems(ViewSchedule());
}

int64_t LocalMinuteOf(const SYSTEMTIME& local)
{
    return LocalMinute(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
}

// A run's start is in the log and its end not yet: the end is logged also when the user stopped
// the schedule during the run.
bool RunLogged = false;
// The host's error dialog was answered during the run.
bool RunFailed = false;
// How long the run has gone on: the time between its ticks, each gap counted up to
// LongestTickGapMs, so that a clock step (the run's own clock adjustment) or a computer asleep
// does not age it. Once it has gone on for StuckRunMinutes it is stuck: the log says so, and
// what it holds back is logged with that reason.
constexpr int64_t LongestTickGapMs = 2000;
int64_t RunAgeMs = 0;
int64_t RunLastTickMs = -1;
bool RunStuck = false;
// The reference time up to which a stuck run's held releases are logged.
int32_t HeldReleasesLogged = INT32_MIN;

// Entries whose minutes came while the schedule was stopped: the line of its start counts them.
int PassedWhileStopped = 0;

void AgeRun(const SYSTEMTIME& now)
{
    int64_t at = LocalMinuteOf(now) * 60000 + now.wSecond * 1000 + now.wMilliseconds;
    int64_t gap = RunLastTickMs < 0 || at < RunLastTickMs ? 0 : at - RunLastTickMs;
    RunLastTickMs = at;
    RunAgeMs += gap > LongestTickGapMs ? LongestTickGapMs : gap;
    if (!RunStuck && RunAgeMs >= StuckRunMinutes * 60000LL) {
        RunStuck = true;
        LogRunStuck();
    }
}

// Answers the host's dialogs during a run: an error the host showed is logged with its text, and
// the run's end says it ended in error.
void AnswerRunDialogs()
{
    char text[512];
    if (AnswerHostDialogs(text, sizeof text) == AnsweredDialog::ErrorDialog) {
        RunFailed = true;
        LogRunError(text);
    }
}

// The pending event found on every tick, including those where nothing may start. A tick that
// finds it due and cannot start it notes why here; should its minute end without the run, the
// log says so.
int64_t HeldMoment = PendingEvent::NoMoment;
PassOverReason HeldWhy = PassOverReason::ScheduleStopped;

// The pending event is due on this tick and does not start, for the reason given.
void HoldBack(PassOverReason why)
{
    HeldMoment = Pending.Moment();
    HeldWhy = why;
}

void LogPassedMoment(int32_t hour, int32_t minute, int day, PassOverReason why)
{
    LogPassedOver(ScheduleEntry(hour, minute), day, why);
}

// At most this many entries passed over at once are named each on its own line; a count stands
// for the rest.
constexpr int NamedAtOnce = 8;

// The entries whose moments lie strictly between after and before, in minutes no tick saw or
// minutes the clock went back over after they ran: one line each for up to named of them.
void LogPassedBetween(int64_t after, int64_t before, bool ran, PassOverReason why, int named)
{
    PendingEvent::EntryMoment passed[NamedAtOnce];
    int count = Pending.Between(PlugSettings.Schedule, after, before, ran, passed, named);
    for (int i = 0; i < count && i < named; ++i)
        LogPassedMoment(passed[i].hour, passed[i].minute, passed[i].day, why);
    if (count > named)
        LogMorePassedOver(count - named, count >= PendingEvent::WalkLimit, why);
}

// The pending event (entry at weekday, moment) is left behind unrun at the present minute: it
// is logged with the reason a tick of its minute found, or as a minute no tick saw; so are the
// entries after it that no tick saw.
void LogLeftBehind(const ScheduleEntry& entry, int weekday, int64_t moment, int64_t present,
                   PassOverReason unseen)
{
    if (moment == PendingEvent::NoMoment || moment > present || Pending.HasRun(moment))
        return;
    PassOverReason why = HeldMoment == moment ? HeldWhy : unseen;
    HeldMoment = PendingEvent::NoMoment;
    // A stopped schedule runs no entry: a line each would only push the log's history out.
    if (ScheduleOffersStart()) {
        PassedWhileStopped +=
            1 + (moment < present ? Pending.Between(PlugSettings.Schedule, moment, present, false, nullptr, 0) : 0);
        return;
    }
    LogPassedOver(entry, weekday, why);
    if (moment < present)
        LogPassedBetween(moment, present, false, PassOverReason::NoTick, NamedAtOnce - 1);
}

// The pending event follows the clock on every tick, including those where nothing may start:
// once its moment has passed unrun, or the clock has gone back, the next one is found from the
// present, and the caption shows it. True when the pending moment is the present minute.
bool FollowClock(const SYSTEMTIME& now)
{
    const ScheduleEntry before = NextEvent;
    const int beforeDay = NextEventDay;
    const int64_t present = LocalMinuteOf(now);
    PendingEvent::TickResult tick = Pending.Tick(PlugSettings.Schedule, present, &NextEvent);
    if (tick.passed != PendingEvent::NoMoment)
        LogLeftBehind(before, beforeDay, tick.passed, present, PassOverReason::NoTick);
    if (tick.backFrom != PendingEvent::NoMoment) {
        LogClockWentBack(tick.backFrom, present);
        // What ran in the minutes the clock shows again does not run again.
        LogPassedBetween(present - 1, tick.backFrom + 1, true, PassOverReason::AlreadyRan, NamedAtOnce);
    }
    if (tick.refound) {
        NextEventDay = tick.day;
        ShowSchedule();
    }
    return tick.due;
}

}  // namespace

int64_t PresentMinute()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalMinuteOf(now);
}

void FindNextEvent(int64_t present)
{
    // The event found replaces one that may be due now and not started (a run a release started,
    // the schedule armed or reloaded in its minute): its minute starts nothing more.
    LogLeftBehind(NextEvent, NextEventDay, Pending.Moment(), present,
                  ScheduleOffersStart()                      ? PassOverReason::ScheduleStopped
                  : ScheduleMode == ScheduleModes::Running ? PassOverReason::RunGoing
                                                           : PassOverReason::Reloaded);
    NextEventDay = Pending.FindAfter(PlugSettings.Schedule, present, &NextEvent);
}

void StartSchedule(bool armed, int64_t present)
{
    ScheduleMode = ScheduleModes::Stopped;
    PassedWhileStopped = 0;
    if (armed) {
        FindNextEvent(present);
        ScheduleMode = ScheduleModes::Armed;
    }
}

void StopSchedule()
{
    ScheduleMode = ScheduleModes::Stopped;
}

int __stdcall OnScheduleMenu(HWND, LPARAM)
{
    if (ScheduleOffersStart()) {
        FindNextEvent(PresentMinute());
        // During such a run, the schedule is armed once the run ends.
        if (ScheduleMode == ScheduleModes::Running)
            ModeAfterRun = ScheduleModes::Armed;
        else
            ScheduleMode = ScheduleModes::Armed;
    } else {
        ScheduleMode = ScheduleModes::Stopped;
    }
    // The entries passed over while it was stopped are counted by the line of its start.
    LogScheduleSwitched(ViewSchedule(), PassedWhileStopped);
    PassedWhileStopped = 0;
    ShowSchedule();
    return 0;
}

ScheduleView ViewSchedule()
{
    return ScheduleView{ScheduleOffersStart(), NextEvent, NextEventDay, NextEvent.Hour < 0 ? -1 : Pending.Moment()};
}

void StartTimer(int64_t present)
{
    if (TimerHeld)
        Host.KillTimer(TimerId);
    TimerId = Host.SetTimer(500, reinterpret_cast<void*>(OnTimer), 0);
    TimerHeld = true;
    StartConnectionWork(present);
}

int StopTimer()
{
    if (!TimerHeld)
        return 0;
    TimerHeld = false;
    EndConnectionWork();
    return Host.KillTimer(TimerId);
}

int __stdcall OnTimer(int, int)
{
    if (!TimerHeld)
        return 1;
    SYSTEMTIME now;
    GetLocalTime(&now);
    PostWantedSteps();
    const bool secondZero = now.wSecond == 0;
    if (ScheduleMode == ScheduleModes::Running) {
        AgeRun(now);
        const PassOverReason held = RunStuck ? PassOverReason::RunStuck : PassOverReason::RunGoing;
        // A run a release started while the schedule was stopped leaves it stopped.
        if (FollowClock(now))
            HoldBack(ModeAfterRun == ScheduleModes::Stopped ? PassOverReason::ScheduleStopped : held);
        TickDailyConnection(LocalMinuteOf(now), false, held);
        // A stuck run holds releases back until its end: each is logged once as it falls due.
        if (RunStuck && secondZero && PlugSettings.UseReserve) {
            ReleaseRules rules = ReleaseRulesAt(CurrentSystemSteps(), Host.GetMailbox());
            rules.Hold = true;
            rules.HoldAfter = HeldReleasesLogged;
            ScanOutbox(rules);
            HeldReleasesLogged = rules.ReferenceTime;
        }
        AnswerRunDialogs();
        return 1;
    }
    if (secondZero && PlugSettings.UseReserve) {
        // Local zones keep whole minutes: second 0 here is second 0 of the system's clock.
        ReleaseRules rules = ReleaseRulesAt(CurrentSystemSteps(), Host.GetMailbox());
        rules.ChangeDate = PlugSettings.ChangeDate != 0;
        rules.PreSec = PlugSettings.PreSec;
        rules.PostSec = PlugSettings.PostSec;
        if (ScanOutbox(rules) && PlugSettings.SendQuick)
            SendNow = true;
    }
    bool eventDue = FollowClock(now);
    // Without a folder window there is no host window to command: nothing starts, and a pending
    // SendNow waits for one.
    if (!MainWindow()) {
        if (eventDue)
            HoldBack(ScheduleMode == ScheduleModes::Armed ? PassOverReason::NoHostWindow : PassOverReason::ScheduleStopped);
        TickDailyConnection(LocalMinuteOf(now), false, PassOverReason::NoHostWindow);
        return 1;
    }
    // The minute of a connect or disconnect starts nothing else, on any tick.
    if (DailyMinute daily = TickDailyConnection(LocalMinuteOf(now), true, PassOverReason::NoTick);
        daily != DailyMinute::Other) {
        if (eventDue)
            HoldBack(ScheduleMode != ScheduleModes::Armed ? PassOverReason::ScheduleStopped
                     : daily == DailyMinute::Connect      ? PassOverReason::ConnectMinute
                                                          : PassOverReason::DisconnectMinute);
        if (daily == DailyMinute::DisconnectStarted)
            return 0;
        return 1;
    }
    // A schedule the user stopped starts no run from its stored event; a release with SendQuick
    // still sends and receives. The event is due on the first tick of its minute that may start
    // it, also when the tick at second 0 did not come (the host busy).
    if (eventDue && ScheduleMode != ScheduleModes::Armed) {
        HoldBack(PassOverReason::ScheduleStopped);
        eventDue = false;
    } else if (eventDue && ConnectionHoldsRuns()) {
        HoldBack(PassOverReason::ConnectionHeld);
        eventDue = false;
    }
    if ((secondZero && SendNow) || eventDue) {
        if (eventDue)
            Pending.MarkStarted();
        SendNow = false;
        LogRunStarted(NextEvent, NextEventDay, eventDue, NextEvent.Around != 0,
                      PlugSettings.UseSNTP && NextEvent.SNTP);
        RunLogged = true;
        StartScheduledRun(LocalMinuteOf(now));
    }
    if (ScheduleMode == ScheduleModes::Running)
        AnswerRunDialogs();
    return 1;
}

void StartScheduledRun(int64_t present)
{
    // The next event is found before the command goes out: a host may end the receive within the
    // command and then show a notice that runs the timer, and that tick must find the next entry
    // pending, not this one again.
    const ScheduleEntry run = NextEvent;
    // A run a release starts while the schedule is stopped leaves it stopped.
    ModeAfterRun = ScheduleMode == ScheduleModes::Stopped ? ScheduleModes::Stopped : ScheduleModes::Armed;
    ScheduleMode = ScheduleModes::Running;
    RunFailed = false;
    RunAgeMs = 0;
    RunLastTickMs = -1;
    RunStuck = false;
    HeldReleasesLogged = INT32_MIN;
    AnswerRunDialogs();
    if (!PlugSettings.NoNomal)
        RestoreOffScreen();
    if (PlugSettings.UseSNTP && run.SNTP)
        StartSntpAdjustClock();
    FindNextEvent(present);
    ShowSchedule();
    if (HWND main = MainWindow())
        SendMessageA(main, WM_COMMAND, run.Around ? HostCmdPatrolReceive : HostCmdReceive, 0);
}

ScheduleModes FolderEndRetrieve()
{
    // Also when the user stopped the schedule during the run: a window left off the screen
    // would be out of the user's reach.
    PutBackMovedWindow(true);
    bool logged = RunLogged;
    RunLogged = false;
    if (ScheduleMode != ScheduleModes::Running) {
        // The run still ends when the user stopped the schedule during it.
        if (logged)
            LogRunEnded(false, RunFailed);
        return ScheduleMode;
    }
    AnswerRunDialogs();
    bool distribute = MainWindow() && PlugSettings.AutoDistribute;
    LogRunEnded(distribute, RunFailed);
    if (distribute)
        PostToMainWindow(HostCmdDistribute);
    ScheduleMode = ModeAfterRun;
    return ScheduleMode;
}
