// Reserved messages released by the plug-in's own tick on the host's clock, then sent by the host.
#include "HostRun.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testing_support;

namespace {

// 2026-12-07 (a Monday) in Japan, UTC+9.
constexpr long At0659 = 1796594340;
constexpr long At0700 = 1796594400;

const std::string Start = "clear-settings\nsetting UseReserve dword 1\nstart 2026-12-07 06:58:00\n";
const std::string Reserve0700 =
    "at 06:58:01 send-open 1\n"
    "at 06:58:02 send-menu 1\n"
    "at 06:58:04 reserve-fill 2026 12 7 7 0\n"
    "at 06:58:05 click 送信予約 1\n"
    "at 06:58:07 send-post 1\n";

class ReleaseE2ETest : public testing_support::ClearedSettingsTest {};

std::string DateLine(const std::string& message)
{
    size_t at = message.find("\r\nDate: ");
    if (at == std::string::npos)
        return "";
    size_t end = message.find("\r\n", at + 2);
    return message.substr(at + 2, end - at - 2);
}

TEST_F(ReleaseE2ETest, ReservedMessageIsHeldUntilItsMinuteThenReleasedRewrittenAndSent)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + "setting ReserveMark dword 2\n" + Reserve0700 +
                                 "at 06:59:30 send\n"
                                 "at 07:00:10 send\n"
                                 "end 2026-12-07 07:00:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    // Held through the 06:59 scans, released at the first scan of 07:00, sent by the next send.
    EXPECT_EQ(run.When("mailbox: Account1\\Outbox.box\\00000001 flags c1000002"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_TRUE(run.Has("2026-12-07 07:00:00.0 mailbox: Account1\\Outbox.box\\00000001 flags c1000000"));
    EXPECT_EQ(run.When("send: Account1\\Outbox.box\\00000001 sent"), "2026-12-07 07:00:10.0") << run.log;
    // Released once, even though two ticks fall on second 0.
    EXPECT_EQ(run.Count("mask c1000000 on"), 1u);

    std::string sent = ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Sent.box\\00000001.qpm");
    EXPECT_EQ(sent,
              "From: user@example.jp\r\nTo: friend@example.jp\r\nSubject: message 1\r\n"
              "Date: Mon, 07 Dec 2026 06:00:00 +0900\r\n\r\n"
              "Hello 1\r\n\x82\xA0 line\nLF only\r\n");
}

TEST_F(ReleaseE2ETest, ChangeDateMovesTheDateLineIntoTheWindowAroundTheReservation)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + "setting ChangeDate dword 1\nsetting PreSec dword 30\nsetting PostSec dword 60\n" +
                                 Reserve0700 + "at 07:00:10 send\nend 2026-12-07 07:00:20\n");
    ASSERT_TRUE(run.Has("send: Account1\\Outbox.box\\00000001 sent")) << run.log;
    std::string line = DateLine(ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Sent.box\\00000001.qpm"));
    unsigned hour = 0, minute = 0, second = 0;
    char zone[8] = "";
    ASSERT_EQ(std::sscanf(line.c_str(), "Date: Mon, 07 Dec 2026 %2u:%2u:%2u %7s", &hour, &minute, &second, zone), 4)
        << line;
    EXPECT_STREQ(zone, "+0900");
    unsigned moment = hour * 3600 + minute * 60 + second;
    EXPECT_GE(moment, 6 * 3600 + 59 * 60 + 30u) << line;
    EXPECT_LE(moment, 7 * 3600 + 59u) << line;
}

TEST_F(ReleaseE2ETest, LongPastGoesAtTheFirstScanAndOneSecondLateWaitsForTheNextMinute)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "at 06:58:00 outbox-store Account1 1700000000\n"
                                 "at 06:58:00 outbox-store Account2 " + std::to_string(At0659 + 1) + "\n"
                                 "at 06:58:00 outbox-store Account3 " + std::to_string(At0659) + "\n"
                                 "end 2026-12-07 07:00:05\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    // The first tick at second 0 is the first one of all.
    EXPECT_EQ(run.When("mailbox: Account1\\Outbox.box\\00000001 flags c1000000"), "2026-12-07 06:58:00.5") << run.log;
    EXPECT_EQ(run.When("mailbox: Account3\\Outbox.box\\00000001 flags c1000000"), "2026-12-07 06:59:00.0");
    EXPECT_EQ(run.When("mailbox: Account2\\Outbox.box\\00000001 flags c1000000"), "2026-12-07 07:00:00.0");
    std::string released = ReadFileBytes(host.Dir() + "\\Mailbox\\Account2\\Outbox.box\\00000001.qpm");
    EXPECT_EQ(released, "From: user@example.jp\r\nSubject: stored\r\nDate: Mon, 07 Dec 2026 05:00:00 +0900\r\n"
                        "\r\nStored body\r\n");
}

// With SendQuick the release starts the host's receive at once, whose send takes the message,
// even while the schedule is stopped. That run leaves the schedule stopped: its item still offers
// to start it, the end of retrieval answers 0 (stopped), and the stored entry of the next minute
// starts nothing.
TEST_F(ReleaseE2ETest, SendQuickStartsASendAndReceiveAtTheReleaseAndAStoppedScheduleStaysStopped)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + "setting SendQuick dword 1\nreceive-seconds 5\nentry Monday 07:01\n"
                                 "at 06:58:30 outbox-store Account1 " + std::to_string(At0700) + "\n"
                                 "at 06:59:30 caption\nat 07:00:02 caption\nat 07:00:10 caption\n"
                                 "end 2026-12-07 07:01:30\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("command: 32786 (receive)"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.When("send: Account1\\Outbox.box\\00000001 sent"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.Count("command: 32786"), 1u) << run.log;
    EXPECT_EQ(run.When("host: receive ended, APCFolderEndRetrieve -> 0"), "2026-12-07 07:00:05.0") << run.log;
    EXPECT_EQ(run.Events("menu: "), std::vector<std::string>(3, "menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")) << run.log;
}

// Choosing the item during such a run starts the schedule: the run ends armed, and the next entry
// fires.
TEST_F(ReleaseE2ETest, StartingTheScheduleDuringARunOfTheReleaseArmsItWhenTheRunEnds)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + "setting SendQuick dword 1\nreceive-seconds 5\nentry Monday 07:01\n"
                                 "at 06:58:30 outbox-store Account1 " + std::to_string(At0700) + "\n"
                                 "at 07:00:02 menu schedule\nat 07:00:03 caption\n"
                                 "end 2026-12-07 07:01:03\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("user: chooses \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:01](&X)\"")) << run.log;
    EXPECT_TRUE(run.Has("host: receive ended, APCFolderEndRetrieve -> 1")) << run.log;
    EXPECT_EQ(run.When("command: 32786"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.Count("command: 32786"), 2u) << run.log;
}

// A subject that mentions the header's name: reserving and changing the reservation keep the
// subject line and the line after it whole, and so does the release.
TEST_F(ReleaseE2ETest, ASubjectThatMentionsTheReservationKeepsItsLine)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "at 06:58:01 send-open 1\n"
                                 "at 06:58:01 send-subject 1 About X-Reserve-Date: header\n"
                                 "at 06:58:02 send-menu 1\n"
                                 "at 06:58:03 reserve-fill 2026 12 7 7 0\n"
                                 "at 06:58:04 click 送信予約 1\n"
                                 "at 06:58:05 send-menu 1\n"
                                 "at 06:58:06 reserve-fill 2026 12 7 6 59\n"
                                 "at 06:58:07 click 送信予約 1\n"
                                 "at 06:58:08 send-header 1\n"
                                 "at 06:58:09 send-post 1\n"
                                 "at 06:59:10 send\n"
                                 "end 2026-12-07 06:59:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("header 1: X-Reserve-Date: 1796594340\\r\\nFrom: user@example.jp\\r\\nTo: friend@example.jp\\r\\n"
                        "Subject: About X-Reserve-Date: header\\r\\nDate: Mon, 07 Dec 2026 06:00:00 +0900\\r\\n"))
        << run.log;
    ASSERT_TRUE(run.Has("send: Account1\\Outbox.box\\00000001 sent")) << run.log;
    EXPECT_EQ(ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Sent.box\\00000001.qpm"),
              "From: user@example.jp\r\nTo: friend@example.jp\r\nSubject: About X-Reserve-Date: header\r\n"
              "Date: Mon, 07 Dec 2026 06:00:00 +0900\r\n\r\nHello 1\r\n\x82\xA0 line\nLF only\r\n");
}

const std::string Unreserved = "From: user@example.jp\r\nTo: friend@example.jp\r\nSubject: message 1\r\n"
                               "Date: Mon, 07 Dec 2026 06:00:00 +0900\r\n\r\nHello 1\r\n\x82\xA0 line\nLF only\r\n";

// The host holds the message open, sharing reading and writing but not deletion, when it falls
// due: it cannot be replaced by a rename, so it is written over in place, whole, and goes out
// without its reservation line. Nothing is left beside it.
TEST_F(ReleaseE2ETest, AMessageTheHostHoldsOpenIsWrittenOverInPlace)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + Reserve0700 +
                                 "at 06:59:30 hold-message Account1 00000001 rw\n"
                                 "at 07:00:10 unhold-messages\n"
                                 "at 07:00:20 send\n"
                                 "end 2026-12-07 07:00:30\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("host: holds Account1\\Outbox.box\\00000001 open, sharing reading and writing\n")) << run.log;
    EXPECT_EQ(run.When("mask c1000000 on"), "2026-12-07 07:00:00.0") << run.log;
    ASSERT_EQ(run.When("send: Account1\\Outbox.box\\00000001 sent"), "2026-12-07 07:00:20.0") << run.log;
    EXPECT_EQ(ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Sent.box\\00000001.qpm"), Unreserved);
    EXPECT_EQ(FilesIn(host.Dir() + "\\Mailbox\\Account1\\Outbox.box"), std::vector<std::string>{"Entry.lst"});
}

// Held open without any sharing, the message cannot even be read: it waits, reserved and
// untouched, and goes at the first scan after the host lets it go.
TEST_F(ReleaseE2ETest, AMessageTheHostHoldsWithoutSharingWaitsUntilItIsFree)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + Reserve0700 +
                                 "at 06:59:30 hold-message Account1 00000001 none\n"
                                 "at 07:00:30 unhold-messages\n"
                                 "at 07:01:10 send\n"
                                 "end 2026-12-07 07:01:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("host: holds Account1\\Outbox.box\\00000001 open, sharing nothing\n")) << run.log;
    EXPECT_EQ(run.When("mask c1000000 on"), "2026-12-07 07:01:00.0") << run.log;
    ASSERT_TRUE(run.Has("send: Account1\\Outbox.box\\00000001 sent")) << run.log;
    EXPECT_EQ(ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Sent.box\\00000001.qpm"), Unreserved);
}

// The release bits are set while the file still holds its reservation: a crash between the two
// steps then lets the host send the message as it stands instead of holding it for ever.
TEST_F(ReleaseE2ETest, TheReleaseBitsAreSetBeforeTheFileIsRewritten)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + Reserve0700 + "end 2026-12-07 07:00:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("mailbox: Account1\\Outbox.box\\00000001 release bits set, its file reserved")) << run.log;
    EXPECT_FALSE(run.Has("release bits set, its file rewritten")) << run.log;
}

}  // namespace
