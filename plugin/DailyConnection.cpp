#include "DailyConnection.h"

#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "host/HostApi.h"
#include "../contract/Quillpost.h"

namespace {

constexpr int64_t NoMinute = -1;
constexpr int64_t MinutesPerDay = 1440;

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

using DailyTime = DailyConnection::DailyTime;

void PassOver(DailyTime& time, bool connect, PassOverReason why)
{
    LogDailyPassedOver(connect, time.due, why, false);
    time.due = NoMinute;
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

}  // namespace

// The clock has come to the set time's minute since the tick before: it is due (a day's coming
// that still waits gives way to the next day's). A due time the clock has gone back before (a
// clock adjustment) waits until the clock comes to it again; one that is no longer set, or no
// longer at that time of day (the settings changed), is not made.
void DailyConnection::Notice(DailyTime& time, bool connect, int64_t coming, int64_t present)
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

void DailyConnection::EndScheduledConnection()
{
    ScheduledConnection = false;
    ScheduledConnectionUp = false;
}


void DailyConnection::RegisterSteps(HostCallback connect, HostCallback disconnect)
{
    DisconnectStepCommand = Host.RegistCallback(disconnect, 0);
    ConnectStepCommand = Host.RegistCallback(connect, 0);
}

void DailyConnection::PostWantedSteps()
{
    if (ConnectStepWanted) {
        ConnectStepWanted = false;
        PostToMainWindow(Main(), static_cast<WPARAM>(ConnectStepCommand));
    }
    if (DisconnectStepWanted) {
        DisconnectStepWanted = false;
        PostToMainWindow(Main(), static_cast<WPARAM>(DisconnectStepCommand));
    }
}

void DailyConnection::EndWork()
{
    Working = false;
    ConnectStepWanted = false;
    DisconnectStepWanted = false;
    EndScheduledConnection();
    ConnectTime.due = DisconnectTime.due = NoMinute;
}

void DailyConnection::StartWork(int64_t minute)
{
    Working = true;
    LastTickMinute = minute;
    ConnectTime.due = DisconnectTime.due = NoMinute;
}

DailyMinute DailyConnection::Tick(int64_t minute, bool mayStart, PassOverReason why)
{
    const int64_t connectAt =
        LatestComing(loaded_.Settings.Connect, loaded_.Settings.ConnectHour, loaded_.Settings.ConnectMinute, minute);
    const int64_t disconnectAt =
        LatestComing(loaded_.Settings.DisConnect, loaded_.Settings.DisConnectHour, loaded_.Settings.DisConnectMinute, minute);
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

bool DailyConnection::HoldsRuns()
{
    if (!ScheduledConnection || !loaded_.Settings.DisConnect ||
        !IsSetTime(loaded_.Settings.DisConnectHour, loaded_.Settings.DisConnectMinute))
        return false;
    if (ScheduledConnectionUp && !IsConnected(Main())) {
        EndScheduledConnection();
        LogConnectionLost();
        return false;
    }
    return true;
}

void DailyConnection::StartScheduledConnect(int64_t lateFor)
{
    bool connected = IsConnected(Main());
    LogConnectStarted(connected, lateFor);
    if (!connected)
        PostToMainWindow(Main(), HostCmdConnection);
    ScheduledConnection = true;
    PostToMainWindow(Main(), static_cast<WPARAM>(ConnectStepCommand));
}

void DailyConnection::ConnectStep()
{
    // A step the host still had in its queue at clean-up: the plug-in's work is over.
    if (!Working)
        return;
    if (AnswerHostDialogs() != AnsweredDialog::None) {
        EndScheduledConnection();
        LogConnectEnded(false);
        return;
    }
    if (IsConnected(Main())) {
        LogConnectEnded(true);
        ScheduledConnectionUp = ScheduledConnection;
        AnswerHostDialogs();
        return;
    }
    ConnectStepWanted = true;
}

void DailyConnection::StartScheduledDisconnect(int64_t lateFor)
{
    bool connected = IsConnected(Main());
    LogDisconnectStarted(connected, lateFor);
    if (connected)
        PostToMainWindow(Main(), HostCmdConnection);
    PostToMainWindow(Main(), static_cast<WPARAM>(DisconnectStepCommand));
}

void DailyConnection::DisconnectStep()
{
    if (!Working)
        return;
    AnswerHostDialogs();
    if (IsConnected(Main())) {
        DisconnectStepWanted = true;
        return;
    }
    EndScheduledConnection();
    LogDisconnectEnded();
}
