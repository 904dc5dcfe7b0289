#pragma once
// One SNTP exchange over UDP, for chronel's scheduled runs and the editor's "adjust now" button:
// requests from local port 1024 to the server's port 123, the answers to them, and the clock set
// to its own time plus the offset the four timestamps give, when that offset can be trusted.

#include <windows.h>

#include "../pure/SntpOutcome.h"

// The clock an exchange reads and sets. chronel and chronset pass kernel32's
// GetSystemTimeAsFileTime and SetSystemTime, which a host may substitute; tests pass stand-ins.
struct SntpClock {
    void(WINAPI* readUtc)(LPFILETIME now);
    // In UTC: a local time is ambiguous in the hour that daylight saving's end repeats.
    BOOL(WINAPI* setUtc)(const SYSTEMTIME* utc);
    // Waits between two samples: kernel32's Sleep.
    void(WINAPI* pause)(DWORD milliseconds);
    // The zone for local times; none for the system's zone as it stands at that moment.
    const TIME_ZONE_INFORMATION* zone;
};

// The clock of the module this is built into: kernel32's, read when the exchange starts.
SntpClock SystemSntpClock();

// The error of one sample is at most half its round trip. The exchange takes up to SntpSamples,
// SntpSampleGapMs apart, until one's error is held within accuracyMs, and uses the one with the
// least round trip: the clock is set only when that one's error is held within accuracyMs and its
// offset is more than accuracyMs.
constexpr int SntpSamples = 4;
constexpr DWORD SntpSampleGapMs = 2000;

// Runs the exchange with the server (dotted IPv4 address or host name), waiting at most
// timeoutSeconds for the answer to its first request, and fills outcome (the server, the result,
// the correction, the time it ended). Returns the thread's exit code: 0 when the clock was set or
// was right, 1 when the socket cannot be created or bound, -1 otherwise. Relies on the process
// having initialised Windows Sockets.
int SntpExchange(const char* server, int timeoutSeconds, int accuracyMs, const SntpClock& clock,
                 SntpOutcome* outcome);

// Stamps outcome with the clock's present local date and time.
void StampSntpOutcome(const SntpClock& clock, SntpOutcome* outcome);

// Sets the clock to utcTicks (100-ns units since 1601, UTC), and records the result in outcome (SntpClockSet, SntpNoRight, SntpSetFailed or SntpTimeOutOfRange).
void SetClockTo(int64_t utcTicks, const SntpClock& clock, SntpOutcome* outcome);
