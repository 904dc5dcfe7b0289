#pragma once
// The small dialog layer the editor's dialog and pages derive from: a window procedure that
// forwards to virtual handlers, and data exchange between members and controls.

#include "DataExchange.h"

#include <windows.h>

// The module whose resources the editor shows (chronset.dll itself).
HINSTANCE EditorModule();

class CDialog {
public:
    explicit CDialog(int templateId) : templateId_(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; IDOK or IDCANCEL, -1 when it could not be shown.
    INT_PTR DoModal(HWND owner);
    HWND Handle() const { return window_; }

    // Controls to members (save) or members to controls. False when a field failed.
    bool UpdateData(bool save);

protected:
    virtual void DoDataExchange(CDataExchange&) {}
    // Default: members to controls.
    virtual BOOL OnInitDialog();
    // Default: read and validate, then close with IDOK.
    virtual void OnOK();
    virtual void OnCancel();
    // True when handled.
    virtual bool OnCommand(int id, int code);
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    // Any other message (WM_DESTROY, the dialog's own); true when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void EnableItem(int id, bool enable) { EnableWindow(Item(id), enable ? TRUE : FALSE); }
    // The item data of the highlighted row of list view listId; false when no row is highlighted.
    bool SelectedRowData(int listId, LPARAM* data) const;
    // Lets the spin button's arrows go over the range's least to spinMost.
    void SetSpinRange(int spinId, const ValueRange& range) const;
    // True while members are being written into the controls: the change notifications that
    // causes are not user edits.
    bool Loading() const { return loading_; }

    // Routes one message to the handlers above; shared with the property page's procedure.
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND window_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool loading_ = false;
};
