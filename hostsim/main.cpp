// Quillpost.exe, the simulated host: loads Plugins\chronel.dll and drives it as the mail client
// does, on a clock of its own that runs as fast as the message loop allows.
#include <winsock2.h>

#include "Host.h"
#include "Measure.h"
#include "Plugin.h"
#include "Scenario.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

HostState Host;

namespace {

Scenario Current;
constexpr UINT_PTR NestedTickTimer = 1;
constexpr UINT_PTR StepTimer = 2;
int StepDepth = 0;

void Usage()
{
    std::fprintf(stderr, "usage: Quillpost.exe [--demo] [--scenario FILE] [--log FILE] [--echo] [--mailbox DIR] [--appdata DIR]\n");
}

std::string ExeDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? "." : dir.substr(0, slash);
}

// Dispatches everything waiting, except the timer that steps the clock inside modal loops:
// out here the loop itself steps.
void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER && msg.hwnd == Host.mainFrame && msg.wParam == NestedTickTimer)
            continue;
        if (msg.message == WM_QUIT) {
            Host.quit = true;
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Inside a modal loop (a dialog of the plug-in) the host's timer goes on, unless the clock is
// held (the settings editor, a wait).
VOID CALLBACK NestedTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (StepDepth > 0 && Host.clockHeld == 0 && SimClock::Milliseconds() < Current.end)
        HostStep();
}

// With a timer-driven host every step comes through the queue as WM_TIMER, so whatever the queue
// serves first (posted messages) can hold the clock back, as in a real host.
VOID CALLBACK StepTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (StepDepth == 0)
        HostStep();
}

void RunTimerDriven()
{
    SetTimer(Host.mainFrame, StepTimer, static_cast<UINT>(Host.timerDrivenMs), StepTick);
    MSG msg;
    while (!Host.quit && SimClock::Milliseconds() < Current.end && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == Host.mainFrame && msg.wParam == NestedTickTimer)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(Host.mainFrame, StepTimer);
}

}  // namespace

bool ScenarioOver()
{
    return Host.quit || SimClock::Milliseconds() >= Current.end;
}

void HostStep()
{
    if (Host.holdForExchanges && PluginExchangeUnderWay()) {
        Sleep(1);
        return;
    }
    ++StepDepth;
    SimClock::Advance(500);
    RunDueScenarioActions(Current);
    RunDueHostActions();
    // Each timer the plug-in holds; a call may end or start timers, so the list is taken first.
    std::vector<PluginTimer> running = Host.timers;
    for (const PluginTimer& timer : running) {
        for (const PluginTimer& still : Host.timers) {
            if (still.id == timer.id) {
                CallPluginTimer(timer.proc);
                break;
            }
        }
    }
    ReportEndedPluginThreads();
    RunRandomStep();
    --StepDepth;
}

const char* const DemoScenario = R"(# A Monday morning with chronel.
clear-settings
setting AutoStart dword 1
setting AutoDistribute dword 1
entry Monday 07:00
entry Monday 07:02 around
entry Tuesday 06:30
server Connect 1
server ConnectHour 7
server ConnectMinute 4
server DisConnect 1
server DisConnectHour 7
server DisConnectMinute 6
connect confirm 3
receive-seconds 20
receive-dialog
start 2026-12-07 06:58:00
at 06:58:10 caption
at 06:58:20 log the user stops and restarts the schedule from the menu
at 06:58:20 menu schedule
at 06:58:21 caption
at 06:58:30 menu schedule
at 06:58:31 caption
at 06:59:00 log the user sends the main window to the tray
at 06:59:00 hide
at 06:59:01 window
at 07:00:05 window
at 07:00:30 window
at 07:00:31 caption
at 07:01:00 log the user minimises the main window
at 07:01:00 minimize
at 07:02:05 window
at 07:02:30 window
at 07:02:31 caption
at 07:05:00 caption
at 07:07:00 caption
end 2026-12-07 07:07:10
)";

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    bool demo = false;
    bool echo = false;
    std::string scenarioPath, logPath, mailbox, appData;
    for (int i = 1; i < __argc; ++i) {
        std::string arg = __argv[i];
        auto next = [&]() { return i + 1 < __argc ? std::string(__argv[++i]) : std::string(); };
        if (arg == "--demo")
            demo = echo = true;
        else if (arg == "--echo")
            echo = true;
        else if (arg == "--scenario")
            scenarioPath = next();
        else if (arg == "--log")
            logPath = next();
        else if (arg == "--mailbox")
            mailbox = next();
        else if (arg == "--appdata")
            appData = next();
        else {
            Usage();
            return 64;
        }
    }

    std::string dir = ExeDirectory();
    SetCurrentDirectoryA(dir.c_str());
    Host.mailboxRoot = mailbox.empty() ? dir + "\\Mailbox\\" : mailbox;
    if (Host.mailboxRoot.back() != '\\')
        Host.mailboxRoot += '\\';
    SetAppDataFolder(appData.empty() ? dir + "\\AppData" : appData);

    std::string text;
    if (demo) {
        text = DemoScenario;
    } else if (!scenarioPath.empty()) {
        std::ifstream file(scenarioPath, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", scenarioPath.c_str());
            return 66;
        }
        std::ostringstream all;
        all << file.rdbuf();
        text = all.str();
    } else {
        text = "start 2026-12-07 09:00:00\nend 2026-12-07 09:01:00\n";
    }
    std::string error;
    if (!ParseScenario(text, Current, error)) {
        std::fprintf(stderr, "scenario: %s\n", error.c_str());
        return 65;
    }
    SimClock::SetLocal(Current.start);
    OpenEventLog(logPath.c_str(), echo);
    if (!ApplyScenarioSetup(Current))
        return 65;

    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);  // the host initialises sockets for its plug-ins
    if (!CreateHostWindows(instance)) {
        LogEvent("host: windows could not be created");
        return 70;
    }
    LogEvent("host: started");
    RunLoadCycles();
    if (!LoadPlugin()) {
        LogEvent("host: no plug-in, exiting");
        CloseEventLog();
        return 2;
    }

    int64_t startUp = MeasureNow();
    int started = Plugin.StartUp(0);
    MeasureSince("APCStartUp", startUp);
    LogEvent("host: APCStartUp -> %d", started);
    if (Host.reportFolder) {
        Host.folders.push_back(Host.mainFrame);
        LogEvent("host: APCFolderCreate -> %d", Plugin.FolderCreate(Host.mainFrame));
        Plugin.FolderInitMenu(Host.mainFrame, GetMenu(Host.mainFrame), FolderMenuBar);
        DrawMenuBar(Host.mainFrame);
    }
    SetTimer(Host.mainFrame, NestedTickTimer, 10, NestedTick);

    if (Host.timerDrivenMs > 0)
        RunTimerDriven();
    while (!Host.quit && SimClock::Milliseconds() < Current.end) {
        PumpMessages();
        if (Host.quit)
            break;
        HostStep();
    }
    PumpMessages();
    LogEvent("host: clock stopped at %s", SimClock::PreciseStamp().c_str());

    KillTimer(Host.mainFrame, NestedTickTimer);
    ReportMeasurements();
    // Unless the scenario's exit has done it already.
    if (Host.plugin) {
        LogEvent("host: APCCleanUp -> %d", Plugin.CleanUp());
        for (HWND folder : Host.folders) {
            if (folder)
                Plugin.FolderClose(folder);
        }
        UnloadPlugin();
    }
    LogEvent("host: stopped");
    CloseEventLog();
    DestroyWindow(Host.mainFrame);
    WSACleanup();
    return 0;
}
