#include "HostWindows.h"

#include "Menu.h"
#include "../contract/Quillpost.h"

#include <cstring>

namespace {

struct HostDialog {
    const char* title;
    WPARAM answer;
    AnsweredDialog answered;
};
// In the order the titles are compared.
const HostDialog HostDialogs[] = {
    {ErrorDialogTitle, IDCANCEL, AnsweredDialog::ErrorDialog},
    {ReceiveDialogTitle, IDCANCEL, AnsweredDialog::ReceiveDialog},
    {DisconnectDialogTitle, IDYES, AnsweredDialog::DisconnectDialog},
};

struct DialogWalk {
    AnsweredDialog answered;
    char* text;  // the error dialog's text, size bytes; none when not wanted
    size_t size;
};

// walkParam: the DialogWalk.
BOOL CALLBACK AnswerIfHostDialog(HWND window, LPARAM walkParam)
{
    auto* walk = reinterpret_cast<DialogWalk*>(walkParam);
    char title[1024] = "";
    GetWindowTextA(window, title, sizeof title);
    for (const HostDialog& dialog : HostDialogs) {
        if (std::strcmp(title, dialog.title) != 0)
            continue;
        if (IsHostMainWindow(GetParent(window))) {
            // Read before the answer closes it: a message box keeps its text in control 0xFFFF.
            if (walk->text && dialog.answered == AnsweredDialog::ErrorDialog)
                GetDlgItemTextA(window, 0xFFFF, walk->text, static_cast<int>(walk->size));
            PostMessageA(window, WM_COMMAND, dialog.answer, 0);
            walk->answered = dialog.answered;
        }
        return FALSE;  // any window with one of the titles ends the walk
    }
    return TRUE;
}

}  // namespace

bool IsHostMainWindow(HWND window)
{
    if (!window)
        return false;
    char title[1024] = "";
    GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(title, MainFrameTitle) == 0)
        return FindWindowExA(window, nullptr, MainFrameViewClass, nullptr) != nullptr;
    size_t length = std::strlen(title);
    size_t suffix = std::strlen(MainFrameSuffix);
    return length > suffix && std::strcmp(title + length - suffix, MainFrameSuffix) == 0;
}

AnsweredDialog AnswerHostDialogs(char* errorText, size_t size)
{
    DialogWalk walk{AnsweredDialog::None, size ? errorText : nullptr, size};
    if (walk.text)
        walk.text[0] = '\0';
    EnumWindows(AnswerIfHostDialog, reinterpret_cast<LPARAM>(&walk));
    return walk.answered;
}

void PostToMainWindow(HWND main, WPARAM command)
{
    if (main)
        PostMessageA(main, WM_COMMAND, command, 0);
}

bool IsConnected(HWND main)
{
    HMENU submenu = PluginSubmenu(main);
    if (!submenu)
        return false;
    SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), 0);
    char caption[128] = "";
    GetMenuStringA(submenu, HostCmdConnection, caption, sizeof caption, MF_BYCOMMAND);
    return std::strcmp(caption, ConnectedCaption) == 0;
}

void MovedWindow::RestoreOffScreen(HWND main)
{
    // A window still off the screen from an earlier run keeps the placement saved then.
    if (!main || window_)
        return;
    saved_.length = sizeof saved_;
    GetWindowPlacement(main, &saved_);
    WINDOWPLACEMENT offScreen = saved_;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    offScreen.rcNormalPosition.left = screenWidth + 10;
    offScreen.rcNormalPosition.right = screenWidth;
    offScreen.showCmd = SW_HIDE;
    if (!IsWindowVisible(main)) {
        wasHidden_ = true;
        SetWindowPlacement(main, &offScreen);
        if (HWND tray = FindWindowA(TrayWindowClass, nullptr)) {
            SendMessageA(tray, TrayIconMessage, 1, WM_LBUTTONDBLCLK);
            SendMessageA(tray, TrayIconMessage, 1, WM_LBUTTONUP);
        }
    }
    if (IsIconic(main)) {
        wasIconic_ = true;
        SetWindowPlacement(main, &offScreen);
        SendMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    if (wasHidden_ || wasIconic_)
        window_ = main;
}

void MovedWindow::PutBack(bool viaTray)
{
    HWND window = window_;
    window_ = nullptr;
    if (window && IsWindow(window)) {
        if (wasIconic_) {
            ShowWindow(window, SW_HIDE);
            SetWindowPlacement(window, &saved_);
            ShowWindow(window, SW_SHOW);
        }
        if (wasHidden_) {
            if (viaTray)
                SendMessageA(window, WM_COMMAND, HostCmdToTray, 0);
            saved_.showCmd = SW_HIDE;
            SetWindowPlacement(window, &saved_);
        }
    }
    wasHidden_ = false;
    wasIconic_ = false;
}

bool MovedWindow::Is(HWND window) const
{
    return window && window == window_;
}
