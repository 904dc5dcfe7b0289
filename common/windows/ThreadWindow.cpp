#include "ThreadWindow.h"

#include <cstring>

namespace {

struct CaptionSearch {
    const char* caption;
    HiddenWindows hidden;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    if (search->hidden == HiddenWindows::Skip && !IsWindowVisible(window))
        return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(title, search->caption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindThreadWindow(const char* caption, HiddenWindows hidden)
{
    CaptionSearch search{caption, hidden, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void BringWindowForward(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(window));
}
