// SNTP request and reply: the bytes sent, the checks a reply must pass, and the time it carries.
#include "SntpPacket.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A valid server reply: LI 0, VN 3, mode 4, stratum 2, the given transmit timestamp.
std::vector<uint8_t> Reply(uint32_t seconds, uint32_t fraction, size_t size = SntpPacketSize)
{
    std::vector<uint8_t> data(size < SntpPacketSize ? SntpPacketSize : size, 0);
    data[0] = 0x1C;
    data[1] = 2;
    for (int i = 0; i < 4; ++i) {
        data[40 + i] = static_cast<uint8_t>(seconds >> (24 - 8 * i));
        data[44 + i] = static_cast<uint8_t>(fraction >> (24 - 8 * i));
    }
    data.resize(size);
    return data;
}

bool Read(const std::vector<uint8_t>& data, SntpTransmitTime* out)
{
    return ReadSntpReply(data.data(), data.size(), out);
}

TEST(SntpPacketTest, RequestIsVersionOneClientModeAndOtherwiseZero)
{
    uint8_t request[SntpPacketSize];
    std::fill(request, request + SntpPacketSize, 0xAA);
    BuildSntpRequest(request);
    EXPECT_EQ(request[0], 0x0B);
    for (size_t i = 1; i < SntpPacketSize; ++i)
        EXPECT_EQ(request[i], 0) << "byte " << i;
}

TEST(SntpPacketTest, TransmitTimeGivesCalendarSecondsAndTruncatedMilliseconds)
{
    SntpTransmitTime time{};
    // 2026-12-06 22:00:30 UTC.
    ASSERT_TRUE(Read(Reply(1796594430u + NtpEpochOffset, 0x80000000u), &time));
    EXPECT_EQ(time.calendar, 1796594430);
    EXPECT_EQ(time.milliseconds, 500);
    ASSERT_TRUE(Read(Reply(NtpEpochOffset, 0xFFFFFFFFu), &time));
    EXPECT_EQ(time.calendar, 0);
    EXPECT_EQ(time.milliseconds, 999);
    ASSERT_TRUE(Read(Reply(NtpEpochOffset + 1, 0), &time));
    EXPECT_EQ(time.milliseconds, 0);
    // A longer datagram (with an authenticator) is read by its first 48 bytes.
    ASSERT_TRUE(Read(Reply(NtpEpochOffset + 7, 0x40000000u, 68), &time));
    EXPECT_EQ(time.calendar, 7);
    EXPECT_EQ(time.milliseconds, 250);
}

TEST(SntpPacketTest, SecondsWrapModuloTwoToThe32)
{
    // Below 61505152 the era rolls over into 2036 to 2038.
    EXPECT_EQ(NtpSecondsToCalendar(0), static_cast<int32_t>(2085978496));
    EXPECT_EQ(NtpSecondsToCalendar(61505151u), 2147483647);
    // Between the two: a negative calendar time, which no conversion accepts.
    EXPECT_EQ(NtpSecondsToCalendar(61505152u), INT32_MIN);
    EXPECT_EQ(NtpSecondsToCalendar(NtpEpochOffset - 1), -1);
    EXPECT_EQ(FractionToMilliseconds(0x00418938u), 1);  // the first fraction that makes a whole millisecond
    EXPECT_EQ(FractionToMilliseconds(0x00418937u), 0);
}

TEST(SntpPacketTest, RepliesThatFailTheClientChecksAreRefused)
{
    const SntpTransmitTime untouched{12345, 678};
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
    };
    std::vector<Case> cases;
    cases.push_back({"all zero", std::vector<uint8_t>(SntpPacketSize, 0)});
    cases.push_back({"short", Reply(NtpEpochOffset + 100, 0, SntpPacketSize - 1)});
    auto unsynchronised = Reply(NtpEpochOffset + 100, 0);
    unsynchronised[0] = 0xDC;  // LI 3
    cases.push_back({"leap indicator 3", unsynchronised});
    auto stratumZero = Reply(NtpEpochOffset + 100, 0);
    stratumZero[1] = 0;
    cases.push_back({"stratum 0", stratumZero});
    auto zeroTransmit = Reply(0, 0);
    cases.push_back({"zero transmit timestamp", zeroTransmit});
    for (uint8_t mode : {0, 1, 2, 3, 5, 6, 7}) {
        auto wrongMode = Reply(NtpEpochOffset + 100, 0);
        wrongMode[0] = static_cast<uint8_t>(0x18 | mode);
        cases.push_back({"mode other than server", wrongMode});
    }
    for (const Case& c : cases) {
        SntpTransmitTime time = untouched;
        EXPECT_FALSE(Read(c.data, &time)) << c.what;
        EXPECT_EQ(time.calendar, untouched.calendar) << c.what;
        EXPECT_EQ(time.milliseconds, untouched.milliseconds) << c.what;
    }
    SntpTransmitTime time{};
    EXPECT_FALSE(ReadSntpReply(nullptr, 0, &time));
    // Leap indicators 1 and 2 announce a leap second; the reply still counts.
    auto leap = Reply(NtpEpochOffset + 100, 0);
    leap[0] = 0x9C;
    EXPECT_TRUE(Read(leap, &time));
}

}  // namespace
