#include "DailyConnection.h"

#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "Scheduler.h"
#include "host/HostApi.h"
#include "host/HostUi.h"

namespace {

// A scheduled connect was started and its daily disconnect has not yet ended it.
bool ScheduledConnection = false;
// The scheduled connect has found the host online.
bool ScheduledConnectionUp = false;

// The host's commands for ConnectStep and DisconnectStep.
int ConnectStepCommand = 0;
int DisconnectStepCommand = 0;

// A step that found the connection state unchanged asks for the next one here, and the next
// tick posts it. Re-posting at once would keep a posted message in the host's queue at all
// times, and posted messages are taken before input, paint and timer messages: the host's
// window and this very tick would starve while the state does not change.
bool ConnectStepWanted = false;
bool DisconnectStepWanted = false;

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
    ConnectStepWanted = false;
    DisconnectStepWanted = false;
    EndScheduledConnection();
}

DailyMinute TickDailyConnection(const SYSTEMTIME& now, int64_t minute)
{
    const bool secondZero = now.wSecond == 0;
    if (PlugSettings.Connect && now.wHour == PlugSettings.ConnectHour && now.wMinute == PlugSettings.ConnectMinute) {
        if (secondZero && ConnectStartedIn != minute) {
            ConnectStartedIn = minute;
            StartScheduledConnect();
        }
        return DailyMinute::Connect;
    }
    if (PlugSettings.DisConnect && now.wHour == PlugSettings.DisConnectHour &&
        now.wMinute == PlugSettings.DisConnectMinute) {
        if (secondZero && DisconnectStartedIn != minute) {
            DisconnectStartedIn = minute;
            StartScheduledDisconnect();
            return DailyMinute::DisconnectStarted;
        }
        return DailyMinute::Disconnect;
    }
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

void StartScheduledConnect()
{
    bool connected = IsConnected();
    LogConnectStarted(connected);
    if (!connected)
        PostToMainWindow(HostCmdConnection);
    ScheduledConnection = true;
    PostToMainWindow(static_cast<WPARAM>(ConnectStepCommand));
}

int __stdcall ConnectStep(HWND, LPARAM)
{
    // A step the host still had in its queue at clean-up: the plug-in's work is over.
    if (!IsTimerHeld())
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

void StartScheduledDisconnect()
{
    bool connected = IsConnected();
    LogDisconnectStarted(connected);
    if (connected)
        PostToMainWindow(HostCmdConnection);
    PostToMainWindow(static_cast<WPARAM>(DisconnectStepCommand));
}

int __stdcall DisconnectStep(HWND, LPARAM)
{
    if (!IsTimerHeld())
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
