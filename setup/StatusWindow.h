#pragma once
// The "chronel の状況" window: the schedule's state, its next event and the last clock
// adjustment at the top; the reserved messages of every outbox and the log's recent lines below,
// each on a tab of its own.

#include "Dialog.h"
#include "HeldMessages.h"

class CStatusWindow : public CDialog {
public:
    CStatusWindow() : CDialog(IddStatus) {}

    // Shows the window, one at a time: a window already open on this thread comes to the front.
    static void Show();

protected:
    BOOL OnInitDialog() override;
    // Enter in a list does not close the window; Esc and 閉じる do.
    void OnOK() override {}
    bool OnCommand(int id, int code) override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    static constexpr int IddStatus = 400;
    void ShowTop();
    void FillHeld();
    void FillLog();
    void ShowTab(int tab);
    // The selected row's message, or null.
    const HeldMessage* Selected() const;
    void SendNow();
    void ChangeMoment();
    void Enable();
    // False, after telling the user and reading the list again, when the message is no longer held.
    bool StillHeld(const HeldMessage& message);
    void Fail(const char* what, ChangeResult result, const char* kept);

    HeldMessages held_;
    const char* root_ = nullptr;
};
