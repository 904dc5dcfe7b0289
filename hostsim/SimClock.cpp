#include "Host.h"
#include "ImportPatch.h"
#include "Plugin.h"
#include "TimeText.h"

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
// The error with which a change of the clock fails, as Windows refuses a user without the right; 0 accepts.
std::atomic<DWORD> Refusal{0};

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

std::string Precise(const SYSTEMTIME& t)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

// The clock set to utc (0 for a time the system refuses), asked for as call with the time given;
// logged with the local time it then shows and its UTC.
BOOL SetClock(const char* call, const SYSTEMTIME& given, int64_t utc)
{
    DWORD refusal = utc == 0 ? ERROR_INVALID_PARAMETER : Refusal.load();
    if (refusal) {
        LogEvent("clock: %s refused %s (error %lu)", call, Precise(given).c_str(), static_cast<unsigned long>(refusal));
        SetLastError(refusal);
        return FALSE;
    }
    Now.store(utc);
    LogEvent("clock: set to %s (UTC %s) by %s", Precise(LocalOf(utc)).c_str(), Precise(FromMilliseconds(utc)).c_str(),
             call);
    return TRUE;
}

BOOL WINAPI HookSetSystemTime(const SYSTEMTIME* time)
{
    SYSTEMTIME fixed = *time;
    fixed.wDayOfWeek = 0;
    return SetClock("SetSystemTime", *time, MillisecondsOf(fixed));
}

// As Windows does it: the local time is taken with the offset from UTC in force now, daylight
// saving included, not the one of the time being set, so across a daylight-saving boundary the
// clock can end an hour off. chronel sets the clock in UTC; this stands in for the system's call
// should a build still set local time, which must never reach the machine's clock.
BOOL WINAPI HookSetLocalTime(const SYSTEMTIME* time)
{
    SYSTEMTIME fixed = *time;
    fixed.wDayOfWeek = 0;
    int64_t to = MillisecondsOf(fixed);
    int64_t now = Now.load();
    return SetClock("SetLocalTime", *time, to == 0 ? 0 : to - (MillisecondsOf(LocalOf(now)) - now));
}

HMODULE WINAPI HookLoadLibraryA(LPCSTR name);
HMODULE WINAPI HookLoadLibraryW(LPCWSTR name);

struct Hook {
    const char* name;
    void* replacement;
};
const Hook ClockHooks[] = {
    {"GetLocalTime", reinterpret_cast<void*>(HookGetLocalTime)},
    {"GetSystemTime", reinterpret_cast<void*>(HookGetSystemTime)},
    {"GetSystemTimeAsFileTime", reinterpret_cast<void*>(HookGetSystemTimeAsFileTime)},
    {"SetLocalTime", reinterpret_cast<void*>(HookSetLocalTime)},
    {"SetSystemTime", reinterpret_cast<void*>(HookSetSystemTime)},
};

// The plug-in loads its settings editor itself; the editor, which can also set the clock, gets
// the simulated clock as soon as it is loaded.
HMODULE GiveEditorTheClock(HMODULE module)
{
    char path[MAX_PATH] = "";
    if (!module || !GetModuleFileNameA(module, path, sizeof path))
        return module;
    const char* base = std::strrchr(path, '\\');
    base = base ? base + 1 : path;
    if (_stricmp(base, "chronset.dll") == 0) {
        LogEvent("plugin: chronset.dll loaded, %d clock imports substituted", SimClock::PatchImports(module));
        GiveUserFolders(module);
    }
    return module;
}

HMODULE WINAPI HookLoadLibraryA(LPCSTR name)
{
    return GiveEditorTheClock(LoadLibraryA(name));
}

HMODULE WINAPI HookLoadLibraryW(LPCWSTR name)
{
    return GiveEditorTheClock(LoadLibraryW(name));
}

}  // namespace

namespace SimClock {

int64_t UtcOfLocal(const SYSTEMTIME& local)
{
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        return MillisecondsOf(local);
    return MillisecondsOf(utc);
}

int64_t UtcMilliseconds(const SYSTEMTIME& utc)
{
    return MillisecondsOf(utc);
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
    int patched = 0;
    for (const Hook& hook : ClockHooks)
        patched += PatchKernel32Import(module, hook.name, hook.replacement);
    PatchKernel32Import(module, "LoadLibraryA", reinterpret_cast<void*>(HookLoadLibraryA));
    PatchKernel32Import(module, "LoadLibraryW", reinterpret_cast<void*>(HookLoadLibraryW));
    return patched;
}

void RefuseChanges(DWORD error)
{
    Refusal = error;
}

}  // namespace SimClock
