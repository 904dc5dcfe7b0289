#pragma once

// The hour and minute of the system's local clock. chronel reads the clock only through
// kernel32 (so a host can substitute its own); the native build reads the C library clock.
void LocalClockHourMinute(int* hour, int* minute);
