// What a line of chronel's log costs the thread that logs it. The tick only stamps the line and
// queues it; a thread of its own writes the file. Measured: a line written at once (what the tick
// would pay if it wrote the file itself), a line queued while the writer is free, and a line
// queued while the writer is stuck (another writer holds the log's mutex, as a program holding
// the log or a disk that does not answer would hold it). The log goes into a temporary folder
// given as the application-data folder. Prints one "bench:" line per case for
// bench/run-log-bench.sh.
#include "../common/windows/ActivityLog.h"
#include "hostsim/ImportPatch.h"
#include "plugin/LogQueue.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

namespace {

char BenchFolder[MAX_PATH];

HRESULT WINAPI BenchFolderPath(HWND, int, HANDLE, DWORD, LPSTR path)
{
    lstrcpynA(path, BenchFolder, MAX_PATH);
    return S_OK;
}

const char* const Message =
    "予約メールを送信待ちにしました: Account1\\Outbox.box\\00000001 「message 1」 (予約 2026/12/07 07:03:00)、"
    "Date: Mon, 07 Dec 2026 07:03:00 +0900";

double Ticks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart);
}

// Times calls of call in bursts of 4 lines (a minute's events) with a pause after each burst,
// so that the queue never fills; prints mean, 99th percentile and worst in microseconds.
template <typename Call>
void Measure(const char* name, int count, Call call)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        double start = Ticks();
        call();
        times.push_back((Ticks() - start) * 1e6 / static_cast<double>(frequency.QuadPart));
        if (i % 4 == 3)
            Sleep(2);
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("bench: %s count %d mean %.2f p99 %.2f worst %.2f us\n", name, count, sum / count,
                times[times.size() * 99 / 100], times.back());
}

}  // namespace

int main(int argc, char** argv)
{
    int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::snprintf(BenchFolder, sizeof BenchFolder, "%schronel-log-bench-%lu", temp, GetCurrentProcessId());
    CreateDirectoryA(BenchFolder, nullptr);
    if (PatchImport(GetModuleHandleA(nullptr), "shell32.dll", "SHGetFolderPathA",
                    reinterpret_cast<void*>(BenchFolderPath)) != 1) {
        std::printf("cannot redirect the application-data folder\n");
        return 1;
    }

    Measure("written at once", count, [] { WriteActivityLogLine(Message); });
    StartLogWriter();
    Measure("queued, writer free", count, [] { QueueLogLine(Message); });
    StopLogWriter(60000);

    // Another writer holds the log: the writer thread waits for it, the queue takes the lines.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Quor.ChronelPlug.Log");
    StartLogWriter();
    Measure("queued, writer stuck", count / 4 < 400 ? count / 4 : 400, [] { QueueLogLine(Message); });
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    bool ended = StopLogWriter(60000);

    char path[MAX_PATH];
    ActivityLogPath(path, sizeof path, false);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    std::string older = std::string(BenchFolder) + "\\Quor\\ChronelPlug\\chronel.old.log";
    WIN32_FILE_ATTRIBUTE_DATA olderData{};
    GetFileAttributesExA(older.c_str(), GetFileExInfoStandard, &olderData);
    std::printf("bench: writer ended %d; log %lu bytes, older generation %lu bytes\n", ended ? 1 : 0,
                data.nFileSizeLow, olderData.nFileSizeLow);
    DeleteFileA(path);
    DeleteFileA(older.c_str());
    RemoveDirectoryA((std::string(BenchFolder) + "\\Quor\\ChronelPlug").c_str());
    RemoveDirectoryA((std::string(BenchFolder) + "\\Quor").c_str());
    RemoveDirectoryA(BenchFolder);
    return 0;
}
