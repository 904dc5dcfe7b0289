#include <winsock2.h>

#include "SntpExchange.h"

#include "../pure/Owned.h"
#include "../pure/SntpPacket.h"

#include <ntsecapi.h>

#include <cstdint>
#include <type_traits>

static_assert(std::is_same<SOCKET, uintptr_t>::value, "a socket's owner holds a SOCKET");

void OwnedFree::Socket(uintptr_t socket)
{
    closesocket(socket);
}

namespace {

int64_t ReadTicks(const SntpClock& clock)
{
    FILETIME now{};
    clock.readUtc(&now);
    return static_cast<int64_t>(static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime);
}

FILETIME ToFileTime(int64_t ticks)
{
    FILETIME file;
    file.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
    file.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return file;
}

// UTC ticks to local time in the clock's zone; false when the zone functions refuse.
bool LocalTimeOf(int64_t ticks, const SntpClock& clock, SYSTEMTIME* local)
{
    FILETIME file = ToFileTime(ticks);
    SYSTEMTIME utc;
    return FileTimeToSystemTime(&file, &utc) &&
           SystemTimeToTzSpecificLocalTime(const_cast<TIME_ZONE_INFORMATION*>(clock.zone), &utc, local);
}

int Fail(uint32_t result, uint32_t detail, const SntpClock& clock, SntpOutcome* outcome, int exitCode = -1)
{
    outcome->result = result;
    outcome->detail = detail;
    StampSntpOutcome(clock, outcome);
    return exitCode;
}


// The server's IPv4 address in network order, or 0 when it cannot be found.
u_long ServerAddress(const char* server)
{
    u_long address = inet_addr(server);
    if (address != 0 && address != INADDR_NONE)
        return address;
    hostent* host = gethostbyname(server);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list[0])
        return 0;
    in_addr first;
    memcpy(&first, host->h_addr_list[0], sizeof first);
    return first.s_addr;
}

// The fraction of the request's transmit time: random, so that only the server that got the
// request can answer it. The exchange keeps its own reading of the clock for the arithmetic.
uint32_t RandomFraction()
{
    uint32_t value = 0;
    if (RtlGenRandom(&value, sizeof value))
        return value;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<uint32_t>(counter.QuadPart) ^ GetCurrentThreadId() * 2654435761u ^ GetTickCount();
}

struct Answer {
    SntpReplyCheck check = SntpReplyCheck::Short;
    SntpReply reply{};
    int64_t arrival = 0;  // T4
    int socketError = 0;
};

uint32_t RefusalResult(SntpReplyCheck check)
{
    switch (check) {
    case SntpReplyCheck::Short:
        return SntpReplyShort;
    case SntpReplyCheck::OriginateMismatch:
        return SntpReplyOriginateMismatch;
    case SntpReplyCheck::NotServerMode:
        return SntpReplyNotServer;
    case SntpReplyCheck::KissOfDeath:
        return SntpReplyKissOfDeath;
    case SntpReplyCheck::Unsynchronised:
        return SntpReplyUnsynchronised;
    case SntpReplyCheck::NoTransmitTime:
        return SntpReplyNoTime;
    case SntpReplyCheck::Accepted:
        break;
    }
    return SntpClockSet;
}

// Waits up to limit milliseconds for the answer to the request that carried sent. Datagrams from other
// senders, and from the server's address without a matching originate or too short to carry one,
// may be anyone's: they are dropped and the wait goes on. The first datagram that does answer the
// request ends the wait, accepted or refused. Returns false when the wait ended without one
// (answer->check then holds the last dropped datagram's fault, Accepted when none came).
bool AwaitAnswer(SOCKET socket, const sockaddr_in& server, DWORD limit, NtpTimestamp sent, const SntpClock& clock,
                 Answer* answer)
{
    const DWORD started = GetTickCount();
    bool first = true;
    answer->check = SntpReplyCheck::Accepted;
    for (;;) {
        DWORD elapsed = GetTickCount() - started;
        if (!first && elapsed >= limit)
            return false;
        DWORD left = first ? limit : limit - elapsed;
        first = false;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval wait;
        wait.tv_sec = static_cast<long>(left / 1000);
        wait.tv_usec = static_cast<long>(left % 1000) * 1000;
        int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready == SOCKET_ERROR) {
            answer->socketError = WSAGetLastError();
            return false;
        }
        if (ready == 0 || !FD_ISSET(socket, &readable))
            return false;
        // Room for a longer reply (extension fields, an authenticator): read whole, checked by its
        // first 48 bytes.
        uint8_t data[1024];
        sockaddr_in from{};
        int fromLength = sizeof from;
        int got = recvfrom(socket, reinterpret_cast<char*>(data), sizeof data, 0, reinterpret_cast<sockaddr*>(&from),
                           &fromLength);
        int64_t arrival = ReadTicks(clock);
        if (got == SOCKET_ERROR) {
            int error = WSAGetLastError();
            if (error != WSAEMSGSIZE) {
                answer->socketError = error;
                return false;
            }
            got = sizeof data;  // a longer datagram, cut to the buffer
        }
        if (from.sin_family != AF_INET || from.sin_addr.s_addr != server.sin_addr.s_addr ||
            from.sin_port != server.sin_port)
            continue;
        SntpReply reply{};
        SntpReplyCheck check = ReadSntpReply(data, static_cast<size_t>(got), sent, &reply);
        if (check == SntpReplyCheck::Short || check == SntpReplyCheck::OriginateMismatch) {
            answer->check = check;
            continue;
        }
        answer->check = check;
        answer->reply = reply;
        answer->arrival = arrival;
        return true;
    }
}

struct Sample {
    int64_t offset = 0;  // the clock's offset from the server's
    int64_t delay = 0;   // the round trip less the server's own time: twice the most the offset is off
};

Sample Measure(int64_t departure, const Answer& answer)
{
    // A server that leaves the receive time empty gives its transmit time for both.
    NtpTimestamp received = answer.reply.receive;
    if (received.seconds == 0 && received.fraction == 0)
        received = answer.reply.transmit;
    int64_t t2 = NtpToTicks(received), t3 = NtpToTicks(answer.reply.transmit);
    Sample sample;
    sample.offset = SntpClockOffset(departure, t2, t3, answer.arrival);
    sample.delay = SntpRoundTrip(departure, t2, t3, answer.arrival);
    return sample;
}

}  // namespace

SntpClock SystemSntpClock()
{
    static const SntpClock system{GetSystemTimeAsFileTime, SetSystemTime, Sleep, nullptr};
    return system;
}

void StampSntpOutcome(const SntpClock& clock, SntpOutcome* outcome)
{
    SYSTEMTIME local{};
    if (!LocalTimeOf(ReadTicks(clock), clock, &local))
        return;
    outcome->SetTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
}

void SetClockTo(int64_t utcTicks, const SntpClock& clock, SntpOutcome* outcome)
{
    if (!SettableClockTime(utcTicks)) {
        Fail(SntpTimeOutOfRange, 0, clock, outcome);
        return;
    }
    // The clock takes whole milliseconds: the nearest one, not the one before.
    FILETIME file = ToFileTime(utcTicks + 5000);
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&file, &utc)) {
        Fail(SntpSetFailed, GetLastError(), clock, outcome);
        return;
    }
    utc.wDayOfWeek = 0;  // not supplied; the system works it out
    if (!clock.setUtc(&utc)) {
        DWORD error = GetLastError();
        Fail(error == ERROR_PRIVILEGE_NOT_HELD ? SntpNoRight : SntpSetFailed, error, clock, outcome);
        return;
    }
    Fail(SntpClockSet, 0, clock, outcome);
}

int SntpExchange(const char* server, int timeoutSeconds, int accuracyMs, const SntpClock& clock, SntpOutcome* outcome)
{
    *outcome = SntpOutcome{};
    outcome->SetServer(server);
    if (!server || !*server)
        return Fail(SntpNoServer, 0, clock, outcome);
    if (timeoutSeconds < 0)
        timeoutSeconds = 0;
    // The wait is counted in milliseconds of 32 bits: a longer time-out (some 49 days) waits as
    // long as that can count, rather than wrapping round to a short one.
    constexpr int LongestWaitSeconds = 0xFFFFFFFFu / 1000 - 1;
    if (timeoutSeconds > LongestWaitSeconds)
        timeoutSeconds = LongestWaitSeconds;
    // Negative stored values count as none: every error matters.
    const int64_t accuracy = static_cast<int64_t>(accuracyMs < 0 ? 0 : accuracyMs) * (TicksPerSecond / 1000);
    Sample best;
    int samples = 0;
    {
        Socket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        if (!socket)
            return Fail(SntpSocketError, WSAGetLastError(), clock, outcome, 1);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(SntpClientPort);
        if (bind(socket.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local) == SOCKET_ERROR) {
            int error = WSAGetLastError();
            bool held = error == WSAEADDRINUSE || error == WSAEACCES;
            return Fail(held ? SntpPortInUse : SntpSocketError, error, clock, outcome, 1);
        }

        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_addr.s_addr = ServerAddress(server);
        target.sin_port = htons(SntpServerPort);
        if (target.sin_addr.s_addr == 0)
            return Fail(SntpNameNotFound, WSAGetLastError(), clock, outcome);

        DWORD waitMs = static_cast<DWORD>(timeoutSeconds) * 1000;
        Answer answer;  // each wait starts it afresh
        while (samples < SntpSamples && (samples == 0 || best.delay / 2 > accuracy)) {
            if (samples > 0)
                clock.pause(SntpSampleGapMs);
            NtpTimestamp sent;
            sent.fraction = RandomFraction();
            const int64_t departure = ReadTicks(clock);  // T1, as near the send as can be
            sent.seconds = TicksToNtp(departure).seconds;
            uint8_t request[SntpPacketSize];
            BuildSntpRequest(request, sent);
            if (sendto(socket.Get(), reinterpret_cast<const char*>(request), sizeof request, 0,
                       reinterpret_cast<sockaddr*>(&target), sizeof target) == SOCKET_ERROR) {
                if (samples > 0)
                    break;
                return Fail(SntpSocketError, WSAGetLastError(), clock, outcome);
            }
            if (!AwaitAnswer(socket.Get(), target, waitMs, sent, clock, &answer)) {
                if (samples > 0)
                    break;  // the samples in hand decide
                if (answer.socketError)
                    return Fail(SntpSocketError, static_cast<uint32_t>(answer.socketError), clock, outcome);
                uint32_t result = answer.check == SntpReplyCheck::Accepted ? SntpNoReply : RefusalResult(answer.check);
                return Fail(result, 0, clock, outcome);
            }
            // A refusal ends the exchange even with samples in hand: a later sample is asked for only
            // while those are too slow to set the clock by, and the refusal (a kiss-o'-death asks
            // the client to stop) says more about why no better one came.
            if (answer.check != SntpReplyCheck::Accepted) {
                uint32_t detail = 0;
                if (answer.check == SntpReplyCheck::KissOfDeath) {
                    for (int i = 0; i < 4; ++i)
                        detail = detail << 8 | static_cast<uint8_t>(answer.reply.kissCode[i]);
                }
                return Fail(RefusalResult(answer.check), detail, clock, outcome);
            }
            Sample sample = Measure(departure, answer);
            if (samples++ == 0 || sample.delay < best.delay)
                best = sample;
            // A later answer counts only if it comes back sooner than the best so far.
            int64_t bestMs = TicksToMilliseconds(best.delay) + 1;
            if (bestMs < 1000)
                bestMs = 1000;
            if (bestMs < static_cast<int64_t>(waitMs))
                waitMs = static_cast<DWORD>(bestMs);
        }
    }
    if (best.delay / 2 > accuracy) {
        int64_t roundTripMs = TicksToMilliseconds(best.delay);
        return Fail(SntpReplyTooSlow, roundTripMs > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(roundTripMs),
                    clock, outcome);
    }
    outcome->correctionMs = TicksToMilliseconds(best.offset);
    if (best.offset <= accuracy && best.offset >= -accuracy) {
        Fail(SntpWithinAccuracy, 0, clock, outcome);
        return 0;
    }
    SetClockTo(ReadTicks(clock) + best.offset, clock, outcome);
    return outcome->result == SntpClockSet ? 0 : -1;
}
