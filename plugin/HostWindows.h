#pragma once
// The host's windows as the plug-in drives them: its main frame, its dialogs, its connection
// item and the main window's placement during a scheduled run.

#include <windows.h>

// True when the window is the host's main frame, told by its title.
bool IsHostMainWindow(HWND window);
// Answers the first host dialog met among the top-level windows (cancel, or yes to the disconnect
// question) and records which in AnsweredDialog; a dialog of another owner ends the walk unanswered.
void AnswerHostDialogs();
// True while the host's connection item offers to disconnect.
bool IsConnected();
// Brings a hidden or minimised main window to a normal placement off the screen, and remembers it
// as MovedWindow with its placement.
void RestoreOffScreen();
// Puts MovedWindow back as the run found it, from every way a run ends. viaTray: a window that
// was hidden goes back through the host's to-tray command (not while the host closes it or
// unloads the plug-in, where only its placement is put back).
void PutBackMovedWindow(bool viaTray);
