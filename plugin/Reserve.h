#pragma once

#include <windows.h>

// Send-window side of the send reservation.
void AddReserveMenuItem(HMENU menu, int menuKind);
void RemindReservedAtClose(HWND sendWindow);
void MarkPostedMessage(HWND sendWindow, const char* path);
