#include "StagedFile.h"

#include <cstring>

namespace {

const char StagingDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int StagingNames = 36 * 36;

bool IsAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool Seek(const FileCalls& files, const FileHandle& file, LONGLONG offset, DWORD from, LONGLONG* at = nullptr)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!files.Seek(file.Get(), distance, &position, from))
        return false;
    if (at)
        *at = position.QuadPart;
    return true;
}

// Copies source from its start over target from its start. *wrote tells whether target may have
// changed on the way.
bool CopyOver(const FileCalls& files, const FileHandle& source, const FileHandle& target, LONGLONG length,
              CopyBuffer& buffer, bool* wrote)
{
    if (!Seek(files, source, 0, FILE_BEGIN) || !Seek(files, target, 0, FILE_BEGIN))
        return false;
    unsigned char* chunk = buffer.Bytes();
    const DWORD chunkSize = static_cast<DWORD>(buffer.Size());
    for (LONGLONG copied = 0; copied < length;) {
        DWORD want = length - copied < chunkSize ? static_cast<DWORD>(length - copied) : chunkSize;
        DWORD read = 0;
        if (!files.Read(source.Get(), chunk, want, &read, nullptr) || read == 0)
            return false;
        DWORD written = 0;
        bool done = files.Write(target.Get(), chunk, read, &written, nullptr) && written == read;
        // A write that failed before its first byte left the file as it was.
        *wrote = *wrote || done || written > 0;
        if (!done)
            return false;
        copied += read;
    }
    // Only for the disk: the bytes are in place whatever it says.
    files.Flush(target.Get());
    return true;
}

// The rename could not replace target (the host holds it open, without delete sharing): the
// staged content is written over target where it stands.
StagedResult WriteOverInPlace(const char* stagingPath, const char* target, CopyBuffer& buffer,
                              const FileCalls& files)
{
    FileHandle source(files.Create(stagingPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    FileHandle file(files.Create(target, GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    LONGLONG length = 0;
    LONGLONG oldLength = 0;
    if (!source || !file || !Seek(files, source, 0, FILE_END, &length) ||
        !Seek(files, file, 0, FILE_END, &oldLength))
        return StagedResult::NotReplaced;
    // A longer text takes its length first: a full disk then stops the rewrite before a byte of
    // the message has changed. A shorter one is cut only once it is written: cut first, writes
    // that then failed would leave the old message shortened, its reservation line and all, for
    // the next scan to release as it stands.
    auto cut = [&](LONGLONG at) { return Seek(files, file, at, FILE_BEGIN) && files.SetEnd(file.Get()); };
    if (length > oldLength && !cut(length))
        return StagedResult::NotReplaced;
    // A failure on the way: once more from the start.
    bool wrote = false;
    if (CopyOver(files, source, file, length, buffer, &wrote) || CopyOver(files, source, file, length, buffer, &wrote))
        return length >= oldLength || cut(length) || cut(length) ? StagedResult::Replaced : StagedResult::Damaged;
    // Grown but not yet written: cut back, and the message is as it was.
    if (!wrote && length > oldLength && cut(oldLength))
        return StagedResult::NotReplaced;
    if (!wrote && length <= oldLength)
        return StagedResult::NotReplaced;
    // Part new, part old, or cut short: the complete content stays in the staging file.
    return StagedResult::Damaged;
}

}  // namespace

FileHandle CreateStagingBeside(const char* target, char* stagingPath, size_t size, const FileCalls& files)
{
    size_t length = std::strlen(target);
    if (length < 4 || length >= size || target[length - 4] != '.' || !IsAsciiAlnum(target[length - 3]) ||
        !IsAsciiAlnum(target[length - 2]) || !IsAsciiAlnum(target[length - 1]))
        return FileHandle();
    std::memcpy(stagingPath, target, length + 1);
    // "name.~xy": created only if no file of that name exists, so each staging file is its own
    // even when two host processes release at the same moment, and a file left by a crash is
    // passed over.
    int refused = 0;
    for (int n = 0; n < StagingNames; ++n) {
        stagingPath[length - 3] = '~';
        stagingPath[length - 2] = StagingDigits[n / 36];
        stagingPath[length - 1] = StagingDigits[n % 36];
        FileHandle file(files.Create(stagingPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        if (file)
            return file;
        // Taken (a folder of that name, or a file being deleted, refuses access): try the next
        // name. Refused again and again, the folder itself is closed to us.
        DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED && ++refused < 8)
            continue;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    stagingPath[0] = '\0';
    return FileHandle();
}

StagedResult ReplaceWithStaged(const char* stagingPath, const char* target, CopyBuffer& buffer, const FileCalls& files)
{
    // A rename within the folder: the message is either the old file or the complete new one.
    if (files.Move(stagingPath, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return StagedResult::Replaced;
    StagedResult result = WriteOverInPlace(stagingPath, target, buffer, files);
    if (result == StagedResult::Replaced)
        RemoveStaging(stagingPath, files);
    return result;
}

void RemoveStaging(const char* stagingPath, const FileCalls& files)
{
    // Once more when the first try fails: a scanner that looks at every new file may hold it
    // for a moment.
    if (!files.Delete(stagingPath))
        files.Delete(stagingPath);
}

const char* FileNamePart(const char* path)
{
    const char* name = path;
    for (const char* at = path; *at; ++at) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1])
            ++at;
        else if (*at == '\\' || *at == '/')
            name = at + 1;
    }
    return name;
}
