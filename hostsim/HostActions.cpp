// Host options and scenario actions about the clock, the host's dialogs and its main window.
#include "Host.h"
#include "Measure.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <random>
#include <sstream>

namespace {

// Steps the clock by a signed amount and logs from where to where, to the millisecond.
void StepClock(int64_t milliseconds, const char* why)
{
    std::string from = SimClock::PreciseStamp();
    SimClock::Step(milliseconds);
    LogEvent("clock: steps %+" PRId64 " ms from %s to %s (%s)", milliseconds, from.c_str(),
             SimClock::PreciseStamp().c_str(), why);
}

// Random steps of the clock: after a random stretch of the host's own time, the clock is set back
// or forward (even odds) by an amount drawn evenly on a log scale from 100 ms up to the greatest
// step that way, so that steps of a second are as common as steps of an hour.
struct RandomSteps {
    bool on = false;
    std::mt19937_64 draw;
    int64_t everyMs = 0;
    int64_t backMs = 0;
    int64_t forwardMs = 0;
    int64_t nextAt = 0;  // host milliseconds
    int64_t Uniform(int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(draw); }
    int64_t Magnitude(int64_t most)
    {
        double low = std::log(100.0), high = std::log(static_cast<double>(std::max<int64_t>(most, 100)));
        return static_cast<int64_t>(std::exp(std::uniform_real_distribution<double>(low, high)(draw)));
    }
    int64_t Step()
    {
        bool back = backMs > 0 && (forwardMs == 0 || Uniform(0, 1) == 0);
        return back ? -Magnitude(backMs) : Magnitude(forwardMs);
    }
} Random;

HWND StrayOwner;
HWND StrayDialog;

LRESULT CALLBACK StrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        LogEvent("stray: \"%s\" got command %u", "エラー", static_cast<unsigned>(LOWORD(wParam)));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of another program, with a dialog of the given title owned by it.
void ShowStrayDialog(const std::string& title)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    static bool registered = false;
    if (!registered) {
        WNDCLASSA stray{};
        stray.lpfnWndProc = StrayProc;
        stray.hInstance = instance;
        stray.lpszClassName = "OtherProgramWindow";
        registered = RegisterClassA(&stray) != 0;
    }
    if (!StrayOwner)
        StrayOwner = CreateWindowA("OtherProgramWindow", "Other Program", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                   nullptr, nullptr, instance, nullptr);
    StrayDialog = CreateWindowA("OtherProgramWindow", title.c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE, 300, 300, 200,
                                80, StrayOwner, nullptr, instance, nullptr);
    LogEvent("stray: \"%s\" shown by another program", title.c_str());
}

}  // namespace

bool ApplyHostOption(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "receive-dialog") {
        Host.receiveDialog = true;
        return true;
    }
    if (verb == "clock-refuse") {
        // clock-refuse [ERROR]: a change of the clock fails, by default as for a user without the right.
        unsigned long error = ERROR_PRIVILEGE_NOT_HELD;
        in >> error;
        SimClock::RefuseChanges(static_cast<DWORD>(error));
        return true;
    }
    if (verb == "await-plugin-threads") {
        // await-plugin-threads SECONDS: at exit, wait that long for the plug-in's threads (a clock
        // adjustment still under way) to let the libraries go, so that their work is not cut off.
        in >> Host.awaitThreadsSeconds;
        return Host.awaitThreadsSeconds > 0;
    }
    if (verb == "hold-clock-for-exchanges") {
        // The clock stands still while a clock adjustment of the plug-in is under way: over a
        // quick network it takes no time worth counting, however long it takes in real time here.
        Host.holdForExchanges = true;
        return true;
    }
    if (verb == "plugin-path") {
        // plugin-path PATH: where the plug-in is, relative to the host's folder
        in >> Host.pluginPath;
        return !Host.pluginPath.empty();
    }
    if (verb == "random-steps") {
        // random-steps SEED EVERY BACK FORWARD: about every EVERY seconds of the host's time (from
        // a second to twice that), the clock steps back by up to BACK seconds or forward by up to
        // FORWARD seconds.
        uint64_t seed = 0;
        double every = 0, back = 0, forward = 0;
        if (!(in >> seed >> every >> back >> forward) || every <= 0 || back < 0 || forward < 0 ||
            back + forward <= 0)
            return false;
        Random.on = true;
        Random.draw.seed(seed);
        Random.everyMs = static_cast<int64_t>(every * 1000);
        Random.backMs = static_cast<int64_t>(back * 1000);
        Random.forwardMs = static_cast<int64_t>(forward * 1000);
        Random.nextAt = Random.Uniform(1000, 2 * Random.everyMs);
        return true;
    }
    if (verb == "timer-driven") {
        // Steps come from a WM_TIMER of this period, as a real host's timer does.
        Host.timerDrivenMs = 10;
        in >> Host.timerDrivenMs;
        return Host.timerDrivenMs > 0;
    }
    return ApplyMeasureOption(line);
}

bool RunHostAction(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "jump") {
        // jump MS: the clock moves on without a tick, as when the host's thread is busy.
        int milliseconds = 0;
        in >> milliseconds;
        SimClock::Advance(milliseconds);
        LogEvent("clock: jumps %d ms", milliseconds);
        return true;
    }
    if (verb == "step") {
        // step MS: the clock is set forward or back by MS milliseconds (its owner, a time service).
        long long milliseconds = 0;
        in >> milliseconds;
        StepClock(milliseconds, "scenario");
        return true;
    }
    if (verb == "host-dialog") {
        // host-dialog TITLE: one of the host's dialogs, owned by the main frame.
        std::string title;
        in >> title;
        ShowHostDialog(Host.mainFrame, title.c_str(), IDCANCEL, "OK", nullptr);
        return true;
    }
    if (verb == "stray-dialog") {
        std::string title;
        in >> title;
        ShowStrayDialog(title);
        return true;
    }
    if (verb == "callbacks") {
        // callbacks: how often each registered command has been delivered so far
        std::string counts;
        for (size_t i = 0; i < Host.callbacks.size(); ++i)
            counts += " " + std::to_string(FirstCallbackCommand + static_cast<int>(i)) + "=" +
                      std::to_string(Host.callbacks[i].delivered);
        LogEvent("host: callbacks delivered%s", counts.c_str());
        return true;
    }
    if (verb == "timers") {
        // timers: the ids of the plug-in's timers that run
        std::string ids;
        for (const PluginTimer& timer : Host.timers)
            ids += " " + std::to_string(timer.id);
        LogEvent("host: timers%s", ids.empty() ? " none" : ids.c_str());
        return true;
    }
    if (verb == "late-tick") {
        // late-tick: the callback of the timer ended last is called once more, as a host may
        // deliver a tick it had already taken from its queue
        LogEvent("host: a late tick of an ended timer%s", Host.endedTimer ? "" : " (none ended)");
        if (Host.endedTimer)
            Host.endedTimer(0, 0);
        return true;
    }
    if (verb == "late-command") {
        // late-command ID: a registered command reaches the main frame once more, as one the host
        // had already taken from its queue when the plug-in was cleaned up
        int id = 0;
        in >> id;
        int index = id - FirstCallbackCommand;
        bool known = index >= 0 && index < static_cast<int>(Host.callbacks.size());
        LogEvent("host: a late command %d%s", id, known ? "" : " (not registered)");
        if (known)
            SendMessageA(Host.mainFrame, WM_COMMAND, static_cast<WPARAM>(id), 0);
        return true;
    }
    if (verb == "chdir") {
        // chdir DIR: the host's current directory moves, as a file dialog may leave it.
        std::string dir;
        std::getline(in >> std::ws, dir);
        BOOL moved = SetCurrentDirectoryA(dir.c_str());
        LogEvent("host: current directory %s%s", dir.c_str(), moved ? "" : " (not found)");
        return true;
    }
    if (verb == "wait") {
        // wait log TEXT | wait file NAME: the clock stands still until a line of the host's log
        // holds TEXT, or the file NAME exists, for what does not follow the simulated clock (a
        // thread of the plug-in, a test's own steps). After two minutes the host gives up.
        std::string kind, what;
        in >> kind;
        std::getline(in >> std::ws, what);
        if (kind != "log" && kind != "file")
            return false;
        ClockHold hold;
        LogEvent("wait: for %s \"%s\"", kind.c_str(), what.c_str());
        const DWORD started = GetTickCount();
        for (;;) {
            ReportEndedPluginThreads();
            if (kind == "log" ? EventLogHas(what) : GetFileAttributesA(what.c_str()) != INVALID_FILE_ATTRIBUTES) {
                LogEvent("wait: over");
                return true;
            }
            if (Host.quit || GetTickCount() - started > 120000) {
                LogEvent("wait: given up");
                return true;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    Host.quit = true;
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    if (verb == "close-stray") {
        if (StrayDialog)
            DestroyWindow(StrayDialog);
        StrayDialog = nullptr;
        LogEvent("stray: closed");
        return true;
    }
    return RunMeasureAction(line);
}

void RunRandomStep()
{
    if (!Random.on || SimClock::HostMilliseconds() < Random.nextAt)
        return;
    StepClock(Random.Step(), "random");
    Random.nextAt = SimClock::HostMilliseconds() + Random.Uniform(1000, 2 * Random.everyMs);
}
