#include "SettingsWriter.h"

#include "../pure/Allocation.h"
#include "../pure/RegeditText.h"
#include "SettingsStore.h"
#include "../pure/ShiftJis.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The first failure of a sequence of writes that goes on past it.
class FirstFailure {
public:
    void Note(LONG status)
    {
        if (status != ERROR_SUCCESS && code_ == ERROR_SUCCESS)
            code_ = static_cast<DWORD>(status);
    }
    bool Failed() const { return code_ != ERROR_SUCCESS; }
    int Report(DWORD* error) const
    {
        if (error)
            *error = code_;
        return Failed() ? 0 : 1;
    }

private:
    DWORD code_ = ERROR_SUCCESS;
};

LONG WriteNumber(HKEY key, const char* name, int32_t value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// REG_SZ bytes without the terminator, as the store keeps its texts.
LONG WriteBytes(HKEY key, const char* name, const char* bytes, DWORD size)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes), size);
}

// Every value of the table stored in one place. A failing value does not stop the others.
void WriteValues(HKEY key, SettingPlace place, const Settings& s, FirstFailure& failure)
{
    for (const SettingValue& value : SettingValues) {
        if (value.place != place)
            continue;
        switch (value.kind) {
        case SettingKind::Number:
            failure.Note(WriteNumber(key, value.name, s.*value.number));
            break;
        case SettingKind::Letter:
            failure.Note(WriteBytes(key, value.name, &s.ShortCut, 1));
            break;
        case SettingKind::Text: {
            // No text held: an empty value, which reads back as no text.
            const char* text = s.SNTPServer ? s.SNTPServer.Get() : "";
            failure.Note(WriteBytes(key, value.name, text, static_cast<DWORD>(std::strlen(text))));
            break;
        }
        }
    }
}

void WriteEntry(HKEY key, const ScheduleEntry& entry, FirstFailure& failure)
{
    for (const EntryValue& value : EntryValues)
        failure.Note(WriteNumber(key, value.name, entry.*value.number));
    // The key may be an old entry's with values of its own: it ends up holding the five alone,
    // as a freshly made one would.
    char name[1024];
    for (DWORD index = 0;;) {
        DWORD length = sizeof name;
        LONG status = RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            ++index;  // a longer name is none of the five, but cannot be named to delete it
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        bool ours = false;
        for (const EntryValue& known : EntryValues)
            ours = ours || lstrcmpiA(name, known.name) == 0;
        if (ours || RegDeleteValueA(key, name) != ERROR_SUCCESS)
            ++index;
    }
}

// True for the name of one of the first count entries ("data0" up to "data<count-1>"), in any
// letter case, as the registry compares names.
bool IsEntryName(const char* name, int count)
{
    for (int i = 0; i < 4; ++i) {
        if (FoldAscii(name[i]) != "data"[i])
            return false;
    }
    const char* digits = name + 4;
    if (*digits < '0' || *digits > '9' || (*digits == '0' && digits[1]))
        return false;
    long long n = 0;
    for (const char* d = digits; *d; ++d) {
        if (*d < '0' || *d > '9' || n >= count)
            return false;
        n = n * 10 + (*d - '0');
    }
    return n < count;
}

// Deletes a key with everything under it (RegDeleteKey takes only a key without subkeys). Key names
// are at most 255 characters, and the registry nests at most 512 levels.
LONG DeleteKeyTree(HKEY parent, const char* name)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ, &opened) == ERROR_SUCCESS) {
        // Closed before the delete below: an open handle would keep the key.
        RegKey key(opened);
        char child[256];
        for (DWORD index = 0;;) {
            DWORD length = sizeof child;
            if (RegEnumKeyExA(key.Get(), index, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (DeleteKeyTree(key.Get(), child) != ERROR_SUCCESS)
                ++index;  // stays; the key above it then fails to go and says why
        }
    }
    return RegDeleteKeyA(parent, name);
}

// Deletes every subkey of a weekday key but the first count entries, with whatever lies under
// them: any subkey of a weekday key is read as an entry.
void RemoveSurplusEntries(HKEY day, int count, FirstFailure& failure)
{
    char name[256];
    for (DWORD index = 0;;) {
        DWORD length = sizeof name;
        LONG status = RegEnumKeyExA(day, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            ++index;  // longer than any key name can be
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        if (IsEntryName(name, count)) {
            ++index;
            continue;
        }
        status = DeleteKeyTree(day, name);
        if (status != ERROR_SUCCESS) {
            failure.Note(status);
            ++index;
        }
    }
}

// The key of every entry of a day, data0 up to data<count-1>, made or opened before anything is
// written. Null (with the failure noted) when one cannot be had: the keys this call made are
// taken away again, and the day stays as it was stored.
struct EntryKey {
    RegKey key;
    bool made = false;
};

std::unique_ptr<EntryKey[]> OpenEntryKeys(HKEY day, int count, FirstFailure& failure)
{
    std::unique_ptr<EntryKey[]> keys(new (NoThrow) EntryKey[count > 0 ? count : 1]);
    if (!keys) {
        failure.Note(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    for (int n = 0; n < count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, Store::EntryKeyFormat, n);
        HKEY key = nullptr;
        DWORD disposition = 0;
        LONG status = RegCreateKeyExA(day, name, 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsKeyAccess, nullptr,
                                      &key, &disposition);
        if (status != ERROR_SUCCESS) {
            failure.Note(status);
            for (int made = 0; made < n; ++made) {
                keys[made].key.Reset();
                if (keys[made].made) {
                    std::snprintf(name, sizeof name, Store::EntryKeyFormat, made);
                    RegDeleteKeyA(day, name);
                }
            }
            return nullptr;
        }
        keys[n].key = RegKey(key);
        keys[n].made = disposition == REG_CREATED_NEW_KEY;
    }
    return keys;
}

DWORD WriteWholeFile(const char* path, const char* bytes, size_t size)
{
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes, static_cast<DWORD>(size), &written, nullptr))
        return GetLastError();
    if (written != size)
        return ERROR_DISK_FULL;
    // What the disk refuses shows here, before the file takes the old one's place.
    if (!FlushFileBuffers(file.Get()))
        return GetLastError();
    return ERROR_SUCCESS;
}

// Writes the bytes to a new file in path's folder and then moves it into path's place.
// ERROR_SUCCESS, or the error of the step that failed; the new file is gone then.
DWORD ReplaceFileWith(const char* path, const char* bytes, size_t size)
{
    // The folder part: up to the last separator, walking by characters, since the trail byte of
    // a double-byte character may be a backslash.
    const char* last = nullptr;
    for (const char* p = path; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            last = p;
    }
    char folder[MAX_PATH] = ".";
    size_t folderLength = last ? static_cast<size_t>(last - path) + 1 : (path[0] && path[1] == ':' ? 2 : 0);
    if (folderLength >= sizeof folder)
        return ERROR_FILENAME_EXCED_RANGE;
    if (folderLength > 0) {
        std::memcpy(folder, path, folderLength);
        folder[folderLength] = '\0';
    }
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(folder, "chr", 0, temporary))
        return GetLastError();
    DWORD status = WriteWholeFile(temporary, bytes, size);
    if (status == ERROR_SUCCESS && !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        status = GetLastError();
    if (status != ERROR_SUCCESS)
        DeleteFileA(temporary);
    return status;
}

}  // namespace

int SaveSettings(const Settings& s, DWORD* error)
{
    FirstFailure failure;
    LONG status = ERROR_SUCCESS;
    RegKey key = OpenSettingsKey(&status);
    if (!key) {
        failure.Note(status);
        return failure.Report(error);
    }
    WriteValues(key.Get(), SettingPlace::Plug, s, failure);
    return failure.Report(error);
}

int SaveSchedule(const Settings& s, DWORD* error)
{
    FirstFailure failure;
    for (int day = 0; day < 7; ++day) {
        DWORD dayError = ERROR_SUCCESS;
        SaveDay(s.Schedule[day], WeekdayNames[day], &dayError);
        failure.Note(static_cast<LONG>(dayError));
    }

    LONG status = ERROR_SUCCESS;
    RegKey server;
    {
        RegKey plug = OpenSettingsKey(&status);
        if (plug)
            server = CreateSubKey(plug.Get(), Store::ServerKey, &status);
    }
    if (!server) {
        failure.Note(status);
        return failure.Report(error);
    }
    WriteValues(server.Get(), SettingPlace::Server, s, failure);
    return failure.Report(error);
}

int SaveDay(const ScheduleList& list, const char* dayName, DWORD* error)
{
    FirstFailure failure;
    LONG status = ERROR_SUCCESS;
    RegKey day = OpenDayKey(dayName, &status);
    if (!day) {
        failure.Note(status);
        return failure.Report(error);
    }

    // Each entry goes to the key named after its position, written over the old entry of that
    // name. A key that cannot be had fails the day before anything is written: written over one
    // by one, the old entries would be lost to the first new ones while the last could not be
    // stored.
    const int count = list.Count();
    std::unique_ptr<EntryKey[]> keys = OpenEntryKeys(day.Get(), count, failure);
    if (!keys)
        return failure.Report(error);
    int n = 0;
    for (const ScheduleEntry* entry = list.Head; entry && n < count; entry = entry->Next)
        WriteEntry(keys[n++].key.Get(), *entry, failure);
    // Only a day written whole loses its other subkeys: after a failure they may be all that is
    // left of entries the list still holds.
    if (!failure.Failed())
        RemoveSurplusEntries(day.Get(), count, failure);
    return failure.Report(error);
}

int ExportSettings(const Settings& settings, const char* path, DWORD* error)
{
    FirstFailure failure;
    TextBuffer text = BuildRegeditText(settings);
    if (text.Failed())
        failure.Note(ERROR_NOT_ENOUGH_MEMORY);
    else
        failure.Note(static_cast<LONG>(ReplaceFileWith(path, text.c_str(), text.size())));
    return failure.Report(error);
}
