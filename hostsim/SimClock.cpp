#include "Host.h"
#include "ImportPatch.h"
#include "Plugin.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

// Local time in milliseconds since 1601-01-01. The plug-in's clock-adjustment thread sets it too.
std::atomic<int64_t> Now;
// The error with which SetLocalTime fails, as Windows refuses a user without the right; 0 accepts.
std::atomic<DWORD> Refusal{0};

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

SYSTEMTIME UtcOf(int64_t localMilliseconds)
{
    SYSTEMTIME local = FromMilliseconds(localMilliseconds);
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc))
        return local;
    return utc;
}

SYSTEMTIME Utc()
{
    return UtcOf(Now);
}

int64_t LocalOfUtc(int64_t utcMilliseconds)
{
    SYSTEMTIME utc = FromMilliseconds(utcMilliseconds);
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return utcMilliseconds;
    return ToMilliseconds(local);
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
    DWORD refusal = to == 0 ? ERROR_INVALID_PARAMETER : Refusal.load();
    if (refusal) {
        LogEvent("clock: SetLocalTime refused %04u-%02u-%02u %02u:%02u:%02u.%03u (error %lu)", time->wYear,
                 time->wMonth, time->wDay, time->wHour, time->wMinute, time->wSecond, time->wMilliseconds,
                 static_cast<unsigned long>(refusal));
        SetLastError(refusal);
        return FALSE;
    }
    // As Windows does: the local time becomes UTC by the zone's offset in force now, not by the
    // offset at the new time, so across a daylight-saving boundary the clock ends an hour off.
    int64_t now = Now.load();
    int64_t bias = ToMilliseconds(UtcOf(now)) - now;
    int64_t shown = LocalOfUtc(to + bias);
    Now.store(shown);
    if (shown == to) {
        LogEvent("clock: set to %04u-%02u-%02u %02u:%02u:%02u.%03u", time->wYear, time->wMonth, time->wDay,
                 time->wHour, time->wMinute, time->wSecond, time->wMilliseconds);
    } else {
        SYSTEMTIME t = FromMilliseconds(shown);
        LogEvent("clock: set to %04u-%02u-%02u %02u:%02u:%02u.%03u under the old daylight-saving setting: shows "
                 "%04u-%02u-%02u %02u:%02u:%02u.%03u",
                 time->wYear, time->wMonth, time->wDay, time->wHour, time->wMinute, time->wSecond,
                 time->wMilliseconds, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    }
    return TRUE;
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
