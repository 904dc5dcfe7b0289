#pragma once
// Send-window side of the send reservation: the menu item, the reservation command, the marks
// of a posted message and the reminder at close.

#include <windows.h>

void AddReserveMenuItem(HMENU menu, int menuKind);
void RemindReservedAtClose(HWND sendWindow);
void MarkPostedMessage(HWND sendWindow, const char* path);
// The host calls it when the user chooses "送信予約" in a send window.
int __stdcall ReserveCommand(HWND sendWindow, LPARAM value);

// Whether a byte of a path starts a double-byte character.
using LeadByteRule = bool (*)(unsigned char);
// Paths come from the file system in the system's code page, not always 932: a folder named
// "Zoë" on a Western system has a byte that code page 932 would take for a lead byte.
bool SystemLeadByte(unsigned char c);
// The mail identifier of a posted message: path relative to the mailbox root without ".qpm".
// False when path does not lie under root (compared ignoring ASCII case, double-byte characters
// by isLead) or lacks the ending.
bool PostedMailId(const char* path, const char* root, char* id, size_t size, LeadByteRule isLead = SystemLeadByte);
// PostedMailId over the paths as Windows reads them (full, long names, "\" alone between names,
// letters compared in upper case by the system's code page), over the paths as given when that
// fails.
bool FindPostedMailId(const char* path, const char* root, char* id, size_t size);
// The mark handed to the host for a reserved message: ReserveMark when it is a mark (0 to 7),
// none otherwise, so that no other flag bit is ever set by it.
unsigned long ReserveMarkBits(long reserveMark);
