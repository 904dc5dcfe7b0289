#pragma once

#include "../pure/Owned.h"
#include "../pure/Settings.h"

// Access used for every key, by readers and writers alike.
constexpr REGSAM SettingsKeyAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

// Each of these is empty when the key cannot be had; *status (when given) then holds the
// registry's reason.
// HKCU\Software\Quor\ChronelPlug, creating Quor and ChronelPlug.
RegKey OpenSettingsKey(LONG* status = nullptr);
// Creates (or opens) name under parent.
RegKey CreateSubKey(HKEY parent, const char* name, LONG* status = nullptr);
// HKCU\...\ChronelPlug\Schedule\<dayName>, creating what is missing.
RegKey OpenDayKey(const char* dayName, LONG* status = nullptr);

// Reading: a missing key or value leaves the default. All report success (1).
int LoadSettings(Settings& settings);
int LoadSchedule(Settings& settings);
int LoadDay(ScheduleList& list, const char* dayName);

// Reads at most four bytes of value name over *field, whatever its stored type; a missing or
// unreadable value leaves *field as it was.
void ReadNumber(HKEY key, const char* name, int32_t* field);
