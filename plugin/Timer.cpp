#include "Timer.h"

#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "Menu.h"
#include "Outbox.h"
#include "SntpClient.h"
#include "Time32.h"

namespace {

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

bool IsNextEventAt(const SYSTEMTIME& now)
{
    return NextEventDay == now.wDayOfWeek && NextEvent.Hour == now.wHour && NextEvent.Minute == now.wMinute;
}

// The minutes in which the scheduled connect and disconnect were last started. Two ticks fall on
// second 0: a host that toggles its connection on each command would cancel a connect that the
// second tick repeats while the host is still dialing.
int64_t ConnectStartedIn = -1;
int64_t DisconnectStartedIn = -1;

int64_t MinuteOf(const SYSTEMTIME& time)
{
    return (((static_cast<int64_t>(time.wYear) * 13 + time.wMonth) * 32 + time.wDay) * 24 + time.wHour) * 60 +
           time.wMinute;
}

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

// The minute in which the pending event was last logged as passed over, or in which a run
// started: both ticks of second 0 come to the same decision, and the event a run finds next (the
// same entry a week on, when it is the week's only one) is not passed over in its own minute.
int64_t PassedOverIn = -1;

// Logs, once in its minute, that the pending event's minute has come and starts no run. A stopped
// schedule's event is logged only when it is one of the schedule's entries: the event a library
// just loaded holds is the load time, not an entry.
void PassOverIfDue(const SYSTEMTIME& now, PassOverReason why)
{
    if (!IsNextEventAt(now) || PassedOverIn == MinuteOf(now))
        return;
    if (why == PassOverReason::ScheduleStopped &&
        (NextEventDay < 0 || NextEventDay > 6 ||
         !PlugSettings.Schedule[NextEventDay].FindExact(NextEvent.Hour, NextEvent.Minute)))
        return;
    PassedOverIn = MinuteOf(now);
    LogPassedOver(NextEvent, NextEventDay, why);
}

}  // namespace

int __stdcall OnTimer(int, int)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    PostWantedSteps();
    if (now.wSecond != 0 || ScheduleMode == Running) {
        if (ScheduleMode == Running) {
            if (now.wSecond == 0)
                PassOverIfDue(now,
                              ModeAfterRun == Stopped ? PassOverReason::ScheduleStopped : PassOverReason::RunGoing);
            AnswerHostDialogs();
        }
        return 1;
    }

    if (PlugSettings.UseReserve) {
        // Local zones keep whole minutes: second 0 here is second 0 of the system's clock.
        ReferenceTime = CurrentMinute32();
        if (ScanOutbox() && PlugSettings.SendQuick)
            SendNow = 1;
    }
    // Without a folder window there is no host window to command: nothing starts, and a pending
    // SendNow waits for one.
    if (!MainWindow()) {
        PassOverIfDue(now, ScheduleMode == Armed ? PassOverReason::NoHostWindow : PassOverReason::ScheduleStopped);
        return 1;
    }
    // The minute of a connect or disconnect starts nothing else, on either tick.
    if (PlugSettings.Connect && now.wHour == PlugSettings.ConnectHour && now.wMinute == PlugSettings.ConnectMinute) {
        if (ConnectStartedIn == MinuteOf(now))
            return 1;
        ConnectStartedIn = MinuteOf(now);
        StartScheduledConnect();
        PassOverIfDue(now, ScheduleMode == Armed ? PassOverReason::ConnectMinute : PassOverReason::ScheduleStopped);
        return 1;
    }
    if (PlugSettings.DisConnect && now.wHour == PlugSettings.DisConnectHour &&
        now.wMinute == PlugSettings.DisConnectMinute) {
        if (DisconnectStartedIn == MinuteOf(now))
            return 1;
        DisconnectStartedIn = MinuteOf(now);
        StartScheduledDisconnect();
        PassOverIfDue(now,
                      ScheduleMode == Armed ? PassOverReason::DisconnectMinute : PassOverReason::ScheduleStopped);
        return 0;
    }
    // A schedule the user stopped starts no run from its stored event; a release with SendQuick
    // still sends and receives.
    bool held = ScheduleMode == Armed && IsNextEventAt(now) && ConnectionHoldsRuns();
    bool eventDue = ScheduleMode == Armed && IsNextEventAt(now) && !held;
    if (SendNow || eventDue) {
        SendNow = 0;
        PassedOverIn = MinuteOf(now);
        LogRunStarted(NextEvent, NextEventDay, eventDue, NextEvent.Around != 0,
                      PlugSettings.UseSNTP && NextEvent.SNTP);
        StartScheduledRun();
    } else {
        PassOverIfDue(now, held ? PassOverReason::ConnectionHeld : PassOverReason::ScheduleStopped);
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
    UpdateScheduleMenuItem(PluginSubmenu(main));
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
    if (ScheduleMode != Running)
        return ScheduleMode;
    AnsweredDialog = None;
    AnswerHostDialogs();
    bool distribute = MainWindow() && PlugSettings.AutoDistribute;
    LogRunEnded(distribute);
    if (distribute)
        PostToMain(HostCmdDistribute);
    ScheduleMode = ModeAfterRun;
    return ScheduleMode;
}
