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

// Runs the dialog modally over owner, showing fields. Returns 1 with *result the chosen time (or
// -1 for no reservation), 0 when it was closed without a choice.
int RunReserveDialog(HWND owner, const ReserveFields& fields, int32_t* result);
