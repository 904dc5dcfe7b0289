#pragma once
// The simulated Quillpost: state shared by its parts.

#include <windows.h>

#include "../contract/Quillpost.h"
#include "ImportPatch.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The file menu's "プラグインの設定": the plug-in's APCSetup. The commands the plug-in sends are
// the contract's (HostCommands).
constexpr int CmdPluginSettings = 0xE180;

typedef HostCallback PluginCallback;
typedef int(__stdcall* PluginTimerProc)(int, int);

struct PluginTimer {
    int id;
    PluginTimerProc proc;
};

struct Registration {
    PluginCallback callback;
    LPARAM value;
    int delivered;  // how often the host has called it
};

// How the host answers its connection command. Toggle: like Succeed, but a command that comes
// while one is under way cancels it, as a dial-up connection's toggle does.
enum class ConnectBehaviour { Succeed, Fail, ConfirmDisconnect, Toggle };

struct HostState {
    HWND mainFrame = nullptr;
    HWND view = nullptr;        // child of class "AfxFrameOrView42s"
    HWND trayWindow = nullptr;  // class "Quillpost32Class"
    HMODULE plugin = nullptr;
    std::string mailboxRoot;    // ends with "\"
    std::vector<Registration> callbacks;  // command id = FirstCallbackCommand + index
    std::vector<PluginTimer> timers;    // the plug-in's timers that run, in the order asked for
    int timersAsked = 0;                // timer ids are 1, 2, ... in the order asked for
    PluginTimerProc endedTimer = nullptr;  // the callback of the timer ended last
    bool connected = false;
    ConnectBehaviour connectBehaviour = ConnectBehaviour::Succeed;
    int connectDelaySeconds = 3;
    int receiveSeconds = 5;
    bool quit = false;
    bool reportFolder = true;           // report the main frame as a folder window at start-up
    bool receiveDialog = false;         // a receive shows "メール受信" while it runs
    bool receiveSync = false;           // a receive ends within its command, then a notice runs a modal loop
    std::string receiveError;           // a receive ends in "エラー" with this text, and ends once it is answered
    bool connecting = false;            // a connection command is under way
    int connectionCommands = 0;         // counts commands, so a cancelled one's completion is dropped
    int timerDrivenMs = 0;              // steps from a WM_TIMER of this period; 0: as fast as the loop goes
    int awaitThreadsSeconds = 0;        // at exit, how long to wait for the plug-in's threads to let it go
    bool holdForExchanges = false;      // the clock stands still while a clock adjustment is under way
    std::vector<HWND> folders;          // folder windows in the order they were opened; [0] the main frame
    std::string pluginPath = "Plugins\\chronel.dll";  // relative to the host's folder
    int loadCycles = 0;                 // load and free each DLL this often before start-up
    int clockHeld = 0;                  // the clock stands still while this is above 0
};

extern HostState Host;

// The simulated clock, substituted for the plug-in's kernel32 clock functions. It keeps UTC;
// local times go through the system's zone.
namespace SimClock {
void SetLocal(const SYSTEMTIME& local);
// The clock and the host's own running time move on together (a tick, a busy thread).
void Advance(int milliseconds);
// The clock alone is set forward or back (by its owner, another program, a time service).
void Step(int64_t milliseconds);
SYSTEMTIME Local();
// Local time as "YYYY-MM-DD hh:mm:ss.s", and to the millisecond.
std::string Stamp();
std::string PreciseStamp();
int64_t Milliseconds();  // UTC milliseconds since 1601, for comparisons
int64_t UtcOfLocal(const SYSTEMTIME& local);  // the same for a local time
int64_t UtcMilliseconds(const SYSTEMTIME& utc);
int64_t HostMilliseconds();  // how long the host has run, whatever the clock says
// Replaces the module's imports of GetLocalTime, GetSystemTime, GetSystemTimeAsFileTime,
// SetSystemTime and SetLocalTime by the simulated clock. Returns the number of entries patched. Its LoadLibraryA
// and LoadLibraryW give chronset.dll, when it loads it, the same clock.
int PatchImports(HMODULE module);
// From now on a change of the clock fails with this error (ERROR_PRIVILEGE_NOT_HELD: a user without the
// right to change the clock); 0 lets it succeed.
void RefuseChanges(DWORD error);
}  // namespace SimClock

// Logs "thread: N started" for each thread the module creates; "thread: N ended with CODE" once
// ReportEndedPluginThreads, called on every step and while the clock is held, sees it gone.
int WatchPluginThreads(HMODULE module);
void ReportEndedPluginThreads();
// True while the plug-in holds a socket open: a clock adjustment is under way.
bool PluginExchangeUnderWay();

// Holds the clock while it lives: for windows driven from outside the host (the settings editor,
// where a user or a test works in real time) and for waits on what does not follow the clock.
class ClockHold {
public:
    ClockHold() { ++Host.clockHeld; }
    ~ClockHold() { --Host.clockHeld; }
    ClockHold(const ClockHold&) = delete;
    ClockHold& operator=(const ClockHold&) = delete;
};

// One line per event, stamped with the simulated time.
void LogEvent(const char* format, ...);
void OpenEventLog(const char* path, bool echo);
void CloseEventLog();
// True when a line of the log file holds text; lines of the "wait:" kind are not searched.
bool EventLogHas(const std::string& text);

// Runs one simulated step: the clock moves on 500 ms, due scenario actions run, the
// plug-in's timer is called.
void HostStep();
// True once the scenario's clock has reached its end or the host is to quit.
bool ScenarioOver();
// Calls the plug-in callback registered under the command, if any. True when one was called.
bool RunCallbackCommand(HWND window, int command);

// Runs action once the host has run for the given milliseconds more (clock steps do not count).
void After(int milliseconds, std::function<void()> action);
// Runs the host's own delayed actions that are due.
void RunDueHostActions();

// Windows of the host.
bool CreateHostWindows(HINSTANCE instance);
HMENU ConnectionSubmenu(HWND frame = nullptr);  // submenu 3 of a frame's menu (the main frame's by default)
// Opens another folder window (a frame with its own menu bar) and reports it to the plug-in.
HWND OpenFolderWindow();
// The user opens the plug-in's settings (APCSetup), from the scenario or the host's menu. The
// clock goes on while the sheet is open unless holdClock.
void OpenPluginSettings(bool holdClock);
void StartReceive(bool patrol);
void StartConnectionToggle();
// Host options and scenario actions of HostActions.cpp; false when the line is not theirs.
bool ApplyHostOption(const std::string& line);
bool RunHostAction(const std::string& line);
// Actions at the editor's status window (status-top, status-held, status-log, status-select,
// status-fill); false for another verb.
bool RunStatusAction(const std::string& verb, const std::string& line);
// With random-steps set, steps the clock when the next random step is due.
void RunRandomStep();

// Shows one of the host's small dialogs, owned by owner, with a single button id.
HWND ShowHostDialog(HWND owner, const char* title, int buttonId, const char* buttonText,
                    std::function<void(int)> onAnswer);
