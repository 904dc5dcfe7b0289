// Host options and scenario actions about the clock, the host's dialogs and its main window.
#include "Host.h"
#include "Measure.h"

#include <sstream>

namespace {

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
        // clock-refuse [ERROR]: SetLocalTime fails, by default as for a user without the right.
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
    if (verb == "plugin-path") {
        // plugin-path PATH: where the plug-in is, relative to the host's folder
        in >> Host.pluginPath;
        return !Host.pluginPath.empty();
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
