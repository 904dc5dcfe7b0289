#pragma once
// The daily connect and disconnect at the set times: started by the first tick that may start them
// once their minute has come, carried to completion by two host callbacks, and the scheduled
// connection they bracket, which holds the schedule's runs back while its disconnect is still to
// come.

#include "Globals.h"
#include "LogLines.h"
#include "host/HostApi.h"

#include <windows.h>

#include <cstdint>

// What the tick's minute is to the daily connection.
enum class DailyMinute {
    Other,               // neither set time: the tick goes on
    Connect,             // the connect's minute, or a connect started late: nothing else starts
    Disconnect,          // the disconnect's minute: nothing else starts
    DisconnectStarted,   // the disconnect started on this tick
};
constexpr int64_t ConnectLateMinutes = 10;

class DailyConnection {
public:
    // Reads the set times from loaded's settings and commands the first of its folder windows.
    explicit DailyConnection(const LoadedRecord& loaded) : loaded_(loaded) {}

    // Registers the host callbacks that carry a scheduled connect or disconnect on (they call
    // ConnectStep and DisconnectStep), for the commands posted to the main window.
    void RegisterSteps(HostCallback connect, HostCallback disconnect);
    // Carry a scheduled connect or disconnect to completion. Outside the work StartWork and
    // EndWork bracket they do nothing.
    void ConnectStep();
    void DisconnectStep();

    // Posts the steps that asked on an earlier tick to be carried on.
    void PostWantedSteps();
    // At clean-up: the connect or disconnect under way ends with the plug-in's work, so that a
    // step the host still delivers polls nothing for it (each poll answers the host's dialogs)
    // and nothing holds a run back for it.
    void EndWork();
    // When the scheduler takes the host's timer, the local minute (LocalMinute) of the present: a
    // set time of this minute or before came before the plug-in's work began and is not made.
    void StartWork(int64_t minute);

    // The tick's part, on every tick. A set time is due from its minute on: a connect for
    // ConnectLateMinutes, a disconnect in its minute and after it for as long as a scheduled
    // connection is there to end; whichever of the two came later has the say. The first tick
    // that may start a due time (mayStart) starts it, once; on the others, why says what holds it
    // back, and a time whose chance passes is logged with the last such reason. minute: the
    // local minute of the tick (LocalMinute).
    DailyMinute Tick(int64_t minute, bool mayStart, PassOverReason why);
    // True while a scheduled connection holds the schedule's runs back: a connect was started and
    // a set daily disconnect will end it. Once the host is found offline after the connect came
    // up (the user or the line ended it), the connection is over.
    bool HoldsRuns();

    // A daily set time: the minute (LocalMinute) of its latest coming while it waits for a tick
    // that may start it, and the minute it was last started for. Each coming starts once: a host
    // that toggles its connection on each command would cancel a connect that a second tick
    // repeats while the host is still dialing.
    struct DailyTime {
        int64_t due = -1;
        int64_t started = -1;
        PassOverReason held = PassOverReason::NoTick;  // why the last tick that found it due did not start it
    };

private:
    HWND Main() const { return MainWindow(loaded_.FolderWindows); }
    void Notice(DailyTime& time, bool connect, int64_t coming, int64_t present);
    void EndScheduledConnection();
    // Scheduled work started by the tick; lateFor: the minute it was set for when it starts late,
    // else -1.
    void StartScheduledConnect(int64_t lateFor);
    void StartScheduledDisconnect(int64_t lateFor);

    const LoadedRecord& loaded_;
    // A scheduled connect was started and its daily disconnect has not yet ended it.
    bool ScheduledConnection = false;
    // The scheduled connect has found the host online.
    bool ScheduledConnectionUp = false;
    // Between StartWork and EndWork, while the scheduler holds the host's timer. A host may still
    // deliver a step after clean-up (one it had already taken from its queue); the plug-in's
    // work is over by then.
    bool Working = false;
    // The host's commands for the two steps.
    int ConnectStepCommand = 0;
    int DisconnectStepCommand = 0;
    // A step that found the connection state unchanged asks for the next one here, and the next
    // tick posts it. Re-posting at once would keep a posted message in the host's queue at all
    // times, and posted messages are taken before input, paint and timer messages: the host's
    // window and this very tick would starve while the state does not change.
    bool ConnectStepWanted = false;
    bool DisconnectStepWanted = false;
    DailyTime ConnectTime;
    DailyTime DisconnectTime;
    // The minute of the tick before; a set time is noticed when the clock comes to it after this.
    int64_t LastTickMinute = -1;
};
