// Every file call of a scan that releases a message is made to fail in turn (once, or from then
// on), with the message free and with the message held open by the host: the message file is
// always either the old one or the complete new one, nothing is left beside it, and the release
// bits follow the rule: a message found due is released, rewritten or not.
#include "FakeHost.h"
#include "../../common/windows/FileCalls.h"
#include "plugin/Globals.h"
#include "plugin/Outbox.h"
#include "../../common/windows/StagedFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace {

enum Step { Create, Read, Write, Move, Delete, Seek, SetEnd, Flush, StepCount };
const char* const StepNames[] = {"Create", "Read", "Write", "Move", "Delete", "Seek", "SetEnd", "Flush"};

struct Injection {
    Step step = StepCount;  // none
    int nth = 0;
    bool fromThenOn = false;
    bool writeNothing = false;  // a failing write writes no byte, rather than half
    bool hideWritten = false;   // a failing write says it wrote no byte, as Windows does
    int calls[StepCount] = {};
    int callsBeforeMarks[StepCount] = {};
    bool marked = false;
} Faults;

// Called before each write, in place of another host's work at that moment.
std::function<void()> BeforeWrite;
// Called before the read of this number (counted from 1 while it is set), the same way.
std::function<void()> BeforeRead;
int BeforeReadAt = 0;

bool Fails(Step step)
{
    int n = ++Faults.calls[step];
    return step == Faults.step && (n == Faults.nth || (Faults.fromThenOn && n > Faults.nth));
}

// Another host's work at the moment of a read or a write, when one is set.
void BeforeCall(Step step)
{
    std::function<void()>& hook = step == Read ? BeforeRead : BeforeWrite;
    if ((step == Read || step == Write) && hook && (step == Write || --BeforeReadAt == 0)) {
        auto other = std::move(hook);
        hook = nullptr;
        other();
    }
}

// A full disk: half of the bytes go out (or none), then the call fails.
void WriteHalf(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    SystemFileCalls.Write(file, data, Faults.writeNothing ? 0 : size / 2, written, overlapped);
    *written = Faults.hideWritten ? 0 : *written;
}

// One file call that fails as armed, with the error that step gives, and else makes the system's.
template <Step step, DWORD error, auto call, class Signature>
struct FaultOf;
template <Step step, DWORD error, auto call, class Result, class... Args>
struct FaultOf<step, error, call, Result(WINAPI*)(Args...)> {
    static Result WINAPI Call(Args... args)
    {
        BeforeCall(step);
        if (!Fails(step))
            return (SystemFileCalls.*call)(args...);
        if constexpr (step == Write)
            WriteHalf(args...);
        SetLastError(error);
        if constexpr (std::is_same_v<Result, HANDLE>)
            return INVALID_HANDLE_VALUE;
        return FALSE;
    }
};
template <Step step, DWORD error, auto call>
constexpr auto Fault = FaultOf<step, error, call, std::decay_t<decltype(SystemFileCalls.*call)>>::Call;

// Every step, with the error its failure gives.
const FileCalls FaultingCalls{
    Fault<Create, ERROR_SHARING_VIOLATION, &FileCalls::Create>,
    Fault<Read, ERROR_READ_FAULT, &FileCalls::Read>,
    Fault<Write, ERROR_DISK_FULL, &FileCalls::Write>,
    Fault<Move, ERROR_ACCESS_DENIED, &FileCalls::Move>,
    Fault<Delete, ERROR_ACCESS_DENIED, &FileCalls::Delete>,
    Fault<Seek, ERROR_SEEK, &FileCalls::Seek>,
    Fault<SetEnd, ERROR_DISK_FULL, &FileCalls::SetEnd>,
    Fault<Flush, ERROR_WRITE_FAULT, &FileCalls::Flush>,
};

const std::string OutboxDir = "Account1\\Outbox.box\\";
const std::string MessagePath = OutboxDir + "a.qpm";
const std::string Released = FakeHost::ReleaseMarks("Account1\\Outbox.box\\a");
// Released, then held back again: the message was written over only in part.
const std::string HeldBack = Released + "|Account1\\Outbox.box\\a c1000000 off";

std::string Body()
{
    std::string body;
    for (int i = 0; i < 200; ++i)
        body += "body line " + std::to_string(i) + " \x82\xa0\x82\xa2\r\n";  // several 1024-byte chunks
    return body;
}

std::string OldMessage()
{
    return "From: a@example.jp\nX-Reserve-Date: 100\nDate: Mon, 01 Dec 2026 10:00:00 +0900\nSubject: s\n\n" + Body();
}

// A message that grows in the rewrite: its short "Date:" line gets the full one.
std::string GrowingMessage()
{
    return "X-Reserve-Date: 100\nDate: x\nTo: a\nCc: b\nSubject: s\n\n" + Body();
}

// The names of the files in a folder of the fake mailbox, other than those given.
std::vector<std::string> OtherFiles(const FakeHost& host, const std::string& dir, std::vector<std::string> known)
{
    std::vector<std::string> others;
    for (const std::string& name : testing_support::FilesIn(host.root + dir)) {
        if (std::find(known.begin(), known.end(), name) == known.end())
            others.push_back(name);
    }
    return others;
}

class RewriteFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScanRules.ChangeDate = true;
        host.NewScanner(FaultingCalls);
        host.onMark = [](const char*) {
            if (Faults.marked)
                return;
            Faults.marked = true;
            for (int step = 0; step < StepCount; ++step)
                Faults.callsBeforeMarks[step] = Faults.calls[step];
        };
    }
    void TearDown() override
    {
        BeforeWrite = nullptr;
        BeforeRead = nullptr;
    }

    // One scan of a fresh outbox with one due message, with the given fault armed; held: the host
    // holds the message open, sharing reading and writing but not deletion, so that it cannot be
    // replaced by a rename.
    void Scan(Step step, int nth, bool fromThenOn, bool held, const std::string& old = OldMessage())
    {
        for (const std::string& name : OtherFiles(host, OutboxDir, {"a.qpm", "Entry.lst"}))
            DeleteFileA((host.root + OutboxDir + name).c_str());
        host.Write(OutboxDir + "Entry.lst", "a=AAAAAAAAAAAAAAAA:subject\r\n");
        host.Write(MessagePath, old);
        host.marks.clear();
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (held) {
            holder = CreateFileA((host.root + MessagePath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        }
        Faults = Injection{};
        Faults.step = step;
        Faults.nth = nth;
        Faults.fromThenOn = fromThenOn;
        host.Scan(ScanRules);
        Faults.step = StepCount;
        if (holder != INVALID_HANDLE_VALUE)
            CloseHandle(holder);
    }

    // Every fault of every step the clean scan takes; returns the calls of the clean scan.
    Injection EveryFault(bool held, const std::string& old, const std::string& header)
    {
        Scan(StepCount, 0, false, held, old);
        const Injection clean = Faults;
        const std::string rewritten = host.Read(MessagePath);
        EXPECT_EQ(host.JoinedMarks(), Released);
        EXPECT_EQ(rewritten, header + Body());
        EXPECT_TRUE(OtherFiles(host, OutboxDir, {"a.qpm", "Entry.lst"}).empty());

        for (int step = 0; step < StepCount; ++step) {
            for (int nth = 1; nth <= clean.calls[step]; ++nth) {
                for (bool fromThenOn : {false, true}) {
                    SCOPED_TRACE(std::string(held ? "held, " : "") + StepNames[step] + " call " + std::to_string(nth) +
                                 " of " + std::to_string(clean.calls[step]) + " (" +
                                 std::to_string(clean.callsBeforeMarks[step]) + " before the marks)" +
                                 (fromThenOn ? " and every later one" : " alone"));
                    Scan(static_cast<Step>(step), nth, fromThenOn, held, old);
                    std::string now = host.Read(MessagePath);
                    std::vector<std::string> left = OtherFiles(host, OutboxDir, {"a.qpm", "Entry.lst"});
                    // Released before the rewrite begins: a failure while the scan reads the
                    // index or the header may keep it, untouched, for the next scan; any later
                    // one never holds it back.
                    bool whole = now == old || now == rewritten;
                    if (nth > clean.callsBeforeMarks[step]) {
                        EXPECT_EQ(host.JoinedMarks(), whole ? Released : HeldBack);
                    } else {
                        EXPECT_TRUE(host.JoinedMarks() == Released || (host.JoinedMarks().empty() && now == old))
                            << host.JoinedMarks();
                    }
                    if (whole) {
                        // Nothing stays beside the message, unless deleting fails every time.
                        if (!(step == Delete && fromThenOn)) {
                            EXPECT_TRUE(left.empty()) << left[0];
                        }
                    } else {
                        // Written over in place and the disk failing for good on the way: the
                        // complete new message stays beside it.
                        EXPECT_TRUE(held && fromThenOn) << now.substr(0, 200);
                        ++damaged;
                        EXPECT_EQ(left.size(), 1u);
                        for (const std::string& name : left) {
                            EXPECT_EQ(host.Read(OutboxDir + name), rewritten);
                            DeleteFileA((host.root + OutboxDir + name).c_str());
                        }
                    }
                }
            }
        }
        return clean;
    }

    FakeHost host;
    ReleaseRules& ScanRules = host.rules;
    int damaged = 0;
};

TEST_F(RewriteFaultTest, EveryFailingFileCallLeavesTheOldOrTheCompleteNewMessage)
{
    const std::string shrunk = "From: a@example.jp\r\nDate: Thu, 01 Jan 1970 09:01:40 +0900\r\nSubject: s\r\n\r\n";
    const std::string grown = "Date: Thu, 01 Jan 1970 09:01:40 +0900\r\nTo: a\r\nCc: b\r\nSubject: s\r\n\r\n";
    ASSERT_GT(grown.size() + Body().size(), GrowingMessage().size());
    Injection free = EveryFault(false, OldMessage(), shrunk);
    Injection held = EveryFault(true, OldMessage(), shrunk);
    EveryFault(true, GrowingMessage(), grown);
    // The seam is what the scan really uses: every step was taken at least once.
    for (int step = 0; step < StepCount; ++step)
        EXPECT_GT(free.calls[step] + held.calls[step], 0) << StepNames[step];
    // The rename is tried and refused while the host holds the message; then it is written over.
    EXPECT_EQ(free.calls[Seek], 0);
    EXPECT_GT(held.calls[SetEnd], 0);
    // Writes that fail for good half way over a held message: the one case that leaves a file.
    EXPECT_GT(damaged, 0);
}

// The report of each way a rewrite can end, for the log's line: rewritten with its Date: line;
// the old message kept, with the error where the system gave one; or the new text kept beside a
// message written over half way, under the name the report gives, however long the message's own.
TEST_F(RewriteFaultTest, TheReportSaysHowEachRewriteEndedAndNamesTheFileKept)
{
    const std::string base(80, 'a');
    const std::string name = OutboxDir + base + ".qpm";
    const std::string path = host.root + name;
    std::set<RewriteReport::Result> seen;
    for (bool held : {false, true}) {
        for (int step = 0; step < StepCount; ++step) {
            for (int nth = 1; nth <= 6; ++nth) {
                for (bool fromThenOn : {false, true}) {
                    SCOPED_TRACE(std::string(held ? "held, " : "") + StepNames[step] + " call " +
                                 std::to_string(nth) + (fromThenOn ? " and every later one" : " alone"));
                    for (const std::string& other : OtherFiles(host, OutboxDir, {}))
                        DeleteFileA((host.root + OutboxDir + other).c_str());
                    host.Write(name, OldMessage());
                    HANDLE holder = INVALID_HANDLE_VALUE;
                    if (held) {
                        holder = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
                        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
                    }
                    Faults = Injection{};
                    Faults.step = static_cast<Step>(step);
                    Faults.nth = nth;
                    Faults.fromThenOn = fromThenOn;
                    RewriteReport report;
                    bool rewritten = host.scanner->RewriteMessage(path.c_str(), 100, ScanRules, &report);
                    Faults.step = StepCount;
                    if (holder != INVALID_HANDLE_VALUE)
                        CloseHandle(holder);
                    seen.insert(report.result);
                    std::string now = host.Read(name);
                    std::vector<std::string> left = OtherFiles(host, OutboxDir, {base + ".qpm"});
                    EXPECT_EQ(rewritten, report.result == RewriteReport::Rewritten);
                    switch (report.result) {
                    case RewriteReport::Rewritten:
                        EXPECT_EQ(std::string(report.dateLine).substr(0, 6), "Date: ");
                        EXPECT_NE(now.find(report.dateLine), std::string::npos);
                        break;
                    case RewriteReport::Damaged:
                        ASSERT_EQ(left.size(), 1u);
                        EXPECT_EQ(report.kept, left[0]);
                        break;
                    case RewriteReport::NoStaging:
                    case RewriteReport::NotOpened:
                    case RewriteReport::CopyFailed:
                        EXPECT_NE(report.error, 0u);
                        EXPECT_EQ(now, OldMessage());
                        break;
                    default:
                        EXPECT_EQ(now, OldMessage());
                        break;
                    }
                }
            }
        }
    }
    for (RewriteReport::Result result : {RewriteReport::Rewritten, RewriteReport::NoStaging, RewriteReport::NotOpened,
                                         RewriteReport::CopyFailed, RewriteReport::NotReplaced, RewriteReport::Damaged})
        EXPECT_EQ(seen.count(result), 1u) << result;
}

// The kept file's name follows the last separator, not a trail byte like one ("表" 0x95 0x5C).
TEST(KeptFileNameTest, IsThePartAfterTheLastSeparator)
{
    EXPECT_STREQ(FileNamePart("C:\\\x83\x5c\\\x95\x5c.~00"), "\x95\x5c.~00");
    EXPECT_STREQ(FileNamePart("C:/M/\x95\x5c\x95\x5c.~0z"), "\x95\x5c\x95\x5c.~0z");
}

// Over a message the host holds: writes that fail before their first byte leave it as it was,
// reported so (the staging file's two writes go, every later one fails), also uncut when the new
// text is shorter; half written with none said, it reads otherwise and is held back. A large
// message goes in 64 KB blocks (read, read again for the check, read back from the staging file;
// written to it and over the message).
TEST_F(RewriteFaultTest, AWriteThatChangedNothingLeavesTheMessageAsItWasAndBlocksAreLarge)
{
    std::string old = "X-Reserve-Date: 100\r\n";  // 21 bytes less, 21 CRs more: the same length
    for (int i = 0; i < 20; ++i)
        old += "X-A: 1\n";
    for (int row : {0, 1, 2, 3}) {  // the same length, shorter, half written unsaid, large
        const int nth = row < 3 ? 3 : 0;
        const std::string message = nth ? (row != 1 ? old : "X-Reserve-Date: 100\nTo: a\n") + "\nbody"
                                        : "X-Reserve-Date: 100\nTo: a\n\n" + std::string(1 << 20, 'b');
        host.Write(MessagePath, message);
        HANDLE holder = CreateFileA((host.root + MessagePath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        Faults = Injection{};
        Faults.step = nth ? Write : StepCount;
        Faults.nth = nth;
        Faults.fromThenOn = true;
        Faults.writeNothing = !(Faults.hideWritten = row == 2);
        RewriteReport report;
        host.scanner->RewriteMessage((host.root + MessagePath).c_str(), 100, ScanRules, &report);
        CloseHandle(holder);
        Faults.step = StepCount;
        DeleteFileA((host.root + OutboxDir + report.kept).c_str());
        EXPECT_EQ(report.result, row == 2 ? RewriteReport::Damaged
                                 : nth    ? RewriteReport::NotReplaced
                                          : RewriteReport::Rewritten);
        EXPECT_EQ(host.Read(MessagePath) == message, row < 2);
        EXPECT_TRUE(nth || host.Read(MessagePath) == "To: a\r\n\r\n" + message.substr(27));
        EXPECT_LE(Faults.calls[Read], 3 * 17 + 3);
        EXPECT_LE(Faults.calls[Write], 2 * 17 + 2);
    }
}

// Another host process releasing a message of the same outbox at the same moment: each rewrite
// stages in a file of its own, so neither message takes any of the other's text.
TEST_F(RewriteFaultTest, TwoRewritesAtTheSameMomentDoNotMix)
{
    std::string other = "From: b@example.jp\nX-Reserve-Date: 100\nSubject: other\n\n" + std::string(3000, 'b');
    host.Write(OutboxDir + "b.qpm", other);
    host.Write(MessagePath, OldMessage());
    ScanRules.ChangeDate = false;
    bool otherRewritten = false;
    BeforeWrite = [&]() { otherRewritten = host.scanner->RewriteMessage((host.root + OutboxDir + "b.qpm").c_str(), 100, ScanRules); };
    EXPECT_TRUE(host.scanner->RewriteMessage((host.root + MessagePath).c_str(), 100, ScanRules));
    EXPECT_TRUE(otherRewritten);
    std::string expected = OldMessage();
    expected.replace(0, expected.find("\n\n") + 2,
                     "From: a@example.jp\r\nDate: Mon, 01 Dec 2026 10:00:00 +0900\r\nSubject: s\r\n\r\n");
    EXPECT_EQ(host.Read(MessagePath), expected);
    EXPECT_EQ(host.Read(OutboxDir + "b.qpm"), "From: b@example.jp\r\nSubject: other\r\n\r\n" + std::string(3000, 'b'));
    EXPECT_TRUE(OtherFiles(host, OutboxDir, {"a.qpm", "b.qpm"}).empty());
}

// Another host process releases the same message while this one reads it: the reading handle
// keeps the other's rename out, so the other writes over the message in place, and the rest of
// this read comes from the other's shorter text. What was read that way is not put in the
// message's place; the message is the other's complete rewrite.
TEST_F(RewriteFaultTest, AMessageWrittenOverWhileItIsReadIsNotReplacedByWhatWasRead)
{
    const std::string old = OldMessage() + Body();
    ASSERT_GT(old.size(), 4096u);  // read in more than one piece
    host.Write(MessagePath, old);
    ScanRules.ChangeDate = false;
    std::string expected = old;
    expected.replace(0, expected.find("\n\n") + 2,
                     "From: a@example.jp\r\nDate: Mon, 01 Dec 2026 10:00:00 +0900\r\nSubject: s\r\n\r\n");
    bool otherRewritten = false;
    BeforeReadAt = 2;
    BeforeRead = [&]() {
        Faults = Injection{};
        otherRewritten = host.scanner->RewriteMessage((host.root + MessagePath).c_str(), 100, ScanRules);
        // The other process found the message held and wrote it over where it stands.
        EXPECT_GT(Faults.calls[SetEnd], 0);
    };
    RewriteReport report;
    EXPECT_FALSE(host.scanner->RewriteMessage((host.root + MessagePath).c_str(), 100, ScanRules, &report));
    EXPECT_EQ(report.result, RewriteReport::Changed);
    EXPECT_TRUE(otherRewritten);
    EXPECT_EQ(host.Read(MessagePath), expected);
    EXPECT_TRUE(OtherFiles(host, OutboxDir, {"a.qpm"}).empty());
}

// A file left beside the message by an earlier crash, under the name a rewrite would take first,
// is passed over: the rewrite takes another name and leaves the old file alone.
TEST_F(RewriteFaultTest, AFileLeftByACrashIsPassedOver)
{
    host.Write(OutboxDir + "Entry.lst", "a=AAAAAAAAAAAAAAAA:subject\r\n");
    host.Write(MessagePath, OldMessage());
    host.Write(OutboxDir + "a.~00", "stale");
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released);
    EXPECT_EQ(host.Read(MessagePath).compare(0, 20, "From: a@example.jp\r\n"), 0);
    EXPECT_EQ(host.Read(OutboxDir + "a.~00"), "stale");
    EXPECT_EQ(OtherFiles(host, OutboxDir, {"a.qpm", "Entry.lst"}), std::vector<std::string>{"a.~00"});
}

// A message left written over in part is not tried again while its whole text is kept beside it,
// nor once that file is gone while the message is still as the failure left it (its new "Date:"
// line, part of its subject lost, its reservation line intact), also after a clean-up and a new
// start-up; another message of its name is.
TEST_F(RewriteFaultTest, AMessageHeldBackAsDamagedWaitsWhileItsTextIsKeptBesideIt)
{
    const std::string old = "Date: x\r\nSubject: " + std::string(40000, 'x') + "\r\nX-Reserve-Date: 100\r\n\r\n" + Body();
    Scan(StepCount, 0, false, true, old);
    Scan(Write, Faults.calls[Write], true, true, old);  // the write over the message fails half way
    ASSERT_EQ(host.JoinedMarks(), HeldBack);
    std::vector<std::string> kept = OtherFiles(host, OutboxDir, {"a.qpm", "Entry.lst"});
    ASSERT_EQ(kept.size(), 1u);
    host.marks.clear();
    EXPECT_FALSE(host.Scan(ScanRules));
    host.NewScanner(FaultingCalls);
    EXPECT_FALSE(host.Scan(ScanRules));
    DeleteFileA((host.root + OutboxDir + kept[0]).c_str());
    EXPECT_FALSE(host.Scan(ScanRules));
    host.Write(MessagePath, old);
    EXPECT_TRUE(host.Scan(ScanRules));
    EXPECT_EQ(host.JoinedMarks(), Released);
}

}  // namespace
