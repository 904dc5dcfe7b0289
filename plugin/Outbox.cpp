#include "Outbox.h"

#include "../common/pure/OwnedText.h"

#include "../common/pure/Allocation.h"
#include "../common/pure/ScheduleStatus.h"
#include "../common/windows/FileHandle.h"
#include "LogLines.h"
#include "OutboxMemory.h"
#include "../common/windows/StagedFile.h"
#include "../common/windows/Time32.h"
#include "host/HostApi.h"
#include "host/MailboxPath.h"
#include "pure/DateLine.h"
#include "../common/pure/EntryIndex.h"
#include "../common/pure/HeaderText.h"
#include "../common/pure/MessageRewrite.h"

#include <ntsecapi.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int LineLimit = 1024;
constexpr size_t PathSize = 2048;
// An index is read from one end to the other, in reads of this size: under Wine each read costs
// several microseconds whatever its size, and an index of 5,000 entries is about 200 KB.
constexpr int IndexReadSize = 64 * 1024;
constexpr char AccountPattern[] = "Account*";

// The "Date:" line of the settings: the reservation moved by a random offset, shown in the
// system's zone as it is now, with the offset from UTC of that moment.
class MovedDateLine : public DateLineMaker {
public:
    MovedDateLine(int32_t reservation, const ReleaseRules& rules, DateDraw& draw, char* written)
        : date_(reservation, DateShiftSeconds(rules.PreSec), DateShiftSeconds(rules.PostSec)), draw_(draw),
          written_(written)
    {
    }
    bool NewDateLine(char* line, size_t size) override
    {
        if (!MakeLine(line, size))
            return false;
        CopyBounded(written_, DateLineSize, line);
        return true;
    }

private:
    bool MakeLine(char* line, size_t size)
    {
        int32_t moment = date_.Moment([this](uint32_t span) { return draw_.UpTo(span); });
        SYSTEMTIME shown;
        if (!Time32ToLocalFields(moment, &shown))
            return false;
        CivilFields local{shown.wYear, shown.wMonth,  shown.wDay,      shown.wHour,
                          shown.wMinute, shown.wSecond, shown.wDayOfWeek};
        return FormatDateLine(local, UtcOffsetSeconds(local, moment), line, size);
    }

    MessageDate date_;
    DateDraw& draw_;
    char* written_;  // DateLineSize bytes: the last line made
};

// Passes reads through and keeps a digest and the count of the bytes read. The digest takes eight
// bytes a step in two lanes held in registers, so that it keeps up with the reads: a byte at a
// time it would take longer than reading and writing a large message together. A read may end
// anywhere, so the bytes short of a whole step wait for the next read.
class DigestSource : public ByteSource {
public:
    explicit DigestSource(ByteSource& inner) : inner_(inner) {}
    int Read(unsigned char* buffer, int size) override
    {
        int count = inner_.Read(buffer, size);
        if (count > 0) {
            Add(buffer, static_cast<size_t>(count));
            length_ += count;
        }
        return count;
    }
    // The digest as one number, with the bytes short of a step and the length.
    uint64_t Sum() const
    {
        uint32_t first = first_ ^ static_cast<uint32_t>(length_);
        for (int i = 0; i < waited_; ++i)
            first = (first ^ waiting_[i]) * 0x01000193u;
        return static_cast<uint64_t>(first) << 32 | second_;
    }
    bool SameAs(const DigestSource& other) const
    {
        bool same = first_ == other.first_ && second_ == other.second_ && length_ == other.length_;
        for (int i = 0; i < waited_ && same; ++i)
            same = waiting_[i] == other.waiting_[i];
        return same;
    }

private:
    static void Step(const unsigned char* bytes, uint32_t* first, uint32_t* second)
    {
        uint32_t low, high;
        std::memcpy(&low, bytes, sizeof low);
        std::memcpy(&high, bytes + 4, sizeof high);
        *first = (*first ^ low) * 0x01000193u;
        *second = (*second ^ high) * 0x9E3779B1u;
    }
    void Add(const unsigned char* bytes, size_t count)
    {
        uint32_t first = first_, second = second_;
        if (waited_ > 0) {
            while (count > 0 && waited_ < 8) {
                waiting_[waited_++] = *bytes++;
                --count;
            }
            if (waited_ == 8) {
                Step(waiting_, &first, &second);
                waited_ = 0;
            }
        }
        for (; count >= 8; bytes += 8, count -= 8)
            Step(bytes, &first, &second);
        while (count-- > 0)
            waiting_[waited_++] = *bytes++;
        first_ = first;
        second_ = second;
    }

    ByteSource& inner_;
    uint32_t first_ = 2166136261u;
    uint32_t second_ = 0x85EBCA6Bu;
    unsigned char waiting_[8] = {};
    int waited_ = 0;
    int64_t length_ = 0;
};

// Reads the message once more, whole, through buffer (size bytes): true when it holds what was
// read for the rewrite. Another host process that releases the same message may write it over in
// place while it was read. unread: the answer when the message cannot be read.
bool UnchangedSince(const FileCalls& files, const char* path, const DigestSource& read, CopyBuffer& buffer,
                    bool unread = false)
{
    FileHandle message = OpenShared(path, GENERIC_READ, files);
    if (!message)
        return unread;
    FileSource file(message, files);
    DigestSource again(file);
    for (;;) {
        int count = again.Read(buffer.Bytes(), buffer.Size());
        if (count == 0)
            return again.SameAs(read);
        if (count < 0)
            return unread;
    }
}

// The digest of a message's first 64 KB and its size, enough to tell one text from another in
// its place without reading a large message whole at every scan; 0 when it cannot be read.
uint64_t DigestOf(const FileCalls& files, const char* path)
{
    FileStamp stamp;
    FileHandle file = OpenShared(path, GENERIC_READ, files);
    if (!file || !StampOf(path, &stamp))
        return 0;
    FileSource source(file, files);
    DigestSource digest(source);
    unsigned char buffer[4096];
    int count = 1;
    for (int reads = 0; reads < 16 && count > 0; ++reads)
        count = digest.Read(buffer, sizeof buffer);
    return count < 0 ? 0 : digest.Sum() ^ stamp.size;
}

// The entry's id as the host names it, into id (PathSize bytes); false when it does not fit.
bool EntryId(const char* accountDir, const char* entryName, char* id)
{
    int length = std::snprintf(id, PathSize, "%s\\Outbox.box\\%s", accountDir, entryName);
    return length > 0 && static_cast<size_t>(length) < PathSize;
}

uint32_t IdDigest(const char* id)
{
    uint32_t digest = 2166136261u;
    for (; *id; ++id)
        digest = (digest ^ static_cast<unsigned char>(*id)) * 16777619u;
    return digest;
}

void MarkReleased(const char* id)
{
    Host.MarkMail(id, EntryReleaseBits, 1);
    Host.MarkMail(id, EntryMarkField, 0);
}

// Messages a rewrite left written over in part, held back. While the whole text kept beside one
// is there, its release is not tried again while the scanner lives: on a disk that still fails,
// each try would keep one more copy and log the same again every minute. Once that file is gone,
// the message is still not tried while it is as the failure left it: a reservation line may have
// outlived the failure in a text that is no longer the user's (a new "Date:" line over part of
// the old header). Another text in its place (the kept file put there, or a new message of that
// name) is the user's, and a reservation it has is released.
bool HeldAsDamaged(DamagedMessage (&held)[8], const FileCalls& files, const char* id, const char* path)
{
    const uint32_t digest = IdDigest(id);
    for (DamagedMessage& damaged : held) {
        if (damaged.id != digest || !damaged.kept[0])
            continue;
        // The kept file's name is the message's with "~" and two characters for its extension.
        char kept[PathSize];
        size_t length = std::strlen(path);  // a name of PathSize at most, ending in ".qpm"
        std::memcpy(kept, path, length + 1);
        kept[length - 3] = '~';
        kept[length - 2] = damaged.kept[0];
        kept[length - 1] = damaged.kept[1];
        // A message that cannot be told from the one the failure left is held as well.
        FileStamp stamp;
        uint64_t text = StampOf(kept, &stamp) ? 0 : DigestOf(files, path);
        if (!text || text == damaged.text)
            return true;
        // Another text: a file of the kept one's name made later is no longer this one.
        damaged = DamagedMessage{};
    }
    return false;
}

// The status window rewrites a held message's reservation and leaves its account's index as it
// was: the account looks unchanged, and the message's new stamp would be looked at only when its
// turn among the stamps came, minutes later in a full outbox. A moment brought forward must be
// found at the next scan, so a new count from the window (other than *seen, which takes it) makes
// the scan read every outbox anew.
bool EditorChangedOutbox(DWORD* seen)
{
    DWORD count = 0, size = sizeof count;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, StatusKeyPath, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegKey key(opened);
    LONG read = RegQueryValueExA(key.Get(), OutboxChangedValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
    if (read != ERROR_SUCCESS || count == *seen)
        return false;
    *seen = count;
    return true;
}

}  // namespace

bool OutboxScanner::Scan(const ReleaseRules& rules)
{
    // One scan at a time: a host whose marking lets the timer in again (a message box of its own)
    // would have a second scan release the message being released once more, and change the
    // remembered lists under the scan that walks them.
    if (kept_.scanning)
        return false;
    char pattern[PathSize];
    MailboxPath(rules.Mailbox, pattern, sizeof pattern, AccountPattern, nullptr, nullptr, nullptr);
    if (!pattern[0])
        return false;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA(pattern, &found));
    if (!find)
        return false;
    if (EditorChangedOutbox(&editorChanges_))
        memory_.Forget();
    memory_.Begin(pattern, rules.Moment);
    // Every path of the scan under the folder it began in (the pattern without its last part):
    // the host's string may change while a mark lets its message loop run.
    pattern[std::strlen(pattern) - (sizeof AccountPattern - 1)] = '\0';
    ReleaseRules inRoot = rules;
    inRoot.Mailbox = pattern;
    kept_.scanning = true;
    bool released = false;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            released |= ScanEntryList(inRoot, found.cFileName);
    } while (FindNextFileA(find.Get(), &found));
    kept_.scanning = false;
    memory_.End();
    return released;
}

// Opens the message again when its moment has come (or it could not be read, or its stamp was too
// fresh to trust), or (lookAtStamp) when its stamp changed; reads it whole then and remembers what
// it found. True when it was released.
bool OutboxScanner::LookAgain(const ReleaseRules& rules, const char* accountDir, const char* name,
                              RememberedMessage* message, bool lookAtStamp)
{
    bool open = message->due <= rules.ReferenceTime;
    if (!open && lookAtStamp) {
        char path[PathSize];
        MailboxPath(rules.Mailbox, path, sizeof path, accountDir, "Outbox.box", name, ".qpm");
        open = StampChanged(path, message->stamp);
    }
    if (!open)
        return false;
    MessageReading seen;
    bool released = CheckOutboxMessage(rules, accountDir, name, &seen);
    memory_.RememberReading(message, seen, released);
    return released;
}

bool OutboxScanner::ScanEntryList(const ReleaseRules& rules, const char* accountDir)
{
    char path[PathSize];
    MailboxPath(rules.Mailbox, path, sizeof path, accountDir, "Outbox.box", "Entry.lst", nullptr);
    RememberedAccount* account = memory_.AccountOf(accountDir);
    // Stamped before it is read: a write after this point gives it another stamp.
    FileStamp indexStamp;
    bool stamped = path[0] && StampOf(path, &indexStamp);
    bool released = false;
    if (stamped && AccountUnchanged(account, indexStamp)) {
        // Unchanged: the index is not read, and of the stamps of the messages that wait only the
        // account's share for this scan is looked at, in turn.
        int stamps = memory_.StampsPerAccount();
        for (int i = 0; i < account->count; ++i)
            released |= LookAgain(rules, accountDir, account->names + account->messages[i].name, &account->messages[i],
                                  (i - account->sweep + account->count) % account->count < stamps);
        if (account->count)
            account->sweep = (account->sweep + stamps) % account->count;
        return released;
    }
    RememberedList list(memory_, account);
    FileHandle index = OpenShared(path, GENERIC_READ, files_);
    FileSource source(index, files_);
    // Short of memory, the reader's own small buffer does the same work in more reads.
    std::unique_ptr<unsigned char[]> readBuffer(index ? new (NoThrow) unsigned char[IndexReadSize] : nullptr);
    BufferedReader reader(source, readBuffer.get(), IndexReadSize);
    int cursor = 0;
    char line[LineLimit];
    while (path[0] && index && ReadFileLine(reader, line, LineLimit) && line[0]) {
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
        const RememberedMessage* known = account ? FindRemembered(*account, name, &cursor) : nullptr;
        released |= LookAgain(rules, accountDir, name, list.Add(name, line, known), true);
    }
    list.Commit(indexStamp, stamped && index && !source.failed);
    return released;
}

bool OutboxScanner::CheckOutboxMessage(const ReleaseRules& rules, const char* accountDir, const char* entryName,
                                       MessageReading* seen)
{
    if (stopped_)
        return false;
    char path[PathSize];
    MailboxPath(rules.Mailbox, path, sizeof path, accountDir, "Outbox.box", entryName, ".qpm");
    // Stamped before it is read: a write after this point gives it another stamp.
    bool stamped = path[0] && StampOf(path, &seen->stamp);
    FileHandle message = OpenShared(path, GENERIC_READ, files_);
    if (!path[0] || !message)
        return false;
    FileSource source(message, files_);
    BufferedReader reader(source);
    char line[LineLimit];
    seen->due = NeverDue;
    // The subject only names the message in the log: read on for it past a due reservation.
    char subject[LogSubjectSize] = "";
    bool named = false, reserved = false;
    int32_t reservation = 0;
    while (!(reserved && named) && ReadHeaderField(reader, line, LineLimit) && line[0]) {
        if (!named)
            named = CopyLogSubject(line, subject);
        // The first reservation decides, as it does in the send window.
        if (reserved || !StartsWithNoCase(line, ReserveHeaderName))
            continue;
        reservation = ReadDecimal(line + ReserveHeaderChars);
        seen->read = stamped;
        seen->due = reservation;
        if (reservation > rules.ReferenceTime)
            return false;
        reserved = true;
    }
    if (!reserved) {
        seen->read = stamped && !source.failed;
        return false;
    }
    message.Reset();
    RewriteReport report;
    char id[PathSize];
    bool idFits = EntryId(accountDir, entryName, id);
    if (rules.Hold) {
        if (reservation > rules.HoldAfter)
            LogReleaseHeld(idFits ? id : entryName, subject, reservation, PassOverReason::RunStuck);
        return false;
    }
    if (!idFits) {
        report.result = RewriteReport::NotNamed;
        LogRelease(entryName, subject, reservation, report);
        return false;
    }
    if (HeldAsDamaged(kept_.damaged, files_, id, path))
        return false;
    // Released before it is rewritten: a crash in between then sends the message with its
    // old header, where the other order would leave it without its reservation line and
    // without release bits, held back for good with nobody told.
    MarkReleased(id);
    RewriteMessage(path, reservation, rules, &report);
    // Written over only in part, it must not go out cut: held back, and the log names the
    // file beside it that has the whole text.
    bool damaged = report.result == RewriteReport::Damaged;
    if (damaged) {
        Host.MarkMail(id, EntryReleaseBits, 0);
        size_t length = std::strlen(report.kept);
        kept_.damaged[kept_.damagedCount++ % 8] =
            DamagedMessage{IdDigest(id), {report.kept[length - 2], report.kept[length - 1]}, DigestOf(files_, path)};
    }
    LogRelease(id, subject, reservation, report);
    return !damaged;
}

bool OutboxScanner::RewriteMessage(const char* path, int32_t reservationTime, const ReleaseRules& rules,
                                   RewriteReport* report)
{
    RewriteReport unread;
    if (!report)
        report = &unread;
    auto fail = [report](RewriteReport::Result result, unsigned long error) {
        report->result = result;
        report->error = error;
        report->dateLine[0] = '\0';
        return false;
    };
    char staging[PathSize];
    FileHandle staged = CreateStagingBeside(path, staging, sizeof staging, files_);
    if (!staged)
        return fail(RewriteReport::NoStaging, GetLastError());
    // Large reads and writes: a message of 100 MB in 1,600 of each rather than 100,000. The same
    // buffer serves the reads, the checks and a copy over the message.
    CopyBuffer buffer;
    bool written = false;
    FileHandle message = OpenShared(path, GENERIC_READ, files_);
    FileSource file(message, files_);
    DigestSource source(file);
    {
        if (!message) {
            unsigned long error = GetLastError();
            staged.Reset();
            RemoveStaging(staging, files_);
            return fail(RewriteReport::NotOpened, error);
        }
        BufferedReader reader(source, buffer.Bytes(), buffer.Size());
        FileSink sink(staged, files_);
        // One generator for the scanner, seeded before its first draw from what differs between
        // processes and runs: the system's random source, the performance counter, the thread's
        // id and the scan's moment.
        if (rules.ChangeDate && !seeded_) {
            uint64_t seed = 0;
            RtlGenRandom(&seed, sizeof seed);
            LARGE_INTEGER counter{};
            QueryPerformanceCounter(&counter);
            draw_.Seed(seed ^ static_cast<uint64_t>(counter.QuadPart) ^
                       (static_cast<uint64_t>(GetCurrentThreadId()) << 32) ^ rules.Moment);
            seeded_ = true;
        }
        MovedDateLine dates(reservationTime, rules, draw_, report->dateLine);
        written = RewriteMessageText(reader, sink, rules.ChangeDate ? &dates : nullptr);
        // A rewrite reads the message to its end; read once more, it must be the same.
        if (written && !UnchangedSince(files_, path, source, buffer)) {
            staged.Reset();
            RemoveStaging(staging, files_);
            return fail(RewriteReport::Changed, 0);
        }
        message.Reset();
    }
    // On the disk before it takes the message's place, so that a power cut after the rename
    // cannot leave an empty message.
    written = written && files_.Flush(staged.Get());
    unsigned long error = written ? 0 : GetLastError();
    staged.Reset();
    if (!written) {
        RemoveStaging(staging, files_);
        return fail(RewriteReport::CopyFailed, error);
    }
    StagedResult placed = ReplaceWithStaged(staging, path, buffer, files_);
    // A write that failed may have left bytes behind without saying so (Windows reports none
    // written when a write fails): the message must still read as it did.
    if (placed == StagedResult::NotReplaced && !UnchangedSince(files_, path, source, buffer, true))
        placed = StagedResult::Damaged;
    if (placed == StagedResult::NotReplaced)
        RemoveStaging(staging, files_);
    if (placed == StagedResult::Replaced) {
        report->result = RewriteReport::Rewritten;
        return true;
    }
    if (placed == StagedResult::Damaged)
        std::snprintf(report->kept, sizeof report->kept, "%s", FileNamePart(staging));
    // The error behind a failed replacement is lost among the calls that put things back.
    return fail(placed == StagedResult::Damaged ? RewriteReport::Damaged : RewriteReport::NotReplaced, 0);
}
