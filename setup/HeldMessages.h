#pragma once
// The reserved messages the host's outbox holds, as the status window lists them: read from every
// account's index and the headers of the entries not yet queued, as the plug-in's scan reads them,
// without changing a mark or a file. And the change of a message's reservation, written whole
// beside the message before it takes its place, as a release's rewrite is.

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct HeldMessage {
    int32_t moment;      // the reservation; unreadable messages have none
    bool readable;
    // Whole names, as long as the file system's: a name cut short names another file, and entry
    // names repeat from one account to the next.
    char account[MAX_PATH];
    char entry[MAX_PATH];
    char subject[128];
    char to[128];
    char why[96];        // unreadable: the reason
};

class HeldMessages {
public:
    HeldMessages() = default;
    ~HeldMessages();
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    // Reads them anew from the mailbox folder root (ending in a separator), sorted by moment, the
    // unreadable last. False when the folder cannot be listed.
    bool Read(const char* root);
    size_t Count() const { return count_; }
    const HeldMessage& At(size_t index) const { return items_[index]; }

private:
    HeldMessage* Add();
    void ReadAccount(const char* root, const char* account);

    HeldMessage* items_ = nullptr;
    size_t count_ = 0;
    size_t room_ = 0;
};

// The host's mailbox folder, asked of the host the editor runs in; null outside one.
const char* HostMailboxRoot();

// The message file of an entry, into path (size bytes); false when it does not fit.
bool HeldMessagePath(const char* root, const HeldMessage& message, char* path, size_t size);

// True while the message is still held as it was listed: its entry not queued and its header
// still reserved. The scan may have released it since the list was read.
bool IsStillHeld(const char* root, const HeldMessage& message);

enum class ChangeResult { Changed, NotRead, NotWritten, Damaged };
// Writes the message at path with its reservation set to time (the reservation line first, every
// other reservation field dropped, everything else byte for byte). Damaged: the message was
// partly written over; the whole new text stays beside it in the file kept names (260 bytes).
ChangeResult ChangeReservation(const char* path, int32_t time, char* kept);
