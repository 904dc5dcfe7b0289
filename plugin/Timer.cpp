#include "Timer.h"

#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "Menu.h"
#include "Outbox.h"
#include "PendingEvent.h"
#include "SntpClient.h"
#include "Time32.h"
#include "host/HostApi.h"

namespace {

// The date of NextEvent, and the moments that have run.
PendingEvent Pending;

int64_t LocalMinuteOf(const SYSTEMTIME& local)
{
    return LocalMinute(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
}

// Between start-up and clean-up. A host may still deliver a tick after clean-up (one it had already
// taken from its queue); the plug-in's work is over by then.
bool TimerHeld = false;

// A step that found the connection state unchanged asks for the next one here, and the next
// tick posts it. Re-posting at once would keep a posted message in the host's queue at all
// times, and posted messages are taken before input, paint and timer messages: the host's
// window and this very tick would starve while the state does not change.
bool ConnectStepWanted = false;
bool DisconnectStepWanted = false;

void PostToMain(WPARAM command)
{
    if (HWND main = MainWindow())
        PostMessageA(main, WM_COMMAND, command, 0);
}

void PostWantedSteps()
{
    if (ConnectStepWanted) {
        ConnectStepWanted = false;
        PostToMain(static_cast<WPARAM>(ConnectStepCommand));
    }
    if (DisconnectStepWanted) {
        DisconnectStepWanted = false;
        PostToMain(static_cast<WPARAM>(DisconnectStepCommand));
    }
}

// The local minutes in which the scheduled connect and disconnect were last started. Two ticks
// fall on second 0: a host that toggles its connection on each command would cancel a connect
// that the second tick repeats while the host is still dialing.
int64_t ConnectStartedIn = -1;
int64_t DisconnectStartedIn = -1;

bool IsSetTime(long hour, long minute)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

void EndScheduledConnection()
{
    ScheduledConnection = 0;
    ScheduledConnectionUp = 0;
}

// A scheduled connection holds the schedule's runs back only while a set daily disconnect will
// end it. Once a tick finds the host offline after the connect came up (the user or the line
// ended it), it is over.
bool ConnectionHoldsRuns()
{
    if (!ScheduledConnection || !PlugSettings.DisConnect ||
        !IsSetTime(PlugSettings.DisConnectHour, PlugSettings.DisConnectMinute))
        return false;
    if (ScheduledConnectionUp && !IsConnected()) {
        EndScheduledConnection();
        LogConnectionLost();
        return false;
    }
    return true;
}

// A run's start is in the log and its end not yet: the end is logged also when the user stopped
// the schedule during the run.
bool RunLogged = false;

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
    LogPassedOver(entry, weekday, HeldMoment == moment ? HeldWhy : unseen);
    HeldMoment = PendingEvent::NoMoment;
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
        UpdateScheduleMenuItems();
    }
    return tick.due;
}

}  // namespace

void FindNextEventNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int64_t present = LocalMinuteOf(now);
    // The event found replaces one that may be due now and not started (a run a release started,
    // the schedule armed or reloaded in its minute): its minute starts nothing more.
    bool armed = ScheduleMode == Armed || (ScheduleMode == Running && ModeAfterRun == Armed);
    LogLeftBehind(NextEvent, NextEventDay, Pending.Moment(), present,
                  !armed                      ? PassOverReason::ScheduleStopped
                  : ScheduleMode == Running ? PassOverReason::RunGoing
                                            : PassOverReason::Reloaded);
    NextEventDay = Pending.FindAfter(PlugSettings.Schedule, present, &NextEvent);
}

void StartTimer()
{
    if (TimerHeld)
        Host.KillTimer(TimerId);
    TimerId = Host.SetTimer(500, reinterpret_cast<void*>(OnTimer), 0);
    TimerHeld = true;
}

int StopTimer()
{
    if (!TimerHeld)
        return 0;
    TimerHeld = false;
    // The connect or disconnect under way ends with the plug-in's work: a later start-up polls
    // nothing for it (each poll answers the host's dialogs) and holds no run back for it. The
    // minutes they started in stay, so a start-up in that minute does not command them again.
    ConnectStepWanted = false;
    DisconnectStepWanted = false;
    EndScheduledConnection();
    return Host.KillTimer(TimerId);
}

int __stdcall OnTimer(int, int)
{
    if (!TimerHeld)
        return 1;
    SYSTEMTIME now;
    GetLocalTime(&now);
    PostWantedSteps();
    if (ScheduleMode == Running) {
        // A run a release started while the schedule was stopped leaves it stopped.
        if (FollowClock(now))
            HoldBack(ModeAfterRun == Stopped ? PassOverReason::ScheduleStopped : PassOverReason::RunGoing);
        AnswerHostDialogs();
        return 1;
    }
    const bool secondZero = now.wSecond == 0;
    if (secondZero && PlugSettings.UseReserve) {
        // Local zones keep whole minutes: second 0 here is second 0 of the system's clock.
        ReferenceTime = CurrentMinute32();
        if (ScanOutbox() && PlugSettings.SendQuick)
            SendNow = 1;
    }
    bool eventDue = FollowClock(now);
    // Without a folder window there is no host window to command: nothing starts, and a pending
    // SendNow waits for one.
    if (!MainWindow()) {
        if (eventDue)
            HoldBack(ScheduleMode == Armed ? PassOverReason::NoHostWindow : PassOverReason::ScheduleStopped);
        return 1;
    }
    // The minute of a connect or disconnect starts nothing else, on any tick.
    if (PlugSettings.Connect && now.wHour == PlugSettings.ConnectHour && now.wMinute == PlugSettings.ConnectMinute) {
        if (eventDue)
            HoldBack(ScheduleMode == Armed ? PassOverReason::ConnectMinute : PassOverReason::ScheduleStopped);
        if (secondZero && ConnectStartedIn != LocalMinuteOf(now)) {
            ConnectStartedIn = LocalMinuteOf(now);
            StartScheduledConnect();
        }
        return 1;
    }
    if (PlugSettings.DisConnect && now.wHour == PlugSettings.DisConnectHour &&
        now.wMinute == PlugSettings.DisConnectMinute) {
        if (eventDue)
            HoldBack(ScheduleMode == Armed ? PassOverReason::DisconnectMinute : PassOverReason::ScheduleStopped);
        if (secondZero && DisconnectStartedIn != LocalMinuteOf(now)) {
            DisconnectStartedIn = LocalMinuteOf(now);
            StartScheduledDisconnect();
            return 0;
        }
        return 1;
    }
    // A schedule the user stopped starts no run from its stored event; a release with SendQuick
    // still sends and receives. The event is due on the first tick of its minute that may start
    // it, also when the tick at second 0 did not come (the host busy).
    if (eventDue && ScheduleMode != Armed) {
        HoldBack(PassOverReason::ScheduleStopped);
        eventDue = false;
    } else if (eventDue && ConnectionHoldsRuns()) {
        HoldBack(PassOverReason::ConnectionHeld);
        eventDue = false;
    }
    if ((secondZero && SendNow) || eventDue) {
        if (eventDue)
            Pending.MarkStarted();
        SendNow = 0;
        LogRunStarted(NextEvent, NextEventDay, eventDue, NextEvent.Around != 0,
                      PlugSettings.UseSNTP && NextEvent.SNTP);
        RunLogged = true;
        StartScheduledRun();
    }
    if (ScheduleMode == Running)
        AnswerHostDialogs();
    return 1;
}

void StartScheduledRun()
{
    // A run a release starts while the schedule is stopped leaves it stopped.
    ModeAfterRun = ScheduleMode == Stopped ? Stopped : Armed;
    ScheduleMode = Running;
    AnsweredDialog = None;
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

void StartScheduledConnect()
{
    bool connected = IsConnected();
    LogConnectStarted(connected);
    if (!connected)
        PostToMain(HostCmdConnection);
    ScheduledConnection = 1;
    PostToMain(static_cast<WPARAM>(ConnectStepCommand));
}

int __stdcall ConnectStep(HWND, LPARAM)
{
    // A step the host still had in its queue at clean-up: the plug-in's work is over.
    if (!TimerHeld)
        return 0;
    AnsweredDialog = None;
    AnswerHostDialogs();
    if (AnsweredDialog != None) {
        EndScheduledConnection();
        LogConnectEnded(false);
        return 0;
    }
    if (IsConnected()) {
        LogConnectEnded(true);
        ScheduledConnectionUp = ScheduledConnection;
        AnsweredDialog = None;
        AnswerHostDialogs();
        return 0;
    }
    ConnectStepWanted = true;
    return 0;
}

void StartScheduledDisconnect()
{
    bool connected = IsConnected();
    LogDisconnectStarted(connected);
    if (connected)
        PostToMain(HostCmdConnection);
    PostToMain(static_cast<WPARAM>(DisconnectStepCommand));
}

int __stdcall DisconnectStep(HWND, LPARAM)
{
    if (!TimerHeld)
        return 0;
    AnsweredDialog = None;
    AnswerHostDialogs();
    if (IsConnected()) {
        DisconnectStepWanted = true;
        return 0;
    }
    EndScheduledConnection();
    LogDisconnectEnded();
    return 0;
}

int FolderEndRetrieve()
{
    // Also when the user stopped the schedule during the run: a window left off the screen
    // would be out of the user's reach.
    PutBackMovedWindow(true);
    bool logged = RunLogged;
    RunLogged = false;
    if (ScheduleMode != Running) {
        // The run still ends when the user stopped the schedule during it.
        if (logged)
            LogRunEnded(false);
        return ScheduleMode;
    }
    AnsweredDialog = None;
    AnswerHostDialogs();
    bool distribute = MainWindow() && PlugSettings.AutoDistribute;
    LogRunEnded(distribute);
    if (distribute)
        PostToMain(HostCmdDistribute);
    ScheduleMode = ModeAfterRun;
    return ScheduleMode;
}
