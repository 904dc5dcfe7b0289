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

// Registry schema: key and value names, in the order they are read, written and exported.
namespace Store {
extern const char* const SoftwareKey;   // "Software"
extern const char* const CompanyKey;    // "Quor"
extern const char* const PlugKey;       // "ChronelPlug"
extern const char* const ServerKey;     // "Server"
extern const char* const ScheduleKey;   // "Schedule"
extern const char* const EntryKeyFormat;  // "data%d"
}  // namespace Store
