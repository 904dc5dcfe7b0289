// One SNTP exchange against a server on 127.0.0.1:123, with a stand-in clock that the test reads
// and sets (the machine's clock is never touched).
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "TestSupport.h"
#include "../../common/sntp/SntpExchange.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace testing_support;

namespace {

constexpr int64_t Millisecond = 10000;
constexpr int64_t Second = 1000 * Millisecond;
constexpr int64_t Hour = 3600 * Second;

int64_t UtcTicks(int year, int month, int day, int hour, int minute, int second, int millisecond = 0)
{
    return MillisecondsOf(SystemTimeOf(year, month, day, hour, minute, second, millisecond)) * Millisecond;
}

// The tests' zone is Tokyo, nine hours ahead of UTC.
int64_t JstTicks(int year, int month, int day, int hour, int minute, int second, int millisecond = 0)
{
    return UtcTicks(year, month, day, hour, minute, second, millisecond) - 9 * Hour;
}

// NTP seconds and fraction of a UTC time.
std::vector<uint8_t> ReplyAt(int64_t ticks, int leap = 0, int mode = 4, int stratum = 2, const char* id = "GPS")
{
    int64_t ntp = ticks - 9435484800LL * Second;
    return SntpReply(static_cast<uint32_t>(ntp / Second),
                     static_cast<uint32_t>((static_cast<uint64_t>(ntp % Second) << 32) / Second), leap, mode, stratum,
                     id);
}

std::string Stamp(const SYSTEMTIME& t)
{
    char text[40];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
              t.wMilliseconds);
    return text;
}

// A clock of the test's own: it moves on by Step at every reading, and is set in UTC, as Windows'
// SetSystemTime sets it; each change is recorded as the local time it shows.
struct FakeClock {
    static int64_t Now;  // UTC
    static int64_t Step;
    static DWORD Refusal;  // the error a change fails with; 0 to accept it
    static std::vector<SYSTEMTIME> Sets;
    static std::vector<DWORD> Pauses;  // asked for between samples; none is waited out
    static const TIME_ZONE_INFORMATION* Zone;

    static void Reset(int64_t now, int64_t step = 0, const TIME_ZONE_INFORMATION* zone = nullptr)
    {
        Now = now;
        Step = step;
        Refusal = 0;
        Sets.clear();
        Pauses.clear();
        Zone = zone;
    }
    static SntpClock Clock() { return SntpClock{Read, Set, Pause, Zone}; }
    static void WINAPI Pause(DWORD milliseconds) { Pauses.push_back(milliseconds); }

    static void WINAPI Read(LPFILETIME out)
    {
        out->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(Now));
        out->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(Now) >> 32);
        Now += Step;
    }
    static BOOL WINAPI Set(const SYSTEMTIME* utc)
    {
        SYSTEMTIME local{};
        SystemTimeToTzSpecificLocalTime(const_cast<TIME_ZONE_INFORMATION*>(Zone), utc, &local);
        local.wDayOfWeek = utc->wDayOfWeek;
        Sets.push_back(local);
        FILETIME file;
        if (Refusal || !SystemTimeToFileTime(utc, &file)) {
            SetLastError(Refusal ? Refusal : ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        Now = static_cast<int64_t>(static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
        return TRUE;
    }
};
int64_t FakeClock::Now;
int64_t FakeClock::Step;
DWORD FakeClock::Refusal;
std::vector<SYSTEMTIME> FakeClock::Sets;
std::vector<DWORD> FakeClock::Pauses;
const TIME_ZONE_INFORMATION* FakeClock::Zone;

class SntpExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeClock::Reset(Seven);
        ASSERT_TRUE(server.Start()) << "cannot serve on 127.0.0.1:123";
    }
    int Run(const char* name, int timeoutSeconds = 5, int accuracyMs = 200)
    {
        return SntpExchange(name, timeoutSeconds, accuracyMs, FakeClock::Clock(), &outcome);
    }
    SntpTestServer server;
    SntpOutcome outcome;
    const int64_t Seven = JstTicks(2026, 12, 7, 7, 0, 0);
};

// The clock moves on 100 ms at every reading: the request leaves at 07:00:00.000, the reply comes
// at .100, the clock is read for the change at .200. The server's 07:00:30.500 belongs to the
// middle of the exchange (.050), so the change sets 07:00:30.650.
TEST_F(SntpExchangeTest, TheClockIsSetToItsOwnTimePlusTheMeasuredOffset)
{
    FakeClock::Reset(Seven, 100 * Millisecond);
    server.Answer(ReplyAt(Seven + 30500 * Millisecond));
    EXPECT_EQ(Run("127.0.0.1"), 0);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpClockSet));
    EXPECT_EQ(outcome.correctionMs, 30450);
    EXPECT_STREQ(outcome.server, "127.0.0.1");
    ASSERT_EQ(FakeClock::Sets.size(), 1u);
    EXPECT_EQ(Stamp(FakeClock::Sets[0]), "2026-12-07 07:00:30.650");
    EXPECT_EQ(FakeClock::Sets[0].wDayOfWeek, 0) << "the weekday is not supplied";
    // The outcome's time is the clock's after the change.
    EXPECT_EQ(outcome.hour * 3600 + outcome.minute * 60 + outcome.second, 7 * 3600 + 30);
    EXPECT_EQ(outcome.day, 7);

    // The request: 48 bytes, 0x0B, zeros, then the transmit time: the clock's second and a random
    // fraction, from local port 1024.
    std::vector<uint8_t> request = server.LastRequest();
    ASSERT_EQ(request.size(), 48u);
    EXPECT_EQ(request[0], 0x0B);
    for (size_t i = 1; i < 40; ++i)
        EXPECT_EQ(request[i], 0) << i;
    uint32_t seconds = static_cast<uint32_t>(request[40]) << 24 | request[41] << 16 | request[42] << 8 | request[43];
    EXPECT_EQ(seconds, NtpSecondsOfJst(2026, 12, 7, 7, 0, 0));
    EXPECT_EQ(server.LastClientPort(), 1024);
    std::vector<uint8_t> fractions = {request.begin() + 44, request.end()};
    int changed = 0;
    for (int i = 0; i < 3; ++i) {
        FakeClock::Reset(Seven);
        ASSERT_EQ(Run("127.0.0.1"), 0);
        std::vector<uint8_t> again = server.LastRequest();
        changed += std::vector<uint8_t>(again.begin() + 44, again.end()) != fractions;
    }
    EXPECT_GE(changed, 2) << "the fraction is drawn anew for each request";

    // A host name is looked up.
    FakeClock::Reset(Seven);
    EXPECT_EQ(Run("localhost"), 0);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpClockSet));
    EXPECT_EQ(outcome.correctionMs, 30500);
}

// One sample's error is at most half its round trip. The exchange takes up to four, a pause apart,
// the next only while none is good enough; the clock is set by the one with the least round trip,
// and only when half of that is within Accuracy (200 ms) and its offset is not.
TEST_F(SntpExchangeTest, TheClockIsSetOnlyByASampleWhoseRoundTripHoldsItsErrorWithinAccuracy)
{
    struct Case {
        const char* what;
        std::vector<SntpPath> paths;  // faked: the test's clock stands still
        int64_t aheadMs;              // the server's clock against the exchange's
        uint32_t result, detail;
        int64_t endMs;                // the clock's end against the server's
        int requests;
    } cases[] = {
        {"one quick sample", {{0, 0, true}}, 30000, SntpClockSet, 0, 0, 1},
        {"400 ms round trip, symmetric", {{200, 200, true}}, 30000, SntpClockSet, 0, 0, 1},
        {"a router dials first: 2 s / 0.1 s, then quick", {{2000, 100, true}, {0, 0, true}}, 30000, SntpClockSet, 0, 0, 2},
        {"2 s / 0.1 s each time", {{2000, 100, true}}, 30000, SntpReplyTooSlow, 2100, -30000, 4},
        {"300 s late each time", {{0, 300000, true}}, -30000, SntpReplyTooSlow, 300000, 30000, 4},
        {"the least of 900, 500, 700, 600 ms", {{450, 450, true}, {250, 250, true}, {350, 350, true}, {300, 300, true}},
         30000, SntpReplyTooSlow, 500, -30000, 4},
        {"150 ms behind: within Accuracy", {{0, 0, true}}, 150, SntpWithinAccuracy, 0, -150, 1},
        {"201 ms ahead: set", {{0, 0, true}}, -201, SntpClockSet, 0, 0, 1},
    };
    for (const Case& c : cases) {
        FakeClock::Reset(Seven);
        server.Answer(ReplyAt(Seven + c.aheadMs * Millisecond));
        server.Travel(c.paths);
        int before = server.Requests();
        EXPECT_EQ(Run("127.0.0.1"), c.result == SntpReplyTooSlow ? -1 : 0) << c.what;
        EXPECT_EQ(outcome.result, c.result) << c.what;
        EXPECT_EQ(outcome.detail, c.detail) << c.what;
        EXPECT_EQ((FakeClock::Now - Seven) / Millisecond - c.aheadMs, c.endMs) << c.what;
        EXPECT_EQ(server.Requests() - before, c.requests) << c.what;
        EXPECT_EQ(FakeClock::Pauses, std::vector<DWORD>(c.requests - 1, 2000)) << c.what;
    }
}

// The local time of the change comes from the system's zone through kernel32, whatever the C
// library was told: here it believes in UTC while the system says Tokyo.
TEST_F(SntpExchangeTest, LocalTimeComesFromTheSystemsZoneNotTheCLibrarys)
{
    _putenv("TZ=UTC0");
    _tzset();
    server.Answer(ReplyAt(Seven + 30 * Second));
    int exitCode = Run("127.0.0.1");
    _putenv("TZ=JST-9");
    _tzset();
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(FakeClock::Sets.size(), 1u);
    EXPECT_EQ(Stamp(FakeClock::Sets[0]), "2026-12-07 07:00:30.000");
}

// Central European time: the clock is set in UTC, so a change across a daylight-saving boundary,
// or into the second pass of the autumn's repeated hour, ends at the server's time.
TEST_F(SntpExchangeTest, AChangeAcrossADaylightSavingBoundaryEndsAtTheServersTime)
{
    TIME_ZONE_INFORMATION europe{};
    europe.Bias = -60;
    europe.DaylightBias = -60;
    europe.StandardDate.wMonth = 10;  // last Sunday of October, 03:00 summer time
    europe.StandardDate.wDay = 5;
    europe.StandardDate.wHour = 3;
    europe.DaylightDate.wMonth = 3;  // last Sunday of March, 02:00 winter time
    europe.DaylightDate.wDay = 5;
    europe.DaylightDate.wHour = 2;
    struct Case {
        const char* what;
        int64_t clock, server;
        const char* local;
    } cases[] = {
        {"spring: 01:59:50 winter time, the server already at 03:00:30 summer time",
         UtcTicks(2026, 3, 29, 0, 59, 50), UtcTicks(2026, 3, 29, 1, 0, 30), "2026-03-29 03:00:30.000"},
        {"autumn: 02:30 summer time, the server at 03:30 winter time", UtcTicks(2026, 10, 25, 0, 30, 0),
         UtcTicks(2026, 10, 25, 2, 30, 0), "2026-10-25 03:30:00.000"},
        {"spring, a clock an hour behind the server's 03:30 summer time", UtcTicks(2026, 3, 29, 0, 30, 0),
         UtcTicks(2026, 3, 29, 1, 30, 0), "2026-03-29 03:30:00.000"},
        {"autumn: 02:30 summer time, the server at 02:30 winter time, the repeated hour",
         UtcTicks(2026, 10, 25, 0, 30, 0), UtcTicks(2026, 10, 25, 1, 30, 0), "2026-10-25 02:30:00.000"},
        {"no boundary: summer time on both sides", UtcTicks(2026, 7, 1, 10, 0, 0), UtcTicks(2026, 7, 1, 10, 0, 7),
         "2026-07-01 12:00:07.000"},
    };
    for (const Case& c : cases) {
        FakeClock::Reset(c.clock, 0, &europe);
        server.Answer(ReplyAt(c.server));
        EXPECT_EQ(Run("127.0.0.1"), 0) << c.what;
        EXPECT_EQ(FakeClock::Now, c.server) << c.what << ": off by " << (FakeClock::Now - c.server) / Second << " s";
        ASSERT_FALSE(FakeClock::Sets.empty()) << c.what;
        EXPECT_EQ(Stamp(FakeClock::Sets.back()), c.local) << c.what;
    }
}

// Only the answer to our own request counts: a forged reply from the server's address and port,
// sane in every field but the originate, is dropped, and the real one that follows sets the clock.
TEST_F(SntpExchangeTest, OnlyTheAnswerToOurOwnRequestSetsTheClock)
{
    std::vector<uint8_t> forged = ReplyAt(Seven + Hour);
    server.Answer(ReplyAt(Seven + 30 * Second), {}, forged);
    EXPECT_EQ(Run("127.0.0.1"), 0);
    EXPECT_EQ(outcome.correctionMs, 30000);
    ASSERT_EQ(FakeClock::Sets.size(), 1u);
    EXPECT_EQ(Stamp(FakeClock::Sets[0]), "2026-12-07 07:00:30.000");

    // Only forged replies, or only short ones: the wait runs out and says what came.
    std::vector<uint8_t> shortReply = ReplyAt(Seven + Hour);
    shortReply.resize(47);
    struct Case {
        std::vector<uint8_t> datagram;
        uint32_t result;
    } dropped[] = {{forged, SntpReplyOriginateMismatch}, {shortReply, SntpReplyShort}};
    for (const Case& c : dropped) {
        FakeClock::Reset(Seven);
        server.Answer({}, {}, c.datagram);
        EXPECT_EQ(Run("127.0.0.1", 1), -1);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_TRUE(FakeClock::Sets.empty());
    }
    // A datagram from another port answering our request, and nothing else: no reply.
    FakeClock::Reset(Seven);
    server.Answer({}, ReplyAt(Seven + Hour));
    EXPECT_EQ(Run("127.0.0.1", 1), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpNoReply));
    EXPECT_TRUE(FakeClock::Sets.empty());
    // ... and before the server's own reply, which then counts.
    FakeClock::Reset(Seven);
    server.Answer(ReplyAt(Seven + 2 * Second), ReplyAt(Seven + Hour));
    EXPECT_EQ(Run("127.0.0.1"), 0);
    EXPECT_EQ(outcome.correctionMs, 2000);
}

// The server's answer to our request that fails its checks ends the exchange with the reason.
TEST_F(SntpExchangeTest, ARefusedAnswerSaysWhyAndLeavesTheClockAlone)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> reply;
        uint32_t result;
        uint32_t detail;
    } cases[] = {
        {"client mode", ReplyAt(Seven, 0, 3), SntpReplyNotServer, 0},
        {"unsynchronised", ReplyAt(Seven, 3), SntpReplyUnsynchronised, 0},
        {"stratum 16", ReplyAt(Seven, 0, 4, 16), SntpReplyUnsynchronised, 0},
        {"kiss-o'-death", ReplyAt(Seven, 3, 4, 0, "RATE"), SntpReplyKissOfDeath, 0x52415445},
        {"no transmit time", SntpReply(0, 0), SntpReplyNoTime, 0},
        {"before 1970", SntpReply(61505152u + 1000u, 0), SntpTimeOutOfRange, 0},
    };
    for (const Case& c : cases) {
        FakeClock::Reset(Seven);
        server.Answer(c.reply);
        EXPECT_EQ(Run("127.0.0.1", 30), -1) << c.what;
        EXPECT_EQ(outcome.result, c.result) << c.what;
        EXPECT_EQ(outcome.detail, c.detail) << c.what;
        EXPECT_TRUE(FakeClock::Sets.empty()) << c.what;
        EXPECT_EQ(outcome.hour, 7) << c.what;
    }
}

// A change the system refuses is reported, with the offset that was measured: counted as a
// success, it would tell the user the clock was right.
TEST_F(SntpExchangeTest, ARefusedClockChangeIsAFailureWithItsReason)
{
    server.Answer(ReplyAt(Seven - 1500 * Millisecond));
    FakeClock::Refusal = ERROR_PRIVILEGE_NOT_HELD;
    EXPECT_EQ(Run("127.0.0.1"), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpNoRight));
    EXPECT_EQ(outcome.detail, static_cast<uint32_t>(ERROR_PRIVILEGE_NOT_HELD));
    EXPECT_EQ(outcome.correctionMs, -1500);
    EXPECT_EQ(FakeClock::Sets.size(), 1u) << "no second try after a refusal";
    EXPECT_EQ(FakeClock::Now, Seven);

    FakeClock::Reset(Seven);
    FakeClock::Refusal = ERROR_INVALID_PARAMETER;
    EXPECT_EQ(Run("127.0.0.1"), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpSetFailed));
    EXPECT_EQ(outcome.detail, static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
}

TEST_F(SntpExchangeTest, NoReplyNoServerABusyPortOrASocketErrorLeaveTheClockAlone)
{
    // No reply within the time-out; the socket is closed afterwards (the next exchange binds).
    server.Answer({});
    EXPECT_EQ(Run("127.0.0.1", 1), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpNoReply));
    EXPECT_EQ(server.Requests(), 1);
    server.Answer(ReplyAt(Seven + Second));
    EXPECT_EQ(Run("127.0.0.1"), 0);
    EXPECT_EQ(FakeClock::Sets.size(), 1u);

    // No server text: nothing is sent.
    FakeClock::Reset(Seven);
    EXPECT_EQ(Run(nullptr), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpNoServer));
    EXPECT_EQ(Run(""), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpNoServer));
    EXPECT_EQ(server.Requests(), 2);

    // A name that cannot be resolved (a label longer than 63 letters fails before any query).
    std::string unresolvable = std::string(64, 'a') + ".invalid";
    EXPECT_EQ(Run(unresolvable.c_str()), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpNameNotFound));
    EXPECT_STREQ(outcome.server, unresolvable.c_str());

    // The broadcast address resolves, but a socket may not send there: nothing leaves the machine.
    EXPECT_EQ(Run("255.255.255.255"), -1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpSocketError));
    EXPECT_EQ(outcome.detail, static_cast<uint32_t>(WSAEACCES));

    // Port 1024 held (as by an exchange still waiting): ends at once with 1, nothing sent.
    SOCKET holder = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(1024);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    EXPECT_EQ(Run("127.0.0.1", 30), 1);
    EXPECT_EQ(outcome.result, static_cast<uint32_t>(SntpPortInUse));
    EXPECT_EQ(outcome.detail, static_cast<uint32_t>(WSAEADDRINUSE));
    closesocket(holder);
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_TRUE(FakeClock::Sets.empty());
}

}  // namespace

namespace {

struct ThreadRun {
    const char* server;
    int timeoutSeconds;
    SntpOutcome outcome;
    int exitCode;
};

DWORD WINAPI RunExchange(LPVOID parameter)
{
    auto* run = static_cast<ThreadRun*>(parameter);
    run->exitCode = SntpExchange(run->server, run->timeoutSeconds, 200, FakeClock::Clock(), &run->outcome);
    return 0;
}

// A time-out beyond what 32 bits of milliseconds count (some 49 days) waits as long as they can,
// instead of wrapping round (wrapped, 4294968 s would wait 704 ms).
TEST_F(SntpExchangeTest, AHugeTimeOutDoesNotWrapToAShortWait)
{
    server.Answer({});
    ThreadRun run{"127.0.0.1", 4294968, {}, 99};
    HANDLE thread = CreateThread(nullptr, 0, RunExchange, &run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    Sleep(1500);
    server.ReplyToLast(ReplyAt(Seven + 4 * Second));
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.outcome.result, static_cast<uint32_t>(SntpClockSet));
}

}  // namespace
