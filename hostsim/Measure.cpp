// Measurements for the benchmarks and the long run. Every figure goes to the event log as a
// "bench:" or "stats:" line, which the scripts in bench/ and scripts/ turn into tables.
#include "Measure.h"

#include "Host.h"
#include "Plugin.h"

#include <windows.h>
#include <prsht.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

bool Measuring = false;

int64_t Frequency()
{
    static int64_t frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<int64_t>(value.QuadPart);
    }();
    return frequency;
}

int64_t Microseconds(int64_t counts)
{
    return counts * 1000000 / Frequency();
}

// Per-call durations in counter units; one set for each kind of tick.
struct TickSamples {
    const char* name;
    std::vector<uint32_t> timer;  // the plug-in's timer
    std::vector<uint32_t> clock;  // the clock function the plug-in reads, alone
    std::vector<uint32_t> empty;  // nothing between the two counter reads
};
TickSamples Idle{"idle (second 1-59)", {}, {}, {}};
TickSamples MinuteFirst{"second 0, first tick", {}, {}, {}};
TickSamples MinuteSecond{"second 0, second tick", {}, {}, {}};

typedef void(WINAPI* ClockProc)(LPSYSTEMTIME);
ClockProc PluginClock;

// The host loop as a whole, from the first timed tick to the report.
bool LoopStarted = false;
int64_t LoopStartWall;
uint64_t LoopStartCpu;

// The function the plug-in's import of kernel32!GetLocalTime points at now (the substituted clock).
ClockProc ImportedClock(HMODULE module)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return nullptr;
    for (auto desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
        if (_stricmp(reinterpret_cast<char*>(base + desc->Name), "kernel32.dll") != 0 || !desc->OriginalFirstThunk)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), "GetLocalTime") == 0)
                return reinterpret_cast<ClockProc>(slots->u1.Function);
        }
    }
    return nullptr;
}

uint64_t ThreadCpu()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0;
    auto value = [](const FILETIME& t) { return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

uint32_t Elapsed(int64_t from, int64_t to)
{
    return static_cast<uint32_t>(std::min<int64_t>(to - from, UINT32_MAX));
}

// Mean in nanoseconds, of all samples or of the fastest share of them (preemptions by other
// processes on a shared machine land in the slowest few).
double MeanNs(std::vector<uint32_t> samples, double share)
{
    if (samples.empty())
        return 0;
    size_t kept = std::max<size_t>(1, static_cast<size_t>(static_cast<double>(samples.size()) * share));
    std::nth_element(samples.begin(), samples.begin() + static_cast<long>(kept - 1), samples.end());
    double total = 0;
    uint32_t bound = samples[kept - 1];
    size_t counted = 0;
    for (uint32_t sample : samples) {
        if (counted < kept && sample <= bound) {
            total += sample;
            ++counted;
        }
    }
    return total * 1e9 / static_cast<double>(Frequency()) / static_cast<double>(counted);
}

// Idle ticks once more in a tight loop, timed by the thread's CPU time, which Wine counts only in
// 10 ms steps: the plug-in's timer, the clock alone, and the loop alone, each on the same moments
// (seconds 1 to 58 of one minute).
void ReplayIdleTicks()
{
    if (!PluginClock || Host.timers.empty())
        return;
    PluginTimerProc timer = Host.timers.front().proc;
    // A receive the last tick started ends first, so that the replayed ticks find the schedule
    // armed, as idle ticks do (with receive-seconds 0 its end is due now).
    RunDueHostActions();
    SYSTEMTIME saved = SimClock::Local();
    SYSTEMTIME first = saved;
    first.wSecond = 1;
    first.wMilliseconds = 0;
    // As many ticks as take about a second, so that the 10 ms steps of the CPU time stay small.
    SimClock::SetLocal(first);
    int64_t probe = MeasureNow();
    for (int i = 0; i < 1000; ++i)
        timer(0, 0);
    int64_t perThousand = std::max<int64_t>(1, MeasureNow() - probe);
    const int count =
        static_cast<int>(std::min<int64_t>(20000000, std::max<int64_t>(10000, Frequency() * 1000 / perThousand)));
    double ns[3];
    for (int variant = 0; variant < 3; ++variant) {
        SimClock::SetLocal(first);
        SYSTEMTIME read;
        uint64_t cpu = ThreadCpu();
        for (int i = 0; i < count; ++i) {
            if (variant == 0)
                timer(0, 0);
            else if (variant == 1)
                PluginClock(&read);
            SimClock::Advance(i % 116 == 115 ? -57500 : 500);
        }
        ns[variant] = static_cast<double>(ThreadCpu() - cpu) * 100.0 / count;
    }
    SimClock::SetLocal(saved);
    LogEvent("bench: idle replay %d ticks, thread cpu per tick: timer %.1f clock %.1f loop %.1f ns", count, ns[0],
             ns[1], ns[2]);
}

void Report(const TickSamples& samples)
{
    size_t n = samples.timer.size();
    if (n == 0)
        return;
    LogEvent("bench: ticks %s: count %u mean timer %.1f clock %.1f empty %.1f ns; fastest 99%% timer %.1f clock %.1f "
             "empty %.1f ns",
             samples.name, static_cast<unsigned>(n), MeanNs(samples.timer, 1.0), MeanNs(samples.clock, 1.0),
             MeanNs(samples.empty, 1.0), MeanNs(samples.timer, 0.99), MeanNs(samples.clock, 0.99),
             MeanNs(samples.empty, 0.99));
}

// setup-cancel: the sheet is caught when it is activated, and counts as up when a message is
// first taken from the queue while its page exists: everything it does to open has been done.
// Closing is timed to the start of the sheet's destruction and to APCSetup's return; under Wine
// without a window manager the latter includes the X11 driver's wait for the window to be
// withdrawn (about 2 s for any visible top-level window).
HHOOK ActivateHook, MessageHook;
HWND Sheet;
int64_t SetupCalled, SheetUp, SheetGone;

LRESULT CALLBACK CatchSheet(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == Sheet)
        SheetGone = MeasureNow();
    if (code == HCBT_ACTIVATE && !Sheet) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (std::strcmp(name, "#32770") == 0)
            Sheet = window;
    }
    return CallNextHookEx(ActivateHook, code, wParam, lParam);
}

LRESULT CALLBACK CancelSheet(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && Sheet && !SheetUp && SendMessageA(Sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) {
        SheetUp = MeasureNow();
        PostMessageA(Sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
    return CallNextHookEx(MessageHook, code, wParam, lParam);
}

void SetupAndCancel()
{
    LogEvent("user: opens the plug-in's settings and cancels");
    Sheet = nullptr;
    SheetUp = SheetGone = 0;
    DWORD thread = GetCurrentThreadId();
    ActivateHook = SetWindowsHookExA(WH_CBT, CatchSheet, nullptr, thread);
    MessageHook = SetWindowsHookExA(WH_GETMESSAGE, CancelSheet, nullptr, thread);
    SetupCalled = MeasureNow();
    int result = Plugin.Setup(0);
    int64_t returned = MeasureNow();
    UnhookWindowsHookEx(ActivateHook);
    UnhookWindowsHookEx(MessageHook);
    LogEvent("host: APCSetup -> %d", result);
    if (SheetUp)
        LogEvent("bench: editor open %lld us, cancel to destroy %lld us, cancel to return %lld us",
                 static_cast<long long>(Microseconds(SheetUp - SetupCalled)),
                 static_cast<long long>(SheetGone ? Microseconds(SheetGone - SheetUp) : -1),
                 static_cast<long long>(Microseconds(returned - SheetUp)));
    else
        LogEvent("bench: editor sheet not seen");
}

// One registry read costs a round trip to the wineserver under Wine, and that cost varies with
// the load of a shared machine: logged so that start-up times can be read against it.
void LogRegistryReadCost()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const int count = 2000;
    int64_t started = MeasureNow();
    for (int i = 0; i < count; ++i) {
        DWORD value = 0, size = sizeof value;
        RegQueryValueExA(key, "ChronelMeasureProbe", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    }
    double each = static_cast<double>(MeasureNow() - started) * 1e6 / static_cast<double>(Frequency()) / count;
    RegCloseKey(key);
    LogEvent("bench: registry read %.1f us", each);
}

}  // namespace

bool ApplyMeasureOption(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "load-cycles") {
        in >> Host.loadCycles;
        return Host.loadCycles > 0;
    }
    if (line.compare(0, 7, "measure") != 0 || line.find_first_not_of(" \t", 7) != std::string::npos)
        return false;
    Measuring = true;
    LogRegistryReadCost();
    const size_t week = 7 * 24 * 3600;
    for (TickSamples* samples : {&Idle, &MinuteFirst, &MinuteSecond}) {
        size_t expected = samples == &Idle ? 2 * week : week / 60;
        samples->timer.reserve(expected);
        samples->clock.reserve(expected);
        samples->empty.reserve(expected);
    }
    return true;
}

bool RunMeasureAction(const std::string& line)
{
    std::istringstream in(line);
    std::string verb, label;
    in >> verb >> label;
    if (verb == "stats") {
        LogProcessStats(label);
        return true;
    }
    if (verb == "setup-cancel") {
        SetupAndCancel();
        return true;
    }
    return false;
}

void RunLoadCycles()
{
    if (Host.loadCycles <= 0)
        return;
    struct Library {
        const char* label;
        std::string path;
    } libraries[] = {{"plugin", Host.pluginPath}, {"editor", "Plugins\\chronset.dll"}};
    for (const Library& library : libraries) {
        LogProcessStats(std::string(library.label) + "-before");
        for (int cycle = 1; cycle <= Host.loadCycles; ++cycle) {
            HMODULE module = LoadLibraryA(library.path.c_str());
            if (!module) {
                LogEvent("load-cycles: %s did not load (error %lu)", library.path.c_str(), GetLastError());
                break;
            }
            FreeLibrary(module);
            if (cycle == 1 || cycle == Host.loadCycles)
                LogProcessStats(std::string(library.label) + "-" + std::to_string(cycle));
        }
    }
}

void CallPluginTimer(PluginTimerProc proc)
{
    if (!Measuring) {
        proc(0, 0);
        return;
    }
    if (!LoopStarted) {
        PluginClock = ImportedClock(Host.plugin);
        LoopStarted = true;
        LoopStartWall = MeasureNow();
        LoopStartCpu = ThreadCpu();
    }
    // The tick is classed by the time the plug-in will read.
    SYSTEMTIME now = SimClock::Local();
    TickSamples& into = now.wSecond != 0 ? Idle : now.wMilliseconds < 500 ? MinuteFirst : MinuteSecond;

    int64_t t0 = MeasureNow();
    proc(0, 0);
    int64_t t1 = MeasureNow();

    SYSTEMTIME read;
    int64_t t2 = MeasureNow();
    PluginClock(&read);
    int64_t t3 = MeasureNow();

    int64_t t4 = MeasureNow();
    int64_t t5 = MeasureNow();

    into.timer.push_back(Elapsed(t0, t1));
    into.clock.push_back(Elapsed(t2, t3));
    into.empty.push_back(Elapsed(t4, t5));
}

int64_t MeasureNow()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(now.QuadPart);
}

void MeasureSince(const char* what, int64_t started)
{
    if (Measuring)
        LogEvent("bench: %s %lld us", what, static_cast<long long>(Microseconds(MeasureNow() - started)));
}

void ReportMeasurements()
{
    if (!Measuring)
        return;
    LogEvent("bench: counter frequency %lld Hz", static_cast<long long>(Frequency()));
    if (LoopStarted) {
        size_t ticks = Idle.timer.size() + MinuteFirst.timer.size() + MinuteSecond.timer.size();
        LogEvent("bench: host loop %u ticks, wall %lld ms, thread cpu %llu ms", static_cast<unsigned>(ticks),
                 static_cast<long long>(Microseconds(MeasureNow() - LoopStartWall) / 1000),
                 static_cast<unsigned long long>((ThreadCpu() - LoopStartCpu) / 10000));
    }
    for (const TickSamples* samples : {&Idle, &MinuteFirst, &MinuteSecond})
        Report(*samples);
    ReplayIdleTicks();
}
