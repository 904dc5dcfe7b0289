#include "Globals.h"

HINSTANCE PluginModule;
// Constructed in this order when the library loads, destroyed in reverse after detach.
Settings PlugSettings;
ScheduleEntry NextEvent;  // the load time's hour and minute
WindowList FolderWindows;
WindowList SendWindows;

int NextEventDay = 0;
int ScheduleMode = Stopped;
int ModeAfterRun = Armed;
int AnsweredDialog = None;
int ScheduledConnection = 0;
int ScheduledConnectionUp = 0;
int SendNow = 0;
int WasHidden = 0;
int WasIconic = 0;
WINDOWPLACEMENT SavedPlacement;
HWND MovedWindow = nullptr;
int ConnectStepCommand = 0;
int DisconnectStepCommand = 0;
int TimerId = 0;
int32_t ReferenceTime = 0;
int ReserveHeaderLength = 0;

HWND MainWindow()
{
    return FolderWindows.head ? FolderWindows.head->window : nullptr;
}
