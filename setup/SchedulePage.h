#pragma once
// Page 0: the week's schedule one weekday at a time, and the daily connect and disconnect times.
// Edits the record's lists and Server fields in place; the apply step stores them.

#include "ImageList.h"
#include "PropertyPage.h"

#include "../common/pure/Settings.h"

class CScheduleDetailDialog;

class CSchedulePage : public CPropertyPage {
public:
    CSchedulePage();
    Settings* settings = nullptr;  // lent by the sheet

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnApply(DWORD* error) override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    int SelectedDay() const;
    void FillList(int day);
    // The entry of the first row that holds the focus state, or none.
    ScheduleEntry* CurrentEntry() const;
    void EnableConnectRow();
    void EnableDisconnectRow();
    INT_PTR ShowDetail(CScheduleDetailDialog& dialog);
    void AddCommand();
    void EditCommand();
    void DeleteCommand();
    // The list's own procedure, under one that lets Enter reach the list while a row has the
    // focus: Enter edits that row instead of pressing the sheet's OK.
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

    ImageListHandle images_;
    WNDPROC listProc_ = nullptr;
};
