#pragma once
// What stays for as long as the library is loaded, touched only on the host's user-interface
// thread: its module, and the record the host's contract keeps from clean-up to unload (the
// settings, the host's windows the plug-in has been told of, the editor and modal loops still
// open). What lives from start-up to clean-up is the Chronel object's (Chronel.h).

#include "../common/pure/Settings.h"
#include "HeldBack.h"
#include "WindowList.h"

#include <windows.h>

extern HINSTANCE PluginModule;

struct LoadedRecord {
    ::Settings Settings;
    WindowList FolderWindows;
    WindowList SendWindows;
    // chronel's modal loops running now (ModalLoop).
    int OpenLoops = 0;
    // From the host's clean-up to its next start-up chronel does nothing, whatever an editor's
    // sheet still open saves, and a modal loop that ends drops its hold on the library last.
    bool CleanedUp = false;
    // The editor while its sheet is open. The sheet has no owner, so the host's menu stays usable
    // and may open the settings again; a second sheet would write its stale record over what the
    // first one saved.
    HMODULE OpenEditor = nullptr;
    // What a save the editor reports runs, while its sheet is open.
    void (*SavedHandler)() = nullptr;
    // What the outbox scan keeps from one scanner to the next.
    ScanKept Scan = {};
};
// Constructed when the library loads, destroyed after detach.
extern LoadedRecord Loaded;

// The first folder window the host reported, or none while there is no folder window.
inline HWND MainWindow(const WindowList& folders)
{
    return folders.head ? folders.head->window : nullptr;
}
