#include "SntpPacket.h"

#include <cstring>

namespace {

constexpr uint8_t ClientRequestHeader = 0x0B;  // LI 0, VN 1, mode 3
constexpr int ServerMode = 4;
constexpr int LeapUnsynchronised = 3;
constexpr int FirstUnsynchronisedStratum = 16;
constexpr size_t StratumOffset = 1;
constexpr size_t ReferenceIdOffset = 12;
constexpr size_t OriginateOffset = 24;
constexpr size_t ReceiveOffset = 32;
constexpr size_t TransmitOffset = 40;

// Seconds from 1601-01-01 (the clock's epoch) to 1900-01-01 (NTP era 0).
constexpr int64_t Era0FromClockEpoch = 9435484800LL;
constexpr int64_t EraSeconds = 0x100000000LL;
// 1970-01-01 and 2038-01-19 03:14:07 in seconds from 1601.
constexpr int64_t UnixEpochFromClockEpoch = 11644473600LL;
constexpr int64_t LastSettableSecond = UnixEpochFromClockEpoch + 0x7FFFFFFFLL;

uint32_t BigEndian32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | static_cast<uint32_t>(at[3]);
}

void PutBigEndian32(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

NtpTimestamp ReadTimestamp(const uint8_t* at)
{
    return NtpTimestamp{BigEndian32(at), BigEndian32(at + 4)};
}

}  // namespace

int64_t NtpToTicks(NtpTimestamp time)
{
    int64_t seconds = Era0FromClockEpoch + time.seconds;
    if (!(time.seconds & 0x80000000u))
        seconds += EraSeconds;
    int64_t fraction = static_cast<int64_t>((static_cast<uint64_t>(time.fraction) * TicksPerSecond) >> 32);
    return seconds * TicksPerSecond + fraction;
}

NtpTimestamp TicksToNtp(int64_t ticks)
{
    int64_t seconds = ticks / TicksPerSecond;
    int64_t rest = ticks % TicksPerSecond;
    if (rest < 0) {
        rest += TicksPerSecond;
        --seconds;
    }
    NtpTimestamp time;
    time.seconds = static_cast<uint32_t>(static_cast<uint64_t>(seconds - Era0FromClockEpoch));
    // Rounded up, so that reading it back gives the same tick.
    time.fraction = static_cast<uint32_t>(((static_cast<uint64_t>(rest) << 32) + TicksPerSecond - 1) / TicksPerSecond);
    return time;
}

void BuildSntpRequest(uint8_t out[SntpPacketSize], NtpTimestamp transmit)
{
    std::memset(out, 0, SntpPacketSize);
    out[0] = ClientRequestHeader;
    PutBigEndian32(out + TransmitOffset, transmit.seconds);
    PutBigEndian32(out + TransmitOffset + 4, transmit.fraction);
}

SntpReplyCheck ReadSntpReply(const uint8_t* data, size_t length, NtpTimestamp sent, SntpReply* out)
{
    if (!data || length < SntpPacketSize)
        return SntpReplyCheck::Short;
    NtpTimestamp originate = ReadTimestamp(data + OriginateOffset);
    if (originate.seconds != sent.seconds || originate.fraction != sent.fraction)
        return SntpReplyCheck::OriginateMismatch;
    int leap = data[0] >> 6;
    int mode = data[0] & 7;
    int stratum = data[StratumOffset];
    if (mode != ServerMode)
        return SntpReplyCheck::NotServerMode;
    if (stratum == 0) {
        // Four ASCII letters; anything else is shown as nothing rather than as stray bytes.
        const uint8_t* code = data + ReferenceIdOffset;
        bool letters = true;
        for (int i = 0; i < 4; ++i)
            letters = letters && code[i] >= 0x20 && code[i] < 0x7F;
        std::memset(out->kissCode, 0, sizeof out->kissCode);
        if (letters)
            std::memcpy(out->kissCode, code, 4);
        return SntpReplyCheck::KissOfDeath;
    }
    if (leap == LeapUnsynchronised || stratum >= FirstUnsynchronisedStratum)
        return SntpReplyCheck::Unsynchronised;
    NtpTimestamp transmit = ReadTimestamp(data + TransmitOffset);
    if (transmit.seconds == 0 && transmit.fraction == 0)
        return SntpReplyCheck::NoTransmitTime;
    out->receive = ReadTimestamp(data + ReceiveOffset);
    out->transmit = transmit;
    out->kissCode[0] = '\0';
    return SntpReplyCheck::Accepted;
}

int64_t SntpClockOffset(int64_t t1, int64_t t2, int64_t t3, int64_t t4)
{
    return ((t2 - t1) + (t3 - t4)) / 2;
}

int64_t SntpRoundTrip(int64_t t1, int64_t t2, int64_t t3, int64_t t4)
{
    int64_t trip = (t4 - t1) - (t3 - t2);
    return trip < 0 ? -trip : trip;
}

bool SettableClockTime(int64_t ticks)
{
    return ticks >= UnixEpochFromClockEpoch * TicksPerSecond && ticks < (LastSettableSecond + 1) * TicksPerSecond;
}

int64_t TicksToMilliseconds(int64_t ticks)
{
    constexpr int64_t TicksPerMillisecond = 10000;
    return ticks >= 0 ? (ticks + TicksPerMillisecond / 2) / TicksPerMillisecond
                      : -((-ticks + TicksPerMillisecond / 2) / TicksPerMillisecond);
}
