#include "Timer.h"

#include "Globals.h"
#include "HostWindows.h"
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

}  // namespace

int __stdcall OnTimer(int, int)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    PostWantedSteps();
    if (now.wSecond != 0 || ScheduleMode == Running) {
        if (ScheduleMode == Running)
            AnswerHostDialogs();
        return 1;
    }

    if (PlugSettings.UseReserve) {
        ReferenceTime = LocalFieldsToTime32(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
        if (ScanOutbox() && PlugSettings.SendQuick)
            SendNow = 1;
    }
    // Without a folder window there is no host window to command: nothing starts, and a pending
    // SendNow waits for one.
    if (!MainWindow())
        return 1;
    if (PlugSettings.Connect && now.wHour == PlugSettings.ConnectHour && now.wMinute == PlugSettings.ConnectMinute) {
        StartScheduledConnect();
        return 1;
    }
    if (PlugSettings.DisConnect && now.wHour == PlugSettings.DisConnectHour &&
        now.wMinute == PlugSettings.DisConnectMinute) {
        StartScheduledDisconnect();
        return 0;
    }
    // A schedule the user stopped starts no run from its stored event; a release with SendQuick
    // still sends and receives.
    bool eventDue = ScheduleMode == Armed && !ScheduledConnection && IsNextEventAt(now);
    if (SendNow || eventDue) {
        SendNow = 0;
        StartScheduledRun();
    }
    if (ScheduleMode == Running)
        AnswerHostDialogs();
    return 1;
}

void StartScheduledRun()
{
    ScheduleMode = Running;
    AnsweredDialog = None;
    AnswerHostDialogs();
    WasHidden = 0;
    WasIconic = 0;
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
    if (!IsConnected())
        PostToMain(HostCmdConnection);
    ScheduledConnection = 1;
    PostToMain(static_cast<WPARAM>(ConnectStepCommand));
}

int __stdcall ConnectStep(HWND, LPARAM)
{
    AnsweredDialog = None;
    AnswerHostDialogs();
    if (AnsweredDialog != None) {
        ScheduledConnection = 0;
        return 0;
    }
    if (IsConnected()) {
        AnsweredDialog = None;
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
    AnsweredDialog = None;
    AnswerHostDialogs();
    if (IsConnected())
        DisconnectStepWanted = true;
    else
        ScheduledConnection = 0;
    return 0;
}

int FolderEndRetrieve()
{
    if (ScheduleMode != Running)
        return ScheduleMode;
    HWND main = MainWindow();
    if (main && WasIconic) {
        ShowWindow(main, SW_HIDE);
        SetWindowPlacement(main, &SavedPlacement);
        ShowWindow(main, SW_SHOW);
    }
    if (main && WasHidden) {
        SendMessageA(main, WM_COMMAND, HostCmdToTray, 0);
        SavedPlacement.showCmd = SW_HIDE;
        SetWindowPlacement(main, &SavedPlacement);
    }
    WasHidden = 0;
    WasIconic = 0;
    AnsweredDialog = None;
    AnswerHostDialogs();
    if (main && PlugSettings.AutoDistribute)
        PostToMain(HostCmdDistribute);
    ScheduleMode = Armed;
    return ScheduleMode;
}
