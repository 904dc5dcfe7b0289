#pragma once
// What the outbox scan remembers from one minute to the next, so that a mailbox where nothing
// changed costs a look at each account's index and a few messages' stamps instead of every waiting
// message's header: per account the index's size and last-write time, per message that is not
// queued the moment it waits for with the file's size and last-write time. A message is opened
// again when its moment comes (and read again then, never released on what was remembered), when
// it could not be read, when its stamp was too fresh to be trusted, or when its stamp changed:
// every stamp of an account whose index changed is looked at, and of an unchanged one a share each
// scan in turn, so that the scan's cost stays flat however many messages wait.
// Everything lives on the user-interface thread, in the scanner's OutboxMemory; its destruction
// gives all of it back.

#include <cstddef>
#include <cstdint>

struct FileStamp {
    uint64_t size = 0;
    uint64_t written = 0;  // last-write time, in 100 ns steps
};

// The file's stamp; false when it cannot be had.
bool StampOf(const char* path, FileStamp* stamp);
// True when the file's stamp is not the one known (or cannot be had).
bool StampChanged(const char* path, const FileStamp& known);

// What one reading of a message found, from its stamp taken before it was opened.
struct MessageReading {
    bool read = false;  // the header was read through
    FileStamp stamp;
    int64_t due = 0;  // the first reservation, or NeverDue without one
};

constexpr int64_t NeverDue = INT64_MAX;
// A message that could not be read is opened at every scan, as one that is due.
constexpr int64_t AlwaysDue = INT64_MIN;

struct RememberedMessage {
    uint32_t name;  // offset of its name in the account's names
    uint32_t line;  // a digest of its index line
    int64_t due;    // AlwaysDue as well while its stamp is too fresh to show a change
    FileStamp stamp;
};

struct RememberedAccount {
    char* dir;
    FileStamp index;
    bool settled;  // the index's stamp can be trusted: the same stamp means the same index
    unsigned scan;  // the last scan that listed it
    RememberedMessage* messages;
    int count;
    char* names;
    uint32_t nameBytes;
    int sweep;  // the message whose stamp is looked at next
};

// True when the account was remembered with a settled index stamp and this is the same.
bool AccountUnchanged(const RememberedAccount* account, const FileStamp& index);
// The message of that name among those remembered, looked for from *cursor on (where the last
// one was found): indexes change at their end, so the walk seldom goes far.
const RememberedMessage* FindRemembered(const RememberedAccount& account, const char* name, int* cursor);

// What the scans of one mailbox remember, bounded all accounts together.
class OutboxMemory {
public:
    OutboxMemory() = default;
    ~OutboxMemory() { Forget(); }
    OutboxMemory(const OutboxMemory&) = delete;
    OutboxMemory& operator=(const OutboxMemory&) = delete;

    // Starts a scan, at the moment given (100 ns steps since 1601), of the mailbox the pattern
    // lists: forgets a mailbox other than the last one's.
    void Begin(const char* pattern, uint64_t moment);
    // Forgets the accounts the scan did not list.
    void End();
    // How many stamps of an unchanged account's messages a scan looks at: some 4,000 for all
    // accounts together (some 25 ms under Wine). A message rewritten in place under an unchanged
    // index, a reservation moved earlier, is seen at the next scan while no more wait, and else
    // within as many minutes as there are thousands of them waiting, in turn.
    int StampsPerAccount() const;
    // The account's record, made when new; null when it cannot be had (short of memory, or past
    // the bound on what is remembered): the account is then read whole at every scan.
    RememberedAccount* AccountOf(const char* dir);
    // A stamp taken at this scan that is old enough that a change after it gives another stamp:
    // file systems keep last-write times as coarse as 2 s (FAT), and a clock moved back may stamp
    // a file written later with an earlier time.
    bool StampSettled(const FileStamp& stamp) const;
    // The remembered moment of a message read again: what that reading found, or (released) none
    // until its account changes.
    void RememberReading(RememberedMessage* message, const MessageReading& reading, bool released) const;
    // Gives back everything remembered: when the mailbox moves, and when the editor changed it.
    void Forget();

private:
    friend class RememberedList;
    static constexpr int MaxAccounts = 64;
    static constexpr size_t PatternSize = 2048;

    void FreeMessages(RememberedAccount* account);
    void FreeAccount(int at);

    char pattern_[PatternSize] = {};
    RememberedAccount* accounts_[MaxAccounts] = {};
    int accountCount_ = 0;
    unsigned scanCount_ = 0;
    uint64_t scanStarted_ = 0;
    int messagesHeld_ = 0;
    uint32_t nameBytesHeld_ = 0;
};

// The account's messages as one reading of its index finds them, built aside and taking the old
// ones' place only when whole.
class RememberedList {
public:
    RememberedList(OutboxMemory& memory, RememberedAccount* account);
    ~RememberedList();
    RememberedList(const RememberedList&) = delete;
    RememberedList& operator=(const RememberedList&) = delete;

    // The message of that name and index line, as known (a copy) or, new or with another line,
    // opened at once; while the list cannot be built, a record of the list's own.
    RememberedMessage* Add(const char* name, const char* line, const RememberedMessage* known);
    // Puts the list in the account's place with the index's stamp (settled when it is and the
    // index was read through); an account whose list could not be built whole keeps nothing and is
    // read whole at the next scan.
    void Commit(const FileStamp& index, bool settled);

private:
    OutboxMemory& memory_;
    RememberedAccount* account_;
    RememberedMessage* messages_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    char* names_ = nullptr;
    uint32_t used_ = 0;
    uint32_t room_ = 0;
    bool failed_ = false;
    RememberedMessage spare_;
};
