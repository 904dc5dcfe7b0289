#pragma once
// Writing the store back to the registry, and the export file. Write errors are ignored.

#include "Settings.h"

// The fifteen main values; nothing of the schedule or the Server key.
int SaveSettings(const Settings& settings);
// The seven weekdays, Sunday first, then the six Server values. Reports success (1).
int SaveSchedule(const Settings& settings);
// Replaces the stored entries of one weekday by the list's, as data0, data1, ... Reports success (1).
int SaveDay(const ScheduleList& list, const char* dayName);
// Writes the record as a REGEDIT4 file, replacing any file of that name. 0 when the file could
// not be created or not written whole.
int ExportSettings(const Settings& settings, const char* path);
