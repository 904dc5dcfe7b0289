// Clock adjustment with scheduled runs, through the simulated host and a time server on
// 127.0.0.1:123. The host substitutes its own clock for SetLocalTime and logs the change.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "HostRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

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

// Waits while the host runs until its log holds text.
bool WaitForLog(const HostLayout& host, const std::string& text, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (ReadFileBytes(host.Dir() + "\\events.log").find(text) != std::string::npos)
            return true;
        Sleep(50);
    }
    return false;
}

TEST_F(SntpRunTest, AnEntryWithTheClockFlagSetsTheClockToTheServersTime)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0x80000000u));
    HostLayout host;
    HostRunResult run = host.Run(Settings + "setting TimeOut dword 5\n"
                                 "entry Monday 07:00 sntp\nentry Monday 07:01\n"
                                 "start 2026-12-07 06:59:50\nat 07:00:01 wait log clock: set to\n"
                                 "end 2026-12-07 07:01:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("thread: 1 ended with 0")) << run.log;
    EXPECT_EQ(run.Count("clock: set to "), 1u) << run.log;
    EXPECT_TRUE(run.Has("clock: set to 2026-12-07 07:00:30.500")) << run.log;
    // The entry without the flag asks nothing.
    EXPECT_EQ(run.Count("command: 32786"), 2u) << run.log;
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(SntpRunTest, WithoutTheSettingNoExchangeIsMade)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 0, 30), 0));
    HostLayout host;
    HostRunResult run = host.Run(Settings + "setting UseSNTP dword 0\nentry Monday 07:00 sntp\n"
                                 "start 2026-12-07 06:59:50\nend 2026-12-07 07:00:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("command: 32786")) << run.log;
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
                           "start 2026-12-07 06:59:50\nat 07:00:01 wait log thread: 1 ended\n"
                           "end 2026-12-07 07:01:00\n"));
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    ASSERT_TRUE(WaitForLog(host, "thread: 1 ended with", 60000));
    server.ReplyToLast(SntpReply(NtpSecondsOfJst(2026, 12, 7, 8, 0, 0), 0));
    HostRunResult run = host.Wait();
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    ASSERT_TRUE(run.Has("command: 32786")) << run.log;
    EXPECT_TRUE(run.Has("thread: 1 ended with -1")) << run.log;  // no reply in time
    EXPECT_FALSE(run.Has("clock: ")) << run.log;
}

// The first exchange still waits on port 1024 when the next run starts one: the second cannot
// bind, sends nothing and ends at once; the first one's late reply still sets the clock. The host
// holds its clock after the second run until the first exchange has set it.
TEST_F(SntpRunTest, ASecondExchangeWhileTheFirstHoldsThePortSendsNothing)
{
    server.Answer({});
    HostLayout host;
    ASSERT_TRUE(host.Start(Settings + "setting TimeOut dword 60\n"
                           "entry Monday 07:00 sntp\nentry Monday 07:01 sntp\n"
                           "start 2026-12-07 06:59:50\nat 07:01:01 wait log clock: set to\n"
                           "end 2026-12-07 07:03:00\n"));
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    ASSERT_TRUE(WaitForLog(host, "thread: 2 ended with 1", 60000));  // no socket: the port is taken
    EXPECT_EQ(server.Requests(), 1);
    server.ReplyToLast(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 1, 10), 0));
    HostRunResult run = host.Wait();
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Count("command: 32786"), 2u) << run.log;
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(run.Count("clock: set to "), 1u) << run.log;
    EXPECT_TRUE(run.Has("clock: set to 2026-12-07 07:01:10.000")) << run.log;
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
    EXPECT_FALSE(run.Has("thread: 1 ended")) << run.log;
    EXPECT_EQ(server.Requests(), 1);
}

}  // namespace
