#include "Host.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

// UTC in milliseconds since 1601-01-01, as the system keeps its clock; local times come from it
// through the system's zone, so that a daylight-saving change skips or repeats local times as on
// a real machine. The plug-in's clock-adjustment thread sets it too.
std::atomic<int64_t> Now;
// How long the host has run, in the same steps: its own delays (a receive, a connection) count
// on this, which setting the clock does not move.
int64_t Elapsed;

int64_t ToMilliseconds(const SYSTEMTIME& time)
{
    FILETIME file;
    if (!SystemTimeToFileTime(&time, &file))
        return 0;
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    return static_cast<int64_t>(value.QuadPart / 10000);
}

SYSTEMTIME FromMilliseconds(int64_t milliseconds)
{
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(milliseconds) * 10000;
    FILETIME file{value.LowPart, value.HighPart};
    SYSTEMTIME time{};
    FileTimeToSystemTime(&file, &time);
    return time;
}

SYSTEMTIME LocalOf(int64_t utcMilliseconds)
{
    SYSTEMTIME utc = FromMilliseconds(utcMilliseconds);
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return utc;
    return local;
}

void WINAPI HookGetLocalTime(LPSYSTEMTIME time)
{
    *time = LocalOf(Now);
}

void WINAPI HookGetSystemTime(LPSYSTEMTIME time)
{
    *time = FromMilliseconds(Now);
}

void WINAPI HookGetSystemTimeAsFileTime(LPFILETIME file)
{
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(Now.load()) * 10000;
    file->dwLowDateTime = value.LowPart;
    file->dwHighDateTime = value.HighPart;
}

// As Windows does it: the local time is taken with the offset from UTC in force now, daylight
// saving included, not the one of the time being set.
BOOL WINAPI HookSetLocalTime(const SYSTEMTIME* time)
{
    SYSTEMTIME fixed = *time;
    fixed.wDayOfWeek = 0;
    int64_t to = ToMilliseconds(fixed);
    if (to == 0) {
        LogEvent("clock: SetLocalTime refused %04u-%02u-%02u %02u:%02u:%02u.%03u", time->wYear, time->wMonth,
                 time->wDay, time->wHour, time->wMinute, time->wSecond, time->wMilliseconds);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t now = Now;
    Now.store(to - (ToMilliseconds(LocalOf(now)) - now));
    LogEvent("clock: set to %04u-%02u-%02u %02u:%02u:%02u.%03u", time->wYear, time->wMonth, time->wDay,
             time->wHour, time->wMinute, time->wSecond, time->wMilliseconds);
    return TRUE;
}

struct Hook {
    const char* name;
    void* replacement;
};
const Hook Hooks[] = {
    {"GetLocalTime", reinterpret_cast<void*>(HookGetLocalTime)},
    {"GetSystemTime", reinterpret_cast<void*>(HookGetSystemTime)},
    {"GetSystemTimeAsFileTime", reinterpret_cast<void*>(HookGetSystemTimeAsFileTime)},
    {"SetLocalTime", reinterpret_cast<void*>(HookSetLocalTime)},
};

}  // namespace

namespace SimClock {

int64_t UtcOfLocal(const SYSTEMTIME& local)
{
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        return ToMilliseconds(local);
    return ToMilliseconds(utc);
}

int64_t UtcMilliseconds(const SYSTEMTIME& utc)
{
    return ToMilliseconds(utc);
}

void SetLocal(const SYSTEMTIME& local)
{
    Now = UtcOfLocal(local);
}

void Advance(int milliseconds)
{
    Now += milliseconds;
    Elapsed += milliseconds;
}

void Step(int64_t milliseconds)
{
    Now += milliseconds;
}

SYSTEMTIME Local()
{
    return LocalOf(Now);
}

int64_t Milliseconds()
{
    return Now;
}

int64_t HostMilliseconds()
{
    return Elapsed;
}

std::string Stamp()
{
    SYSTEMTIME t = Local();
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds / 100);
    return text;
}

std::string PreciseStamp()
{
    SYSTEMTIME t = Local();
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

int PatchImports(HMODULE module)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return 0;
    int patched = 0;
    for (auto desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
        if (_stricmp(reinterpret_cast<char*>(base + desc->Name), "kernel32.dll") != 0)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (desc->OriginalFirstThunk ? desc->OriginalFirstThunk
                                                                                         : desc->FirstThunk));
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Hook& hook : Hooks) {
                if (std::strcmp(reinterpret_cast<char*>(byName->Name), hook.name) != 0)
                    continue;
                DWORD old = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook.replacement);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
                ++patched;
            }
        }
    }
    return patched;
}

}  // namespace SimClock
