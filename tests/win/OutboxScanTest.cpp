// The outbox scan against files on disk and a stand-in host table: which entries are examined,
// when a reservation is due, what the rewritten message holds, and that a failed rewrite never
// damages the message.
#include "FakeHost.h"
#include "plugin/Globals.h"
#include "../../common/windows/FileCalls.h"
#include "plugin/Outbox.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <regex>
#include <set>

namespace {

const int32_t At0730 = 1796596200;  // 2026-12-07 07:30:00 in Tokyo (TZ=JST-9)
const std::string Body = "Body line\n\xE3\x81\x82 LF only\r\nlast line without end";

std::string Message(const std::string& reserveLine)
{
    return "From: a@example.jp\n" + reserveLine + "Date: Mon, 01 Dec 2026 10:00:00 +0900\r\nSubject: s\n\n" + Body;
}

std::string Line(const std::string& name, const std::string& data)
{
    return name + "=" + data + ":subject\r\n";
}

// Flag words as the host's index stores them (first four bytes, least significant first).
const std::string NoFlags = "AAAAAAAAAAAAAAAA";      // 0
const std::string Mark3 = "AwAAAAAAAAAAAAAA";        // 3
const std::string Queued = "AAAAAQAAAAAAAAAA";       // 0x01000000
const std::string QueuedAndMark = "BwAAAQAAAAAAAAAA";  // 0x01000007

class OutboxScanTest : public ::testing::Test {
protected:
    void AddEntry(const std::string& account, const std::string& name, const std::string& flags,
                  const std::string& message)
    {
        index_[account] += Line(name, flags);
        host.Write(account + "\\Outbox.box\\" + name + ".qpm", message);
        host.Write(account + "\\Outbox.box\\Entry.lst", index_[account]);
    }
    std::string Released(const std::string& id) { return FakeHost::ReleaseMarks(id); }

    FakeHost host;
    ReleaseRules& ScanRules = host.rules;
    std::map<std::string, std::string> index_;
};

TEST_F(OutboxScanTest, ReleasesAtOrAfterItsTimeAndNotASecondEarlier)
{
    AddEntry("Account1", "00000001", NoFlags, Message("X-Reserve-Date: " + std::to_string(At0730 + 1) + "\n"));
    EXPECT_FALSE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), "");
    ScanRules.ReferenceTime = At0730 + 1;
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released("Account1\\Outbox.box\\00000001"));
    // Reservation gone, header lines end in CR LF, "Date:" untouched without ChangeDate, body as it was.
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\00000001.qpm"),
              "From: a@example.jp\r\nDate: Mon, 01 Dec 2026 10:00:00 +0900\r\nSubject: s\r\n\r\n" + Body);
}

TEST_F(OutboxScanTest, ALongPastReservationGoesAtTheFirstScan)
{
    AddEntry("Account1", "00000001", NoFlags, Message("X-Reserve-Date: 0\n"));
    AddEntry("Account1", "00000002", NoFlags, Message("x-reserve-date:\n"));  // no digits: time 0
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released("Account1\\Outbox.box\\00000001") + "|" + Released("Account1\\Outbox.box\\00000002"));
}

// Which entries are opened: not the queued ones, but every other one whatever its mark, so a
// reservation is found with ReserveMark 0, with a mark the host kept, and after the mark setting
// changed.
TEST_F(OutboxScanTest, EveryEntryNotQueuedIsExaminedWhateverItsMark)
{
    const std::string due = Message("X-Reserve-Date: 100\n");
    AddEntry("Account1", "queued", Queued, due);
    AddEntry("Account1", "queuedMark", QueuedAndMark, due);
    AddEntry("Account1", "noMark", NoFlags, due);
    AddEntry("Account1", "mark3", Mark3, due);
    AddEntry("Account1", "notDue", Mark3, Message("X-Reserve-Date: 2000000000\n"));
    AddEntry("Account1", "plain", NoFlags, Message(""));
    for (int mark : {0, 3, 5}) {
        SCOPED_TRACE(mark);
        host.marks.clear();
        Loaded.Settings.ReserveMark = mark;
        for (const char* name : {"noMark", "mark3"})
            host.Write(std::string("Account1\\Outbox.box\\") + name + ".qpm", due);
        EXPECT_TRUE(host.Scan(ScanRules));
        EXPECT_EQ(host.JoinedMarks(), Released("Account1\\Outbox.box\\noMark") + "|" + Released("Account1\\Outbox.box\\mark3"));
    }
    Loaded.Settings.ReserveMark = 0;
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\queued.qpm"), due);
}

// A scan looks only in the mailbox folder it is handed: without one, not in the current folder;
// and with one whose string the host changes while a release is marked, in the folder it began in.
TEST_F(OutboxScanTest, AScanLooksOnlyInTheFolderItIsHandedAtItsStart)
{
    AddEntry("Account1", "a", NoFlags, Message("X-Reserve-Date: 100\n"));
    AddEntry("Account2", "b", NoFlags, Message("X-Reserve-Date: 100\n"));
    const std::string began = host.root, both = Released("Account1\\Outbox.box\\a") + "|" + Released("Account2\\Outbox.box\\b");
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(began.c_str());
    for (int row : {0, 1, 2}) {  // "", none, the host's string
        host.marks.clear();
        host.onMark = [&, once = true](const char*) mutable { host.root[host.root.size() - 2] ^= once; once = false; };
        ReleaseRules rules = ScanRules;
        rules.Mailbox = row == 0 ? "" : row == 1 ? nullptr : host.root.c_str();
        EXPECT_EQ(host.scanner->Scan(rules), row == 2);
        host.root = began;
        EXPECT_EQ(host.JoinedMarks(), row == 2 ? both : "") << row;
    }
    SetCurrentDirectoryA(current);
}

TEST_F(OutboxScanTest, WalksEveryAccountAndPassesOverWhatItCannotUse)
{
    const std::string due = Message("X-Reserve-Date: 100\n");
    AddEntry("Account1", "a", NoFlags, due);
    host.Write("AccountFile", "not a directory");
    host.Write("Account2\\Outbox.box\\x.qpm", due);  // no index
    // An empty line ends the index; lines without a data field are passed over; names that would
    // leave the outbox are never opened.
    host.Write("Account3\\Outbox.box\\b.qpm", due);
    host.Write("Account3\\Outbox.box\\c.qpm", due);
    host.Write("Account3\\Outbox.box\\Entry.lst", "no-equals\r\nempty=\r\nnodata=:x\r\n..\\..\\Account1\\Outbox.box\\a=" +
                                                    NoFlags + "\r\nb=" + NoFlags + "\r\n\r\nc=" + NoFlags + "\r\n");
    host.Write("Other\\Outbox.box\\Entry.lst", Line("d", NoFlags));
    host.Write("Other\\Outbox.box\\d.qpm", due);
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released("Account1\\Outbox.box\\a") + "|" + Released("Account3\\Outbox.box\\b"));
    EXPECT_EQ(host.Read("Account3\\Outbox.box\\c.qpm"), due);
    EXPECT_EQ(host.Read("Other\\Outbox.box\\d.qpm"), due);
}

// The first reservation line decides, as in the send window: a due one after a far-off one waits.
TEST_F(OutboxScanTest, AReservationAfterAnotherLineStillCountsAndTheFirstOneDecides)
{
    AddEntry("Account1", "early", NoFlags, Message("X-Reserve-Date: 2000000000\nX-Reserve-Date: 5\n"));
    AddEntry("Account1", "a", NoFlags,
             "To: b\nX-Reserve-Date: 5\nX-Reserve-Date: 2000000000\nDate: x\n\nX-Reserve-Date: 1 in the body\n");
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released("Account1\\Outbox.box\\a"));
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\a.qpm"), "To: b\r\nDate: x\r\n\r\nX-Reserve-Date: 1 in the body\n");
}

TEST_F(OutboxScanTest, HeaderLinesLongerThanTheLineBufferSurviveTheRewrite)
{
    std::string references = "References: " + std::string(3000, 'r');
    AddEntry("Account1", "a", NoFlags, "X-Reserve-Date: 5\n" + references + "\nSubject: s\n\nbody");
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\a.qpm"), references + "\r\nSubject: s\r\n\r\nbody");
}

TEST_F(OutboxScanTest, ChangeDateWritesTheMovedReservationInLocalTime)
{
    ScanRules.ChangeDate = true;
    AddEntry("Account1", "exact", NoFlags, Message("X-Reserve-Date: " + std::to_string(At0730) + "\n"));
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\exact.qpm"),
              "From: a@example.jp\r\nDate: Mon, 07 Dec 2026 07:30:00 +0900\r\nSubject: s\r\n\r\n" + Body);

    // Within PreSec before and PostSec after the reservation.
    ScanRules.PreSec = 600;
    ScanRules.PostSec = 300;
    for (int i = 0; i < 5; ++i) {
        std::string name = "moved" + std::to_string(i);
        AddEntry("Account1", name, NoFlags, Message("X-Reserve-Date: " + std::to_string(At0730) + "\n"));
        host.Scan(ScanRules);
        std::string text = host.Read("Account1\\Outbox.box\\" + name + ".qpm");
        std::smatch match;
        ASSERT_TRUE(std::regex_search(text, match, std::regex("\r\nDate: Mon, 07 Dec 2026 07:([0-9]{2}):([0-9]{2}) \\+0900\r\n")))
            << text;
        int seconds = std::stoi(match[1]) * 60 + std::stoi(match[2]) - 30 * 60;
        EXPECT_GE(seconds, -600);
        EXPECT_LE(seconds, 300);
    }
}

// One scan releasing several messages draws an offset for each, over the whole window: with a day
// before and a day after, lines fall on both sides of the reservation.
TEST_F(OutboxScanTest, MessagesReleasedTogetherGetOffsetsOfTheirOwnOverTheWholeWindow)
{
    ScanRules.ChangeDate = true;
    ScanRules.PreSec = 86400;
    ScanRules.PostSec = 86400;
    const int count = 20;
    for (int i = 0; i < count; ++i)
        AddEntry("Account1", "m" + std::to_string(i), NoFlags, "X-Reserve-Date: " + std::to_string(At0730) + "\nDate: x\n\n");
    EXPECT_TRUE(host.Scan(ScanRules));
    std::set<std::string> lines;
    int after = 0;
    for (int i = 0; i < count; ++i) {
        std::string text = host.Read("Account1\\Outbox.box\\m" + std::to_string(i) + ".qpm");
        lines.insert(text);
        std::smatch match;
        ASSERT_TRUE(std::regex_search(text, match, std::regex("^Date: ..., ([0-9]{2}) Dec 2026 ([0-9]{2}):([0-9]{2}):([0-9]{2}) \\+0900")))
            << text;
        long moved = ((std::stol(match[1]) - 7) * 24 + std::stol(match[2]) - 7) * 3600 + (std::stol(match[3]) - 30) * 60 +
                     std::stol(match[4]);
        EXPECT_GE(moved, -86400) << text;
        EXPECT_LE(moved, 86400) << text;
        after += moved > 0;
    }
    EXPECT_GE(lines.size(), count - 1u);
    EXPECT_GT(after, 0);
    EXPECT_LT(after, count);
}

// PreSec or PostSec stored beyond what the editor takes (3000000000 typed into an older editor is
// stored as a negative number) moves a line by at most a day.
TEST_F(OutboxScanTest, SecondsStoredOutOfRangeMoveALineByAtMostADay)
{
    ScanRules.ChangeDate = true;
    ScanRules.PreSec = static_cast<int32_t>(3000000000u);
    ScanRules.PostSec = 0;
    for (int i = 0; i < 5; ++i)
        AddEntry("Account1", "m" + std::to_string(i), NoFlags, "X-Reserve-Date: " + std::to_string(At0730) + "\nDate: x\n\n");
    EXPECT_TRUE(host.Scan(ScanRules));
    for (int i = 0; i < 5; ++i) {
        std::string text = host.Read("Account1\\Outbox.box\\m" + std::to_string(i) + ".qpm");
        EXPECT_TRUE(std::regex_search(text, std::regex("^Date: (Sun, 06|Mon, 07) Dec 2026 [0-9:]{8} \\+0900\r\n"))) << text;
    }
}

// The rewrite stages beside the message, in a file of its own: it needs nothing of the temporary
// folder (here gone), and a message that cannot be read leaves nothing behind.
TEST_F(OutboxScanTest, TheRewriteStagesBesideTheMessage)
{
    const std::string due = Message("X-Reserve-Date: 100\n");
    AddEntry("Account1", "a", NoFlags, due);
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", saved, sizeof saved);
    SetEnvironmentVariableA("TMP", (host.root + "no such folder").c_str());
    bool rewritten = host.scanner->RewriteMessage((host.root + "Account1\\Outbox.box\\a.qpm").c_str(), 100, ScanRules);
    SetEnvironmentVariableA("TMP", saved[0] ? saved : nullptr);
    EXPECT_TRUE(rewritten);
    EXPECT_EQ(host.Read("Account1\\Outbox.box\\a.qpm"), "From: a@example.jp\r\nDate: Mon, 01 Dec 2026 10:00:00 +0900\r\n"
                                                        "Subject: s\r\n\r\n" + Body);

    EXPECT_FALSE(host.scanner->RewriteMessage((host.root + "Account1\\Outbox.box\\missing.qpm").c_str(), 100, ScanRules));
    EXPECT_EQ(testing_support::FilesIn(host.root + "Account1\\Outbox.box"),
              (std::vector<std::string>{"Entry.lst", "a.qpm"}));
}

// A message whose path takes 256 to 259 characters is rewritten like any other: the staging file's
// path is no longer than the message's own.
TEST_F(OutboxScanTest, AMessageWithTheLongestPathIsRewritten)
{
    for (size_t length : {256u, 259u}) {
        SCOPED_TRACE(length);
        // root + account + "\Outbox.box\" + "00000001.qpm"
        size_t fixed = host.root.size() + 12 + 12;
        ASSERT_LT(fixed + 7, length);
        std::string account = "Account" + std::string(length - fixed - 7, static_cast<char>('a' + length % 26));
        std::string dir = account + "\\Outbox.box\\";
        ASSERT_EQ((host.root + dir + "00000001.qpm").size(), length);
        index_.clear();
        AddEntry(account, "00000001", NoFlags, Message("X-Reserve-Date: 100\n"));
        host.marks.clear();
        EXPECT_TRUE(host.Scan(ScanRules));
        EXPECT_EQ(host.JoinedMarks(), Released(account + "\\Outbox.box\\00000001"));
        EXPECT_EQ(host.Read(dir + "00000001.qpm"), "From: a@example.jp\r\nDate: Mon, 01 Dec 2026 10:00:00 +0900\r\n"
                                                    "Subject: s\r\n\r\n" + Body);
        EXPECT_EQ(testing_support::FilesIn(host.root + account + "\\Outbox.box"),
                  (std::vector<std::string>{"00000001.qpm", "Entry.lst"}));
    }
}

}  // namespace

namespace {

std::set<std::string> Opened;  // the messages the plug-in opened
HANDLE WINAPI NotingCreate(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                           DWORD flags, HANDLE from)
{
    std::string name = std::string(path).substr(std::string(path).rfind('\\') + 1);
    if (name.size() > 4 && name.substr(name.size() - 4) == ".qpm")
        Opened.insert(name.substr(0, name.size() - 4));
    return CreateFileA(path, access, share, security, how, flags, from);
}

FILETIME Written(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Stamps a file or folder as written `minutes` ago, or at `at` when given.
void Stamp(const std::string& path, int minutes, const FILETIME* at = nullptr)
{
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    ULARGE_INTEGER steps{{time.dwLowDateTime, time.dwHighDateTime}};
    steps.QuadPart -= minutes * 600000000ull;
    time = at ? *at : FILETIME{steps.LowPart, steps.HighPart};
    HANDLE file = CreateFileA(path.substr(0, path.size() - (path.back() == '\\')).c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

}  // namespace

// What a scan opens after an earlier one remembered the outbox: only what changed, what was too
// fresh to trust, and what is due, read again whole (a file that kept its stamp but not its
// reservation is not released on the old reading); nothing after clean-up forgets it.
TEST_F(OutboxScanTest, AScanOpensOnlyWhatChangedOrIsDue)
{
    auto at = [](int32_t time) { return "X-Reserve-Date: " + std::to_string(time) + "\n"; };
    FileCalls noting = SystemFileCalls;
    noting.Create = NotingCreate;
    struct Row {
        const char* what;
        bool freshA;  // a.qpm is not yet settled at the first scan
        std::function<void(const std::string& box)> change;
        int32_t reference;
        std::string opened, released;
        int waiting = 0;  // plain messages z0, z1, ... after the others: the last is seen within the share
    } rows[] = {
        {"nothing changed", false, [](const std::string&) {}, At0730, "", ""},
        {"a written too lately to trust", true, [](const std::string&) {}, At0730, "a", ""},
        {"a rewritten, same size", false, [&](const std::string& box) {
             testing_support::WriteFileBytes(box + "a.qpm", Message(at(1900000001)));
             Stamp(box + "a.qpm", 30); }, At0730, "a", ""},
        {"a grown, same time", false, [&](const std::string& box) {
             FILETIME old = Written(box + "a.qpm");
             testing_support::WriteFileBytes(box + "a.qpm", Message(at(1900000000) + "X: y\n"));
             Stamp(box + "a.qpm", 0, &old); }, At0730, "a", ""},
        {"d added to the index", false, [&](const std::string& box) {
             testing_support::WriteFileBytes(box + "d.qpm", Message(at(100)));
             testing_support::WriteFileBytes(box + "Entry.lst", testing_support::ReadFileBytes(box + "Entry.lst") + Line("d", NoFlags));
             Stamp(box + "Entry.lst", 50); Stamp(box + "d.qpm", 50); Stamp(box, 50); }, At0730, "d", "d"},
        {"a's index line changed", false, [&](const std::string& box) {
             std::string index = testing_support::ReadFileBytes(box + "Entry.lst");
             testing_support::WriteFileBytes(box + "Entry.lst", index.replace(index.find(NoFlags), NoFlags.size(), Mark3));
             Stamp(box + "Entry.lst", 50); }, At0730, "a", ""},
        {"a's moment came, the host's mark letting a scan in", false, [&](const std::string&) {
             host.onMark = [&, once = true](const char*) mutable { if (once && !(once = false)) host.Scan(ScanRules); }; },
         1900000000, "a", "a"},
        {"a's moment came, a new start-up's scan let in by the host's mark", false, [&](const std::string&) {
             host.onMark = [&, once = true](const char*) mutable { if (once && !(once = false)) {
                 auto underWay = std::move(host.scanner); host.NewScanner(noting); host.Scan(ScanRules);
                 host.scanner = std::move(underWay); } }; },
         1900000000, "a", "a"},
        {"a's stamp kept, its reservation moved", false, [&](const std::string& box) {
             FILETIME old = Written(box + "a.qpm");
             testing_support::WriteFileBytes(box + "a.qpm", Message(at(2000000000)));
             Stamp(box + "a.qpm", 0, &old); }, 1900000000, "a", ""},
        {"the last of many rewritten in place, due at once", false, [&](const std::string& box) {
             testing_support::WriteFileBytes(box + "z169.qpm", Message(at(100)));
             Stamp(box + "z169.qpm", 30); }, At0730, "z169", "z169", 170},
        {"a brought forward, and the status window's count stepped", false, [&](const std::string& box) {
             FILETIME old = Written(box + "a.qpm"); DWORD count = GetTickCount();
             testing_support::WriteFileBytes(box + "a.qpm", Message(at(At0730))); Stamp(box + "a.qpm", 0, &old);
             RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Quor\\ChronelPlug\\Status", "OutboxChanged", REG_DWORD, &count, 4); },
         At0730, "a|b|c", "a"},
        {"clean-up", false, [&](const std::string&) { host.NewScanner(noting); }, At0730, "a|b|c", ""},
    };
    host.NewScanner(noting);
    for (size_t row = 0; row < std::size(rows); ++row) {
        SCOPED_TRACE(rows[row].what);
        std::string account = "Account" + std::to_string(row), box = host.root + account + "\\Outbox.box\\";
        AddEntry(account, "a", NoFlags, Message(at(1900000000)));
        AddEntry(account, "b", NoFlags, Message(at(1950000000)));
        AddEntry(account, "c", Mark3, Message(""));
        AddEntry(account, "q", Queued, Message(at(100)));
        for (int i = 0; i < rows[row].waiting; ++i)
            AddEntry(account, "z" + std::to_string(i), NoFlags, "\n"), Stamp(box + "z" + std::to_string(i) + ".qpm", 60);
        for (const char* name : {"a.qpm", "b.qpm", "c.qpm", "q.qpm", "Entry.lst", ""})
            if (*name != 'a' || !rows[row].freshA)
                Stamp(box + name, 60);
        Opened.clear();
        EXPECT_FALSE(host.Scan(ScanRules));
        EXPECT_EQ(Opened.size(), 3u + rows[row].waiting);
        EXPECT_TRUE(Opened.count("a") && Opened.count("b") && Opened.count("c"));
        rows[row].change(box);
        Opened.clear();
        host.marks.clear();
        ScanRules.ReferenceTime = rows[row].reference;
        host.Scan(ScanRules);
        ScanRules.ReferenceTime = At0730;
        std::string opened;
        for (const std::string& name : Opened)
            opened += (opened.empty() ? "" : "|") + name;
        EXPECT_EQ(opened, rows[row].opened);
        EXPECT_EQ(host.JoinedMarks(), rows[row].released.empty() ? "" : Released(account + "\\Outbox.box\\" + rows[row].released));
        MoveFileA((host.root + account).c_str(), (host.root + "Done" + std::to_string(row)).c_str());
    }
}
