#pragma once
// Finding the settings editor, chronset.dll, for APCSetup.

#include "../common/pure/Owned.h"

// Loads the editor by full path: from the folder of the host's executable as
// "Plugins\chronset.dll", "Setup\chronset.dll" and "chronset.dll", in that order, then from the
// folder of plugin (this library). Never through the system's library search, which would also
// take a chronset.dll from the current directory (a file dialog may have moved it anywhere) or
// from PATH. Empty when none loads.
Library LoadSettingsEditor(HMODULE plugin);
// Tells the user that the editor could not be loaded (right after LoadSettingsEditor, whose last
// error it reads), and where it was looked for.
void ReportEditorNotLoaded(HMODULE plugin, HWND owner, const char* title);

// Brings the sheet of the loaded editor, a top-level window of this thread, to the front (the
// dialog it shows over itself, if any), restored when minimised. False when none is found.
bool BringEditorSheetForward(HMODULE editor);

// While the editor's sheet is open: a message-only window of this thread, which the editor tells
// after each save (common/SettingsSaved.h); onSaved then runs on this thread. None when it cannot
// be made: the settings are then taken when the sheet closes.
HWND OpenSettingsSavedWindow(HMODULE plugin, void (*onSaved)());
void CloseSettingsSavedWindow(HWND window);

// The status item's command: the status window of the settings editor.
int __stdcall OnStatusMenu(HWND window, LPARAM value);
