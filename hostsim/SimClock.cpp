#include "Host.h"

#include <atomic>
#include <cstdio>

namespace {

// Local time in milliseconds since 1601-01-01. The plug-in's clock-adjustment thread sets it too.
std::atomic<int64_t> Now;

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

SYSTEMTIME Utc()
{
    SYSTEMTIME local = FromMilliseconds(Now);
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        return local;
    return utc;
}

void WINAPI HookGetLocalTime(LPSYSTEMTIME time)
{
    *time = FromMilliseconds(Now);
}

void WINAPI HookGetSystemTime(LPSYSTEMTIME time)
{
    *time = Utc();
}

void WINAPI HookGetSystemTimeAsFileTime(LPFILETIME file)
{
    SYSTEMTIME utc = Utc();
    SystemTimeToFileTime(&utc, file);
}

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
    Now.store(to);
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

void SetLocal(const SYSTEMTIME& local)
{
    Now = ToMilliseconds(local);
}

void Advance(int milliseconds)
{
    Now += milliseconds;
}

SYSTEMTIME Local()
{
    return FromMilliseconds(Now);
}

int64_t LocalMilliseconds()
{
    return Now;
}

std::string Stamp()
{
    SYSTEMTIME t = FromMilliseconds(Now);
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds / 100);
    return text;
}

int PatchImports(HMODULE module)
{
    int patched = 0;
    for (const Hook& hook : Hooks)
        patched += PatchKernel32Import(module, hook.name, hook.replacement);
    return patched;
}

}  // namespace SimClock
