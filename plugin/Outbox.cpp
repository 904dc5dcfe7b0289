#include "Outbox.h"

#include "../common/Allocation.h"
#include "DateLine.h"
#include "EntryIndex.h"
#include "FileHandle.h"
#include "Globals.h"
#include "HeaderText.h"
#include "MessageRewrite.h"
#include "StagedFile.h"
#include "Time32.h"
#include "host/HostApi.h"
#include "host/MailboxPath.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int LineLimit = 1024;
constexpr size_t PathSize = 2048;
// An index is read from one end to the other, in reads of this size: under Wine each read costs
// several microseconds whatever its size, and an index of 5,000 entries is about 200 KB.
constexpr int IndexReadSize = 64 * 1024;

// The "Date:" line of the settings: the reservation moved by a random offset (in place, so a
// second "Date:" line moves on from the first), with the offset of the local time shown.
class MovedDateLine : public DateLineMaker {
public:
    explicit MovedDateLine(int32_t* reservation) : reservation_(reservation) {}
    bool NewDateLine(char* line, size_t size) override
    {
        std::srand(static_cast<unsigned>(CurrentTime32()));
        if (static_cast<int64_t>(PlugSettings.PreSec) + PlugSettings.PostSec != 0)
            *reservation_ = MoveReservation(*reservation_, std::rand(), PlugSettings.PreSec, PlugSettings.PostSec);
        std::tm local{};
        if (!LocalTime32(*reservation_, &local))
            return false;
        return FormatDateLine(local, UtcOffsetSeconds(local, *reservation_), line, size);
    }

private:
    int32_t* reservation_;
};

// False when the entry cannot be named to the host (nothing is then marked).
bool MarkReleased(const char* accountDir, const char* entryName)
{
    char id[PathSize];
    int length = std::snprintf(id, sizeof id, "%s\\Outbox.box\\%s", accountDir, entryName);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof id)
        return false;
    Host.MarkMail(id, EntryReleaseBits, 1);
    Host.MarkMail(id, EntryMarkField, 0);
    return true;
}

}  // namespace

bool ScanOutbox()
{
    char pattern[PathSize];
    MailboxPath(pattern, sizeof pattern, "Account*", nullptr, nullptr, nullptr);
    if (!pattern[0])
        return false;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA(pattern, &found));
    if (!find)
        return false;
    bool released = false;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            released |= ScanEntryList(found.cFileName);
    } while (FindNextFileA(find.Get(), &found));
    return released;
}

bool ScanEntryList(const char* accountDir)
{
    char path[PathSize];
    MailboxPath(path, sizeof path, accountDir, "Outbox.box", "Entry.lst", nullptr);
    FileHandle index = OpenShared(path, GENERIC_READ);
    if (!path[0] || !index)
        return false;
    FileSource source(index);
    // Short of memory, the reader's own small buffer does the same work in more reads.
    std::unique_ptr<unsigned char[]> readBuffer(new (NoThrow) unsigned char[IndexReadSize]);
    BufferedReader reader(source, readBuffer.get(), IndexReadSize);
    bool released = false;
    char line[LineLimit];
    while (ReadFileLine(reader, line, LineLimit) && line[0]) {
        char name[LineLimit];
        uint32_t flags = 0;
        if (!ParseIndexLine(line, name, sizeof name, &flags))
            continue;
        // Released already, or queued by the host without a reservation.
        if (flags & EntryQueued)
            continue;
        // Every other entry may still carry a due reservation, whatever its mark says: a mark
        // changed in the settings, or one the host does not keep, must not hold a message forever.
        if (!IsPlainEntryName(name))
            continue;
        released |= CheckOutboxMessage(accountDir, name);
    }
    return released;
}

bool CheckOutboxMessage(const char* accountDir, const char* entryName)
{
    char path[PathSize];
    MailboxPath(path, sizeof path, accountDir, "Outbox.box", entryName, ".qpm");
    FileHandle message = OpenShared(path, GENERIC_READ);
    if (!path[0] || !message)
        return false;
    FileSource source(message);
    BufferedReader reader(source);
    char line[LineLimit];
    while (ReadFileLine(reader, line, LineLimit) && line[0]) {
        if (!StartsWithNoCase(line, ReserveHeaderName))
            continue;
        int32_t reservation = ReadDecimal(line + ReserveHeaderChars);
        if (reservation > ReferenceTime)
            continue;
        message.Reset();
        // Released before it is rewritten: a crash in between then sends the message with its
        // old header, where the other order would leave it without its reservation line and
        // without release bits, held back for good with nobody told.
        if (!MarkReleased(accountDir, entryName))
            return false;
        RewriteMessage(path, reservation);
        return true;
    }
    return false;
}

bool RewriteMessage(const char* path, int32_t reservationTime)
{
    char staging[PathSize];
    FileHandle staged = CreateStagingBeside(path, staging, sizeof staging);
    if (!staged)
        return false;
    bool written = false;
    {
        FileHandle message = OpenShared(path, GENERIC_READ);
        if (message) {
            FileSource source(message);
            BufferedReader reader(source);
            FileSink sink(staged);
            MovedDateLine dates(&reservationTime);
            written = RewriteMessageText(reader, sink, PlugSettings.ChangeDate ? &dates : nullptr);
        }
    }
    // On the disk before it takes the message's place, so that a power cut after the rename
    // cannot leave an empty message.
    written = written && Files.Flush(staged.Get());
    staged.Reset();
    if (!written) {
        RemoveStaging(staging);
        return false;
    }
    return ReplaceWithStaged(staging, path) == StagedResult::Replaced;
}
