#include "DailyConnection.h"

#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "host/HostApi.h"
#include "../contract/Quillpost.h"

namespace {

// A scheduled connect was started and its daily disconnect has not yet ended it.
bool ScheduledConnection = false;
// The scheduled connect has found the host online.
bool ScheduledConnectionUp = false;

// Between StartConnectionWork and EndConnectionWork, while the scheduler holds the host's timer. A
// host may still deliver a step after clean-up (one it had already taken from its queue); the
// plug-in's work is over by then.
bool Working = false;

// The host's commands for ConnectStep and DisconnectStep.
int ConnectStepCommand = 0;
int DisconnectStepCommand = 0;

// A step that found the connection state unchanged asks for the next one here, and the next
// tick posts it. Re-posting at once would keep a posted message in the host's queue at all
// times, and posted messages are taken before input, paint and timer messages: the host's
// window and this very tick would starve while the state does not change.
bool ConnectStepWanted = false;
bool DisconnectStepWanted = false;

constexpr int64_t NoMinute = -1;
constexpr int64_t MinutesPerDay = 1440;

// A daily set time: the minute (LocalMinute) of its latest coming while it waits for a tick that
// may start it, and the minute it was last started for. Each coming starts once: a host that
// toggles its connection on each command would cancel a connect that a second tick repeats while
// the host is still dialing.
struct DailyTime {
    int64_t due = NoMinute;
    int64_t started = NoMinute;
    PassOverReason held = PassOverReason::NoTick;  // why the last tick that found it due did not start it
};
DailyTime ConnectTime;
DailyTime DisconnectTime;
// The minute of the tick before; a set time is noticed when the clock comes to it after this.
int64_t LastTickMinute = NoMinute;

bool IsSetTime(long hour, long minute)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

// The latest minute at or before present that shows the set time; NoMinute for a time not set.
int64_t LatestComing(int set, long hour, long minute, int64_t present)
{
    if (!set || !IsSetTime(hour, minute))
        return NoMinute;
    int64_t at = present - present % MinutesPerDay + hour * 60 + minute;
    return at > present ? at - MinutesPerDay : at;
}

void PassOver(DailyTime& time, bool connect, PassOverReason why)
{
    LogDailyPassedOver(connect, time.due, why, false);
    time.due = NoMinute;
}

// The clock has come to the set time's minute since the tick before: it is due (a day's coming
// that still waits gives way to the next day's). A due time the clock has gone back before (a
// clock adjustment) waits until the clock comes to it again; one that is no longer set, or no
// longer at that time of day (the settings changed), is not made.
void Notice(DailyTime& time, bool connect, int64_t coming, int64_t present)
{
    if (coming == NoMinute || time.due > present)
        time.due = NoMinute;
    else if (time.due != NoMinute && (coming - time.due) % MinutesPerDay != 0)
        PassOver(time, connect, PassOverReason::Reloaded);
    if (LastTickMinute != NoMinute && coming > LastTickMinute && coming != time.started) {
        if (time.due != NoMinute)
            PassOver(time, connect, time.held);
        time = DailyTime{coming, time.started, PassOverReason::NoTick};
    }
}

// A due time that this tick may not start waits; a stuck run says so once.
void Hold(DailyTime& time, bool connect, PassOverReason why)
{
    if (time.due == NoMinute)
        return;
    if (why == PassOverReason::RunStuck && time.held != why)
        LogDailyPassedOver(connect, time.due, why, true);
    time.held = why;
}

// The time's start: the minute it was set for, or NoMinute when it was not due.
int64_t Take(DailyTime& time)
{
    int64_t at = time.due;
    time.due = NoMinute;
    if (at != NoMinute)
        time.started = at;
    return at;
}

void EndScheduledConnection()
{
    ScheduledConnection = false;
    ScheduledConnectionUp = false;
}

}  // namespace

void RegisterConnectionSteps()
{
    DisconnectStepCommand = Host.RegistCallback(DisconnectStep, 0);
    ConnectStepCommand = Host.RegistCallback(ConnectStep, 0);
}

void PostWantedSteps()
{
    if (ConnectStepWanted) {
        ConnectStepWanted = false;
        PostToMainWindow(static_cast<WPARAM>(ConnectStepCommand));
    }
    if (DisconnectStepWanted) {
        DisconnectStepWanted = false;
        PostToMainWindow(static_cast<WPARAM>(DisconnectStepCommand));
    }
}

void EndConnectionWork()
{
    Working = false;
    ConnectStepWanted = false;
    DisconnectStepWanted = false;
    EndScheduledConnection();
    ConnectTime.due = DisconnectTime.due = NoMinute;
}

void StartConnectionWork(int64_t minute)
{
    Working = true;
    LastTickMinute = minute;
    ConnectTime.due = DisconnectTime.due = NoMinute;
}

DailyMinute TickDailyConnection(int64_t minute, bool mayStart, PassOverReason why)
{
    const int64_t connectAt =
        LatestComing(PlugSettings.Connect, PlugSettings.ConnectHour, PlugSettings.ConnectMinute, minute);
    const int64_t disconnectAt =
        LatestComing(PlugSettings.DisConnect, PlugSettings.DisConnectHour, PlugSettings.DisConnectMinute, minute);
    Notice(ConnectTime, true, connectAt, minute);
    Notice(DisconnectTime, false, disconnectAt, minute);
    LastTickMinute = minute;
    // A connect whose disconnect has come since is not made, nor a disconnect once the next
    // connect has come (the same minute, which the editor refuses, goes to the connect).
    if (ConnectTime.due != NoMinute && DisconnectTime.due != NoMinute)
        PassOver(DisconnectTime.due > ConnectTime.due ? ConnectTime : DisconnectTime,
                 DisconnectTime.due > ConnectTime.due, PassOverReason::LaterDailyTime);
    if (ConnectTime.due != NoMinute && minute - ConnectTime.due >= ConnectLateMinutes)
        PassOver(ConnectTime, true, ConnectTime.held);
    // After its minute a disconnect is for the scheduled connection, which holds runs back.
    if (DisconnectTime.due != NoMinute && minute > DisconnectTime.due && !ScheduledConnection)
        PassOver(DisconnectTime, false, DisconnectTime.held);
    if (!mayStart) {
        Hold(ConnectTime, true, why);
        Hold(DisconnectTime, false, why);
        return DailyMinute::Other;
    }
    if (int64_t at = Take(ConnectTime); at != NoMinute) {
        StartScheduledConnect(at < minute ? at : NoMinute);
        return DailyMinute::Connect;
    }
    if (int64_t at = Take(DisconnectTime); at != NoMinute) {
        StartScheduledDisconnect(at < minute ? at : NoMinute);
        return DailyMinute::DisconnectStarted;
    }
    if (connectAt == minute)
        return DailyMinute::Connect;
    if (disconnectAt == minute)
        return DailyMinute::Disconnect;
    return DailyMinute::Other;
}

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

void StartScheduledConnect(int64_t lateFor)
{
    bool connected = IsConnected();
    LogConnectStarted(connected, lateFor);
    if (!connected)
        PostToMainWindow(HostCmdConnection);
    ScheduledConnection = true;
    PostToMainWindow(static_cast<WPARAM>(ConnectStepCommand));
}

int __stdcall ConnectStep(HWND, LPARAM)
{
    // A step the host still had in its queue at clean-up: the plug-in's work is over.
    if (!Working)
        return 0;
    if (AnswerHostDialogs() != AnsweredDialog::None) {
        EndScheduledConnection();
        LogConnectEnded(false);
        return 0;
    }
    if (IsConnected()) {
        LogConnectEnded(true);
        ScheduledConnectionUp = ScheduledConnection;
        AnswerHostDialogs();
        return 0;
    }
    ConnectStepWanted = true;
    return 0;
}

void StartScheduledDisconnect(int64_t lateFor)
{
    bool connected = IsConnected();
    LogDisconnectStarted(connected, lateFor);
    if (connected)
        PostToMainWindow(HostCmdConnection);
    PostToMainWindow(static_cast<WPARAM>(DisconnectStepCommand));
}

int __stdcall DisconnectStep(HWND, LPARAM)
{
    if (!Working)
        return 0;
    AnswerHostDialogs();
    if (IsConnected()) {
        DisconnectStepWanted = true;
        return 0;
    }
    EndScheduledConnection();
    LogDisconnectEnded();
    return 0;
}
