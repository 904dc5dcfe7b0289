#pragma once
// SNTP messages (RFC 2030 layout, the client's checks of RFC 4330 section 5) and the arithmetic
// of one exchange: no sockets, no clock, so this part also builds and runs natively.
//
// Times here are counts of 100-nanosecond units since 1601-01-01 00:00 UTC, the scale of the
// system clock that the exchange reads, as signed 64-bit numbers ("ticks").

#include <cstddef>
#include <cstdint>

constexpr size_t SntpPacketSize = 48;
constexpr uint16_t SntpServerPort = 123;
constexpr uint16_t SntpClientPort = 1024;
// Seconds from 1900-01-01 to 1970-01-01.
constexpr uint32_t NtpEpochOffset = 2208988800u;
constexpr int64_t TicksPerSecond = 10000000;

// A timestamp as it travels: seconds and a fraction in units of 2^-32 second.
struct NtpTimestamp {
    uint32_t seconds;
    uint32_t fraction;
};

// RFC 4330 section 3: seconds with the top bit set count from 1900 (1968-2036), the others from
// 2036-02-07 06:28:16 (2036-2104).
int64_t NtpToTicks(NtpTimestamp time);
// The reverse, for times from 1968 to 2104; the fraction is exact to 100 ns.
NtpTimestamp TicksToNtp(int64_t ticks);

// The client request: leap indicator 0, version 1, mode 3 (the byte 0x0B), the given transmit
// timestamp, every other byte zero.
void BuildSntpRequest(uint8_t out[SntpPacketSize], NtpTimestamp transmit);

// What a datagram from the server's address and port is worth.
enum class SntpReplyCheck {
    Accepted,
    Short,              // fewer than 48 bytes
    OriginateMismatch,  // not the answer to our request: its originate is not our transmit time
    NotServerMode,      // mode other than 4
    KissOfDeath,        // stratum 0: the server refuses (its four-letter code says why)
    Unsynchronised,     // leap indicator 3, or stratum 16 and above
    NoTransmitTime,     // transmit timestamp zero
};

struct SntpReply {
    NtpTimestamp receive;   // T2: when the server received the request
    NtpTimestamp transmit;  // T3: when it sent the reply
    char kissCode[5];       // the reference identifier of a kiss-o'-death reply, ended; else empty
};

// Checks a datagram against the request whose transmit timestamp was sent and reads it. The
// checks run in the order of the enumeration, so the first failing one is reported; out holds the
// reply's times only when Accepted, and the kiss code for KissOfDeath.
SntpReplyCheck ReadSntpReply(const uint8_t* data, size_t length, NtpTimestamp sent, SntpReply* out);

// The local clock's offset from the server: ((T2 - T1) + (T3 - T4)) / 2, with T1 the request's
// departure and T4 the reply's arrival by the local clock. Symmetric travel times cancel out.
int64_t SntpClockOffset(int64_t t1, int64_t t2, int64_t t3, int64_t t4);

// The round trip less the server's own time, (T4 - T1) - (T3 - T2): twice the most the offset can
// be off. Taken as its size, so that a reply arriving before it was asked for (the clock stepped back
// during the wait, or a server claiming more time than the whole trip) counts as a poor sample.
int64_t SntpRoundTrip(int64_t t1, int64_t t2, int64_t t3, int64_t t4);

// The times the clock may be set to: from 1970-01-01 00:00:00 to 2038-01-19 03:14:07 UTC, the
// range of the plug-in's 32-bit calendar times.
bool SettableClockTime(int64_t ticks);

// Ticks to whole milliseconds, rounded to the nearest (halves away from zero).
int64_t TicksToMilliseconds(int64_t ticks);
