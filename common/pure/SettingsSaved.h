#pragma once
// How the editor tells the running plug-in that a page has saved settings, so that an Apply takes
// effect while the sheet stays open. The plug-in loads the editor itself and runs its sheet on the
// host's user-interface thread; while the sheet is open it keeps a message-only window of the
// system's dialog class (WC_DIALOG) with the title below on that thread, and the editor posts it
// SETTINGS_SAVED_MESSAGE after each save. Posted, the message arrives once the Apply has been
// written, and before the host's next timer tick (a timer's message comes only when no posted
// message waits). Plain macros: the plug-in's resource script holds the title as a string.

#define SETTINGS_SAVED_TITLE "ChronelPlugSettingsSaved"
#define SETTINGS_SAVED_MESSAGE (0x8000 + 1)  // WM_APP + 1, private to the window
