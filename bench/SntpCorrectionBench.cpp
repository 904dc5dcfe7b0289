// Where one clock adjustment leaves the clock, against a loopback server that delays the request
// and the reply. The server's clock is this machine's; the exchange reads a clock that is off by
// a set amount, and its change is caught and compared with the true time at that moment. The old
// way (the clock set to the server's transmit time as the reply arrives) is worked out from the
// same exchange. Prints one line per run for bench/run-sntp-correction-bench.sh.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "common/SntpExchange.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace testing_support;

namespace {

int64_t LocalOffsetTicks;  // the exchange's clock minus the true time
int64_t NewError, OldError;  // at the change, in 100-ns units
SntpTestServer* Server;

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
BOOL WINAPI CatchChange(const SYSTEMTIME* local)
{
    int64_t now = TrueNow();
    SYSTEMTIME utc;
    FILETIME file;
    TzSpecificLocalTimeToSystemTime(nullptr, local, &utc);
    SystemTimeToFileTime(&utc, &file);
    int64_t set = static_cast<int64_t>(static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
    NewError = set - now;
    OldError = Server->LastTransmitTicks() - now;
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    SntpTestServer server;
    Server = &server;
    if (!server.Start()) {
        std::fprintf(stderr, "cannot serve on 127.0.0.1:123\n");
        return 1;
    }
    struct Path {
        DWORD inMs, outMs;
    } paths[] = {{0, 0}, {200, 200}, {300, 100}};
    const int offsetsMs[] = {-5000, 3000};
    for (const Path& path : paths) {
        for (int offsetMs : offsetsMs) {
            server.AnswerLive(0, path.inMs, path.outMs);
            LocalOffsetTicks = static_cast<int64_t>(offsetMs) * 10000;
            std::vector<double> oldErrors, newErrors;
            for (int i = 0; i < runs; ++i) {
                SntpOutcome outcome;
                NewError = OldError = 0;
                if (SntpExchange("127.0.0.1", 10, SntpClock{ReadClock, CatchChange, nullptr}, &outcome) != 0) {
                    std::fprintf(stderr, "exchange failed: result %u\n", outcome.result);
                    return 1;
                }
                oldErrors.push_back(OldError / 10000.0);
                newErrors.push_back(NewError / 10000.0);
            }
            std::sort(oldErrors.begin(), oldErrors.end());
            std::sort(newErrors.begin(), newErrors.end());
            auto worst = [](const std::vector<double>& v) {
                return std::abs(v.front()) > std::abs(v.back()) ? v.front() : v.back();
            };
            std::printf("bench: in %lu out %lu offset %d runs %d old median %.1f worst %.1f new median %.1f worst %.1f\n",
                        static_cast<unsigned long>(path.inMs), static_cast<unsigned long>(path.outMs), offsetMs, runs,
                        oldErrors[oldErrors.size() / 2], worst(oldErrors), newErrors[newErrors.size() / 2],
                        worst(newErrors));
        }
    }
    return 0;
}
