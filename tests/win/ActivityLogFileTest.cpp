// chronel's log file: where it lives, how it stays bounded with one older generation, and writers
// on several threads (the plug-in's writer, a clock adjustment, the editor) each adding whole lines.
#include "TestSupport.h"
#include "../../common/windows/ActivityLog.h"
#include "plugin/LogQueue.h"
#include "hostsim/ImportPatch.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <set>
#include <string>

using namespace testing_support;

namespace {

std::string AppData;

HRESULT WINAPI TestFolderPath(HWND, int folder, HANDLE, DWORD, LPSTR path)
{
    if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_APPDATA)
        return E_FAIL;
    if (folder & CSIDL_FLAG_CREATE)
        CreateDirectoryA(AppData.c_str(), nullptr);
    lstrcpynA(path, AppData.c_str(), MAX_PATH);
    return S_OK;
}

class ActivityLogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppData = dir / "Roaming";
        ASSERT_EQ(PatchImport(GetModuleHandleA(nullptr), "shell32.dll", "SHGetFolderPathA",
                              reinterpret_cast<void*>(TestFolderPath)),
                  1);
    }
    std::string Log(const char* name = "chronel.log") const { return ReadFileBytes(AppData + "\\Quor\\ChronelPlug\\" + name); }
    TempDir dir{"logfile"};
};

// "2026/12/07 07:00:00 line 000123 xxxx..." of 100 bytes with its CR LF.
std::string NumberedLine(int n)
{
    char head[40];
    std::snprintf(head, sizeof head, "2026/12/07 07:00:00 line %06d ", n);
    std::string line = head;
    line.append(98 - line.size(), 'x');
    return line + "\r\n";
}

TEST_F(ActivityLogFileTest, TheLogIsMadeInItsFolderAndStaysBoundedWithOneOlderGeneration)
{
    char path[MAX_PATH];
    ASSERT_TRUE(ActivityLogPath(path, sizeof path, false));
    EXPECT_EQ(std::string(path), AppData + "\\Quor\\ChronelPlug\\chronel.log");
    EXPECT_EQ(GetFileAttributesA((AppData + "\\Quor").c_str()), INVALID_FILE_ATTRIBUTES) << "made only to write";
    // 8,000 lines of 100 bytes: the file is moved aside three times.
    const int total = 8000;
    for (int n = 0; n < total; ++n) {
        std::string line = NumberedLine(n);
        ASSERT_TRUE(AppendActivityLog(line.data(), line.size())) << n;
    }
    std::string current = Log(), older = Log("chronel.old.log");
    EXPECT_LE(current.size(), ActivityLogLimit);
    EXPECT_LE(older.size(), ActivityLogLimit);
    EXPECT_GT(older.size(), ActivityLogLimit - 100);
    // The newest lines, in order and whole, across the two files: the older file ends where the
    // current one begins, and the current one ends with the last line written.
    std::string both = older + current;
    ASSERT_EQ(both.size() % 100, 0u);
    int first = total - static_cast<int>(both.size() / 100);
    for (size_t at = 0; at < both.size(); at += 100)
        ASSERT_EQ(both.substr(at, 100), NumberedLine(first + static_cast<int>(at / 100))) << at;
    EXPECT_FALSE(AppendActivityLog("", 0));
}

struct Writer {
    int id;
    int count;
};

DWORD WINAPI WriteLines(LPVOID parameter)
{
    const Writer* writer = static_cast<const Writer*>(parameter);
    for (int n = 0; n < writer->count; ++n) {
        std::string line = NumberedLine(writer->id * 100000 + n);
        AppendActivityLog(line.data(), line.size());
    }
    return 0;
}

// Three writers at once, across a move aside: every line arrives whole, once, and each writer's
// lines in the order it wrote them. (Without the writers taking turns, two of them moving the
// full file aside at once would throw away the older generation.)
TEST_F(ActivityLogFileTest, WritersOnSeveralThreadsEachAddWholeLinesAcrossAMoveAside)
{
    // 3,000 lines in all: 300 KB, more than one file holds, less than two.
    Writer writers[] = {{1, 1000}, {2, 1000}, {3, 1000}};
    HANDLE threads[3];
    for (int i = 0; i < 3; ++i)
        threads[i] = CreateThread(nullptr, 0, WriteLines, &writers[i], 0, nullptr);
    ASSERT_EQ(WaitForMultipleObjects(3, threads, TRUE, 120000), WAIT_OBJECT_0);
    for (HANDLE thread : threads)
        CloseHandle(thread);
    std::string both = Log("chronel.old.log") + Log();
    ASSERT_EQ(both.size(), 3000u * 100);
    EXPECT_LE(Log().size(), ActivityLogLimit);
    int next[4] = {0, 0, 0, 0};
    for (size_t at = 0; at < both.size(); at += 100) {
        int number = std::atoi(both.substr(at + 25, 6).c_str());
        int id = number / 100000;
        ASSERT_TRUE(id >= 1 && id <= 3) << both.substr(at, 100);
        ASSERT_EQ(both.substr(at, 100), NumberedLine(id * 100000 + next[id])) << at;
        ++next[id];
    }
    EXPECT_EQ(next[1] + next[2] + next[3], 3000);
}

// The plug-in's writer while another writer holds the log for longer than it waits: a stop that
// gives up waiting leaves the writer known, so that the next stop waits for it again; the lines
// that could not be written are counted, and the next write that succeeds says how many.
TEST_F(ActivityLogFileTest, LinesThatCouldNotBeWrittenAreCountedAndAStopWaitsForAWriterStillWriting)
{
    HANDLE other = CreateMutexA(nullptr, FALSE, "Quor.ChronelPlug.Log");
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(WaitForSingleObject(other, 0), WAIT_OBJECT_0);
    QueueLogLine("one");
    QueueLogLine("two");
    EXPECT_FALSE(StopLogWriter(100));
    StartLogWriter();
    // The writer gives up on the log after its own wait, and ends.
    EXPECT_TRUE(StopLogWriter(60000));
    ReleaseMutex(other);
    CloseHandle(other);
    EXPECT_EQ(Log(), "");
    QueueLogLine("three");
    EXPECT_TRUE(StopLogWriter(60000));
    std::string log = Log();
    EXPECT_NE(log.find(" three\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" 動作記録に書き込めず 2 行を失いました\r\n"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    // Said once.
    QueueLogLine("four");
    EXPECT_TRUE(StopLogWriter(60000));
    log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
}

// Another process of the user that runs with more rights (an elevated host) makes the log's mutex
// with a security that lets others wait on it, not do all else: the log is still written, taking
// turns with it.
TEST_F(ActivityLogFileTest, AMutexMadeByAProcessWithMoreRightsIsStillWaitedOn)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Everyone: SYNCHRONIZE only.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x00100000;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    HANDLE other = CreateMutexA(&security, FALSE, "Quor.ChronelPlug.Log");
    ASSERT_NE(other, nullptr);
    LocalFree(descriptor);
    // As another process would find it.
    SetLastError(0);
    HANDLE again = CreateMutexA(nullptr, FALSE, "Quor.ChronelPlug.Log");
    DWORD refused = GetLastError();
    if (again)
        CloseHandle(again);
    if (refused != ERROR_ACCESS_DENIED) {
        CloseHandle(other);
        GTEST_SKIP() << "this system gives every right to the mutex's maker (" << refused << ")";
    }
    std::string line = NumberedLine(1);
    EXPECT_TRUE(AppendActivityLog(line.data(), line.size()));
    EXPECT_EQ(Log(), line);
    CloseHandle(other);
}

}  // namespace
