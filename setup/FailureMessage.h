#pragma once
// The editor's message for something it could not do, with the system's text for the reason.

#include <windows.h>

// A message box owned by owner (the sheet; none when it is gone): what went wrong, an optional
// second line (the file concerned), then the system's text for error.
void ShowFailure(HWND owner, const char* title, const char* what, const char* detail, DWORD error);
