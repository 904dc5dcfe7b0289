#pragma once
// The outbox scan: every account's outbox index, the header of each message that may still be
// held, and the release of those whose reservation is due at the scan's reference time.

#include "../common/pure/LineReader.h"  // ReadFileLine for index lines, ReadHeaderField for header fields
#include "../common/pure/MessageRewrite.h"  // RewriteReport
#include "../common/windows/FileHandle.h"  // FileCalls, CopyBuffer
#include "HeldBack.h"
#include "OutboxMemory.h"
#include "pure/DateLine.h"  // DateDraw

#include <cstddef>
#include <cstdint>

// What a scan releases and how: a reservation at or before ReferenceTime (the tick's minute) is
// due, and with ChangeDate a released message gets a new "Date:" line, its reservation moved at
// random by up to PreSec seconds earlier and PostSec seconds later (the settings of those names).
struct ReleaseRules {
    int32_t ReferenceTime;
    bool ChangeDate;
    int32_t PreSec;
    int32_t PostSec;
    // Releases held back (a stuck run): nothing is released, and a due message whose reservation
    // is later than HoldAfter is logged as held.
    bool Hold = false;
    int32_t HoldAfter = 0;
    // The moment the tick read, in 100 ns steps since 1601 (a file stamp's units): the scan
    // reads no clock of its own.
    uint64_t Moment = 0;
    // The host's mailbox folder as the tick read it; without one nothing is scanned.
    const char* Mailbox = nullptr;
};

// The outbox scan and all it keeps from one scan to the next, on the user-interface thread. Its
// file calls go through the table it is made with; its destruction gives back all it holds. The
// messages held back as damaged, and whether any scanner is scanning, are in the record it is
// handed (ScanKept), which outlives it.
class OutboxScanner {
public:
    OutboxScanner(const FileCalls& files, ScanKept& kept) : files_(files), kept_(kept) {}
    OutboxScanner(const OutboxScanner&) = delete;
    OutboxScanner& operator=(const OutboxScanner&) = delete;

    // Releases the reserved messages of every account's outbox that are due. True when at least
    // one was released.
    bool Scan(const ReleaseRules& rules);
    // Clean-up, also inside a scan (a host's mark that runs its message loop): the release under
    // way finishes, and no other message is released or marked after it.
    void Stop() { stopped_ = true; }
    // Rewrites the message file without its reservation (and with a new "Date:" line when the
    // rules say so), staged beside it and then put in its place. The file is left either as it
    // was or completely rewritten, short of a disk that fails in the middle of writing over a
    // message the host holds open; true when rewritten. report, when given, says how it went.
    bool RewriteMessage(const char* path, int32_t reservationTime, const ReleaseRules& rules,
                        RewriteReport* report = nullptr);

private:
    // One account directory (a name under the mailbox root); true when it released a message.
    bool ScanEntryList(const ReleaseRules& rules, const char* accountDir);
    bool LookAgain(const ReleaseRules& rules, const char* accountDir, const char* name, RememberedMessage* message,
                   bool lookAtStamp);
    // One outbox entry; true when its message was due and released. seen says what the message
    // held when it was read.
    bool CheckOutboxMessage(const ReleaseRules& rules, const char* accountDir, const char* entryName,
                            MessageReading* seen);

    const FileCalls files_;
    OutboxMemory memory_;
    // Also whether any scanner's scan is under way (see Scan).
    ScanKept& kept_;
    // The "Date:" lines' offsets: one generator, seeded before its first draw.
    DateDraw draw_;
    bool seeded_ = false;
    bool stopped_ = false;
    // The status window's count of its changes to the outbox, as last seen.
    DWORD editorChanges_ = 0;
};
