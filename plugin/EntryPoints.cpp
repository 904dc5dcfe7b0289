// The entry points the host calls, exported by name at fixed ordinals (chronel.def).
#include "../common/pure/Allocation.h"
#include "../common/windows/SettingsStore.h"
#include "Chronel.h"
#include "LogLines.h"
#include "LogQueue.h"
#include "ModalLoop.h"
#include "Reserve.h"
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

PLUGIN_EXPORT int __stdcall APCStartUp(int)
{
    Loaded.CleanedUp = false;
    LoadSettings(Loaded.Settings);
    Chronel::StartUp(Loaded);
    return 1;
}

PLUGIN_EXPORT int __stdcall APCCleanUp()
{
    Loaded.CleanedUp = true;
    EndModalLoops();
    int killed = Chronel::CleanUp();
    LogPluginEnded();
    // The lines still queued go to the file before the host goes; a disk that does not answer
    // holds the host's closing this long at most, and the writer finishes on its own.
    StopLogWriter(3000);
    return killed;
}

static void TakeSavedSettings()
{
    if (Loaded.CleanedUp)
        return;
    LoadSettings(Loaded.Settings);
    ChronelCall chronel;
    if (!chronel)
        return;
    chronel->schedule.FindNextEvent(PresentMinute());
    chronel->schedule.Show();
}

PLUGIN_EXPORT int __stdcall APCSetup(int)
{
    ModalLoop loop;
    if (Loaded.OpenEditor) {
        BringEditorSheetForward(Loaded.OpenEditor);
        return 0;
    }
    Library editor = LoadSettingsEditor(PluginModule);
    if (!editor) {
        ReportEditorNotLoaded(PluginModule, MainWindow(Loaded.FolderWindows), APCGetPlugName());
        return 0;
    }
    auto setUp = reinterpret_cast<SetUpChronelProc>(reinterpret_cast<void*>(GetProcAddress(editor.Get(), "SetUpChronel")));
    Loaded.OpenEditor = editor.Get();
    // Each Apply is taken while the sheet stays open; the host's timer goes on meanwhile.
    HWND saved = OpenSettingsSavedWindow(PluginModule, TakeSavedSettings);
    // 1 whenever the sheet saved settings, by OK or by an Apply before Cancel.
    int result = setUp ? setUp() : 0;
    CloseSettingsSavedWindow(saved);
    Loaded.OpenEditor = nullptr;
    // The object found again: the host may have cleaned up, or started up anew, while the sheet
    // was open.
    if (result == 1)
        TakeSavedSettings();
    // The host is told what the free itself said.
    return FreeLibrary(editor.Release());
}

PLUGIN_EXPORT int __stdcall APCRecFilter(int)
{
    return 0;
}

PLUGIN_EXPORT int __stdcall APCFolderCreate(HWND window)
{
    return Loaded.FolderWindows.Append(new (NoThrow) FolderWindowRecord(window)) != nullptr;
}

PLUGIN_EXPORT void __stdcall APCFolderClose(HWND window)
{
    // Put back while it still exists; it is not the next main window's to take.
    ChronelCall chronel;
    if (chronel && chronel->moved.Is(window))
        chronel->moved.PutBack(false);
    Loaded.FolderWindows.Remove(window);
}

PLUGIN_EXPORT void __stdcall APCFolderInitMenu(HWND window, HMENU menu, int kind)
{
    ChronelCall chronel;
    if (chronel && kind == FolderMenuBar)
        chronel->menus.Insert(Loaded.FolderWindows, window, menu, OnScheduleMenu, chronel->schedule.View(),
                              Loaded.Settings.ShortCut);
}

PLUGIN_EXPORT void __stdcall APCFolderLoad(int, int)
{
}

PLUGIN_EXPORT int __stdcall APCFolderEndRetrieve(int)
{
    ChronelCall chronel;
    // After clean-up the schedule is stopped.
    return static_cast<int>(chronel ? chronel->schedule.FolderEndRetrieve() : ScheduleModes::Stopped);
}

PLUGIN_EXPORT int __stdcall APCSendCreate(HWND window)
{
    if (!Loaded.Settings.UseReserve)
        return 0;
    // A posted window's record may outlive it, and the host may give its handle to this one.
    Loaded.SendWindows.Remove(window);
    return Loaded.SendWindows.Append(new (NoThrow) SendWindowRecord(window)) != nullptr;
}

PLUGIN_EXPORT void __stdcall APCSendClose(HWND window)
{
    if (!Loaded.Settings.UseReserve)
        return;
    auto* record = static_cast<SendWindowRecord*>(Loaded.SendWindows.Find(window));
    if (!record || !record->posted)
        RemindReservedAtClose(window);
    Loaded.SendWindows.Remove(window);
}

PLUGIN_EXPORT void __stdcall APCSendInitMenu(HWND, HMENU menu, int kind)
{
    if (Loaded.Settings.UseReserve)
        AddReserveMenuItem(menu, kind);
}

PLUGIN_EXPORT int __stdcall APCSendPost(HWND window, const char* path)
{
    if (!Loaded.Settings.UseReserve)
        return 1;
    // The records of posted windows the host has closed without a word go with their windows.
    for (WindowRecord *at = Loaded.SendWindows.head, *next; at; at = next) {
        next = at->next;
        if (at->window != window && static_cast<SendWindowRecord*>(at)->posted && !IsWindow(at->window))
            Loaded.SendWindows.Remove(at->window);
    }
    MarkPostedMessage(window, path);
    // Kept until the window closes, marked posted: the message is on its way, and the close must
    // not remind the user to send it.
    auto* record = static_cast<SendWindowRecord*>(Loaded.SendWindows.Find(window));
    if (!record)
        record = static_cast<SendWindowRecord*>(Loaded.SendWindows.Append(new (NoThrow) SendWindowRecord(window)));
    if (record)
        record->posted = true;
    return 1;
}
