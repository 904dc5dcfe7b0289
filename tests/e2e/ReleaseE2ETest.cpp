// Reserved messages released by the plug-in's own tick on the host's clock, then sent by the host.
#include "HostRun.h"
#include "contract/Quillpost.h"

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

// The host's log of an entry's flags after the plug-in's MarkMail.
std::string Flags(const char* account, uint32_t bits)
{
    return std::string("mailbox: ") + account + "\\Outbox.box\\00000001 flags " + FlagText(bits);
}
const std::string ReleaseMask = ReleaseMaskOn();
const std::string Receive = Command(HostCmdReceive);
const char* const Sent = "send: Account1\\Outbox.box\\00000001 sent";
const char* const SentFile = "Mailbox\\Account1\\Sent.box\\00000001.qpm";
const std::string Unreserved = "From: user@example.jp\r\nTo: friend@example.jp\r\nSubject: message 1\r\n"
                               "Date: Mon, 07 Dec 2026 06:00:00 +0900\r\n\r\nHello 1\r\n\x82\xA0 line\nLF only\r\n";

std::string DateLine(const std::string& message)
{
    size_t at = message.find("\r\nDate: ");
    if (at == std::string::npos)
        return "";
    size_t end = message.find("\r\n", at + 2);
    return message.substr(at + 2, end - at - 2);
}

// With SendQuick a message stored for 07:00 and the entry of the next minute.
std::string SendQuick(const char* more)
{
    return Start + "setting SendQuick dword 1\nreceive-seconds 5\nentry Monday 07:01\n"
                   "at 06:58:30 outbox-store Account1 " + std::to_string(At0700) + "\n" + more;
}

std::vector<HostRow> Rows()
{
    return {
        // Held through the 06:59 scans, released at the first scan of 07:00, sent by the next send;
        // released once, even though two ticks fall on second 0.
        {"ReservedMessageIsHeldUntilItsMinuteThenReleasedRewrittenAndSent",
         Start + "setting ReserveMark dword 2\n" + Reserve0700 +
             "at 06:59:30 send\nat 07:00:10 send\nend 2026-12-07 07:00:20\n",
         {At("2026-12-07 07:00:00.0", Flags("Account1", EntryReleaseBits | 2)),
          Has("2026-12-07 07:00:00.0 " + Flags("Account1", EntryReleaseBits)), At("2026-12-07 07:00:10.0", Sent),
          Count(1, ReleaseMask), FileIs(SentFile, Unreserved)}},
        {"ChangeDateMovesTheDateLineIntoTheWindowAroundTheReservation",
         Start + "setting ChangeDate dword 1\nsetting PreSec dword 30\nsetting PostSec dword 60\n" + Reserve0700 +
             "at 07:00:10 send\nend 2026-12-07 07:00:20\n",
         {Has(Sent)},
         [](const HostRunResult&, const HostLayout& host) {
             std::string line = DateLine(ReadFileBytes(host.Dir() + "\\" + SentFile));
             unsigned hour = 0, minute = 0, second = 0;
             char zone[8] = "";
             ASSERT_EQ(std::sscanf(line.c_str(), "Date: Mon, 07 Dec 2026 %2u:%2u:%2u %7s", &hour, &minute, &second, zone),
                       4)
                 << line;
             EXPECT_STREQ(zone, "+0900");
             unsigned moment = hour * 3600 + minute * 60 + second;
             EXPECT_GE(moment, 6 * 3600 + 59 * 60 + 30u) << line;
             EXPECT_LE(moment, 7 * 3600 + 59u) << line;
         }},
        // The first tick at second 0 is the first one of all.
        {"LongPastGoesAtTheFirstScanAndOneSecondLateWaitsForTheNextMinute",
         Start + "at 06:58:00 outbox-store Account1 1700000000\n"
                 "at 06:58:00 outbox-store Account2 " + std::to_string(At0659 + 1) + "\n"
                 "at 06:58:00 outbox-store Account3 " + std::to_string(At0659) + "\nend 2026-12-07 07:00:05\n",
         {At("2026-12-07 06:58:00.5", Flags("Account1", EntryReleaseBits)),
          At("2026-12-07 06:59:00.0", Flags("Account3", EntryReleaseBits)),
          At("2026-12-07 07:00:00.0", Flags("Account2", EntryReleaseBits)),
          FileIs("Mailbox\\Account2\\Outbox.box\\00000001.qpm",
                 "From: user@example.jp\r\nSubject: stored\r\nDate: Mon, 07 Dec 2026 05:00:00 +0900\r\n"
                 "\r\nStored body\r\n")}},
        // With SendQuick the release starts the host's receive at once, whose send takes the
        // message, even while the schedule is stopped. That run leaves the schedule stopped: its
        // item still offers to start it, the end of retrieval answers 0 (stopped), and the stored
        // entry of the next minute starts nothing.
        {"SendQuickStartsASendAndReceiveAtTheReleaseAndAStoppedScheduleStaysStopped",
         SendQuick("at 06:59:30 caption\nat 07:00:02 caption\nat 07:00:10 caption\nend 2026-12-07 07:01:30\n"),
         {At("2026-12-07 07:00:00.0", Receive + " (receive)"), At("2026-12-07 07:00:00.0", Sent), Count(1, Receive),
          At("2026-12-07 07:00:05.0", "host: receive ended, APCFolderEndRetrieve -> 0"),
          Lines("menu: ", std::vector<std::string>(3, "menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\""))}},
        // Choosing the item during such a run starts the schedule: the run ends armed, and the next
        // entry fires.
        {"StartingTheScheduleDuringARunOfTheReleaseArmsItWhenTheRunEnds",
         SendQuick("at 07:00:02 menu schedule\nat 07:00:03 caption\nend 2026-12-07 07:01:03\n"),
         {Has("user: chooses \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\""), Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:01](&X)\""),
          Has("host: receive ended, APCFolderEndRetrieve -> 1"), At("2026-12-07 07:00:00.0", Receive),
          Count(2, Receive)}},
        // A subject that mentions the header's name: reserving and changing the reservation keep the
        // subject line and the line after it whole, and so does the release.
        {"ASubjectThatMentionsTheReservationKeepsItsLine",
         Start + "at 06:58:01 send-open 1\nat 06:58:01 send-subject 1 About X-Reserve-Date: header\n"
                 "at 06:58:02 send-menu 1\nat 06:58:03 reserve-fill 2026 12 7 7 0\nat 06:58:04 click 送信予約 1\n"
                 "at 06:58:05 send-menu 1\nat 06:58:06 reserve-fill 2026 12 7 6 59\nat 06:58:07 click 送信予約 1\n"
                 "at 06:58:08 send-header 1\nat 06:58:09 send-post 1\nat 06:59:10 send\nend 2026-12-07 06:59:20\n",
         {Has("header 1: X-Reserve-Date: 1796594340\\r\\nFrom: user@example.jp\\r\\nTo: friend@example.jp\\r\\n"
              "Subject: About X-Reserve-Date: header\\r\\nDate: Mon, 07 Dec 2026 06:00:00 +0900\\r\\n"),
          Has(Sent),
          FileIs(SentFile, "From: user@example.jp\r\nTo: friend@example.jp\r\nSubject: About X-Reserve-Date: header\r\n"
                           "Date: Mon, 07 Dec 2026 06:00:00 +0900\r\n\r\nHello 1\r\n\x82\xA0 line\nLF only\r\n")}},
        // The host holds the message open, sharing reading and writing but not deletion, when it
        // falls due: it cannot be replaced by a rename, so it is written over in place, whole, and
        // goes out without its reservation line. Nothing is left beside it.
        {"AMessageTheHostHoldsOpenIsWrittenOverInPlace",
         Start + Reserve0700 + "at 06:59:30 hold-message Account1 00000001 rw\nat 07:00:10 unhold-messages\n"
                               "at 07:00:20 send\nend 2026-12-07 07:00:30\n",
         {Has("host: holds Account1\\Outbox.box\\00000001 open, sharing reading and writing\n"),
          At("2026-12-07 07:00:00.0", ReleaseMask), At("2026-12-07 07:00:20.0", Sent), FileIs(SentFile, Unreserved)},
         [](const HostRunResult&, const HostLayout& host) {
             EXPECT_EQ(FilesIn(host.Dir() + "\\Mailbox\\Account1\\Outbox.box"), std::vector<std::string>{"Entry.lst"});
         }},
        // Held open without any sharing, the message cannot even be read: it waits, reserved and
        // untouched, and goes at the first scan after the host lets it go.
        {"AMessageTheHostHoldsWithoutSharingWaitsUntilItIsFree",
         Start + Reserve0700 + "at 06:59:30 hold-message Account1 00000001 none\nat 07:00:30 unhold-messages\n"
                               "at 07:01:10 send\nend 2026-12-07 07:01:20\n",
         {Has("host: holds Account1\\Outbox.box\\00000001 open, sharing nothing\n"),
          At("2026-12-07 07:01:00.0", ReleaseMask), Has(Sent), FileIs(SentFile, Unreserved)}},
        // The release bits are set while the file still holds its reservation: a crash between the
        // two steps then lets the host send the message as it stands instead of holding it for ever.
        {"TheReleaseBitsAreSetBeforeTheFileIsRewritten", Start + Reserve0700 + "end 2026-12-07 07:00:10\n",
         {Has("mailbox: Account1\\Outbox.box\\00000001 release bits set, its file reserved"),
          None("release bits set, its file rewritten")}},
    };
}

class ReleaseE2ETest : public HostTableTest {};
TEST_P(ReleaseE2ETest, Row) { RunRow(); }
INSTANTIATE_TEST_SUITE_P(Host, ReleaseE2ETest, testing::ValuesIn(Rows()), RowName);

}  // namespace
