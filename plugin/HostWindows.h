#pragma once
// The host's windows as the plug-in drives them: its main frame, its dialogs, its connection
// item and the main window's placement during a scheduled run.

#include <windows.h>

// True when the window is the host's main frame, told by its title.
bool IsHostMainWindow(HWND window);
// The host dialog a walk answered.
enum class AnsweredDialog { None = 0, ErrorDialog = 1, ReceiveDialog = 2, DisconnectDialog = 3 };

// Answers the first host dialog met among the top-level windows (cancel, or yes to the disconnect
// question) and says which it answered; a dialog of another owner ends the walk unanswered. An
// error dialog's message (as a message box holds it) goes into errorText (size bytes, "" when none).
AnsweredDialog AnswerHostDialogs(char* errorText = nullptr, size_t size = 0);
// Posts the command to the main window (MainWindow), when there is one.
void PostToMainWindow(HWND main, WPARAM command);
// True while the host's connection item of the main window offers to disconnect.
bool IsConnected(HWND main);

// The main window a run moved off the screen, until it is put back, with how the run found it and
// its placement then.
class MovedWindow {
public:
    // Brings a hidden or minimised main window to a normal placement off the screen, and
    // remembers it with its placement and how it was shown until it is put back.
    void RestoreOffScreen(HWND main);
    // Puts the window a run moved back as the run found it, from every way a run ends. viaTray: a
    // window that was hidden goes back through the host's to-tray command (not while the host
    // closes it or unloads the plug-in, where only its placement is put back).
    void PutBack(bool viaTray);
    // True when the window is the one a run moved off the screen and has not yet put back.
    bool Is(HWND window) const;

private:
    HWND window_ = nullptr;
    bool wasHidden_ = false;
    bool wasIconic_ = false;
    WINDOWPLACEMENT saved_;  // written by RestoreOffScreen before window_ is set
};
