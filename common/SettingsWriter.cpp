#include "SettingsWriter.h"

#include "RegeditText.h"
#include "SettingsStore.h"

#include <cstdio>
#include <cstring>

namespace {

void WriteNumber(HKEY key, const char* name, int32_t value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// REG_SZ bytes without the terminator, as the store keeps its texts.
void WriteBytes(HKEY key, const char* name, const char* bytes, DWORD size)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes), size);
}

// Owns a file handle; INVALID_HANDLE_VALUE is empty.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    HANDLE handle_;
};

}  // namespace

int SaveSettings(const Settings& s)
{
    RegKey key = OpenSettingsKey();
    if (!key)
        return 0;
    HKEY k = key.Get();
    WriteNumber(k, "AutoStart", s.AutoStart);
    WriteBytes(k, "ShortCut", &s.ShortCut, 1);
    WriteNumber(k, "NoNomal", s.NoNomal);
    WriteNumber(k, "AutoDistribute", s.AutoDistribute);
    WriteNumber(k, "UseReserve", s.UseReserve);
    WriteNumber(k, "SendQuick", s.SendQuick);
    WriteNumber(k, "ChangeDate", s.ChangeDate);
    WriteNumber(k, "PreSec", s.PreSec);
    WriteNumber(k, "PostSec", s.PostSec);
    WriteNumber(k, "ReserveMark", s.ReserveMark);
    WriteNumber(k, "UseSNTP", s.UseSNTP);
    // No text held: an empty value, which reads back as no text.
    const char* server = s.SNTPServer ? s.SNTPServer : "";
    WriteBytes(k, "SNTPServer", server, static_cast<DWORD>(std::strlen(server)));
    WriteNumber(k, "TimeOut", s.TimeOut);
    WriteNumber(k, "Accuracy", s.Accuracy);
    WriteNumber(k, "RunSNTPServer", s.RunSNTPServer);
    return 1;
}

int SaveSchedule(const Settings& s)
{
    for (int day = 0; day < 7; ++day)
        SaveDay(s.Schedule[day], WeekdayNames[day]);

    RegKey server;
    {
        RegKey plug = OpenSettingsKey();
        server = CreateSubKey(plug.Get(), Store::ServerKey);
    }
    if (!server)
        return 1;
    HKEY k = server.Get();
    WriteNumber(k, "Connect", s.Connect);
    WriteNumber(k, "ConnectHour", s.ConnectHour);
    WriteNumber(k, "ConnectMinute", s.ConnectMinute);
    WriteNumber(k, "DisConnect", s.DisConnect);
    WriteNumber(k, "DisConnectHour", s.DisConnectHour);
    WriteNumber(k, "DisConnectMinute", s.DisConnectMinute);
    return 1;
}

int SaveDay(const ScheduleList& list, const char* dayName)
{
    RegKey day = OpenDayKey(dayName);
    if (!day)
        return 1;

    // Delete every old entry. A subkey that cannot be deleted (one with subkeys of its own) is
    // stepped over, so the loop ends whatever the key holds.
    char name[1024];
    DWORD index = 0;
    for (;;) {
        DWORD length = sizeof name;
        LONG status = RegEnumKeyExA(day.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            ++index;
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        if (RegDeleteKeyA(day.Get(), name) != ERROR_SUCCESS)
            ++index;
    }

    int n = 0;
    for (const ScheduleEntry* entry = list.Head; entry; entry = entry->Next) {
        char entryName[32];
        std::snprintf(entryName, sizeof entryName, Store::EntryKeyFormat, n++);
        RegKey entryKey = CreateSubKey(day.Get(), entryName);
        if (!entryKey)
            continue;
        WriteNumber(entryKey.Get(), "Hour", entry->Hour);
        WriteNumber(entryKey.Get(), "Minute", entry->Minute);
        WriteNumber(entryKey.Get(), "EveryDay", entry->EveryDay);
        WriteNumber(entryKey.Get(), "Around", entry->Around);
        WriteNumber(entryKey.Get(), "SNTP", entry->SNTP);
    }
    return 1;
}

int ExportSettings(const Settings& settings, const char* path)
{
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 0;
    TextBuffer text = BuildRegeditText(settings);
    if (text.Failed())
        return 0;
    DWORD written = 0;
    if (!WriteFile(file.Get(), text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr))
        return 0;
    return written == text.size() ? 1 : 0;
}
