// Where one clock adjustment leaves the clock, against a loopback server that delays the request
// and the reply. The server's clock is this machine's; the exchange reads a clock that is off by
// a set amount, and its change is caught and compared with the true time at that moment (a clock
// left alone stays as far off as it was). Prints one line per path and offset for
// bench/run-sntp-correction-bench.sh.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "../common/sntp/SntpExchange.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace testing_support;

namespace {

int64_t LocalOffsetTicks;  // the exchange's clock minus the true time
int64_t NewError;  // at the change, in 100-ns units

int64_t TrueNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>(static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime);
}

void WINAPI ReadClock(LPFILETIME out)
{
    int64_t now = TrueNow() + LocalOffsetTicks;
    out->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(now));
    out->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(now) >> 32);
}

// Compares the change with the true time; the clock itself is left alone.
BOOL WINAPI CatchChange(const SYSTEMTIME* utc)
{
    int64_t now = TrueNow();
    FILETIME file;
    SystemTimeToFileTime(utc, &file);
    int64_t set = static_cast<int64_t>(static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
    NewError = set - now;
    return TRUE;
}

// The samples follow each other at once: the clock, not the pause, is measured here.
void WINAPI NoPause(DWORD) {}

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    SntpTestServer server;
    if (!server.Start()) {
        std::fprintf(stderr, "cannot serve on 127.0.0.1:123\n");
        return 1;
    }
    // Real paths are held by the server in real time; a faked one (too long to wait for) moves
    // the answer's times instead, which leaves the clock where the real path would.
    struct Row {
        const char* name;
        std::vector<SntpPath> paths;
    } rows[] = {
        {"400 ms round trip, symmetric", {{200, 200, false}}},
        {"2 s / 0.1 s, the first request only", {{2000, 100, false}, {0, 0, false}}},
        {"2 s / 0.1 s, every request (faked)", {{2000, 100, true}}},
        {"reply 300 s late, every request (faked)", {{0, 300000, true}}},
    };
    const int offsetsMs[] = {-5000, 3000};
    for (const Row& row : rows) {
        for (int offsetMs : offsetsMs) {
            server.AnswerLive(0);
            LocalOffsetTicks = static_cast<int64_t>(offsetMs) * 10000;
            std::vector<double> newErrors;
            std::vector<unsigned> results;
            for (int i = 0; i < runs; ++i) {
                server.Travel(row.paths);
                SntpOutcome outcome;
                // Left alone, the clock stays as far off as it was.
                NewError = LocalOffsetTicks;
                SntpExchange("127.0.0.1", 10, 200, SntpClock{ReadClock, CatchChange, NoPause, nullptr}, &outcome);
                newErrors.push_back(NewError / 10000.0);
                results.push_back(outcome.result);
            }
            std::sort(newErrors.begin(), newErrors.end());
            std::sort(results.begin(), results.end());
            auto worst = [](const std::vector<double>& v) {
                return std::abs(v.front()) > std::abs(v.back()) ? v.front() : v.back();
            };
            std::printf("bench: path %s; offset %d runs %d median %.1f worst %.1f results %u-%u\n", row.name, offsetMs,
                        runs, newErrors[newErrors.size() / 2], worst(newErrors), results.front(), results.back());
            std::fflush(stdout);
        }
    }
    return 0;
}
