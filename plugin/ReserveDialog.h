#pragma once
// The reservation dialog (resource 101): date and time fields, reserve, cancel reservation, close.

#include <windows.h>

#include <cstdint>

struct ReserveFields {
    int year;
    int month;  // 1 to 12
    int day;
    int hour;
    int minute;
};

// Writes a choice (a time, or -1 for no reservation) into owner's message while dialog is still
// up; false when it could not, after saying so in a box owned by dialog.
typedef bool (*ReserveApply)(HWND owner, HWND dialog, int32_t chosen);

// Runs the dialog modally over owner, showing fields. A choice goes to apply before the dialog
// ends, so the message holds it as soon as the send window can be used again; one that apply
// could not write leaves the dialog open. Returns 1 when a choice was written, 0 when the dialog
// was closed without one.
int RunReserveDialog(HWND owner, const ReserveFields& fields, ReserveApply apply);
