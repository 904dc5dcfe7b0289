// Every file call of a scan that releases a message is made to fail in turn (once, or from then
// on): the message file is always either the old one or the complete new one, and the release
// bits follow the rule: a message found due is released, rewritten or not.
#include "FakeHost.h"
#include "plugin/FileCalls.h"
#include "plugin/Globals.h"
#include "plugin/Outbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum Step { Create, Read, Write, Copy, Move, Delete, TempPath, TempName, StepCount };
const char* const StepNames[] = {"Create", "Read", "Write", "Copy", "Move", "Delete", "TempPath", "TempName"};

struct Injection {
    Step step = StepCount;  // none
    int nth = 0;
    bool fromThenOn = false;
    int calls[StepCount] = {};
    int callsBeforeRewrite[StepCount] = {};
} Faults;

bool Fails(Step step)
{
    int n = ++Faults.calls[step];
    return step == Faults.step && (n == Faults.nth || (Faults.fromThenOn && n > Faults.nth));
}

HANDLE WINAPI FaultCreate(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                          DWORD flags, HANDLE pattern)
{
    if (Fails(Create)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    return SystemFileCalls.Create(path, access, share, security, how, flags, pattern);
}

BOOL WINAPI FaultRead(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    if (Fails(Read)) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    return SystemFileCalls.Read(file, buffer, size, read, overlapped);
}

// A full disk: half of the bytes go out, then the call fails.
BOOL WINAPI FaultWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (Fails(Write)) {
        SystemFileCalls.Write(file, data, size / 2, written, overlapped);
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return SystemFileCalls.Write(file, data, size, written, overlapped);
}

// A copy that breaks off leaves part of the target behind.
BOOL WINAPI FaultCopy(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    if (Fails(Copy)) {
        HANDLE target = SystemFileCalls.Create(to, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                               nullptr);
        DWORD written = 0;
        SystemFileCalls.Write(target, "From: par", 9, &written, nullptr);
        CloseHandle(target);
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return SystemFileCalls.Copy(from, to, failIfExists);
}

BOOL WINAPI FaultMove(LPCSTR from, LPCSTR to, DWORD flags)
{
    if (Fails(Move)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return SystemFileCalls.Move(from, to, flags);
}

BOOL WINAPI FaultDelete(LPCSTR path)
{
    if (Fails(Delete)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return SystemFileCalls.Delete(path);
}

DWORD WINAPI FaultTempPath(DWORD size, LPSTR buffer)
{
    // Where the rewrite begins: what came before belongs to the scan's own reading.
    for (int step = 0; step < StepCount; ++step)
        Faults.callsBeforeRewrite[step] = Faults.calls[step];
    return Fails(TempPath) ? 0 : SystemFileCalls.TempPath(size, buffer);
}

UINT WINAPI FaultTempName(LPCSTR dir, LPCSTR prefix, UINT unique, LPSTR name)
{
    return Fails(TempName) ? 0 : SystemFileCalls.TempName(dir, prefix, unique, name);
}

const std::string MessagePath = "Account1\\Outbox.box\\a.qpm";
const std::string Released = FakeHost::ReleaseMarks("Account1\\Outbox.box\\a");

std::string OldMessage()
{
    std::string body;
    for (int i = 0; i < 200; ++i)
        body += "body line " + std::to_string(i) + " \x82\xa0\x82\xa2\r\n";  // several 1024-byte chunks
    return "From: a@example.jp\nX-Reserve-Date: 100\nDate: Mon, 01 Dec 2026 10:00:00 +0900\nSubject: s\n\n" + body;
}

class RewriteFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetScanSettings(1796596200, 1);
        Files = FileCalls{FaultCreate, FaultRead, FaultWrite, FaultCopy, FaultMove, FaultDelete, FaultTempPath,
                          FaultTempName};
    }
    void TearDown() override { Files = SystemFileCalls; }

    // One scan of a fresh outbox with one due message, with the given fault armed.
    void Scan(Step step, int nth, bool fromThenOn)
    {
        host.Write("Account1\\Outbox.box\\Entry.lst", "a=AAAAAAAAAAAAAAAA:subject\r\n");
        host.Write(MessagePath, OldMessage());
        host.marks.clear();
        Faults = Injection{};
        Faults.step = step;
        Faults.nth = nth;
        Faults.fromThenOn = fromThenOn;
        ScanOutbox();
        Faults.step = StepCount;
    }

    FakeHost host;
};

TEST_F(RewriteFaultTest, EveryFailingFileCallLeavesTheOldOrTheCompleteNewMessage)
{
    Scan(StepCount, 0, false);
    const Injection clean = Faults;
    const std::string rewritten = host.Read(MessagePath);
    ASSERT_EQ(host.JoinedMarks(), Released);
    ASSERT_EQ(rewritten.rfind("From: a@example.jp\r\nDate: Thu, 01 Jan 1970 09:01:40 +0900\r\nSubject: s\r\n\r\nbody", 0), 0u)
        << rewritten;
    // The seam is what the scan really uses: every step was taken at least once.
    for (int step = 0; step < StepCount; ++step)
        ASSERT_GT(clean.calls[step], 0) << StepNames[step];

    for (int step = 0; step < StepCount; ++step) {
        for (int nth = 1; nth <= clean.calls[step]; ++nth) {
            for (bool fromThenOn : {false, true}) {
                SCOPED_TRACE(std::string(StepNames[step]) + " call " + std::to_string(nth) +
                             (fromThenOn ? " and every later one" : " alone"));
                Scan(static_cast<Step>(step), nth, fromThenOn);
                std::string now = host.Read(MessagePath);
                EXPECT_TRUE(now == OldMessage() || now == rewritten) << now.substr(0, 200);
                // A failure inside the rewrite never holds the message back; one while the scan
                // reads the index or the header may keep it for the next scan, untouched.
                if (nth > clean.callsBeforeRewrite[step]) {
                    EXPECT_EQ(host.JoinedMarks(), Released);
                } else {
                    EXPECT_TRUE(host.JoinedMarks() == Released || (host.JoinedMarks().empty() && now == OldMessage())) << host.JoinedMarks();
                }
                if (now == rewritten) {
                    EXPECT_EQ(host.JoinedMarks(), Released);
                }
                // Nothing stays beside the message, unless deleting is what failed.
                if (step != Delete) {
                    EXPECT_EQ(GetFileAttributesA((host.root + MessagePath + ".chr").c_str()), INVALID_FILE_ATTRIBUTES);
                }
            }
        }
    }
}

// A staged copy left behind by a failed clean-up does not stand in the way of the next rewrite.
TEST_F(RewriteFaultTest, ALeftoverStagedCopyIsReplacedByTheNextRewrite)
{
    host.Write(MessagePath + ".chr", "stale");
    Scan(StepCount, 0, false);
    EXPECT_EQ(host.JoinedMarks(), Released);
    EXPECT_EQ(host.Read(MessagePath).compare(0, 20, "From: a@example.jp\r\n"), 0);
    EXPECT_EQ(GetFileAttributesA((host.root + MessagePath + ".chr").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
