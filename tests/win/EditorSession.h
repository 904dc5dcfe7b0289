#pragma once
// Runs the real settings editor (chronset.dll's SetUpChronel) on a thread of its own, so that a
// test can drive its windows as a user would: find them, click, type, and read them back.
// Every wait has a time-out; the destructor closes whatever is still open.

#include <windows.h>

#include <string>

namespace testing_support {

class EditorSession {
public:
    // Loads <build>/host/Plugins/chronset.dll, starts SetUpChronel and waits for the sheet.
    EditorSession();
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    HWND Sheet() const { return sheet_; }
    // Selects tab index as a click on it would (the page being left is validated first) and
    // returns the page now current.
    HWND ShowPage(int index);
    HWND CurrentPage() const;
    // The sheet's Apply button (its enabled state is the pages' changed mark).
    HWND ApplyButton() const;
    // Presses OK, Cancel or Apply (PSBTN_...). Pressing goes through the sheet's own command.
    void Press(int button);
    // Posts a press, for a press that is expected to open a message box.
    void PressLater(int button);
    // SetUpChronel's result once the sheet has closed; -1 when it did not close in time.
    int WaitForResult(DWORD timeoutMs = 15000);

    // A top-level window of the editor's thread with this title (CP932), or none after the time-out.
    HWND WaitForWindow(const char* title, DWORD timeoutMs = 15000) const;
    // A dialog of the editor's thread other than the sheet (the file dialog), or none.
    HWND WaitForOtherDialog(DWORD timeoutMs = 15000) const;
    // A shown window of the editor's thread owned by owner (a question a dialog asks), or none.
    HWND WaitForOwnedWindow(HWND owner, DWORD timeoutMs = 15000) const;
    // Answers a dialog or message box with a button and waits until it has gone.
    bool Answer(HWND dialog, int id, DWORD timeoutMs = 15000) const;
    DWORD ThreadId() const { return threadId_; }
    // The control that has the keyboard focus in the editor's thread.
    HWND Focus() const;
    // The focus once it is want, or as it is after timeoutMs: a box's owner takes the focus back
    // only after the box has gone, on the editor's own thread; a sheet left inactive is activated.
    HWND WaitForFocus(HWND want, DWORD timeoutMs = 15000) const;
    // Types a path into the export's file dialog and confirms it.
    bool ChooseFile(const std::string& path) const;

private:
    static DWORD WINAPI Run(void* self);

    HMODULE module_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND sheet_ = nullptr;
    int result_ = -1;
};

// User actions on controls.
void Click(HWND dialog, int id);         // a click on a button or check box (sent)
void ClickLater(HWND dialog, int id);    // the same, posted: for a click that opens a modal window
void Type(HWND dialog, int id, const std::string& text);  // replaces the field's text as typing does
// A key pressed on a control of a page: it takes the focus, and the key goes through the sheet's
// loop and dialog manager as the keyboard's would.
void PressKey(HWND control, int key);
// A click of the mouse on the middle of a window (a control) or of a rectangle of it, through the
// system's input as a user's own click: it reaches only what is enabled and not covered.
void UserClick(HWND window);
void UserClick(HWND window, const RECT& clientRect);
std::string Text(HWND dialog, int id);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool Visible(HWND dialog, int id);

// The schedule page's list.
int RowCount(HWND page);
std::string Cell(HWND page, int row, int column);
int RowImage(HWND page, int row);
// Gives the row with this label the focus and selection, as a click on it does; false when none.
bool SelectRow(HWND page, const std::string& label);
// Selects a weekday tab (0 Sunday) as a click on it does.
void SelectWeekday(HWND page, int day);

}  // namespace testing_support
