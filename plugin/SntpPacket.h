#pragma once
// SNTP messages (RFC 2030 layout, the client's checks of RFC 4330 section 5): no sockets, no
// clock, so the parsing also builds and runs natively.

#include <cstddef>
#include <cstdint>

constexpr size_t SntpPacketSize = 48;
constexpr uint16_t SntpServerPort = 123;
constexpr uint16_t SntpClientPort = 1024;
// Seconds from 1900-01-01 to 1970-01-01.
constexpr uint32_t NtpEpochOffset = 2208988800u;

// The client request: leap indicator 0, version 1, mode 3; everything else zero.
void BuildSntpRequest(uint8_t out[SntpPacketSize]);

struct SntpTransmitTime {
    int32_t calendar;   // seconds since 1970, signed 32-bit (negative: cannot be converted)
    int milliseconds;   // 0 to 999, from the fraction
};

// Reads the transmit time of a server's reply. False (out untouched) unless the datagram is at
// least 48 bytes, in server mode, with a leap indicator other than 3 (unsynchronised), a
// stratum other than 0 (unspecified or kiss-o'-death) and a non-zero transmit timestamp.
bool ReadSntpReply(const uint8_t* data, size_t length, SntpTransmitTime* out);

// NTP seconds to calendar time, modulo 2^32: values below the 1970 offset wrap to 2036-2038.
int32_t NtpSecondsToCalendar(uint32_t seconds);
// A 32-bit fraction of a second to whole milliseconds, truncated.
int FractionToMilliseconds(uint32_t fraction);
