#pragma once
// The outbox scan: every account's outbox index, the header of each message that may still be
// held, and the release of those whose reservation is due at ReferenceTime.

#include "LineReader.h"  // ReadFileLine: index and header lines, at most limit - 1 bytes

#include <cstdint>

// Releases the reserved messages of every account's outbox that are due at ReferenceTime.
// True when at least one was released.
bool ScanOutbox();
// One account directory (a name under the mailbox root); true when it released a message.
bool ScanEntryList(const char* accountDir);
// One outbox entry; true when its message was due and released.
bool CheckOutboxMessage(const char* accountDir, const char* entryName);
// Rewrites the message file without its reservation (and with a new "Date:" line when ChangeDate
// is set), staged beside it and then put in its place. The file is left either as it was or
// completely rewritten, short of a disk that fails in the middle of writing over a message the
// host holds open; true when rewritten.
bool RewriteMessage(const char* path, int32_t reservationTime);
