#include "SettingsStore.h"

#include "../pure/Allocation.h"
#include "../pure/StoredValue.h"

#include <memory>

RegKey CreateSubKey(HKEY parent, const char* name, LONG* status)
{
    LONG result = ERROR_INVALID_HANDLE;
    HKEY key = nullptr;
    if (parent)
        result = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsKeyAccess, nullptr,
                                 &key, nullptr);
    if (status)
        *status = result;
    return result == ERROR_SUCCESS ? RegKey(key) : RegKey();
}

RegKey OpenSettingsKey(LONG* status)
{
    HKEY software = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, Store::SoftwareKey, 0, SettingsKeyAccess, &software);
    if (result != ERROR_SUCCESS) {
        if (status)
            *status = result;
        return RegKey();
    }
    RegKey softwareKey(software);
    LONG companyStatus = ERROR_SUCCESS;
    RegKey company = CreateSubKey(softwareKey.Get(), Store::CompanyKey, &companyStatus);
    RegKey plug = CreateSubKey(company.Get(), Store::PlugKey, status);
    // Without the company key the plug-in's key fails for that key's reason.
    if (!company && status)
        *status = companyStatus;
    return plug;
}

RegKey OpenDayKey(const char* dayName, LONG* status)
{
    LONG plugStatus = ERROR_SUCCESS, scheduleStatus = ERROR_SUCCESS;
    RegKey plug = OpenSettingsKey(&plugStatus);
    RegKey schedule = CreateSubKey(plug.Get(), Store::ScheduleKey, &scheduleStatus);
    RegKey day = CreateSubKey(schedule.Get(), dayName, status);
    if (status && !plug)
        *status = plugStatus;
    else if (status && !schedule)
        *status = scheduleStatus;
    return day;
}

// The size of a stored value, 0 when it is missing, empty or the key is none.
static DWORD StoredSize(HKEY key, const char* name)
{
    DWORD size = 0;
    if (!key || RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return 0;
    return size;
}

// Reads the whole stored value of name, whatever its size and type, so that the result does not
// depend on what the registry leaves in a too-small buffer, and hands its bytes to take. A
// missing, empty or unreadable value hands over nothing.
template <typename Take>
static void ReadStoredBytes(HKEY key, const char* name, Take take)
{
    DWORD size = StoredSize(key, name);
    if (size == 0)
        return;
    unsigned char small[8];
    std::unique_ptr<unsigned char[]> large;
    unsigned char* bytes = small;
    if (size > sizeof small) {
        large.reset(new (NoThrow) unsigned char[size]);
        if (!large)
            return;
        bytes = large.get();
    }
    DWORD got = size;
    if (RegQueryValueExA(key, name, nullptr, nullptr, bytes, &got) == ERROR_SUCCESS && got <= size)
        take(bytes, got);
}

void ReadNumber(HKEY key, const char* name, int32_t* field)
{
    ReadStoredBytes(key, name, [field](const unsigned char* bytes, DWORD size) {
        *field = StoredNumber(*field, bytes, size);
    });
}

// The stored text of a value, or none when the value is missing or empty.
static OwnedText ReadText(HKEY key, const char* name)
{
    DWORD size = StoredSize(key, name);
    if (size == 0)
        return OwnedText();
    std::unique_ptr<unsigned char[]> bytes(new (NoThrow) unsigned char[size]);
    if (!bytes)
        return OwnedText();
    DWORD got = size;
    // A value that can no longer be read (it changed meanwhile) gives an empty text.
    if (RegQueryValueExA(key, name, nullptr, nullptr, bytes.get(), &got) != ERROR_SUCCESS || got > size)
        got = 0;
    return StoredText(bytes.get(), got);
}

// Every value of the table stored in one place, each starting from its preset.
static void LoadValues(HKEY key, SettingPlace place, Settings& settings)
{
    for (const SettingValue& value : SettingValues) {
        if (value.place != place)
            continue;
        switch (value.kind) {
        case SettingKind::Number:
            settings.*value.number = value.preset;
            ReadNumber(key, value.name, &(settings.*value.number));
            break;
        case SettingKind::Letter:
            // One byte: the letter. A value stored with its terminator (as an import of the
            // export file leaves it) gives its first character.
            settings.ShortCut = static_cast<char>(value.preset);
            ReadStoredBytes(key, value.name, [&settings](const unsigned char* bytes, DWORD size) {
                settings.ShortCut = StoredLetter(settings.ShortCut, bytes, size);
            });
            break;
        case SettingKind::Text:
            settings.ClearServer();
            settings.SNTPServer = ReadText(key, value.name);
            break;
        }
    }
}

int LoadSettings(Settings& settings)
{
    {
        RegKey key = OpenSettingsKey();
        LoadValues(key.Get(), SettingPlace::Plug, settings);
    }
    LoadSchedule(settings);
    return 1;
}

int LoadSchedule(Settings& settings)
{
    for (int day = 0; day < 7; ++day)
        LoadDay(settings.Schedule[day], WeekdayNames[day]);

    RegKey server;
    {
        RegKey plug = OpenSettingsKey();
        server = CreateSubKey(plug.Get(), Store::ServerKey);
    }
    if (server)
        LoadValues(server.Get(), SettingPlace::Server, settings);
    return 1;
}

int LoadDay(ScheduleList& list, const char* dayName)
{
    list.Clear();
    list.SetDayName(dayName);

    RegKey day = OpenDayKey(dayName);
    if (!day)
        return 1;

    char name[1024];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        LONG status = RegEnumKeyExA(day.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;  // a name longer than the buffer: skip this index
        if (status != ERROR_SUCCESS)
            break;  // no more items, or the key went away: never spin on a failing index
        HKEY opened = nullptr;
        if (RegOpenKeyExA(day.Get(), name, 0, SettingsKeyAccess, &opened) != ERROR_SUCCESS)
            continue;
        RegKey entryKey(opened);
        ScheduleEntry entry(-1, -1);
        for (const EntryValue& value : EntryValues)
            ReadNumber(entryKey.Get(), value.name, &(entry.*value.number));
        list.InsertSorted(entry);
    }
    return 1;
}
