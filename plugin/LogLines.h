#pragma once
// What chronel did, one call per event, each a line of its log (see LogQueue.h): scheduled runs,
// entries passed over, connects and disconnects, reservations posted and released, clock
// adjustments. Every call here only queues its line; all but LogClockOutcome come from the host's
// user-interface thread.

#include "../common/pure/MessageRewrite.h"
#include "../common/pure/Schedule.h"
#include "ScheduleView.h"

#include <cstdint>

// shown: the schedule at start-up.
void LogPluginStarted(const ScheduleView& shown);
void LogPluginEnded();
// The user started or stopped the schedule from its menu item (shown: the schedule after it);
// passedWhileStopped: entries whose minutes came while it was stopped (one line says so, instead
// of one line each).
void LogScheduleSwitched(const ScheduleView& shown, int passedWhileStopped);

// A receive run starts: for the schedule's entry (at weekday), or at once after a release.
void LogRunStarted(const ScheduleEntry& entry, int weekday, bool forEntry, bool patrol, bool adjustClock);
void LogRunEnded(bool distribute, bool failed);
// The host's error dialog was answered during a run; text: what it said, "" when unknown.
void LogRunError(const char* text);
// The run has gone on for StuckRunMinutes: said once a run.
void LogRunStuck();

// Why a schedule entry's minute came and started no run.
enum class PassOverReason {
    ScheduleStopped,
    ConnectionHeld,   // a scheduled connection holds runs back until the disconnect
    RunGoing,         // the previous run has not ended
    ConnectMinute,    // the scheduled connect starts in the same minute
    DisconnectMinute, // the scheduled disconnect starts in the same minute
    NoHostWindow,     // there is no folder window to send the command to
    NoTick,           // no tick came in its minute: the computer asleep, the host busy, the clock set forward
    AlreadyRan,       // the clock went back over it after it ran: it does not run again
    Reloaded,         // the schedule was read anew in its minute
    RunStuck,         // the run has gone on for StuckRunMinutes without its end
    LaterDailyTime,   // the other daily time came after it
};
// A run that has gone on this long without the host's end of retrieval is logged as stuck.
constexpr int StuckRunMinutes = 30;
void LogPassedOver(const ScheduleEntry& entry, int weekday, PassOverReason why);
// More entries passed over for the same reason than were named: count of them, or at least count.
void LogMorePassedOver(int count, bool atLeast, PassOverReason why);
// The local clock showed an earlier minute than on the tick before (minutes as LocalMinute counts).
void LogClockWentBack(int64_t fromMinute, int64_t toMinute);

// The daily connect or disconnect starts; lateFor: the minute (LocalMinute) it was set for, when
// an earlier tick could not start it, else -1.
void LogConnectStarted(bool alreadyConnected, int64_t lateFor);
// connected: the host went online; otherwise the host's error dialog was answered.
void LogConnectEnded(bool connected);
void LogDisconnectStarted(bool wasConnected, int64_t lateFor);
// The daily connect or disconnect set for the minute at is not made (held: it waits).
void LogDailyPassedOver(bool connect, int64_t at, PassOverReason why, bool held);
void LogDisconnectEnded();
// A scheduled connection no longer holds runs back: the host went offline before the disconnect.
void LogConnectionLost();

// id: the entry as the host names it ("Account1\Outbox.box\name"); subject: the message's, as
// CopyLogSubject gives it ("" for none); reserved: calendar time.
// Not held: id is the posted path, which names no entry the host could hold.
void LogReservationPosted(const char* id, const char* subject, int32_t reserved, bool held = true);

// A due message's release: its report says how the rewrite went.
void LogRelease(const char* id, const char* subject, int32_t reserved, const RewriteReport& report);
// A due message is not released yet, for the reason given.
void LogReleaseHeld(const char* id, const char* subject, int32_t reserved, PassOverReason why);

// A clock adjustment's end, from the thread that ran it.
struct SntpOutcome;
void LogClockOutcome(const SntpOutcome& outcome);
