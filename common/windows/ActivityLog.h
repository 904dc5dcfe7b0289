#pragma once
// chronel's log file: "chronel.log" in the user's application-data folder under
// Quor\ChronelPlug, with "chronel.old.log" as the one older generation. Both libraries write to
// it (chronel its events, the editor the clock adjustments it runs); a named mutex keeps their
// writes, and those of other processes, from interleaving or both moving the file aside. Nothing
// here is ever reported: a log that cannot be written changes nothing else.

#include <windows.h>

#include <cstddef>

#include "../pure/LogText.h"
#include "../pure/SntpOutcome.h"

// The log's full path into path (size bytes); with createFolder the folders are made as needed.
// False when the application-data folder is not known or the path does not fit.
bool ActivityLogPath(char* path, size_t size, bool createFolder);

// Adds whole lines (each ended by CR LF) at the end of the log, first moving a full log aside.
// May wait for another writer: never call it on the host's user-interface thread.
bool AppendActivityLog(const char* lines, size_t length);

// The local clock now (kernel32's, which a host may substitute), as a log line's stamp.
LogStamp LocalLogStamp();

// Stamps message with the local clock and adds it at once: for threads that may wait.
void WriteActivityLogLine(const char* message);

// The end of one clock adjustment, written at once from the thread that ran it; manual for one
// the editor's button started.
void LogClockAdjusted(const SntpOutcome& outcome, bool manual);

// chronel's log cannot be written: the system's error code as LogFailure (REG_DWORD) under the
// settings key, for the editor to show; 0 removes it once a write succeeds again.
void PublishLogFailure(unsigned long error);
// The published error, 0 when the log was last written.
unsigned long ReadLogFailure();
