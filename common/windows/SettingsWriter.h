#pragma once
// Writing the store back to the registry, and the export file.
//
// Each operation returns 1 when everything was written and 0 when something failed; *error (when
// given) then holds the Win32 error of the first failure, for the user to be told.

#include "../pure/Settings.h"

#include <windows.h>

// The fifteen main values; nothing of the schedule or the Server key. A failing value does not
// stop the others.
int SaveSettings(const Settings& settings, DWORD* error = nullptr);
// The seven weekdays, Sunday first, then the six Server values. A failing day does not stop the
// others.
int SaveSchedule(const Settings& settings, DWORD* error = nullptr);
// Replaces the stored entries of one weekday by the list's, as data0, data1, ... The new entries
// are written first and the surplus ones removed only when all of them were: a failing registry
// keeps the old entries beyond what was written.
int SaveDay(const ScheduleList& list, const char* dayName, DWORD* error = nullptr);
// Writes the record as a REGEDIT4 file in place of any file of that name. The whole text is built
// first and written beside the target before it takes the target's place, so a failed export
// leaves an existing file as it was.
int ExportSettings(const Settings& settings, const char* path, DWORD* error = nullptr);
