#include "SntpPacket.h"

#include <cstring>

namespace {

constexpr uint8_t ClientRequestHeader = 0x0B;  // LI 0, VN 1, mode 3
constexpr int ServerMode = 4;
constexpr int LeapUnsynchronised = 3;
constexpr size_t StratumOffset = 1;
constexpr size_t TransmitOffset = 40;

uint32_t BigEndian32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | static_cast<uint32_t>(at[3]);
}

}  // namespace

void BuildSntpRequest(uint8_t out[SntpPacketSize])
{
    std::memset(out, 0, SntpPacketSize);
    out[0] = ClientRequestHeader;
}

int32_t NtpSecondsToCalendar(uint32_t seconds)
{
    return static_cast<int32_t>(seconds - NtpEpochOffset);
}

int FractionToMilliseconds(uint32_t fraction)
{
    return static_cast<int>((static_cast<uint64_t>(fraction) * 1000u) >> 32);
}

bool ReadSntpReply(const uint8_t* data, size_t length, SntpTransmitTime* out)
{
    if (!data || length < SntpPacketSize)
        return false;
    int leap = data[0] >> 6;
    int mode = data[0] & 7;
    if (leap == LeapUnsynchronised || mode != ServerMode || data[StratumOffset] == 0)
        return false;
    uint32_t seconds = BigEndian32(data + TransmitOffset);
    uint32_t fraction = BigEndian32(data + TransmitOffset + 4);
    if (seconds == 0 && fraction == 0)
        return false;
    out->calendar = NtpSecondsToCalendar(seconds);
    out->milliseconds = FractionToMilliseconds(fraction);
    return true;
}
