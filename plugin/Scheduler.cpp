#include "Scheduler.h"

#include "Outbox.h"
#include "SntpClient.h"
#include "../contract/Quillpost.h"

// True when the schedule is stopped, or runs a release's run that leaves it stopped: the menu
// item then offers to start it.
bool Schedule::OffersStart() const
{
    return ScheduleMode == ScheduleModes::Stopped ||
           (ScheduleMode == ScheduleModes::Running && ModeAfterRun == ScheduleModes::Stopped);
}

void Schedule::Show()
{
    menus_.Update(loaded_.FolderWindows, View(), loaded_.Settings.ShortCut);
}

int64_t LocalMinuteOf(const SYSTEMTIME& local)
{
    return LocalMinute(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
}

namespace {

// A gap between a run's ticks counts this long at most.
constexpr int64_t LongestTickGapMs = 2000;

// At most this many entries passed over at once are named each on its own line; a count stands
// for the rest.
constexpr int NamedAtOnce = 8;

void LogPassedMoment(int32_t hour, int32_t minute, int day, PassOverReason why)
{
    LogPassedOver(ScheduleEntry(hour, minute), day, why);
}

}  // namespace

void Schedule::AgeRun(const SYSTEMTIME& now)
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
void Schedule::AnswerRunDialogs()
{
    char text[512];
    if (AnswerHostDialogs(text, sizeof text) == AnsweredDialog::ErrorDialog) {
        RunFailed = true;
        LogRunError(text);
    }
}

// The pending event is due on this tick and does not start, for the reason given.
void Schedule::HoldBack(PassOverReason why)
{
    HeldMoment = Pending.Moment();
    HeldWhy = why;
}

// The entries whose moments lie strictly between after and before, in minutes no tick saw or
// minutes the clock went back over after they ran: one line each for up to named of them.
void Schedule::LogPassedBetween(int64_t after, int64_t before, bool ran, PassOverReason why, int named)
{
    PendingEvent::EntryMoment passed[NamedAtOnce];
    int count = Pending.Between(loaded_.Settings.Schedule, after, before, ran, passed, named);
    for (int i = 0; i < count && i < named; ++i)
        LogPassedMoment(passed[i].hour, passed[i].minute, passed[i].day, why);
    if (count > named)
        LogMorePassedOver(count - named, count >= PendingEvent::WalkLimit, why);
}

// The pending event (entry at weekday, moment) is left behind unrun at the present minute: it
// is logged with the reason a tick of its minute found, or as a minute no tick saw; so are the
// entries after it that no tick saw.
void Schedule::LogLeftBehind(const ScheduleEntry& entry, int weekday, int64_t moment, int64_t present,
                   PassOverReason unseen)
{
    if (moment == PendingEvent::NoMoment || moment > present || Pending.HasRun(moment))
        return;
    PassOverReason why = HeldMoment == moment ? HeldWhy : unseen;
    HeldMoment = PendingEvent::NoMoment;
    // A stopped schedule runs no entry: a line each would only push the log's history out.
    if (OffersStart()) {
        PassedWhileStopped +=
            1 + (moment < present ? Pending.Between(loaded_.Settings.Schedule, moment, present, false, nullptr, 0) : 0);
        return;
    }
    LogPassedOver(entry, weekday, why);
    if (moment < present)
        LogPassedBetween(moment, present, false, PassOverReason::NoTick, NamedAtOnce - 1);
}

// The pending event follows the clock on every tick, including those where nothing may start:
// once its moment has passed unrun, or the clock has gone back, the next one is found from the
// present, and the caption shows it. True when the pending moment is the present minute.
bool Schedule::FollowClock(int64_t present)
{
    const ScheduleEntry before = NextEvent;
    const int beforeDay = NextEventDay;
    PendingEvent::TickResult tick = Pending.Tick(loaded_.Settings.Schedule, present, &NextEvent);
    if (tick.passed != PendingEvent::NoMoment)
        LogLeftBehind(before, beforeDay, tick.passed, present, PassOverReason::NoTick);
    if (tick.backFrom != PendingEvent::NoMoment) {
        LogClockWentBack(tick.backFrom, present);
        // What ran in the minutes the clock shows again does not run again.
        LogPassedBetween(present - 1, tick.backFrom + 1, true, PassOverReason::AlreadyRan, NamedAtOnce);
    }
    if (tick.refound) {
        NextEventDay = tick.day;
        Show();
    }
    return tick.due;
}

int64_t PresentMinute()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalMinuteOf(now);
}

void Schedule::FindNextEvent(int64_t present)
{
    // The event found replaces one that may be due now and not started (a run a release started,
    // the schedule armed or reloaded in its minute): its minute starts nothing more.
    LogLeftBehind(NextEvent, NextEventDay, Pending.Moment(), present,
                  OffersStart()                              ? PassOverReason::ScheduleStopped
                  : ScheduleMode == ScheduleModes::Running ? PassOverReason::RunGoing
                                                           : PassOverReason::Reloaded);
    NextEventDay = Pending.FindAfter(loaded_.Settings.Schedule, present, &NextEvent);
}

void Schedule::Start(bool armed, int64_t present)
{
    ScheduleMode = ScheduleModes::Stopped;
    PassedWhileStopped = 0;
    if (armed) {
        FindNextEvent(present);
        ScheduleMode = ScheduleModes::Armed;
    }
}

void Schedule::Stop()
{
    ScheduleMode = ScheduleModes::Stopped;
}

void Schedule::Switch(int64_t present)
{
    if (OffersStart()) {
        FindNextEvent(present);
        // During such a run, the schedule is armed once the run ends.
        if (ScheduleMode == ScheduleModes::Running)
            ModeAfterRun = ScheduleModes::Armed;
        else
            ScheduleMode = ScheduleModes::Armed;
    } else {
        ScheduleMode = ScheduleModes::Stopped;
    }
    // The entries passed over while it was stopped are counted by the line of its start.
    LogScheduleSwitched(View(), PassedWhileStopped);
    PassedWhileStopped = 0;
    Show();
}

ScheduleView Schedule::View() const
{
    return ScheduleView{OffersStart(), NextEvent, NextEventDay, NextEvent.Hour < 0 ? -1 : Pending.Moment()};
}

void Schedule::StartTimer(int(__stdcall* onTimer)(int, int), int64_t present)
{
    if (TimerHeld)
        Host.KillTimer(TimerId);
    TimerId = Host.SetTimer(500, reinterpret_cast<void*>(onTimer), 0);
    TimerHeld = true;
    daily_.StartWork(present);
}

int Schedule::StopTimer()
{
    if (!TimerHeld)
        return 0;
    TimerHeld = false;
    daily_.EndWork();
    return Host.KillTimer(TimerId);
}

int Schedule::Tick(const ClockReading& reading)
{
    if (!TimerHeld)
        return 1;
    const SYSTEMTIME& now = reading.local;
    const int64_t present = LocalMinuteOf(now);
    // Local zones keep whole minutes: second 0 here is second 0 of the system's clock.
    const int32_t referenceMinute = MinuteStart(reading.time);
    daily_.PostWantedSteps();
    const bool secondZero = now.wSecond == 0;
    if (ScheduleMode == ScheduleModes::Running) {
        AgeRun(now);
        const PassOverReason held = RunStuck ? PassOverReason::RunStuck : PassOverReason::RunGoing;
        // A run a release started while the schedule was stopped leaves it stopped.
        if (FollowClock(present))
            HoldBack(ModeAfterRun == ScheduleModes::Stopped ? PassOverReason::ScheduleStopped : held);
        daily_.Tick(present, false, held);
        // A stuck run holds releases back until its end: each is logged once as it falls due.
        if (RunStuck && secondZero && loaded_.Settings.UseReserve) {
            ReleaseRules rules{referenceMinute, false, 0, 0};
            rules.Moment = reading.steps;
            rules.Mailbox = Host.GetMailbox ? Host.GetMailbox() : nullptr;
            rules.Hold = true;
            rules.HoldAfter = HeldReleasesLogged;
            outbox_.Scan(rules);
            HeldReleasesLogged = rules.ReferenceTime;
        }
        AnswerRunDialogs();
        return 1;
    }
    if (secondZero && loaded_.Settings.UseReserve) {
        ReleaseRules rules{referenceMinute, loaded_.Settings.ChangeDate != 0, loaded_.Settings.PreSec,
                           loaded_.Settings.PostSec};
        rules.Moment = reading.steps;
        rules.Mailbox = Host.GetMailbox ? Host.GetMailbox() : nullptr;
        if (outbox_.Scan(rules) && loaded_.Settings.SendQuick)
            SendNow = true;
        // The host's marks may have run its message loop, and its clean-up in it: the schedule
        // has ended, and nothing more starts from this tick.
        if (!TimerHeld)
            return 1;
    }
    bool eventDue = FollowClock(present);
    // Without a folder window there is no host window to command: nothing starts, and a pending
    // SendNow waits for one.
    if (!Main()) {
        if (eventDue)
            HoldBack(ScheduleMode == ScheduleModes::Armed ? PassOverReason::NoHostWindow : PassOverReason::ScheduleStopped);
        daily_.Tick(present, false, PassOverReason::NoHostWindow);
        return 1;
    }
    // The minute of a connect or disconnect starts nothing else, on any tick.
    if (DailyMinute daily = daily_.Tick(present, true, PassOverReason::NoTick);
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
    } else if (eventDue && daily_.HoldsRuns()) {
        HoldBack(PassOverReason::ConnectionHeld);
        eventDue = false;
    }
    if ((secondZero && SendNow) || eventDue) {
        if (eventDue)
            Pending.MarkStarted();
        SendNow = false;
        LogRunStarted(NextEvent, NextEventDay, eventDue, NextEvent.Around != 0,
                      loaded_.Settings.UseSNTP && NextEvent.SNTP);
        RunLogged = true;
        StartScheduledRun(present);
    }
    if (ScheduleMode == ScheduleModes::Running)
        AnswerRunDialogs();
    return 1;
}

void Schedule::StartScheduledRun(int64_t present)
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
    if (!loaded_.Settings.NoNomal)
        moved_.RestoreOffScreen(Main());
    if (loaded_.Settings.UseSNTP && run.SNTP)
        StartSntpAdjustClock(loaded_.Settings);
    FindNextEvent(present);
    Show();
    if (HWND main = Main())
        SendMessageA(main, WM_COMMAND, run.Around ? HostCmdPatrolReceive : HostCmdReceive, 0);
}

ScheduleModes Schedule::FolderEndRetrieve()
{
    // Also when the user stopped the schedule during the run: a window left off the screen
    // would be out of the user's reach.
    moved_.PutBack(true);
    bool logged = RunLogged;
    RunLogged = false;
    if (ScheduleMode != ScheduleModes::Running) {
        // The run still ends when the user stopped the schedule during it.
        if (logged)
            LogRunEnded(false, RunFailed);
        return ScheduleMode;
    }
    AnswerRunDialogs();
    bool distribute = Main() && loaded_.Settings.AutoDistribute;
    LogRunEnded(distribute, RunFailed);
    if (distribute)
        PostToMainWindow(Main(), HostCmdDistribute);
    ScheduleMode = ModeAfterRun;
    return ScheduleMode;
}
