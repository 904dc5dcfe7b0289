#pragma once
// The last clock adjustment's outcome under HKCU\Software\Quor\ChronelPlug\Status, written by
// whichever library ran the exchange and read by the editor:
//   Time        REG_SZ     local date and time the exchange ended, "2026/12/07 07:00:02"
//   Server      REG_SZ     the server as given
//   Result      REG_DWORD  an SntpResult number
//   Detail      REG_DWORD  the system's error code, or a kiss-o'-death reply's four letters
//   Correction  REG_QWORD  the measured offset in milliseconds, signed (0 when none was measured)

#include "../pure/SntpOutcome.h"

// Replaces the stored outcome; write errors are ignored.
void WriteSntpStatus(const SntpOutcome& outcome);
// Reads the stored outcome; false when there is none or its Result or Time is missing or unreadable.
bool ReadSntpStatus(SntpOutcome* outcome);
