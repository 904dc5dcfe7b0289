// The entry points the host calls, exported by name at fixed ordinals (chronel.def).
#include "../common/Allocation.h"
#include "../common/SettingsStore.h"
#include "DailyConnection.h"
#include "Globals.h"
#include "HostWindows.h"
#include "LogLines.h"
#include "LogQueue.h"
#include "Menu.h"
#include "ModalLoop.h"
#include "Outbox.h"
#include "Reserve.h"
#include "Scheduler.h"
#include "SettingsEditor.h"
#include "host/HostApi.h"
#include "../contract/Quillpost.h"
#include "resource.h"

// Exported through chronel.def only, so the table holds the plain names and no Name@N twins.
#define PLUGIN_EXPORT extern "C"

typedef int(__cdecl* SetUpChronelProc)();

PLUGIN_EXPORT const char* __stdcall APCGetPlugName()
{
    return "Chronel Plug";
}

static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

PLUGIN_EXPORT int __stdcall APCVersionInfo(HWND parent)
{
    ModalLoop loop;
    return static_cast<int>(DialogBoxParamA(PluginModule, MAKEINTRESOURCEA(IDD_ABOUT), parent, AboutProc, 0));
}

// From the host's clean-up to its next start-up chronel does nothing, whatever an editor's sheet
// still open saves.
static bool CleanedUp = false;

PLUGIN_EXPORT int __stdcall APCStartUp(int)
{
    CleanedUp = false;
    // Started again during a run: the run is over, and its window goes back first.
    PutBackMovedWindow(true);
    ModalLoopsStartUp();
    LoadSettings(PlugSettings);
    StartOutboxScanner();
    // One reading of the clock for the whole start-up.
    const int64_t present = PresentMinute();
    StartSchedule(PlugSettings.AutoStart != 0, present);
    PublishScheduleState(ViewSchedule());
    RegisterConnectionSteps();
    StartLogWriter();
    LogPluginStarted(ViewSchedule());
    StartTimer(present);
    return 1;
}

PLUGIN_EXPORT int __stdcall APCCleanUp()
{
    CleanedUp = true;
    // Not left off the screen for the host to store as the window's place.
    PutBackMovedWindow(false);
    EndModalLoops();
    StopSchedule();
    PublishScheduleState(ViewSchedule());
    int killed = StopTimer();
    EndOutboxScanner();
    LogPluginEnded();
    // The lines still queued go to the file before the host goes; a disk that does not answer
    // holds the host's closing this long at most, and the writer finishes on its own.
    StopLogWriter(3000);
    return killed;
}

// The editor while its sheet is open. The sheet has no owner, so the host's menu stays usable
// and may open the settings again; a second sheet would write its stale record over what the
// first one saved.
static HMODULE OpenEditor = nullptr;

static void TakeSavedSettings()
{
    if (CleanedUp)
        return;
    LoadSettings(PlugSettings);
    FindNextEvent(PresentMinute());
    UpdateScheduleMenuItems(ViewSchedule());
}

PLUGIN_EXPORT int __stdcall APCSetup(int)
{
    ModalLoop loop;
    if (OpenEditor) {
        BringEditorSheetForward(OpenEditor);
        return 0;
    }
    HMODULE editor = LoadSettingsEditor(PluginModule);
    if (!editor) {
        ReportEditorNotLoaded(PluginModule, MainWindow(), APCGetPlugName());
        return 0;
    }
    auto setUp = reinterpret_cast<SetUpChronelProc>(reinterpret_cast<void*>(GetProcAddress(editor, "SetUpChronel")));
    OpenEditor = editor;
    // Each Apply is taken while the sheet stays open; the host's timer goes on meanwhile.
    HWND saved = OpenSettingsSavedWindow(PluginModule, TakeSavedSettings);
    // 1 whenever the sheet saved settings, by OK or by an Apply before Cancel.
    int result = setUp ? setUp() : 0;
    CloseSettingsSavedWindow(saved);
    OpenEditor = nullptr;
    if (result == 1)
        TakeSavedSettings();
    return FreeLibrary(editor);
}

PLUGIN_EXPORT int __stdcall APCRecFilter(int)
{
    return 0;
}

PLUGIN_EXPORT int __stdcall APCFolderCreate(HWND window)
{
    return FolderWindows.Append(new (NoThrow) FolderWindowRecord(window)) != nullptr;
}

PLUGIN_EXPORT void __stdcall APCFolderClose(HWND window)
{
    // Put back while it still exists; it is not the next main window's to take.
    if (IsMovedWindow(window))
        PutBackMovedWindow(false);
    FolderWindows.Remove(window);
}

PLUGIN_EXPORT void __stdcall APCFolderInitMenu(HWND window, HMENU menu, int kind)
{
    if (kind == FolderMenuBar)
        InsertScheduleMenuItem(window, menu, OnScheduleMenu, ViewSchedule());
}

PLUGIN_EXPORT void __stdcall APCFolderLoad(int, int)
{
}

PLUGIN_EXPORT int __stdcall APCFolderEndRetrieve(int)
{
    return static_cast<int>(FolderEndRetrieve());
}

PLUGIN_EXPORT int __stdcall APCSendCreate(HWND window)
{
    if (!PlugSettings.UseReserve)
        return 0;
    // A posted window's record may outlive it, and the host may give its handle to this one.
    SendWindows.Remove(window);
    return SendWindows.Append(new (NoThrow) SendWindowRecord(window)) != nullptr;
}

PLUGIN_EXPORT void __stdcall APCSendClose(HWND window)
{
    if (!PlugSettings.UseReserve)
        return;
    auto* record = static_cast<SendWindowRecord*>(SendWindows.Find(window));
    if (!record || !record->posted)
        RemindReservedAtClose(window);
    SendWindows.Remove(window);
}

PLUGIN_EXPORT void __stdcall APCSendInitMenu(HWND, HMENU menu, int kind)
{
    if (PlugSettings.UseReserve)
        AddReserveMenuItem(menu, kind);
}

PLUGIN_EXPORT int __stdcall APCSendPost(HWND window, const char* path)
{
    if (!PlugSettings.UseReserve)
        return 1;
    // The records of posted windows the host has closed without a word go with their windows.
    for (WindowRecord *at = SendWindows.head, *next; at; at = next) {
        next = at->next;
        if (at->window != window && static_cast<SendWindowRecord*>(at)->posted && !IsWindow(at->window))
            SendWindows.Remove(at->window);
    }
    MarkPostedMessage(window, path);
    // Kept until the window closes, marked posted: the message is on its way, and the close must
    // not remind the user to send it.
    auto* record = static_cast<SendWindowRecord*>(SendWindows.Find(window));
    if (!record)
        record = static_cast<SendWindowRecord*>(SendWindows.Append(new (NoThrow) SendWindowRecord(window)));
    if (record)
        record->posted = true;
    return 1;
}
