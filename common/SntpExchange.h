#pragma once
// One SNTP exchange over UDP, for chronel's scheduled runs and the editor's "adjust now" button:
// a request from local port 1024 to the server's port 123, the answer to that request, and the
// local clock set to its own time plus the offset the four timestamps give.

#include <windows.h>

#include "SntpOutcome.h"

// The clock an exchange reads and sets. chronel and chronset pass kernel32's
// GetSystemTimeAsFileTime and SetLocalTime, which a host may substitute; tests pass stand-ins.
struct SntpClock {
    void(WINAPI* readUtc)(LPFILETIME now);
    BOOL(WINAPI* setLocal)(const SYSTEMTIME* local);
    // The zone for local times; none for the system's zone as it stands at that moment.
    const TIME_ZONE_INFORMATION* zone;
};

// The clock of the module this is built into: kernel32's, read when the exchange starts.
SntpClock SystemSntpClock();

// Runs the exchange with the server (dotted IPv4 address or host name), waiting at most
// timeoutSeconds for the answer to its request, and fills outcome (the server, the result, the
// correction, the time it ended). Returns the thread's exit code: 0 clock set, 1 when the socket
// cannot be created or bound, -1 otherwise. Relies on the process having initialised Windows
// Sockets.
int SntpExchange(const char* server, int timeoutSeconds, const SntpClock& clock, SntpOutcome* outcome);

// Stamps outcome with the clock's present local date and time.
void StampSntpOutcome(const SntpClock& clock, SntpOutcome* outcome);

// Sets the local clock to utcTicks (100-ns units since 1601, UTC) in the clock's zone, and records
// the result in outcome (SntpClockSet, SntpNoRight, SntpSetFailed or SntpTimeOutOfRange).
void SetClockTo(int64_t utcTicks, const SntpClock& clock, SntpOutcome* outcome);
