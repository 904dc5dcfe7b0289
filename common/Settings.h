#pragma once

#include "OwnedText.h"
#include "Schedule.h"

#include <cstdint>

// The most seconds PreSec and PostSec move a released message's "Date:" line before or after its
// reservation: the editor takes no more, and chronel reads a larger stored value as this.
constexpr uint32_t MaxDateShiftSeconds = 86400;

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
};

inline constexpr SettingValue SettingValues[] = {
    {"AutoStart", &Settings::AutoStart, 0, SettingPlace::Plug, SettingKind::Number},
    {"ShortCut", nullptr, 'X', SettingPlace::Plug, SettingKind::Letter},
    {"NoNomal", &Settings::NoNomal, 0, SettingPlace::Plug, SettingKind::Number},
    {"AutoDistribute", &Settings::AutoDistribute, 0, SettingPlace::Plug, SettingKind::Number},
    {"UseReserve", &Settings::UseReserve, 0, SettingPlace::Plug, SettingKind::Number},
    {"SendQuick", &Settings::SendQuick, 0, SettingPlace::Plug, SettingKind::Number},
    {"ChangeDate", &Settings::ChangeDate, 0, SettingPlace::Plug, SettingKind::Number},
    {"PreSec", &Settings::PreSec, 0, SettingPlace::Plug, SettingKind::Number},
    {"PostSec", &Settings::PostSec, 0, SettingPlace::Plug, SettingKind::Number},
    {"ReserveMark", &Settings::ReserveMark, 0, SettingPlace::Plug, SettingKind::Number},
    {"UseSNTP", &Settings::UseSNTP, 0, SettingPlace::Plug, SettingKind::Number},
    {"SNTPServer", nullptr, 0, SettingPlace::Plug, SettingKind::Text},
    {"TimeOut", &Settings::TimeOut, 600, SettingPlace::Plug, SettingKind::Number},
    {"Accuracy", &Settings::Accuracy, 200, SettingPlace::Plug, SettingKind::Number},
    {"RunSNTPServer", &Settings::RunSNTPServer, 0, SettingPlace::Plug, SettingKind::Number},
    // An hour or minute never stored reads as -1, which no clock shows.
    {"Connect", &Settings::Connect, 0, SettingPlace::Server, SettingKind::Number},
    {"ConnectHour", &Settings::ConnectHour, -1, SettingPlace::Server, SettingKind::Number},
    {"ConnectMinute", &Settings::ConnectMinute, -1, SettingPlace::Server, SettingKind::Number},
    {"DisConnect", &Settings::DisConnect, 0, SettingPlace::Server, SettingKind::Number},
    {"DisConnectHour", &Settings::DisConnectHour, -1, SettingPlace::Server, SettingKind::Number},
    {"DisConnectMinute", &Settings::DisConnectMinute, -1, SettingPlace::Server, SettingKind::Number},
};

// The values of one schedule entry (a key "data<n>" under its weekday), in their order.
struct EntryValue {
    const char* name;
    int32_t ScheduleEntry::*number;
};

inline constexpr EntryValue EntryValues[] = {
    {"Hour", &ScheduleEntry::Hour},         {"Minute", &ScheduleEntry::Minute}, {"EveryDay", &ScheduleEntry::EveryDay},
    {"Around", &ScheduleEntry::Around},     {"SNTP", &ScheduleEntry::SNTP},
};

// Registry schema: key names.
namespace Store {
extern const char* const SoftwareKey;   // "Software"
extern const char* const CompanyKey;    // "Quor"
extern const char* const PlugKey;       // "ChronelPlug"
extern const char* const ServerKey;     // "Server"
extern const char* const ScheduleKey;   // "Schedule"
extern const char* const EntryKeyFormat;  // "data%d"
}  // namespace Store
