// The send-window side against a stand-in host: the menu item, the dialog driven through its
// controls, the header it writes, the marks of a posted message and the reminder at close.
#include "FakeHost.h"
#include "hostsim/ImportPatch.h"
#include "plugin/Globals.h"
#include "plugin/Reserve.h"
#include "../../common/pure/HeaderText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using namespace testing_support;

namespace {

const int32_t At0730 = 1796596200;  // 2026-12-07 07:30:00 in Tokyo (TZ=JST-9)

// The present moment for the code under test: 2026-12-07 06:58:00 in Tokyo.
void WINAPI At0658(FILETIME* now)
{
    ULONGLONG ticks = (At0730 - 32 * 60 + 11644473600ULL) * 10000000ULL;
    *now = FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Runs answer on the reservation dialog (or box) once it is shown, from a timer inside its modal loop.
std::function<void(HWND)> PendingAnswer;
void CALLBACK AnswerWhenShown(HWND, UINT, UINT_PTR timer, DWORD)
{
    // A modal dialog is shown when its loop first finds the queue empty; a timer that fires
    // before that finds it made but hidden.
    HWND window = FindWindowA(nullptr, "送信予約");
    if (!window || !PendingAnswer || !IsWindowVisible(window))
        return;
    KillTimer(nullptr, timer);
    auto answer = PendingAnswer;
    PendingAnswer = nullptr;
    answer(window);
}

std::string Text(HWND dialog, int id)
{
    char text[64] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

class ReserveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PluginModule = GetModuleHandleA(nullptr);
        Loaded.Settings.ReserveMark = 0;
        window = CreateWindowA("STATIC", "send", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        PatchKernel32Import(GetModuleHandleA(nullptr), "GetSystemTimeAsFileTime", reinterpret_cast<void*>(At0658));
    }
    void TearDown() override
    {
        PatchKernel32Import(GetModuleHandleA(nullptr), "GetSystemTimeAsFileTime",
                            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimeAsFileTime")));
        Loaded.SendWindows.Remove(window);
        DestroyWindow(window);
    }
    // Chooses "送信予約"; answer acts on the dialog as the user would.
    void Reserve(std::function<void(HWND)> answer)
    {
        PendingAnswer = std::move(answer);
        SetTimer(nullptr, 0, 30, AnswerWhenShown);
        ReserveCommand(window, 0);
        EXPECT_FALSE(PendingAnswer) << "no dialog was shown";
    }

    FakeHost host;
    HWND window = nullptr;
};

std::function<void(HWND)> Fill(const char* year, const char* month, const char* day, const char* hour,
                               const char* minute, int button)
{
    return [=](HWND dialog) {
        SetDlgItemTextA(dialog, 1003, year);
        SetDlgItemTextA(dialog, 1005, month);
        SetDlgItemTextA(dialog, 1007, day);
        SetDlgItemTextA(dialog, 1009, hour);
        SetDlgItemTextA(dialog, 1011, minute);
        SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    };
}

TEST_F(ReserveTest, MenuItemGoesToTheFourthMenuOrTheMenuItselfAndRegistersEachTime)
{
    HMENU bar = CreateMenu();
    for (int i = 0; i < 5; ++i)
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "x");
    AddReserveMenuItem(bar, SendMenuBar);
    HMENU fourth = GetSubMenu(bar, 3);
    ASSERT_EQ(GetMenuItemCount(fourth), 2);
    EXPECT_EQ(GetMenuState(fourth, 0, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    char caption[64] = "";
    GetMenuStringA(fourth, 1, caption, sizeof caption, MF_BYPOSITION);
    EXPECT_STREQ(caption, "送信予約");
    EXPECT_EQ(GetMenuItemID(fourth, 1), static_cast<UINT>(FirstCallbackCommand));
    HMENU popup = CreatePopupMenu();
    AddReserveMenuItem(popup, SendMenuPopup);
    EXPECT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 1), static_cast<UINT>(FirstCallbackCommand + 1));
    AddReserveMenuItem(popup, 303);
    EXPECT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(host.callbacks.size(), 2u);
    EXPECT_EQ(host.callbacks[0], ReserveCommand);
    DestroyMenu(bar);
    DestroyMenu(popup);
}

TEST_F(ReserveTest, ReservingWritesTheLineFirstAndReopeningShowsIt)
{
    host.headers[window] = "To: b@example.jp\r\nSubject: s\r\n";
    Reserve(Fill("2026", "12", "7", "7", "30", 1));
    EXPECT_EQ(host.headers[window], "X-Reserve-Date: 1796596200\r\nTo: b@example.jp\r\nSubject: s\r\n");
    // Reopened: the fields show the reservation in local time, month counted from 1.
    std::string shown[5];
    Reserve([&](HWND dialog) {
        for (int i = 0; i < 5; ++i)
            shown[i] = Text(dialog, 1003 + 2 * i);
        SendMessageA(GetDlgItem(dialog, 2), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(shown[0] + "-" + shown[1] + "-" + shown[2] + " " + shown[3] + ":" + shown[4], "2026-12-7 7:30");
    // Changing it rewrites the line; "予約" with nothing changed leaves the header alone.
    Reserve(Fill("2026", "12", "8", "9", "5", 1));
    EXPECT_EQ(FindReserveDate(host.headers[window].c_str()), At0730 + 86400 + 95 * 60);
    host.headers[window] += "Cc: marker-left-alone\r\n";
    Reserve([](HWND dialog) { SendMessageA(GetDlgItem(dialog, 1), BM_CLICK, 0, 0); });
    EXPECT_NE(host.headers[window].find("marker-left-alone"), std::string::npos);
    // A second reservation line, folded, goes even when the first already holds the choice.
    std::string kept = host.headers[window];
    host.headers[window] += "X-Reserve-Date:\r\n 5\r\n";
    Reserve([](HWND dialog) { SendMessageA(GetDlgItem(dialog, 1), BM_CLICK, 0, 0); });
    EXPECT_EQ(host.headers[window], kept);
    // Cancelling the reservation removes every trace of it.
    Reserve([](HWND dialog) { SendMessageA(GetDlgItem(dialog, 3), BM_CLICK, 0, 0); });
    EXPECT_EQ(host.headers[window], "To: b@example.jp\r\nSubject: s\r\nCc: marker-left-alone\r\n");
}

// The reservation dialog that owner opened, or none.
HWND DialogOwnedBy(HWND owner)
{
    for (HWND dialog = FindWindowA("#32770", "送信予約"); dialog; dialog = FindWindowExA(nullptr, dialog, "#32770", "送信予約")) {
        if (GetWindow(dialog, GW_OWNER) == owner)
            return dialog;
    }
    return nullptr;
}

HWND SecondOwner;
std::function<void(HWND)> SecondAnswer;
void CALLBACK AnswerSecondWhenShown(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = DialogOwnedBy(SecondOwner);
    if (!dialog || !SecondAnswer)
        return;
    KillTimer(nullptr, timer);
    auto answer = SecondAnswer;
    SecondAnswer = nullptr;
    answer(dialog);
}

// The dialogs of two send windows open at once: the first is confirmed while the second is still
// open, then the second. Each window gets the time of its own dialog, and the first window's
// message holds its time as soon as its dialog is gone: the second dialog's modal loop still runs,
// but the first window can already be posted or closed.
TEST_F(ReserveTest, TwoDialogsOpenAtOnceEachKeepTheirOwnResult)
{
    HWND second = CreateWindowA("STATIC", "send 2", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    host.headers[window] = "Subject: christmas\r\n";
    host.headers[second] = "Subject: morning\r\n";
    std::string firstWhileSecondOpen;
    bool firstWindowUsable = false;
    Reserve([&](HWND first) {
        SecondOwner = second;
        SecondAnswer = [&, first](HWND dialog) {
            Fill("2026", "12", "24", "18", "0", 1)(first);
            firstWhileSecondOpen = host.headers[window];
            firstWindowUsable = IsWindowEnabled(window) && !IsWindowVisible(first);
            Fill("2026", "12", "8", "9", "30", 1)(dialog);
        };
        SetTimer(nullptr, 0, 30, AnswerSecondWhenShown);
        ReserveCommand(second, 0);
        EXPECT_FALSE(SecondAnswer) << "no second dialog was shown";
    });
    EXPECT_TRUE(firstWindowUsable);
    EXPECT_EQ(firstWhileSecondOpen, "X-Reserve-Date: 1798102800\r\nSubject: christmas\r\n");
    EXPECT_EQ(host.headers[window], "X-Reserve-Date: 1798102800\r\nSubject: christmas\r\n");
    EXPECT_EQ(host.headers[second], "X-Reserve-Date: 1796689800\r\nSubject: morning\r\n");
    Loaded.SendWindows.Remove(second);
    DestroyWindow(second);
}

// The header decides when the dialog opens and when it closes, not a time remembered from an
// earlier dialog: a line that went some other way is not shown, and a header that changed while
// the dialog was open is the one rewritten, its change kept.
TEST_F(ReserveTest, TheHeaderAsItIsWhenTheDialogOpensAndClosesDecides)
{
    host.headers[window] = "To: b@example.jp\r\n";
    Reserve(Fill("2026", "12", "7", "7", "30", 1));
    host.headers[window] = "To: b@example.jp\r\n";
    std::string shown;
    Reserve([&](HWND dialog) {
        shown = Text(dialog, 1003) + "-" + Text(dialog, 1005) + "-" + Text(dialog, 1007) + " " + Text(dialog, 1009) +
                ":" + Text(dialog, 1011);
        SendMessageA(GetDlgItem(dialog, 2), BM_CLICK, 0, 0);
    });
    EXPECT_NE(shown, "2026-12-7 7:30");
    Reserve(Fill("2026", "12", "7", "7", "30", 1));
    EXPECT_EQ(host.headers[window], "X-Reserve-Date: 1796596200\r\nTo: b@example.jp\r\n");
    // While the dialog shows 7:30 the line goes and a Cc line comes; "予約" puts the line back.
    Reserve([&](HWND dialog) {
        host.headers[window] = "To: b@example.jp\r\nCc: c@example.jp\r\n";
        SendMessageA(GetDlgItem(dialog, 1), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(host.headers[window], "X-Reserve-Date: 1796596200\r\nTo: b@example.jp\r\nCc: c@example.jp\r\n");
}

// The message box a dialog shows, answered from a timer inside its modal loop: its owner, title
// and text are kept.
struct OwnedBox {
    HWND owner = nullptr;
    std::string title;
    std::string text;
    bool shown = false;
};
OwnedBox LastBox;
HWND BoxOwner;
int BoxAnswer = IDOK;
void CALLBACK AnswerOwnedBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    for (HWND box = FindWindowA("#32770", nullptr); box; box = FindWindowExA(nullptr, box, "#32770", nullptr)) {
        if (box == BoxOwner || GetWindow(box, GW_OWNER) != BoxOwner)
            continue;
        KillTimer(nullptr, timer);
        char title[64] = "";
        GetWindowTextA(box, title, sizeof title);
        LastBox = {BoxOwner, title, DialogStaticText(box), true};
        PostMessageA(box, WM_COMMAND, std::exchange(BoxAnswer, IDOK), 0);
        return;
    }
}

// Fields are read as typed, full-width digits and blanks too (the Japanese input method), and
// never normalised: a field with no number in its range, or a moment a reservation cannot hold,
// is refused in a box owned by the dialog; a moment gone by is taken only with "はい". A refused
// choice leaves the dialog open with the input and the header as it was.
TEST_F(ReserveTest, FieldsAreReadAsTypedAndAnythingElseIsRefusedOutLoud)
{
    const std::string header = "X-Reserve-Date: 1796596200\r\nTo: b\r\n";
    struct Case { const char* fields[5]; int32_t written; std::string box; int answer; };  // written -1: as it was
    const Case cases[] = {
        {{"２０２６", "１２", "\x82\x57", "　１８ ", "３０"}, 1796722200, "", IDOK},
        {{"2028", "2", "29", "9", "0"}, 1835395200, "", IDOK},
        {{"2038", "1", "19", "12", "14"}, 2147483640, "", IDOK},
        {{"2027", "2", "30", "9", "0"}, -1, "「日」には1から28までの数を入力してください。", IDOK},
        {{"2026", "12", "8", "24", "0"}, -1, "「時」には0から23までの数を入力してください。", IDOK},
        {{"2026", "12", "8", "9", "60"}, -1, "「分」には0から59までの数を入力してください。", IDOK},
        {{"2027", "0", "1", "9", "0"}, -1, "「月」には1から12までの数を入力してください。", IDOK},
        {{"2026", "1２x", "8", "9", "0"}, -1, "「月」には1から12までの数を入力してください。", IDOK},
        {{"", "12", "7", "7", "30"}, -1, "「年」には1970から2038までの数を入力してください。", IDOK},
        {{"1970", "1", "1", "8", "59"}, -1,
         "この日時では送信予約できません。\n1970年1月1日 9:00から2038年1月19日 12:14までの日時を入力してください。", IDOK},
        {{"2026", "12", "7", "6", "57"}, -1, "この時刻はすでに過ぎています。次の送信で送りますか?", IDNO},
        {{"1970", "1", "1", "9", "0"}, 0, "この時刻はすでに過ぎています。次の送信で送りますか?", IDYES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fields[0]) + "-" + c.fields[1] + "-" + c.fields[2] + " " + c.fields[3] + ":" + c.fields[4]);
        host.headers[window] = header;
        LastBox = OwnedBox{};
        BoxAnswer = c.answer;
        UINT_PTR answerer = 0;
        Reserve([&](HWND dialog) {
            BoxOwner = dialog;
            answerer = SetTimer(nullptr, 0, 30, AnswerOwnedBox);
            Fill(c.fields[0], c.fields[1], c.fields[2], c.fields[3], c.fields[4], 1)(dialog);
            SendMessageA(GetDlgItem(dialog, 2), BM_CLICK, 0, 0);
        });
        KillTimer(nullptr, answerer);
        EXPECT_EQ(LastBox.text, c.box);
        EXPECT_EQ(FindReserveDate(host.headers[window].c_str()), c.written == -1 ? 1796596200 : c.written);
    }
}

// Closes a reservation dialog that should not have been shown, and says it was.
bool UnexpectedDialog;
void CALLBACK CloseUnexpectedDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = DialogOwnedBy(BoxOwner);
    if (!dialog || !GetDlgItem(dialog, 1003))
        return;
    KillTimer(nullptr, timer);
    UnexpectedDialog = true;
    SendMessageA(GetDlgItem(dialog, 2), BM_CLICK, 0, 0);
}

int __stdcall IgnoreHeader(HWND, const char*)
{
    return 1;
}

const char* const HeaderUnusableText = "このメールのヘッダを読み書きできないため、送信予約を設定/変更できませんでした。";

// A header the host does not give, one that goes while the dialog is open, and a new header the
// host does not take: each is said in a box, no header is made up from nothing, and a dialog
// whose choice was not written stays open.
TEST_F(ReserveTest, AHeaderThatCannotBeReadOrWrittenIsSaid)
{
    // No header when the item is chosen: the box, owned by the send window, and no dialog.
    LastBox = OwnedBox{};
    UnexpectedDialog = false;
    BoxOwner = window;
    SetTimer(nullptr, 0, 30, AnswerOwnedBox);
    UINT_PTR closer = SetTimer(nullptr, 0, 30, CloseUnexpectedDialog);
    ReserveCommand(window, 0);
    KillTimer(nullptr, closer);
    EXPECT_FALSE(UnexpectedDialog);
    ASSERT_TRUE(LastBox.shown);
    EXPECT_EQ(LastBox.title, "送信予約");
    EXPECT_EQ(LastBox.text, HeaderUnusableText);
    EXPECT_EQ(host.headers.count(window), 0u);

    // The header goes while the dialog is open: "予約" says so and the dialog stays.
    host.headers[window] = "To: b\r\n";
    bool stayed = false;
    LastBox = OwnedBox{};
    Reserve([&](HWND dialog) {
        host.headers.erase(window);
        BoxOwner = dialog;
        SetTimer(nullptr, 0, 30, AnswerOwnedBox);
        Fill("2026", "12", "24", "18", "0", 1)(dialog);
        stayed = IsWindowVisible(dialog);
        SendMessageA(GetDlgItem(dialog, 2), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(LastBox.shown);
    EXPECT_EQ(LastBox.text, HeaderUnusableText);
    EXPECT_EQ(host.headers.count(window), 0u);

    // The host does not take the new header: "予約取り消し" says so, the dialog stays, and a
    // second try once the host takes it goes through.
    host.headers[window] = "X-Reserve-Date: 1796596200\r\nTo: b\r\n";
    stayed = false;
    LastBox = OwnedBox{};
    auto takeHeader = Host.SendSetHeader;
    Reserve([&](HWND dialog) {
        Host.SendSetHeader = IgnoreHeader;
        BoxOwner = dialog;
        SetTimer(nullptr, 0, 30, AnswerOwnedBox);
        SendMessageA(GetDlgItem(dialog, 3), BM_CLICK, 0, 0);
        stayed = IsWindowVisible(dialog);
        Host.SendSetHeader = takeHeader;
        SendMessageA(GetDlgItem(dialog, 3), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(LastBox.shown);
    EXPECT_EQ(host.headers[window], "To: b\r\n");
}

TEST_F(ReserveTest, PostedPathMustLieUnderTheRootIgnoringCase)
{
    char id[260];
    ASSERT_TRUE(PostedMailId("C:\\Mail\\Account1\\Outbox.box\\0001.QPM", "c:\\mail\\", id, sizeof id));
    EXPECT_STREQ(id, "Account1\\Outbox.box\\0001");
    ASSERT_TRUE(PostedMailId("C:\\Mail\\Account1\\Outbox.box\\0001.qpm", "C:\\Mail", id, sizeof id));
    EXPECT_STREQ(id, "Account1\\Outbox.box\\0001");
    // As long as the root but elsewhere: nothing to mark there.
    EXPECT_FALSE(PostedMailId("D:\\Post\\Account1\\Outbox.box\\0001.qpm", "C:\\Mail\\", id, sizeof id));
    EXPECT_FALSE(PostedMailId("C:\\Mailbox2\\Account1\\Outbox.box\\0001.qpm", "C:\\Mail", id, sizeof id));
    EXPECT_FALSE(PostedMailId("C:\\Mail\\Account1\\Outbox.box\\0001.txt", "C:\\Mail\\", id, sizeof id));
    EXPECT_FALSE(PostedMailId("C:\\Ma", "C:\\Mail\\", id, sizeof id));
    EXPECT_FALSE(PostedMailId(nullptr, "C:\\Mail\\", id, sizeof id));
}

// A path is read by the system's code page (932 here): the trail byte of a double-byte character
// is compared as it is, never as a separator or a letter of another case.
TEST_F(ReserveTest, PostedPathRootWithDoubleByteCharactersIsComparedByTheSystemsCodePage)
{
    char id[260];
    // "表" is 0x95 0x5c, "ソ" 0x83 0x5c, "ア" 0x83 0x41.
    ASSERT_TRUE(PostedMailId("C:\\\x95\x5c\\A\\Outbox.box\\0001.qpm", "c:\\\x95\x5c", id, sizeof id));
    EXPECT_STREQ(id, "A\\Outbox.box\\0001");
    EXPECT_FALSE(PostedMailId("C:\\\x95/\\A\\Outbox.box\\0001.qpm", "C:\\\x95\x5c\\", id, sizeof id));
    EXPECT_FALSE(PostedMailId("C:\\\x83\x61\\A\\Outbox.box\\0001.qpm", "C:\\\x83\x41\\", id, sizeof id));
    // A root ending in the trail byte 0x5c does not end with a separator: the path must go on with one.
    EXPECT_FALSE(PostedMailId("C:\\\x83\x5c" "A\\Outbox.box\\0001.qpm", "C:\\\x83\x5c", id, sizeof id));
}

// On a Western system "ë" (0xeb) is one character; by code page 932 it would start a double-byte
// character and swallow the separator after it, so the mailbox would not hold its own messages
// and a reserved message would be posted unmarked, to go out at once.
TEST_F(ReserveTest, PostedPathUnderAFolderNamedInAWesternCodePageIsFound)
{
    auto western = [](unsigned char) { return false; };
    char id[260];
    ASSERT_TRUE(PostedMailId("D:\\Mail\\Zo\xeb\\A\\Outbox.box\\0001.qpm", "d:\\mail\\zo\xeb\\", id, sizeof id, western));
    EXPECT_STREQ(id, "A\\Outbox.box\\0001");
    ASSERT_TRUE(PostedMailId("D:\\Mail\\Zo\xeb\\A\\Outbox.box\\0001.qpm", "D:\\Mail\\Zo\xeb", id, sizeof id, western));
    EXPECT_FALSE(PostedMailId("D:\\Mail\\Zo\xeb\\A\\Outbox.box\\0001.qpm", "D:\\Mail\\Zo\xea\\", id, sizeof id, western));
}

TEST_F(ReserveTest, PostingMarksAReservedMessageAndHandsTheHostOnlyAMark)
{
    std::string path = host.root + "Account1\\Outbox.box\\0001.qpm";
    host.headers[window] = "To: b\r\n";
    MarkPostedMessage(window, path.c_str());
    ASSERT_EQ(host.marks.size(), 1u);
    EXPECT_EQ(host.marks[0], "Account1\\Outbox.box\\0001 00000007 off");

    host.headers[window] = "X-Reserve-Date: 5\r\nTo: b\r\n";
    for (long mark : {5L, 0L, 8L, -1L, static_cast<long>(0xC1000000)}) {
        SCOPED_TRACE(mark);
        host.marks.clear();
        Loaded.Settings.ReserveMark = mark;
        MarkPostedMessage(window, path.c_str());
        long handed = mark == 5 ? 5 : 0;
        char expected[64];
        std::snprintf(expected, sizeof expected, "Account1\\Outbox.box\\0001 %08lx on", handed);
        ASSERT_EQ(host.marks.size(), 3u);
        EXPECT_EQ(host.marks[0], "Account1\\Outbox.box\\0001 00000007 off");
        EXPECT_EQ(host.marks[1], "Account1\\Outbox.box\\0001 01000000 off");
        EXPECT_EQ(host.marks[2], expected);
    }
}

TEST_F(ReserveTest, ClosingAReservedWindowShowsTheReminder)
{
    host.headers[window] = "To: b\r\n";
    PendingAnswer = [](HWND) {};
    SetTimer(nullptr, 0, 30, AnswerWhenShown);
    RemindReservedAtClose(window);  // no box: returns at once
    ASSERT_TRUE(PendingAnswer);
    PendingAnswer = nullptr;

    host.headers[window] = "x-reserve-date: 5\r\nTo: b\r\n";
    std::string text;
    bool hasIcon = true;
    PendingAnswer = [&](HWND box) {
        text = DialogStaticText(box);
        hasIcon = false;
        for (HWND child = FindWindowExA(box, nullptr, "Static", nullptr); child;
             child = FindWindowExA(box, child, "Static", nullptr)) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
                SendMessageA(child, STM_GETICON, 0, 0))
                hasIcon = true;
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 30, AnswerWhenShown);
    RemindReservedAtClose(window);
    EXPECT_EQ(text, "このメールは送信予約されています\n予約の設定/変更を有効にするには\n送信ボタンを押して終了してください");
    EXPECT_FALSE(hasIcon);
}

}  // namespace

// A posted path is matched as Windows reads it (8.3 names, doubled or mixed separators, "..",
// either case by the code page: "Ａ" 0x82 0x60, "ａ" 0x82 0x81); a reserved message that still
// names no entry is said in a box owned by the send window and in the log.
TEST_F(ReserveTest, APostedMessageIsHeldAsWindowsReadsItsPathOrTheUserIsTold)
{
    const std::string root = host.root, id = "Account12345\\Outbox.box\\0001";
    host.Write(id + ".qpm", "To: b\r\n\r\n");
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA((root + id + ".qpm").c_str(), shortPath, MAX_PATH);
    ASSERT_EQ(std::string(shortPath).find("Account12345"), std::string::npos) << shortPath;
    const struct { std::string root, path; bool reserved, held; } rows[] = {
        {root, shortPath, true, true}, {root, root + "Account12345\\\\Outbox.box\\0001.qpm", true, true},
        {root, root + "Account12345/Outbox.box/../Outbox.box\\0001.qpm", true, true},
        {"C:\\M\\\x82\x81\\", "C:\\M\\\x82\x60\\Account12345\\Outbox.box\\0001.qpm", true, true},
        {root, "D:\\P\\Account12345\\Outbox.box\\0001.qpm", true, false}, {"", root + id + ".qpm", true, false},
        {root, "D:\\P\\Account12345\\Outbox.box\\0001.qpm", false, false}};
    for (const auto& row : rows) {
        host.root = row.root;
        host.headers[window] = row.reserved ? "X-Reserve-Date: 1796596200\r\nTo: b\r\n" : "To: b\r\n";
        host.marks.clear();
        LastBox = OwnedBox{};
        BoxOwner = window;
        UINT_PTR timer = SetTimer(nullptr, 0, 30, AnswerOwnedBox);
        MarkPostedMessage(window, row.path.c_str());
        KillTimer(nullptr, timer);
        EXPECT_EQ(host.JoinedMarks().substr(0, id.size() + 13), row.held ? id + " 00000007 off" : "") << row.path;
        EXPECT_EQ(LastBox.shown, row.reserved && !row.held) << row.path;
        EXPECT_EQ(LastBox.title + LastBox.text, LastBox.shown ? "送信予約このメールの送信予約を登録できませんでした。\n"
                                                                "予約した日時を待たずに、次の送信で送られます。" : "");
    }
    host.root = root;
    EXPECT_NE(host.LogText().find("送信予約を登録できず、次の送信で送られます (メールボックスの中のメールとして見つかりません): "
                                  "D:\\P\\Account12345\\Outbox.box\\0001.qpm (予約 2026/12/07 07:30:00)"),
              std::string::npos);
}
