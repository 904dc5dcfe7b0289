// Clock adjustment with scheduled runs, through the simulated host and a time server on
// 127.0.0.1:123. The host substitutes its own clock for SetSystemTime and logs the change; each
// exchange leaves its outcome under the settings key's Status.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "HostRun.h"
#include "../../common/pure/SntpOutcome.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testing_support;

namespace {

const std::string StatusKey = std::string(PlugKey) + "\\Status";

// The times the host's clock was set to, "YYYY-MM-DD hh:mm:ss.mmm", in order.
std::vector<std::string> ClockSets(const HostRunResult& run)
{
    std::vector<std::string> times;
    for (const std::string& event : run.Events("clock: set to "))
        times.push_back(event.substr(event.find("set to ") + 7, 23));
    return times;
}

// The simulated clock runs on while the exchange is under way, so the clock ends a little after
// the server's time: never before it, and well within the run.
void ExpectSetShortlyAfter(const HostRunResult& run, const std::string& serverTime, const std::string& limit)
{
    std::vector<std::string> times = ClockSets(run);
    ASSERT_EQ(times.size(), 1u) << run.log;
    EXPECT_GE(times[0], serverTime) << run.log;
    EXPECT_LT(times[0], limit) << run.log;
}

bool WaitForLog(const HostLayout& host, const std::string& text, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (ReadFileBytes(host.Dir() + "\\events.log").find(text) != std::string::npos)
            return true;
        Sleep(50);
    }
    return false;
}

class SntpRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ASSERT_TRUE(server.Start()) << "cannot serve on 127.0.0.1:123";
    }
    void TearDown() override { ClearSettings(); }
    SntpTestServer server;
};

// The exchange runs in real time on a thread of the plug-in, while the host's clock runs much
// faster: each scenario holds the clock (wait log / wait file) until what it needs of the exchange
// has happened, and the host logs the thread's start and end.
const std::string Settings =
    "setting AutoStart dword 1\nsetting UseSNTP dword 1\nsetting SNTPServer sz 127.0.0.1\n"
    "receive-seconds 5\ntimer-driven 10\n";

// The run's receive makes a router dial: the first request is held 2 s and its reply 0.1 s, and
// the next one, a pause later, is quick. The clock is set by that one, not 0.95 s off by the first.
TEST_F(SntpRunTest, AnEntryWithTheClockFlagSetsTheClockToTheServersTime)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0x80000000u));
    server.Travel({{2000, 100, true}, {0, 0, true}});
    HostLayout host;
    HostRunResult run = host.Run(Settings + "setting TimeOut dword 5\nawait-plugin-threads 60\n"
                                 "entry Monday 07:00 sntp\nentry Monday 07:01\n"
                                 "start 2026-12-07 06:59:50\nat 07:00:01 wait log clock: set to\n"
                                 "end 2026-12-07 07:01:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("thread: 2 ended with 0")) << run.log;
    ExpectSetShortlyAfter(run, "2026-12-07 07:00:30.500", "2026-12-07 07:00:31");
    // The entry without the flag asks nothing.
    EXPECT_EQ(run.Count(Command(HostCmdReceive)), 2u) << run.log;
    EXPECT_EQ(server.Requests(), 2);
    // The outcome, where the editor reads it.
    uint32_t result = 99;
    ASSERT_TRUE(ReadDword(StatusKey, "Result", &result));
    EXPECT_EQ(result, 0u);
    DWORD type = 0;
    std::string correction, time, name;
    ASSERT_TRUE(ReadValue(StatusKey, "Correction", &type, &correction));
    ASSERT_EQ(correction.size(), 8u);
    int64_t milliseconds = 0;
    std::memcpy(&milliseconds, correction.data(), 8);
    EXPECT_GT(milliseconds, 25000) << "the server was about 30 s ahead";
    EXPECT_LE(milliseconds, 30500);
    ASSERT_TRUE(ReadValue(StatusKey, "Time", &type, &time));
    EXPECT_EQ(time.substr(0, 14), "2026/12/07 07:") << time;
    ASSERT_TRUE(ReadValue(StatusKey, "Server", &type, &name));
    EXPECT_EQ(std::string(name.c_str()), "127.0.0.1");
}

// Every way an exchange can end, through the host, each stored as the editor will show it.
TEST_F(SntpRunTest, EachOutcomeIsStoredUnderStatus)
{
    const uint32_t serverSeconds = NtpSecondsOfJst(2026, 12, 7, 7, 0, 30);
    std::vector<uint8_t> shortReply = SntpReply(serverSeconds, 0);
    shortReply.resize(47);
    // A label longer than 63 letters: the resolver refuses it before it sends any query.
    const std::string unresolvable = std::string(64, 'a') + ".invalid";
    const uint32_t AnyDetail = 0xFFFFFFFFu;
    struct Case {
        const char* what;
        std::string settings;
        std::vector<uint8_t> reply, forged;
        uint32_t result, detail;
        bool holdPort;
        std::vector<SntpPath> paths = {};
    } cases[] = {
        {"clock set", "", SntpReply(serverSeconds, 0), {}, SntpClockSet, 0, false},
        {"no right to change the clock", "clock-refuse\n", SntpReply(serverSeconds, 0), {}, SntpNoRight,
         ERROR_PRIVILEGE_NOT_HELD, false},
        {"a change refused otherwise", "clock-refuse 5\n", SntpReply(serverSeconds, 0), {}, SntpSetFailed, 5, false},
        {"no reply within the time-out", "", {}, {}, SntpNoReply, 0, false},
        {"name not found", "setting SNTPServer sz " + unresolvable + "\n", {}, {}, SntpNameNotFound, AnyDetail, false},
        {"no server", "setting SNTPServer sz \n", {}, {}, SntpNoServer, 0, false},
        {"not in server mode", "", SntpReply(serverSeconds, 0, 0, 3), {}, SntpReplyNotServer, 0, false},
        {"unsynchronised", "", SntpReply(serverSeconds, 0, 3), {}, SntpReplyUnsynchronised, 0, false},
        {"kiss-o'-death", "", SntpReply(serverSeconds, 0, 3, 4, 0, "RATE"), {}, SntpReplyKissOfDeath, 0x52415445,
         false},
        {"originate mismatch", "", {}, SntpReply(serverSeconds, 0), SntpReplyOriginateMismatch, 0, false},
        {"short", "", {}, shortReply, SntpReplyShort, 0, false},
        {"port 1024 in use", "", SntpReply(serverSeconds, 0), {}, SntpPortInUse, WSAEADDRINUSE, true},
        {"socket error", "setting SNTPServer sz 255.255.255.255\n", {}, {}, SntpSocketError, WSAEACCES, false},
        {"each reply too slow", "", SntpReply(serverSeconds, 0), {}, SntpReplyTooSlow, AnyDetail, false, {{2000, 100, true}}},
        {"within Accuracy", "setting Accuracy dword 60000\n", SntpReply(serverSeconds, 0), {}, SntpWithinAccuracy, 0, false},
    };
    for (const Case& c : cases) {
        ClearSettings();
        server.Answer(c.reply, {}, c.forged);
        server.Travel(c.paths);
        SOCKET holder = INVALID_SOCKET;
        if (c.holdPort) {
            holder = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_port = htons(1024);
            ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&local), sizeof local), 0) << c.what;
        }
        HostLayout host;
        HostRunResult run = host.Run(Settings + "setting TimeOut dword 1\nawait-plugin-threads 60\n" + c.settings +
                                     "entry Monday 07:00 sntp\nstart 2026-12-07 06:59:58\nend 2026-12-07 07:00:05\n");
        if (holder != INVALID_SOCKET)
            closesocket(holder);
        ASSERT_EQ(run.exitCode, 0u) << c.what << "\n" << run.log;
        EXPECT_TRUE(run.Has("plugin: released by every thread")) << c.what << "\n" << run.log;
        uint32_t result = 99, detail = 99;
        ASSERT_TRUE(ReadDword(StatusKey, "Result", &result)) << c.what;
        EXPECT_EQ(result, c.result) << c.what << "\n" << run.log;
        ASSERT_TRUE(ReadDword(StatusKey, "Detail", &detail)) << c.what;
        if (c.detail != AnyDetail) {
            EXPECT_EQ(detail, c.detail) << c.what;
        }
        if (c.result == SntpClockSet) {
            EXPECT_EQ(ClockSets(run).size(), 1u) << c.what << "\n" << run.log;
        } else {
            EXPECT_FALSE(run.Has("clock: set to")) << c.what << "\n" << run.log;
        }
        if (c.result == SntpNoRight || c.result == SntpSetFailed) {
            EXPECT_EQ(run.Count("clock: SetSystemTime refused"), 1u) << c.what << "\n" << run.log;
        }
    }
}

TEST_F(SntpRunTest, WithoutTheSettingNoExchangeIsMade)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0));
    HostLayout host;
    HostRunResult run = host.Run(Settings + "setting UseSNTP dword 0\nentry Monday 07:00 sntp\n"
                                 "start 2026-12-07 06:59:50\nend 2026-12-07 07:00:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has(Command(HostCmdReceive))) << run.log;
    EXPECT_FALSE(run.Has("clock: ")) << run.log;
    EXPECT_EQ(server.Requests(), 0);
}

// A reply that comes after TimeOut seconds finds the exchange over: it is sent once the host has
// seen the exchange's thread end, which the host waits for.
TEST_F(SntpRunTest, NoReplyWithinTheTimeOutLeavesTheClockAlone)
{
    server.Answer({});
    HostLayout host;
    ASSERT_TRUE(host.Start(Settings + "setting TimeOut dword 1\nentry Monday 07:00 sntp\n"
                           "start 2026-12-07 06:59:50\nat 07:00:01 wait log thread: 2 ended\n"
                           "end 2026-12-07 07:01:00\n"));
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    ASSERT_TRUE(WaitForLog(host, "thread: 2 ended with", 60000));
    server.ReplyToLast(SntpReply(NtpSecondsOfJst(2026, 12, 7, 8, 0, 0), 0));
    HostRunResult run = host.Wait();
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    ASSERT_TRUE(run.Has(Command(HostCmdReceive))) << run.log;
    EXPECT_TRUE(run.Has("thread: 2 ended with -1")) << run.log;  // no reply in time
    EXPECT_FALSE(run.Has("clock: ")) << run.log;
}

// The first exchange still waits on port 1024 when the next run starts one: the second cannot
// bind, sends nothing and ends at once. The first one's reply, a minute late, does not set the
// clock; its next request, answered at once, does. The host holds its clock after the second run
// until the first exchange has set it.
TEST_F(SntpRunTest, ASecondExchangeWhileTheFirstHoldsThePortSendsNothing)
{
    server.Answer({});
    HostLayout host;
    ASSERT_TRUE(host.Start(Settings + "setting TimeOut dword 60\nawait-plugin-threads 60\n"
                           "entry Monday 07:00 sntp\nentry Monday 07:01 sntp\n"
                           "start 2026-12-07 06:59:50\nat 07:01:01 wait log clock: set to\n"
                           "end 2026-12-07 07:03:00\n"));
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    ASSERT_TRUE(WaitForLog(host, "thread: 3 ended with 1", 60000));  // no socket: the port is taken
    // The second exchange says so as it ends.
    uint32_t result = 99;
    for (DWORD waited = 0; waited < 30000 && result != SntpPortInUse; waited += 20) {
        Sleep(20);
        ReadDword(StatusKey, "Result", &result);
    }
    EXPECT_EQ(result, static_cast<uint32_t>(SntpPortInUse));
    EXPECT_EQ(server.Requests(), 1);
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 1, 10), 0));
    server.ReplyToLast(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 1, 10), 0));
    HostRunResult run = host.Wait();
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Count(Command(HostCmdReceive)), 2u) << run.log;
    EXPECT_EQ(server.Requests(), 2);
    // The simulated clock ran on far while the test held the reply back; the clock is set once,
    // after the server's time.
    ExpectSetShortlyAfter(run, "2026-12-07 07:01:10.000", "2026-12-07 07:03:00");
    ASSERT_TRUE(ReadDword(StatusKey, "Result", &result));
    EXPECT_EQ(result, static_cast<uint32_t>(SntpClockSet)) << "the first exchange ended last";
}

// The host ends (and unloads the plug-in) while an exchange still waits: the waiting thread keeps
// the library loaded, and the host closes cleanly. The host holds its clock until the test has
// seen the request.
TEST_F(SntpRunTest, TheHostCanEndWhileAnExchangeWaits)
{
    server.Answer({});
    HostLayout host;
    ASSERT_TRUE(host.Start(Settings + "setting TimeOut dword 60\nentry Monday 07:00 sntp\n"
                           "start 2026-12-07 06:59:55\nat 07:00:01 wait file requested\n"
                           "end 2026-12-07 07:00:05\n"));
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    ASSERT_TRUE(WriteFileBytes(host.Dir() + "\\requested", ""));
    HostRunResult run = host.Wait();
    EXPECT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("wait: over")) << run.log;
    EXPECT_TRUE(run.Has("host: stopped")) << run.log;
    EXPECT_FALSE(run.Has("thread: 2 ended")) << run.log;
    EXPECT_EQ(server.Requests(), 1);
}

}  // namespace

namespace {

// In Central European time (CTest runs this one with CHRONEL_TZ=CET-1CEST,M3.5.0,M10.5.0/3): the
// clock is set in UTC, so it ends at the server's time across the spring-forward hour and in the
// second pass of the autumn's repeated hour, where a local time would name the first.
TEST_F(SntpRunTest, AChangeAcrossADaylightSavingChangeEndsAtTheServersTime)
{
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    if (zone.Bias != -60 || zone.DaylightBias != -60 || zone.DaylightDate.wMonth != 3)
        GTEST_SKIP() << "needs the system's zone to be Central European time";
    struct Case {
        const char* what;
        uint32_t server;
        std::string scenario, utc;
    } cases[] = {
        {"spring: 01:58:50 winter time, the server at 03:00:30 summer time", NtpSecondsOfJst(2026, 3, 29, 10, 0, 30),
         "entry Sunday 01:59 sntp\nstart 2026-03-29 01:58:50\nend 2026-03-29 03:02:00\n", "(UTC 2026-03-29 01:00:30."},
        {"autumn: 01:58:50 summer time, the server at 02:00:30 winter time", NtpSecondsOfJst(2026, 10, 25, 10, 0, 30),
         "entry Sunday 01:59 sntp\nstart 2026-10-25 01:58:50\nend 2026-10-25 02:00:40\n", "(UTC 2026-10-25 01:00:30."},
    };
    for (const Case& c : cases) {
        ClearSettings();
        server.Answer(SntpReply(c.server, 0));
        HostLayout host;
        HostRunResult run =
            host.Run(Settings + "setting TimeOut dword 5\nawait-plugin-threads 60\n" + c.scenario);
        ASSERT_EQ(run.exitCode, 0u) << run.log;
        EXPECT_EQ(run.Count("clock: set to "), 1u) << c.what << "\n" << run.log;
        EXPECT_TRUE(run.Has(c.utc)) << c.what << "\n" << run.log;
    }
}

}  // namespace
