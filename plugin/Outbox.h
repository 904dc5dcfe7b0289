#pragma once
// The outbox scan: every account's outbox index, the header of each message that may still be
// held, and the release of those whose reservation is due at the scan's reference time.

#include "pure/LineReader.h"  // ReadFileLine: index and header lines, at most limit - 1 bytes

#include <cstdint>

// What a scan releases and how: a reservation at or before ReferenceTime (the tick's minute) is
// due, and with ChangeDate a released message gets a new "Date:" line, its reservation moved at
// random by up to PreSec seconds earlier and PostSec seconds later (the settings of those names).
struct ReleaseRules {
    int32_t ReferenceTime;
    bool ChangeDate;
    int32_t PreSec;
    int32_t PostSec;
};

// Releases the reserved messages of every account's outbox that are due. True when at least one
// was released.
bool ScanOutbox(const ReleaseRules& rules);
// One account directory (a name under the mailbox root); true when it released a message.
bool ScanEntryList(const ReleaseRules& rules, const char* accountDir);
// One outbox entry; true when its message was due and released.
bool CheckOutboxMessage(const ReleaseRules& rules, const char* accountDir, const char* entryName);
// Rewrites the message file without its reservation (and with a new "Date:" line when the rules
// say so), staged beside it and then put in its place. The file is left either as it was or
// completely rewritten, short of a disk that fails in the middle of writing over a message the
// host holds open; true when rewritten.
bool RewriteMessage(const char* path, int32_t reservationTime, const ReleaseRules& rules);
