#pragma once
// Measurements for the benchmarks and the long run: the cost of the plug-in's timer against the
// clock it reads, start-up and editor times, and the process's resource counts.

#include <cstdint>
#include <string>

// "measure": time start-up and every call of the plug-in's timer, reported at exit.
// "load-cycles N": before start-up, load and free the plug-in N times, then Plugins\chronset.dll
// N times, with the resource counts before, after the first cycle and after the last.
bool ApplyMeasureOption(const std::string& line);
// The load cycles asked for, if any.
void RunLoadCycles();
// "stats [LABEL]": handle, GDI and USER counts and private bytes to the log.
// "setup-cancel": opens the settings, presses Cancel as soon as the sheet is up, logs the times.
bool RunMeasureAction(const std::string& line);

// Logs the process's kernel handle, GDI and USER object counts and private bytes.
void LogProcessStats(const std::string& label);

// Calls a timer of the plug-in once, timed when measuring.
typedef int(__stdcall* PluginTimerProc)(int, int);
void CallPluginTimer(PluginTimerProc proc);

// A moment for MeasureSince (performance counter).
int64_t MeasureNow();
// Logs "bench: WHAT N us" when measuring.
void MeasureSince(const char* what, int64_t started);
// Logs the timer figures gathered so far when measuring.
void ReportMeasurements();
