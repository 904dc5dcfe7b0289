#pragma once
// Page 1: timer start, the menu shortcut letter, window restoring, sorting, and the export command.

#include "PropertyPage.h"

#include "../common/pure/Settings.h"

#include "../common/pure/TextBuffer.h"

class CChronelPage : public CPropertyPage {
public:
    CChronelPage();
    Settings* settings = nullptr;  // lent by the sheet

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnApply(DWORD* error) override;
    bool OnCommand(int id, int code) override;

private:
    void ExportCommand();

    int autoStart_ = 0;
    TextBuffer shortCut_{"X"};
    int noNormal_ = 0;
    int autoDistribute_ = 0;
};

// Opens chronel's log in the program the system has for it (Notepad when none), or says why not.
void OpenActivityLog(HWND owner);
