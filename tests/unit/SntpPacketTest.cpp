// SNTP request and reply: the bytes sent, the checks a reply must pass and their order, the
// timestamps' scale across the era boundary, and the offset of the four timestamps.
#include "../../common/pure/SntpPacket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

// Ticks of 1970-01-01 00:00:00 UTC.
constexpr int64_t UnixEpochTicks = 116444736000000000LL;
constexpr int64_t Millisecond = 10000;
constexpr int64_t Second = TicksPerSecond;

void Put(std::vector<uint8_t>& data, size_t at, NtpTimestamp time)
{
    for (int i = 0; i < 4; ++i) {
        data[at + i] = static_cast<uint8_t>(time.seconds >> (24 - 8 * i));
        data[at + 4 + i] = static_cast<uint8_t>(time.fraction >> (24 - 8 * i));
    }
}

// A server reply (VN 3) answering the request that carried originate.
std::vector<uint8_t> Reply(NtpTimestamp originate, NtpTimestamp receive, NtpTimestamp transmit, int leap = 0,
                           int mode = 4, int stratum = 2, const char* referenceId = "GPS")
{
    std::vector<uint8_t> data(SntpPacketSize, 0);
    data[0] = static_cast<uint8_t>(leap << 6 | 3 << 3 | mode);
    data[1] = static_cast<uint8_t>(stratum);
    std::memcpy(&data[12], referenceId, std::strlen(referenceId) < 4 ? std::strlen(referenceId) : 4);
    Put(data, 24, originate);
    Put(data, 32, receive);
    Put(data, 40, transmit);
    return data;
}

SntpReplyCheck Check(const std::vector<uint8_t>& data, NtpTimestamp sent, SntpReply* out)
{
    return ReadSntpReply(data.data(), data.size(), sent, out);
}

TEST(SntpPacketTest, RequestIsTheClientByteAndTheTransmitTimeOnly)
{
    uint8_t request[SntpPacketSize];
    std::memset(request, 0xAA, sizeof request);
    BuildSntpRequest(request, NtpTimestamp{0xE8A1B2C3u, 0x01020304u});
    EXPECT_EQ(request[0], 0x0B);  // LI 0, VN 1, mode 3
    for (size_t i = 1; i < 40; ++i)
        EXPECT_EQ(request[i], 0) << "byte " << i;
    const uint8_t transmit[] = {0xE8, 0xA1, 0xB2, 0xC3, 0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(std::memcmp(request + 40, transmit, 8), 0);
}

TEST(SntpPacketTest, TimestampsKeepTheirScaleAcrossTheEraBoundary)
{
    EXPECT_EQ(NtpToTicks(NtpTimestamp{NtpEpochOffset, 0}), UnixEpochTicks);
    EXPECT_EQ(NtpToTicks(NtpTimestamp{NtpEpochOffset, 0x80000000u}), UnixEpochTicks + Second / 2);
    EXPECT_EQ(NtpToTicks(NtpTimestamp{NtpEpochOffset, 0xFFFFFFFFu}), UnixEpochTicks + Second - 1);
    // Seconds with the top bit clear count from 2036-02-07 06:28:16: 2^32 seconds after 1900.
    const int64_t era1 = UnixEpochTicks + (0x100000000LL - NtpEpochOffset) * Second;
    EXPECT_EQ(NtpToTicks(NtpTimestamp{0, 0}), era1);
    EXPECT_EQ(NtpToTicks(NtpTimestamp{0xFFFFFFFFu, 0}), era1 - Second);
    // 2038-01-19 03:14:07, the last second the clock may be set to.
    EXPECT_EQ(NtpToTicks(NtpTimestamp{61505151u, 0}), UnixEpochTicks + 0x7FFFFFFFLL * Second);

    // The clock's readings go out and come back to the same tick, on both sides of the boundary.
    for (int64_t ticks : std::initializer_list<int64_t>{UnixEpochTicks, UnixEpochTicks + 1, UnixEpochTicks + Second - 1,
                          UnixEpochTicks + 1796594430LL * Second + 1234567, era1 - 1, era1, era1 + 9999999}) {
        EXPECT_EQ(NtpToTicks(TicksToNtp(ticks)), ticks) << ticks;
    }
    EXPECT_EQ(TicksToNtp(era1).seconds, 0u);
    EXPECT_EQ(TicksToNtp(UnixEpochTicks + Second / 2).fraction, 0x80000000u);
}

TEST(SntpPacketTest, OffsetCancelsSymmetricTravelAndHalvesAnAsymmetry)
{
    // The server is 5 s ahead; the request and the reply each travel 200 ms, the server takes 10 ms.
    const int64_t t1 = UnixEpochTicks + 1796594430LL * Second;
    const int64_t ahead = 5 * Second;
    int64_t t2 = t1 + 200 * Millisecond + ahead;
    int64_t t3 = t2 + 10 * Millisecond;
    int64_t t4 = t1 + 410 * Millisecond;
    EXPECT_EQ(SntpClockOffset(t1, t2, t3, t4), ahead);
    // Taking the transmit time as the present would leave the clock 200 ms behind.
    EXPECT_EQ((t3 - t4) - ahead, -200 * Millisecond);
    // The clock ahead of the server gives a negative offset.
    EXPECT_EQ(SntpClockOffset(t1, t1 + 200 * Millisecond - ahead, t1 + 200 * Millisecond - ahead,
                              t1 + 400 * Millisecond),
              -ahead);
    // 300 ms out and 100 ms back: the exchange cannot see that, and is off by half the difference.
    t2 = t1 + 300 * Millisecond + ahead;
    EXPECT_EQ(SntpClockOffset(t1, t2, t2, t1 + 400 * Millisecond), ahead + 100 * Millisecond);
    // A clock stepped back an hour while waiting, or a server claiming more than the trip: a poor sample.
    EXPECT_EQ(SntpRoundTrip(t1, t2, t2, t1 - 3600 * Second + 400 * Millisecond), 3600 * Second - 400 * Millisecond);
    EXPECT_EQ(SntpRoundTrip(t1, t2, t2 + 2 * Second, t1 + Second), Second);
}

TEST(SntpPacketTest, TheAnswerToOurRequestIsReadForItsTwoServerTimes)
{
    const NtpTimestamp sent{0xED1A2B3Cu, 0x9E3779B9u};
    const NtpTimestamp receive{0xED1A2B3Du, 0x40000000u}, transmit{0xED1A2B3Du, 0x80000000u};
    SntpReply reply{};
    ASSERT_EQ(Check(Reply(sent, receive, transmit), sent, &reply), SntpReplyCheck::Accepted);
    EXPECT_EQ(reply.receive.seconds, receive.seconds);
    EXPECT_EQ(reply.receive.fraction, receive.fraction);
    EXPECT_EQ(reply.transmit.seconds, transmit.seconds);
    EXPECT_EQ(reply.transmit.fraction, transmit.fraction);
    EXPECT_STREQ(reply.kissCode, "");
    // A longer datagram (extension fields, an authenticator) is read by its first 48 bytes.
    std::vector<uint8_t> longer = Reply(sent, receive, transmit);
    longer.resize(68, 0x55);
    EXPECT_EQ(Check(longer, sent, &reply), SntpReplyCheck::Accepted);
    // Leap indicators 1 and 2 announce a leap second; the reply still counts.
    EXPECT_EQ(Check(Reply(sent, receive, transmit, 1), sent, &reply), SntpReplyCheck::Accepted);
    EXPECT_EQ(Check(Reply(sent, receive, transmit, 2, 4, 15), sent, &reply), SntpReplyCheck::Accepted);
}

TEST(SntpPacketTest, RepliesThatFailAreRefusedWithTheFirstFaultInOrder)
{
    const NtpTimestamp sent{0xED1A2B3Cu, 0x9E3779B9u};
    const NtpTimestamp time{0xED1A2B3Du, 0};
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        SntpReplyCheck expected;
    };
    std::vector<uint8_t> shortReply = Reply(sent, time, time);
    shortReply.pop_back();
    // Another sender's guess: right in every field but the originate, off in its last bit.
    const NtpTimestamp guessed{sent.seconds, sent.fraction ^ 1};
    std::vector<Case> cases = {
        {"47 bytes", shortReply, SntpReplyCheck::Short},
        {"no bytes", {}, SntpReplyCheck::Short},
        {"forged originate", Reply(guessed, time, time), SntpReplyCheck::OriginateMismatch},
        {"no originate", Reply(NtpTimestamp{0, 0}, time, time), SntpReplyCheck::OriginateMismatch},
        {"all zero", std::vector<uint8_t>(SntpPacketSize, 0), SntpReplyCheck::OriginateMismatch},
        {"forged and unsynchronised", Reply(guessed, time, time, 3, 4, 0), SntpReplyCheck::OriginateMismatch},
        {"client mode", Reply(sent, time, time, 0, 3), SntpReplyCheck::NotServerMode},
        {"broadcast mode", Reply(sent, time, time, 0, 5), SntpReplyCheck::NotServerMode},
        {"symmetric mode", Reply(sent, time, time, 0, 1), SntpReplyCheck::NotServerMode},
        {"kiss-o'-death", Reply(sent, time, time, 3, 4, 0, "RATE"), SntpReplyCheck::KissOfDeath},
        {"leap indicator 3", Reply(sent, time, time, 3), SntpReplyCheck::Unsynchronised},
        {"stratum 16", Reply(sent, time, time, 0, 4, 16), SntpReplyCheck::Unsynchronised},
        {"stratum 255", Reply(sent, time, time, 0, 4, 255), SntpReplyCheck::Unsynchronised},
        {"no transmit time", Reply(sent, time, NtpTimestamp{0, 0}), SntpReplyCheck::NoTransmitTime},
    };
    for (const Case& c : cases) {
        SntpReply reply{};
        reply.receive = reply.transmit = NtpTimestamp{7, 8};
        EXPECT_EQ(Check(c.data, sent, &reply), c.expected) << c.what;
        EXPECT_EQ(reply.transmit.seconds, 7u) << c.what;
        EXPECT_EQ(reply.receive.fraction, 8u) << c.what;
    }
    SntpReply reply{};
    ASSERT_EQ(Check(Reply(sent, time, time, 3, 4, 0, "RATE"), sent, &reply), SntpReplyCheck::KissOfDeath);
    EXPECT_STREQ(reply.kissCode, "RATE");
    // A code that is not four letters is not shown.
    std::vector<uint8_t> binary = Reply(sent, time, time, 3, 4, 0);
    binary[12] = 0x7F;
    binary[13] = 0x00;
    ASSERT_EQ(Check(binary, sent, &reply), SntpReplyCheck::KissOfDeath);
    EXPECT_STREQ(reply.kissCode, "");
    EXPECT_EQ(ReadSntpReply(nullptr, 0, sent, &reply), SntpReplyCheck::Short);
}

TEST(SntpPacketTest, TheClockIsSetOnlyWithinThe32BitCalendarAndMillisecondsRound)
{
    EXPECT_TRUE(SettableClockTime(UnixEpochTicks));
    EXPECT_FALSE(SettableClockTime(UnixEpochTicks - 1));
    EXPECT_TRUE(SettableClockTime(UnixEpochTicks + 0x7FFFFFFFLL * Second + Second - 1));
    EXPECT_FALSE(SettableClockTime(UnixEpochTicks + 0x80000000LL * Second));
    EXPECT_EQ(TicksToMilliseconds(12345678), 1235);
    EXPECT_EQ(TicksToMilliseconds(12344999), 1234);
    EXPECT_EQ(TicksToMilliseconds(-12345678), -1235);
    EXPECT_EQ(TicksToMilliseconds(-4999), 0);
    EXPECT_EQ(TicksToMilliseconds(5000), 1);
}

}  // namespace
