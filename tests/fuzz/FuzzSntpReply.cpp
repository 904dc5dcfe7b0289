// Any datagram from the server's address: the reply checks, the times read from an accepted one,
// and the offset and clock range worked out from them, against a request the fuzzer also chooses.
#include "../../common/pure/SntpPacket.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first eight bytes are the transmit time the request carried; the rest is the datagram.
    NtpTimestamp sent{0xED1A2B3Cu, 0x9E3779B9u};
    if (size >= 8) {
        std::memcpy(&sent.seconds, data, 4);
        std::memcpy(&sent.fraction, data + 4, 4);
        data += 8;
        size -= 8;
    }
    SntpReply reply{};
    std::memset(&reply, 0x5A, sizeof reply);
    SntpReplyCheck check = ReadSntpReply(data, size, sent, &reply);
    if (check != SntpReplyCheck::Short && size < SntpPacketSize)
        __builtin_trap();
    if (check == SntpReplyCheck::Accepted || check == SntpReplyCheck::KissOfDeath) {
        if (std::memchr(reply.kissCode, 0, sizeof reply.kissCode) == nullptr)
            __builtin_trap();
    }
    if (check == SntpReplyCheck::Accepted) {
        // Only the answer to our request: its originate is our transmit time, byte for byte.
        const uint8_t expected[8] = {
            static_cast<uint8_t>(sent.seconds >> 24),  static_cast<uint8_t>(sent.seconds >> 16),
            static_cast<uint8_t>(sent.seconds >> 8),   static_cast<uint8_t>(sent.seconds),
            static_cast<uint8_t>(sent.fraction >> 24), static_cast<uint8_t>(sent.fraction >> 16),
            static_cast<uint8_t>(sent.fraction >> 8),  static_cast<uint8_t>(sent.fraction)};
        if (std::memcmp(data + 24, expected, 8) != 0 || (reply.transmit.seconds == 0 && reply.transmit.fraction == 0))
            __builtin_trap();
        int64_t t1 = NtpToTicks(sent);
        int64_t offset = SntpClockOffset(t1, NtpToTicks(reply.receive), NtpToTicks(reply.transmit), t1);
        SettableClockTime(t1 + offset);
        TicksToMilliseconds(offset);
        if (NtpToTicks(TicksToNtp(NtpToTicks(reply.transmit))) != NtpToTicks(reply.transmit))
            __builtin_trap();
    }
    return 0;
}
