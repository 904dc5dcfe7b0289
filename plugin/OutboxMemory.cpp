#include "OutboxMemory.h"

#include "../common/pure/OwnedText.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// Bounds on what is remembered, all accounts together: some 3 MB. An account past them is read
// whole at every scan, as if nothing were remembered.
constexpr int MaxMessages = 65536;
constexpr uint32_t MaxNameBytes = 1 << 20;
// Past FAT's 2 s steps, with room for a clock read a little apart from the file system's.
constexpr uint64_t SettleSteps = 4 * 10000000ull;

bool SameStamp(const FileStamp& one, const FileStamp& other)
{
    return one.size == other.size && one.written == other.written;
}

uint64_t Steps(const FILETIME& time)
{
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// Grows *block to hold need items of size bytes, doubling; false (the block as it was) when the
// memory is not there.
bool Grow(void** block, int* capacity, int need, size_t size)
{
    if (need <= *capacity)
        return true;
    int wanted = *capacity ? *capacity * 2 : 64;
    while (wanted < need)
        wanted *= 2;
    void* grown = std::realloc(*block, static_cast<size_t>(wanted) * size);
    if (!grown)
        return false;
    *block = grown;
    *capacity = wanted;
    return true;
}

}  // namespace

bool StampOf(const char* path, FileStamp* stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return false;
    stamp->size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp->written = Steps(data.ftLastWriteTime);
    return true;
}

bool StampChanged(const char* path, const FileStamp& known)
{
    FileStamp stamp;
    return !StampOf(path, &stamp) || !SameStamp(stamp, known);
}

bool AccountUnchanged(const RememberedAccount* account, const FileStamp& index)
{
    return account && account->settled && SameStamp(index, account->index);
}

void OutboxMemory::FreeMessages(RememberedAccount* account)
{
    messagesHeld_ -= account->count;
    nameBytesHeld_ -= account->nameBytes;
    std::free(account->messages);
    std::free(account->names);
    account->messages = nullptr;
    account->names = nullptr;
    account->count = 0;
    account->nameBytes = 0;
    account->settled = false;
}

void OutboxMemory::FreeAccount(int at)
{
    RememberedAccount* account = accounts_[at];
    FreeMessages(account);
    std::free(account->dir);
    std::free(account);
    accounts_[at] = accounts_[--accountCount_];
}

void OutboxMemory::Begin(const char* pattern, uint64_t moment)
{
    if (std::strcmp(pattern, pattern_) != 0) {
        Forget();
        CopyBounded(pattern_, PatternSize, pattern);
    }
    ++scanCount_;
    scanStarted_ = moment;
}

void OutboxMemory::End()
{
    for (int i = accountCount_; i-- > 0;)
        if (accounts_[i]->scan != scanCount_)
            FreeAccount(i);
}

int OutboxMemory::StampsPerAccount() const
{
    return 4000 / (accountCount_ ? accountCount_ : 1);
}

RememberedAccount* OutboxMemory::AccountOf(const char* dir)
{
    for (int i = 0; i < accountCount_; ++i)
        if (std::strcmp(accounts_[i]->dir, dir) == 0) {
            accounts_[i]->scan = scanCount_;
            return accounts_[i];
        }
    if (accountCount_ == MaxAccounts)
        return nullptr;
    auto* account = static_cast<RememberedAccount*>(std::malloc(sizeof(RememberedAccount)));
    size_t length = std::strlen(dir) + 1;
    char* copy = static_cast<char*>(std::malloc(length));
    if (!account || !copy) {
        std::free(account);
        std::free(copy);
        return nullptr;
    }
    std::memcpy(copy, dir, length);
    *account = RememberedAccount{};
    account->dir = copy;
    account->scan = scanCount_;
    accounts_[accountCount_++] = account;
    return account;
}

bool OutboxMemory::StampSettled(const FileStamp& stamp) const
{
    // A file system that keeps no last-write time gives none to trust.
    return stamp.written && stamp.written + SettleSteps <= scanStarted_;
}

const RememberedMessage* FindRemembered(const RememberedAccount& account, const char* name, int* cursor)
{
    for (int step = 0; step < account.count; ++step) {
        int at = (*cursor + step) % account.count;
        if (std::strcmp(account.names + account.messages[at].name, name) == 0) {
            *cursor = at + 1;
            return &account.messages[at];
        }
    }
    return nullptr;
}

RememberedList::RememberedList(OutboxMemory& memory, RememberedAccount* account)
    : memory_(memory), account_(account), failed_(!account)
{
}

RememberedList::~RememberedList()
{
    std::free(messages_);
    std::free(names_);
}

RememberedMessage* RememberedList::Add(const char* name, const char* line, const RememberedMessage* known)
{
    uint32_t digest = 2166136261u;
    while (*line)
        digest = (digest ^ static_cast<unsigned char>(*line++)) * 16777619u;
    spare_ = known && known->line == digest ? *known : RememberedMessage{0, digest, AlwaysDue, {}};
    uint32_t length = static_cast<uint32_t>(std::strlen(name) + 1);
    // Within the bounds once the account's old list is given back.
    int room = static_cast<int>(room_);
    failed_ = failed_ || memory_.messagesHeld_ - account_->count + count_ >= MaxMessages ||
              memory_.nameBytesHeld_ - account_->nameBytes + used_ + length > MaxNameBytes ||
              !Grow(reinterpret_cast<void**>(&messages_), &capacity_, count_ + 1, sizeof *messages_) ||
              !Grow(reinterpret_cast<void**>(&names_), &room, static_cast<int>(used_ + length), 1);
    if (failed_)
        return &spare_;
    room_ = static_cast<uint32_t>(room);
    std::memcpy(names_ + used_, name, length);
    spare_.name = used_;
    used_ += length;
    messages_[count_] = spare_;
    return &messages_[count_++];
}

void RememberedList::Commit(const FileStamp& index, bool settled)
{
    if (!account_)
        return;
    memory_.FreeMessages(account_);
    if (failed_)
        return;
    account_->messages = messages_;
    account_->names = names_;
    account_->count = count_;
    account_->nameBytes = used_;
    account_->sweep = 0;
    account_->index = index;
    account_->settled = settled && memory_.StampSettled(index);
    memory_.messagesHeld_ += count_;
    memory_.nameBytesHeld_ += used_;
    messages_ = nullptr;
    names_ = nullptr;
}

void OutboxMemory::RememberReading(RememberedMessage* message, const MessageReading& reading, bool released) const
{
    message->stamp = reading.stamp;
    // Released, it is read once more at the next scan, as an entry whose index does not yet say
    // it went is read at every scan.
    message->due = reading.read && !released && StampSettled(reading.stamp) ? reading.due : AlwaysDue;
}

void OutboxMemory::Forget()
{
    while (accountCount_ > 0)
        FreeAccount(accountCount_ - 1);
    pattern_[0] = '\0';
}
