// The send reservation through the simulated host, driven as a user would: the send window's
// menu, the dialog's fields and buttons, posting to the outbox, closing with the reminder box.
#include "HostRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::string Start = "clear-settings\nsetting UseReserve dword 1\nstart 2026-12-07 06:58:00\n";
const std::string HostHeader =
    "From: user@example.jp\\r\\nTo: friend@example.jp\\r\\nSubject: message 1\\r\\nDate: Mon, 07 Dec 2026 06:00:00 +0900\\r\\n";

// Window 1's reservation dialog open under window 2's, filled with Christmas evening.
const std::string TwoDialogsOpen = Start +
                                   "at 06:58:01 send-open 1\nat 06:58:01 send-open 2\n"
                                   "at 06:58:02 send-menu 1\nat 06:58:03 send-menu 2\n"
                                   "at 06:58:04 reserve-fill @1 2026 12 24 18 0\n";

class ReserveE2ETest : public testing_support::ClearedSettingsTest {};

TEST_F(ReserveE2ETest, ReservedInTheDialogAndPostedTheMessageIsHeldWithItsMark)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "setting ReserveMark dword 3\n"
                                 "at 06:58:01 send-open 1\n"
                                 "at 06:58:02 send-menu 1\n"
                                 "at 06:58:03 reserve-fields\n"
                                 "at 06:58:04 reserve-fill ２０２６ １２ 　７ ７ ３０\n"  // by the input method
                                 "at 06:58:05 click 送信予約 1\n"
                                 "at 06:58:06 send-header 1\n"
                                 "at 06:58:07 send-post 1 close\n"
                                 "at 06:58:08 outbox\n"
                                 "at 06:58:09 send\n"
                                 "at 06:58:10 outbox\n"
                                 "end 2026-12-07 06:58:12\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    // A new reservation starts from the present moment.
    EXPECT_TRUE(run.Has("dialog: fields 2026 12 7 6 58")) << run.log;
    EXPECT_TRUE(run.Has("header 1: X-Reserve-Date: 1796596200\\r\\n" + HostHeader)) << run.log;
    auto marks = run.Events("api: MarkMail");
    ASSERT_EQ(marks.size(), 3u) << run.log;
    EXPECT_EQ(marks[0], "api: MarkMail Account1\\Outbox.box\\00000001 mask 00000007 off");
    EXPECT_EQ(marks[1], "api: MarkMail Account1\\Outbox.box\\00000001 mask 01000000 off");
    EXPECT_EQ(marks[2], "api: MarkMail Account1\\Outbox.box\\00000001 mask 00000003 on");
    EXPECT_TRUE(run.Has("host: APCSendPost -> 1"));
    EXPECT_EQ(run.When("host: send window 1 closed"), "2026-12-07 06:58:07.0") << run.log;  // no reminder
    // Held back: the host's send leaves it in the outbox.
    EXPECT_EQ(run.Count("outbox: Account1\\Outbox.box\\00000001 flags c0000003"), 2u) << run.log;
    EXPECT_FALSE(run.Has("send: Account1"));
    std::string stored = ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Outbox.box\\00000001.qpm");
    EXPECT_EQ(stored.rfind("X-Reserve-Date: 1796596200\r\nFrom: user@example.jp\r\n", 0), 0u) << stored;
}

TEST_F(ReserveE2ETest, AMessageWithoutReservationOnlyLosesItsMarkAndGoesWithTheNextSend)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "at 06:58:01 send-open 1\n"
                                 "at 06:58:02 send-post 1\n"
                                 "at 06:58:03 send\n"
                                 "end 2026-12-07 06:58:05\n");
    auto marks = run.Events("api: MarkMail");
    ASSERT_EQ(marks.size(), 1u) << run.log;
    EXPECT_EQ(marks[0], "api: MarkMail Account1\\Outbox.box\\00000001 mask 00000007 off");
    EXPECT_TRUE(run.Has("send: Account1\\Outbox.box\\00000001 sent")) << run.log;
}

// Two send windows with their own reservations; one is reopened (showing its time), changed and
// then cancelled; closing shows the reminder only for the window still reserved.
TEST_F(ReserveE2ETest, ReopenChangeCancelAndTheReminderAcrossSeveralWindows)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "at 06:58:01 send-open 1\n"
                                 "at 06:58:01 send-open 2\n"
                                 "at 06:58:02 send-menu 1\n"
                                 "at 06:58:03 reserve-fill 2026 12 7 8 0\n"
                                 "at 06:58:04 click 送信予約 1\n"
                                 "at 06:58:05 send-menu 2\n"
                                 "at 06:58:06 reserve-fill 2026 12 8 9 15\n"
                                 "at 06:58:07 click 送信予約 1\n"
                                 "at 06:58:08 send-menu 1\n"
                                 "at 06:58:09 reserve-fields\n"
                                 "at 06:58:10 reserve-fill 2026 12 7 8 45\n"
                                 "at 06:58:11 click 送信予約 1\n"
                                 "at 06:58:12 send-header 1\n"
                                 "at 06:58:13 send-menu 1\n"
                                 "at 06:58:14 reserve-fields\n"
                                 "at 06:58:15 click 送信予約 3\n"
                                 "at 06:58:16 send-header 1\n"
                                 "at 06:58:17 send-header 2\n"
                                 "at 06:58:18 send-close 1\n"
                                 "at 06:58:19 send-close 2\n"
                                 "at 06:58:20 window-text 送信予約\n"
                                 "at 06:58:21 click 送信予約 1\n"
                                 "end 2026-12-07 06:58:24\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    auto fields = run.Events("dialog: fields");
    ASSERT_EQ(fields.size(), 2u) << run.log;
    EXPECT_EQ(fields[0], "dialog: fields 2026 12 7 8 0");
    EXPECT_EQ(fields[1], "dialog: fields 2026 12 7 8 45");
    auto headers = run.Events("header ");
    std::vector<std::string> shown;
    for (const std::string& line : headers) {
        if (line.find(": set") == std::string::npos)
            shown.push_back(line);
    }
    ASSERT_EQ(shown.size(), 3u) << run.log;
    EXPECT_EQ(shown[0], "header 1: X-Reserve-Date: 1796600700\\r\\n" + HostHeader);
    EXPECT_EQ(shown[1], "header 1: " + HostHeader);
    EXPECT_EQ(shown[2].rfind("header 2: X-Reserve-Date: 1796688900\\r\\n", 0), 0u) << shown[2];
    // Window 1 closes at once; window 2 waits for the reminder to be answered.
    EXPECT_EQ(run.When("host: send window 1 closed"), "2026-12-07 06:58:18.0") << run.log;
    EXPECT_TRUE(run.Has("window \"送信予約\": このメールは送信予約されています\\n予約の設定/変更を有効にするには\\n"
                        "送信ボタンを押して終了してください"))
        << run.log;
    EXPECT_EQ(run.When("host: send window 2 closed"), "2026-12-07 06:58:21.0") << run.log;
}

// Two send windows with their dialogs open at once: window 1's dialog is confirmed for Christmas
// evening while window 2's is still open, then window 2's for the next morning. Each message gets
// the time of its own dialog. Window 1 is usable as soon as its dialog is gone, while window 2's
// dialog still runs: its header already holds the reservation, and posting it holds it back.
TEST_F(ReserveE2ETest, TwoDialogsOpenAtOnceEachWritesItsOwnTime)
{
    HostLayout host;
    HostRunResult run = host.Run(TwoDialogsOpen +
                                 "at 06:58:05 reserve-click @1 1\n"
                                 "at 06:58:06 send-header 1\n"
                                 "at 06:58:06 send-post 1\n"
                                 "at 06:58:07 reserve-fields @2\n"
                                 "at 06:58:08 reserve-fill @2 2026 12 8 9 30\n"
                                 "at 06:58:09 reserve-click @2 1\n"
                                 "at 06:58:10 send-header 2\n"
                                 "end 2026-12-07 06:58:12\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    ASSERT_TRUE(run.Has("user: clicks \"予約\" in send window 1\n")) << run.log;
    EXPECT_TRUE(run.Has("dialog: fields 2026 12 7 6 58 in send window 2")) << run.log;
    const std::string Christmas = "X-Reserve-Date: 1798102800\\r\\n";  // 2026-12-24 18:00
    const std::string Morning = "X-Reserve-Date: 1796689800\\r\\n";    // 2026-12-08 09:30
    EXPECT_EQ(run.When("header 1: " + Christmas + HostHeader), "2026-12-07 06:58:06.0") << run.log;
    EXPECT_TRUE(run.Has("api: MarkMail Account1\\Outbox.box\\00000001 mask 01000000 off")) << run.log;
    std::string stored = ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Outbox.box\\00000001.qpm");
    EXPECT_EQ(stored.rfind("X-Reserve-Date: 1798102800\r\nFrom: user@example.jp\r\n", 0), 0u) << stored;
    EXPECT_TRUE(run.Has("header 2: " + Morning + "From:")) << run.log;
}

// The host closes window 1 while its dialog is open under window 2's: the dialog goes with its
// window and writes nothing; window 2's dialog goes on and writes its own time.
TEST_F(ReserveE2ETest, AWindowClosedUnderItsOpenDialogTakesItAndTheOtherDialogGoesOn)
{
    HostLayout host;
    HostRunResult run = host.Run(TwoDialogsOpen +
                                 "at 06:58:05 send-close 1\n"
                                 "at 06:58:07 reserve-fill @2 2026 12 8 9 30\n"
                                 "at 06:58:08 reserve-click @2 1\n"
                                 "at 06:58:09 send-header 2\n"
                                 "end 2026-12-07 06:58:11\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.When("host: send window 1 closed"), "2026-12-07 06:58:05.0") << run.log;
    EXPECT_FALSE(run.Has("header 1: set")) << run.log;
    EXPECT_TRUE(run.Has("header 2: X-Reserve-Date: 1796689800\\r\\nFrom:")) << run.log;
}

// The reservation line goes from the header some other way (the user deletes it): reopened, the
// dialog shows the present moment, not the old time, and "予約" at the old time writes the line
// again instead of nothing, so the message is not sent at once.
TEST_F(ReserveE2ETest, AReservationLineDeletedByHandIsNotShownAndIsWrittenAgain)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "at 06:58:01 send-open 1\n"
                                 "at 06:58:02 send-menu 1\n"
                                 "at 06:58:03 reserve-fill 2026 12 7 7 30\n"
                                 "at 06:58:04 click 送信予約 1\n"
                                 "at 06:58:05 send-drop-line 1 X-Reserve-Date:\n"
                                 "at 06:58:06 send-menu 1\n"
                                 "at 06:58:07 reserve-fields\n"
                                 "at 06:58:08 reserve-fill 2026 12 7 7 30\n"
                                 "at 06:58:09 click 送信予約 1\n"
                                 "at 06:58:10 send-header 1\n"
                                 "end 2026-12-07 06:58:12\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("dialog: fields 2026 12 7 6 58")) << run.log;
    EXPECT_EQ(run.Count("header 1: set"), 2u) << run.log;
    EXPECT_TRUE(run.Has("header 1: X-Reserve-Date: 1796596200\\r\\n" + HostHeader)) << run.log;
}

// A day the month does not have: a box owned by the dialog says so, naming the field; the dialog
// stays open with the fields as typed, and the message keeps its reservation. A moment gone by
// is asked about, taken only with "はい"; the moment in words follows the fields.
TEST_F(ReserveE2ETest, AnImpossibleDateIsRefusedAndAMomentGoneByAskedAbout)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "at 06:58:01 send-open 1\n"
                                 "at 06:58:02 send-menu 1\n"
                                 "at 06:58:03 reserve-fill 2026 12 7 7 30\n"
                                 "at 06:58:04 click 送信予約 1\n"
                                 "at 06:58:05 send-menu 1\n"
                                 "at 06:58:06 reserve-fill 2027 2 30 9 0\n"
                                 "at 06:58:07 click 送信予約 1\n"
                                 "at 06:58:12 reserve-box 1\n"
                                 "at 06:58:17 reserve-fields\n"
                                 "at 06:58:18 reserve-fill 2026 12 7 6 30\n"
                                 "at 06:58:19 reserve-fields\n"
                                 "at 06:58:20 click 送信予約 1\n"
                                 "at 06:58:25 reserve-box 7\n"
                                 "at 06:58:30 send-header 1\n"
                                 "at 06:58:31 click 送信予約 1\n"
                                 "at 06:58:36 reserve-box 6\n"
                                 "at 06:58:41 send-header 1\n"
                                 "end 2026-12-07 06:58:43\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("box: \"送信予約\" 「日」には1から28までの数を入力してください。")) << run.log;
    EXPECT_TRUE(run.Has("dialog: fields 2027 2 30 9 0\n")) << run.log;
    EXPECT_TRUE(run.Has("dialog: moment 2026年12月7日(月) 6:30\n")) << run.log;
    EXPECT_TRUE(run.Has("box: \"送信予約\" この時刻はすでに過ぎています。次の送信で送りますか?")) << run.log;
    EXPECT_EQ(run.When("header 1: X-Reserve-Date: 1796596200\\r\\n" + HostHeader), "2026-12-07 06:58:30.0") << run.log;
    EXPECT_EQ(run.When("header 1: X-Reserve-Date: 1796592600\\r\\n" + HostHeader), "2026-12-07 06:58:41.0") << run.log;
}

// The host exits (clean-up, the library freed, its loop ended) while the reservation dialog or
// the reminder at close is open: clean-up ends it, and the host goes on in code still there.
TEST_F(ReserveE2ETest, TheHostExitingInsideTheDialogOrTheReminderEndsIt)
{
    for (const char* open : {"", "at 06:58:03 reserve-fill 2026 12 7 7 30\nat 06:58:04 click 送信予約 1\n"
                                 "at 06:58:05 send-close 1\n"}) {
        HostLayout host;
        HostRunResult run = host.Run(Start + "at 06:58:01 send-open 1\nat 06:58:02 send-menu 1\n" + open +
                                     "at 06:58:08 exit\nend 2026-12-07 06:58:10\n", 60000);
        EXPECT_EQ(run.exitCode, 0u) << run.log;
        EXPECT_TRUE(run.Has("APCCleanUp -> 1, windows \"送信予約\" still shown: 0\n")) << run.log;
    }
}

TEST_F(ReserveE2ETest, WithoutUseReserveTheSendWindowGetsNothing)
{
    HostLayout host;
    HostRunResult run = host.Run("clear-settings\nstart 2026-12-07 06:58:00\n"
                                 "at 06:58:01 send-open 1\nat 06:58:02 send-menu 1\nat 06:58:03 send-post 1\n"
                                 "end 2026-12-07 06:58:05\n");
    EXPECT_TRUE(run.Has("APCSendCreate -> 0")) << run.log;
    EXPECT_TRUE(run.Has("(no such item)")) << run.log;
    EXPECT_FALSE(run.Has("api: MarkMail"));
    EXPECT_TRUE(run.Has("host: APCSendPost -> 1"));
}

}  // namespace
