#pragma once
// The lines of chronel's log: plain text in the ANSI code page, one event per line, each
// beginning with the local date and time. No platform code.

#include <cstddef>

class TextBuffer;

// The local date and time as "2026/12/07 07:00:02".
void AppendDateTime(TextBuffer& out, int year, int month, int day, int hour, int minute, int second);

struct LogStamp {
    int year, month, day, hour, minute, second;
};

// "2026/12/07 07:00:02 message" and CR LF. A line break or other control byte inside message
// (a server name, a file name) becomes a blank, so that one event stays one line.
void AppendLogLine(TextBuffer& out, const LogStamp& at, const char* message);

// The log is kept below this size: a write that would pass it first moves the file aside as the
// older generation, replacing the one before.
constexpr unsigned long ActivityLogLimit = 256 * 1024;
// Should the move aside fail (a viewer holding the file without letting it be renamed), lines are
// still added up to this size, and then left out until the move succeeds.
constexpr unsigned long ActivityLogHardLimit = ActivityLogLimit + 64 * 1024;

enum class LogRoom { Append, MoveAsideFirst, Full };
// What a write of adding bytes to a log of size bytes must do; moveFailed after a failed move.
LogRoom RoomForLogWrite(unsigned long long size, size_t adding, bool moveFailed);
