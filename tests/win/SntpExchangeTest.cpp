// One SNTP exchange against a server on 127.0.0.1:123, with the clock setting caught by the test
// (the machine's clock is never touched).
#include "SntpTestServer.h"
#include "plugin/SntpExchange.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

int ClockSets;
SYSTEMTIME LastSet;

BOOL WINAPI CatchClock(const SYSTEMTIME* time)
{
    ++ClockSets;
    LastSet = *time;
    return TRUE;
}

std::string Stamp(const SYSTEMTIME& t)
{
    char text[40];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
              t.wMilliseconds);
    return text;
}

class SntpExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClockSets = 0;
        LastSet = SYSTEMTIME{};
        ASSERT_TRUE(server.Start()) << "cannot serve on 127.0.0.1:123";
    }
    SntpTestServer server;
};

const uint32_t Seven = NtpSecondsOfJst(2026, 12, 7, 7, 0, 30);

TEST_F(SntpExchangeTest, TheClockIsSetToTheServersTransmitTimeInLocalTime)
{
    struct Case {
        uint32_t fraction;
        const char* expected;
    } cases[] = {{0x80000000u, "2026-12-07 07:00:30.500"},
                 {0xFFFFFFFFu, "2026-12-07 07:00:30.999"},
                 {0, "2026-12-07 07:00:30.000"}};
    for (const Case& c : cases) {
        server.Answer(SntpReply(Seven, c.fraction));
        ClockSets = 0;
        EXPECT_EQ(SntpExchange("127.0.0.1", 5, CatchClock), 0);
        EXPECT_EQ(ClockSets, 1);
        EXPECT_EQ(Stamp(LastSet), c.expected);
        EXPECT_EQ(LastSet.wDayOfWeek, 0) << "the weekday is not supplied";
    }
    // The request: 48 bytes, 0x0B then zeros, from local port 1024.
    std::vector<uint8_t> request = server.LastRequest();
    ASSERT_EQ(request.size(), 48u);
    EXPECT_EQ(request[0], 0x0B);
    for (size_t i = 1; i < request.size(); ++i)
        EXPECT_EQ(request[i], 0) << i;
    EXPECT_EQ(server.LastClientPort(), 1024);
    // A host name is looked up.
    server.Answer(SntpReply(Seven, 0));
    EXPECT_EQ(SntpExchange("localhost", 5, CatchClock), 0);
}

// Replies that fail the client's checks leave the clock alone; so does a datagram from another
// port, after which the real reply still counts.
TEST_F(SntpExchangeTest, OnlyAnAcceptableReplyFromTheServerSetsTheClock)
{
    std::vector<uint8_t> shortReply = SntpReply(Seven, 0);
    shortReply.pop_back();
    struct Case {
        const char* what;
        std::vector<uint8_t> reply;
    } refused[] = {
        {"all zero", std::vector<uint8_t>(48, 0)},
        {"unsynchronised", SntpReply(Seven, 0, 3)},
        {"stratum 0", SntpReply(Seven, 0, 0, 4, 0)},
        {"client mode", SntpReply(Seven, 0, 0, 3)},
        {"zero transmit time", SntpReply(0, 0)},
        {"short", shortReply},
        {"before 1970", SntpReply(61505152u + 1000u, 0)},
    };
    for (const Case& c : refused) {
        server.Answer(c.reply);
        EXPECT_EQ(SntpExchange("127.0.0.1", 5, CatchClock), -1) << c.what;
        EXPECT_EQ(ClockSets, 0) << c.what;
    }
    // A foreign datagram alone: dropped, and the wait runs out.
    server.Answer({}, SntpReply(Seven, 0));
    EXPECT_EQ(SntpExchange("127.0.0.1", 1, CatchClock), -1);
    EXPECT_EQ(ClockSets, 0);
    // A foreign datagram first, then the server's reply.
    server.Answer(SntpReply(Seven, 0x80000000u), SntpReply(Seven + 3600, 0));
    EXPECT_EQ(SntpExchange("127.0.0.1", 5, CatchClock), 0);
    EXPECT_EQ(Stamp(LastSet), "2026-12-07 07:00:30.500");
}

TEST_F(SntpExchangeTest, NoReplyNoServerOrABusyPortLeaveTheClockAlone)
{
    // No reply within the time-out; the socket is closed afterwards (the next exchange binds).
    server.Answer({});
    EXPECT_EQ(SntpExchange("127.0.0.1", 1, CatchClock), -1);
    EXPECT_EQ(server.Requests(), 1);
    server.Answer(SntpReply(Seven, 0));
    EXPECT_EQ(SntpExchange("127.0.0.1", 5, CatchClock), 0);
    EXPECT_EQ(ClockSets, 1);

    // No server text: nothing is sent.
    ClockSets = 0;
    EXPECT_EQ(SntpExchange(nullptr, 5, CatchClock), -1);
    EXPECT_EQ(SntpExchange("", 5, CatchClock), -1);
    EXPECT_EQ(server.Requests(), 2);

    // Port 1024 held (as by an exchange still waiting): ends at once with 1, nothing sent.
    SOCKET holder = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(1024);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    EXPECT_EQ(SntpExchange("127.0.0.1", 30, CatchClock), 1);
    closesocket(holder);
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_EQ(ClockSets, 0);
}

}  // namespace
