#pragma once

#include "OwnedText.h"
#include "Schedule.h"
#include "ValueRange.h"

#include <cstddef>
#include <cstdint>

// The most seconds PreSec and PostSec move a released message's "Date:" line before or after its
// reservation: the editor takes no more, and chronel reads a larger stored value as this.
constexpr uint32_t MaxDateShiftSeconds = 86400;

// The editor's ranges of the stored numbers. Check boxes give 0 or 1.
namespace Ranges {
constexpr ValueRange None = {0, 0, 0};  // a letter or a text
constexpr ValueRange Tick = {0, 1, 0};
constexpr ValueRange Hour = {0, 23, 23};
constexpr ValueRange Minute = {0, 59, 59};
// The spins stop at 600; typed, up to the most a "Date:" line is moved.
constexpr ValueRange DateShift = {0, MaxDateShiftSeconds, 600};
// Typed, any number without a minus sign.
constexpr ValueRange Milliseconds = {0, UINT32_MAX, 32767};
// The index of the ticked mark button (0: the hidden "no mark" one), -1 when none is.
constexpr ValueRange Mark = {-1, 7, 0};
}  // namespace Ranges

// The one settings record of both libraries; fields bear the registry value names.
struct Settings {
    WeekSchedule Schedule;
    int32_t Connect = 0;
    int32_t ConnectHour = 0;
    int32_t ConnectMinute = 0;
    int32_t DisConnect = 0;
    int32_t DisConnectHour = 0;
    int32_t DisConnectMinute = 0;
    int32_t AutoStart = 0;
    char ShortCut = 0;
    int32_t NoNomal = 0;
    int32_t AutoDistribute = 0;
    int32_t UseReserve = 0;
    int32_t SendQuick = 0;
    int32_t ChangeDate = 0;
    int32_t PreSec = 0;
    int32_t PostSec = 0;
    int32_t ReserveMark = 0;
    int32_t UseSNTP = 0;
    OwnedText SNTPServer;  // none when the store holds no text
    int32_t Accuracy = 0;
    int32_t TimeOut = 0;
    int32_t RunSNTPServer = 0;

    Settings() = default;
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Replaces SNTPServer by a copy of text (none for a null text). 0 when the copy failed.
    int SetServer(const char* text);
    void ClearServer();
};

// Where a value is stored: the plug-in's key, or its Server subkey.
enum class SettingPlace : uint8_t { Plug, Server };
// How a value is stored: a 32-bit number (REG_DWORD), the one-letter ShortCut, or the server's
// name (both REG_SZ).
enum class SettingKind : uint8_t { Number, Letter, Text };

// One stored value of the record: reading, writing and the export walk this table, in its order.
struct SettingValue {
    const char* name;
    int32_t Settings::*number;  // Number: the field it is read into and written from
    int16_t preset;             // what a missing value reads as (ShortCut's: its letter)
    SettingPlace place;
    SettingKind kind;
    ValueRange range;
};

inline constexpr SettingValue SettingValues[] = {
    {"AutoStart", &Settings::AutoStart, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    {"ShortCut", nullptr, 'X', SettingPlace::Plug, SettingKind::Letter, Ranges::None},
    {"NoNomal", &Settings::NoNomal, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    {"AutoDistribute", &Settings::AutoDistribute, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    {"UseReserve", &Settings::UseReserve, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    {"SendQuick", &Settings::SendQuick, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    {"ChangeDate", &Settings::ChangeDate, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    {"PreSec", &Settings::PreSec, 0, SettingPlace::Plug, SettingKind::Number, Ranges::DateShift},
    {"PostSec", &Settings::PostSec, 0, SettingPlace::Plug, SettingKind::Number, Ranges::DateShift},
    {"ReserveMark", &Settings::ReserveMark, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Mark},
    {"UseSNTP", &Settings::UseSNTP, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    {"SNTPServer", nullptr, 0, SettingPlace::Plug, SettingKind::Text, Ranges::None},
    {"TimeOut", &Settings::TimeOut, 600, SettingPlace::Plug, SettingKind::Number, Ranges::Milliseconds},
    {"Accuracy", &Settings::Accuracy, 200, SettingPlace::Plug, SettingKind::Number, Ranges::Milliseconds},
    {"RunSNTPServer", &Settings::RunSNTPServer, 0, SettingPlace::Plug, SettingKind::Number, Ranges::Tick},
    // An hour or minute never stored reads as -1, which no clock shows.
    {"Connect", &Settings::Connect, 0, SettingPlace::Server, SettingKind::Number, Ranges::Tick},
    {"ConnectHour", &Settings::ConnectHour, -1, SettingPlace::Server, SettingKind::Number, Ranges::Hour},
    {"ConnectMinute", &Settings::ConnectMinute, -1, SettingPlace::Server, SettingKind::Number, Ranges::Minute},
    {"DisConnect", &Settings::DisConnect, 0, SettingPlace::Server, SettingKind::Number, Ranges::Tick},
    {"DisConnectHour", &Settings::DisConnectHour, -1, SettingPlace::Server, SettingKind::Number, Ranges::Hour},
    {"DisConnectMinute", &Settings::DisConnectMinute, -1, SettingPlace::Server, SettingKind::Number, Ranges::Minute},
};

// The values of one schedule entry (a key "data<n>" under its weekday), in their order.
struct EntryValue {
    const char* name;
    int32_t ScheduleEntry::*number;
    ValueRange range;
};

inline constexpr EntryValue EntryValues[] = {
    {"Hour", &ScheduleEntry::Hour, Ranges::Hour},       {"Minute", &ScheduleEntry::Minute, Ranges::Minute},
    {"EveryDay", &ScheduleEntry::EveryDay, Ranges::Tick}, {"Around", &ScheduleEntry::Around, Ranges::Tick},
    {"SNTP", &ScheduleEntry::SNTP, Ranges::Tick},
};

// The editor's range of the value stored from field.
template <typename Record, typename Row, size_t N>
constexpr const ValueRange& RangeIn(const Row (&rows)[N], int32_t Record::*field)
{
    for (const Row& row : rows) {
        if (row.number == field)
            return row.range;
    }
    return Ranges::None;
}
constexpr const ValueRange& RangeOf(int32_t Settings::*field) { return RangeIn(SettingValues, field); }
constexpr const ValueRange& RangeOf(int32_t ScheduleEntry::*field) { return RangeIn(EntryValues, field); }

// Registry schema: key names.
namespace Store {
extern const char* const SoftwareKey;   // "Software"
extern const char* const CompanyKey;    // "Quor"
extern const char* const PlugKey;       // "ChronelPlug"
extern const char* const ServerKey;     // "Server"
extern const char* const ScheduleKey;   // "Schedule"
extern const char* const EntryKeyFormat;  // "data%d"
}  // namespace Store
