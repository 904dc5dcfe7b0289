#include "Timer.h"

#include "Globals.h"
#include "HostWindows.h"
#include "Menu.h"
#include "Outbox.h"
#include "PendingEvent.h"
#include "SntpClient.h"
#include "Time32.h"
#include "host/HostApi.h"

namespace {

ScheduleModes ScheduleMode = ScheduleModes::Stopped;
// Armed, or Stopped for a run a release started while the schedule was stopped.
ScheduleModes ModeAfterRun = ScheduleModes::Armed;
// The pending event's hour, minute and kind (at load, the load time's hour and minute); Pending
// holds its date and the moments that have run.
ScheduleEntry NextEvent;
PendingEvent Pending;

// A scheduled connect was started and its daily disconnect has not yet ended it.
bool ScheduledConnection = false;
// The scheduled connect has found the host online.
bool ScheduledConnectionUp = false;
// An outbox scan released a message with SendQuick set: the next tick at second 0 that may start
// a run starts one.
bool SendNow = false;

int64_t LocalMinuteOf(const SYSTEMTIME& local)
{
    return LocalMinute(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
}

// Between start-up and clean-up. A host may still deliver a tick after clean-up (one it had already
// taken from its queue); the plug-in's work is over by then.
bool TimerHeld = false;
int TimerId = 0;

// The host's commands for ConnectStep and DisconnectStep.
int ConnectStepCommand = 0;
int DisconnectStepCommand = 0;

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
    ScheduledConnection = false;
    ScheduledConnectionUp = false;
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
        return false;
    }
    return true;
}

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
    return ScheduleMode == ScheduleModes::Stopped || (ScheduleMode == ScheduleModes::Running && ModeAfterRun == ScheduleModes::Stopped);
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

void RegisterConnectionSteps()
{
    DisconnectStepCommand = Host.RegistCallback(DisconnectStep, 0);
    ConnectStepCommand = Host.RegistCallback(ConnectStep, 0);
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
    if (PlugSettings.Connect && now.wHour == PlugSettings.ConnectHour && now.wMinute == PlugSettings.ConnectMinute) {
        if (secondZero && ConnectStartedIn != LocalMinuteOf(now)) {
            ConnectStartedIn = LocalMinuteOf(now);
            StartScheduledConnect();
        }
        return 1;
    }
    if (PlugSettings.DisConnect && now.wHour == PlugSettings.DisConnectHour &&
        now.wMinute == PlugSettings.DisConnectMinute) {
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

void StartScheduledConnect()
{
    if (!IsConnected())
        PostToMain(HostCmdConnection);
    ScheduledConnection = true;
    PostToMain(static_cast<WPARAM>(ConnectStepCommand));
}

int __stdcall ConnectStep(HWND, LPARAM)
{
    if (AnswerHostDialogs() != AnsweredDialog::None) {
        EndScheduledConnection();
        return 0;
    }
    if (IsConnected()) {
        ScheduledConnectionUp = ScheduledConnection;
        AnswerHostDialogs();
        return 0;
    }
    ConnectStepWanted = true;
    return 0;
}

void StartScheduledDisconnect()
{
    if (IsConnected())
        PostToMain(HostCmdConnection);
    PostToMain(static_cast<WPARAM>(DisconnectStepCommand));
}

int __stdcall DisconnectStep(HWND, LPARAM)
{
    AnswerHostDialogs();
    if (IsConnected())
        DisconnectStepWanted = true;
    else
        EndScheduledConnection();
    return 0;
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
        PostToMain(HostCmdDistribute);
    ScheduleMode = ModeAfterRun;
    return ScheduleMode;
}
