#include "HeldMessages.h"

#include "../common/pure/EntryIndex.h"
#include "../common/windows/FileHandle.h"
#include "../common/pure/HeaderText.h"
#include "../common/pure/HeaderWords.h"
#include "../common/pure/LineReader.h"
#include "../common/pure/MessageRewrite.h"
#include "../common/pure/ScheduleStatus.h"
#include "../common/windows/StagedFile.h"
#include "contract/Quillpost.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int LineLimit = 1024;
constexpr size_t PathSize = 2048;
constexpr int IndexReadSize = 64 * 1024;

void CopyCut(char* out, size_t size, const char* text)
{
    std::snprintf(out, size, "%s", text);
}

// The field's value after its name, blanks skipped.
const char* FieldValue(const char* field, size_t nameLength)
{
    const char* value = field + nameLength;
    while (*value == ' ' || *value == '\t')
        ++value;
    return value;
}

void SayWhy(HeldMessage* message, DWORD error)
{
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        CopyCut(message->why, sizeof message->why, "メールのファイルがありません");
    else if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        CopyCut(message->why, sizeof message->why, "ほかのプログラムが使用中です");
    else
        std::snprintf(message->why, sizeof message->why, "ファイルを読めません (エラー %lu)", error);
}

// Reads the header: false for a message without a reservation, which the list leaves out.
bool ReadHeader(const char* path, HeldMessage* message)
{
    FileHandle file = OpenShared(path, GENERIC_READ, SystemFileCalls);
    if (!file) {
        SayWhy(message, GetLastError());
        return true;
    }
    FileSource source(file, SystemFileCalls);
    BufferedReader reader(source);
    char field[LineLimit];
    bool reserved = false;
    while (ReadHeaderField(reader, field, LineLimit) && field[0]) {
        // The first of each counts, as it does for the scan and the send window.
        if (!reserved && StartsWithNoCase(field, ReserveHeaderName)) {
            message->moment = ReadDecimal(field + ReserveHeaderChars);
            reserved = true;
        } else if (!message->subject[0] && StartsWithNoCase(field, "Subject:")) {
            DecodeHeaderWords(FieldValue(field, 8), message->subject, sizeof message->subject);
        } else if (!message->to[0] && StartsWithNoCase(field, "To:")) {
            DecodeHeaderWords(FieldValue(field, 3), message->to, sizeof message->to);
        }
    }
    message->readable = reserved;
    return reserved;
}

int ByMoment(const void* left, const void* right)
{
    const auto* a = static_cast<const HeldMessage*>(left);
    const auto* b = static_cast<const HeldMessage*>(right);
    if (a->readable != b->readable)
        return a->readable ? -1 : 1;
    if (a->moment != b->moment)
        return a->moment < b->moment ? -1 : 1;
    int account = std::strcmp(a->account, b->account);
    return account ? account : std::strcmp(a->entry, b->entry);
}

// Steps the count that tells the plug-in's scan a held message changed while its index did not.
void SayOutboxChanged()
{
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, StatusKeyPath, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
        return;
    RegKey key(created);
    DWORD count = 0, size = sizeof count;
    RegQueryValueExA(key.Get(), OutboxChangedValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
    ++count;
    RegSetValueExA(key.Get(), OutboxChangedValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
}

}  // namespace

HeldMessages::~HeldMessages()
{
    std::free(items_);
}

HeldMessage* HeldMessages::Add()
{
    if (count_ == room_) {
        size_t room = room_ ? room_ * 2 : 16;
        auto* items = static_cast<HeldMessage*>(std::realloc(items_, room * sizeof *items_));
        if (!items)
            return nullptr;
        items_ = items;
        room_ = room;
    }
    HeldMessage* message = &items_[count_];
    std::memset(message, 0, sizeof *message);
    return message;
}

void HeldMessages::ReadAccount(const char* root, const char* account)
{
    char path[PathSize];
    if (std::snprintf(path, sizeof path, "%s%s\\%s\\%s", root, account, OutboxFolder, OutboxIndex) >=
        static_cast<int>(sizeof path))
        return;
    FileHandle index = OpenShared(path, GENERIC_READ, SystemFileCalls);
    if (!index)
        return;
    FileSource source(index, SystemFileCalls);
    auto* buffer = static_cast<unsigned char*>(std::malloc(IndexReadSize));
    BufferedReader reader(source, buffer, IndexReadSize);
    char line[LineLimit];
    while (ReadFileLine(reader, line, LineLimit) && line[0]) {
        char name[LineLimit];
        uint32_t flags = 0;
        // What the scan passes over is not held: queued, or released already.
        if (!ParseIndexLine(line, name, sizeof name, &flags) || (flags & EntryQueued))
            continue;
        HeldMessage* message = Add();
        if (!message)
            break;
        CopyCut(message->account, sizeof message->account, account);
        CopyCut(message->entry, sizeof message->entry, name);
        char file[PathSize];
        if (!IsPlainEntryName(name)) {
            CopyCut(message->why, sizeof message->why, "索引の名前がファイル名になりません");
        } else if (!HeldMessagePath(root, *message, file, sizeof file)) {
            CopyCut(message->why, sizeof message->why, "ファイルの場所が長すぎます");
        } else if (!ReadHeader(file, message)) {
            continue;  // not reserved
        }
        ++count_;
    }
    std::free(buffer);
}

bool HeldMessages::Read(const char* root)
{
    count_ = 0;
    char pattern[PathSize];
    if (!root || std::snprintf(pattern, sizeof pattern, "%s%s", root, AccountFolders) >= static_cast<int>(sizeof pattern))
        return false;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA(pattern, &found));
    if (!find)
        return false;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ReadAccount(root, found.cFileName);
    } while (FindNextFileA(find.Get(), &found));
    if (count_ > 1)
        std::qsort(items_, count_, sizeof *items_, ByMoment);
    return true;
}

const char* HostMailboxRoot()
{
    HMODULE host = GetModuleHandleA(HostModuleName);
    auto getMailbox = host ? reinterpret_cast<decltype(HostApi::GetMailbox)>(reinterpret_cast<void*>(
                                 GetProcAddress(host, HostApiNameAt(offsetof(HostApi, GetMailbox)))))
                           : nullptr;
    return getMailbox ? getMailbox() : nullptr;
}

bool HeldMessagePath(const char* root, const HeldMessage& message, char* path, size_t size)
{
    int length = std::snprintf(path, size, "%s%s\\%s\\%s%s", root, message.account, OutboxFolder, message.entry,
                               MessageSuffix);
    return length > 0 && static_cast<size_t>(length) < size;
}

bool IsStillHeld(const char* root, const HeldMessage& listed)
{
    char path[PathSize];
    if (std::snprintf(path, sizeof path, "%s%s\\%s\\%s", root, listed.account, OutboxFolder, OutboxIndex) >=
        static_cast<int>(sizeof path))
        return false;
    FileHandle index = OpenShared(path, GENERIC_READ, SystemFileCalls);
    if (!index)
        return false;
    FileSource source(index, SystemFileCalls);
    BufferedReader reader(source);
    char line[LineLimit];
    bool queued = true;
    while (ReadFileLine(reader, line, LineLimit) && line[0]) {
        char name[LineLimit];
        uint32_t flags = 0;
        if (ParseIndexLine(line, name, sizeof name, &flags) && std::strcmp(name, listed.entry) == 0) {
            queued = (flags & EntryQueued) != 0;
            break;
        }
    }
    HeldMessage now{};
    return !queued && HeldMessagePath(root, listed, path, sizeof path) && ReadHeader(path, &now) && now.readable;
}

ChangeResult ChangeReservation(const char* path, int32_t time, char* kept)
{
    kept[0] = '\0';
    char staging[PathSize];
    FileHandle staged = CreateStagingBeside(path, staging, sizeof staging, SystemFileCalls);
    if (!staged)
        return ChangeResult::NotWritten;
    bool written = false;
    {
        FileHandle message = OpenShared(path, GENERIC_READ, SystemFileCalls);
        if (!message) {
            staged.Reset();
            RemoveStaging(staging, SystemFileCalls);
            return ChangeResult::NotRead;
        }
        FileSource source(message, SystemFileCalls);
        BufferedReader reader(source);
        FileSink sink(staged, SystemFileCalls);
        char line[48];
        int length = std::snprintf(line, sizeof line, "%s %d\r\n", ReserveHeaderName, static_cast<int>(time));
        written = sink.Write(line, static_cast<size_t>(length)) && RewriteMessageText(reader, sink, nullptr);
    }
    // On the disk before it takes the message's place.
    written = written && SystemFileCalls.Flush(staged.Get());
    staged.Reset();
    if (!written) {
        RemoveStaging(staging, SystemFileCalls);
        return ChangeResult::NotWritten;
    }
    CopyBuffer buffer;
    StagedResult placed = ReplaceWithStaged(staging, path, buffer, SystemFileCalls);
    if (placed != StagedResult::NotReplaced)
        SayOutboxChanged();
    if (placed == StagedResult::Replaced)
        return ChangeResult::Changed;
    if (placed == StagedResult::NotReplaced) {
        RemoveStaging(staging, SystemFileCalls);
        return ChangeResult::NotWritten;
    }
    CopyCut(kept, 260, FileNamePart(staging));
    return ChangeResult::Damaged;
}
