#include "ActivityLog.h"

#include "SettingsStore.h"
#include "../pure/TextBuffer.h"

#include <shlobj.h>

#include <cstring>

namespace {

const char* const FolderNames[] = {"\\Quor", "\\ChronelPlug"};
const char* const LogName = "\\chronel.log";
const char* const OlderLogName = "\\chronel.old.log";
// One name for every process of the session: each library's writes and the moves aside they
// make are one at a time.
const char* const LogMutexName = "Quor.ChronelPlug.Log";
// A writer that holds the log longer than this is stuck; the line is then left out.
constexpr DWORD LogWaitMs = 5000;

bool AppendText(char* path, size_t size, const char* text)
{
    size_t used = std::strlen(path);
    size_t length = std::strlen(text);
    if (used + length >= size)
        return false;
    std::memcpy(path + used, text, length + 1);
    return true;
}

bool MakeFolder(const char* path)
{
    return CreateDirectoryA(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The folder of the log, made as needed with createFolder.
bool LogFolderPath(char* path, size_t size, bool createFolder)
{
    char base[MAX_PATH] = "";
    int folder = CSIDL_APPDATA | (createFolder ? CSIDL_FLAG_CREATE : 0);
    if (size == 0 || FAILED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, base)) || !base[0])
        return false;
    path[0] = '\0';
    if (!AppendText(path, size, base))
        return false;
    for (const char* name : FolderNames) {
        if (!AppendText(path, size, name) || (createFolder && !MakeFolder(path)))
            return false;
    }
    return true;
}

HANDLE OpenForAppending(const char* path)
{
    // Others may read it, and rename it aside while it is open here.
    return CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Appends under the mutex: the file's size is read, the file moved aside when full, the lines
// written in one call.
bool AppendHeld(const char* folder, const char* lines, size_t length)
{
    char path[MAX_PATH] = "";
    char older[MAX_PATH] = "";
    if (!AppendText(path, sizeof path, folder) || !AppendText(path, sizeof path, LogName) ||
        !AppendText(older, sizeof older, folder) || !AppendText(older, sizeof older, OlderLogName))
        return false;
    FileHandle file(OpenForAppending(path));
    if (!file)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size))
        return false;
    LogRoom room = RoomForLogWrite(static_cast<unsigned long long>(size.QuadPart), length, false);
    if (room == LogRoom::MoveAsideFirst) {
        file.Reset();
        bool moved = MoveFileExA(path, older, MOVEFILE_REPLACE_EXISTING) != 0;
        file.Reset(OpenForAppending(path));
        if (!file || !GetFileSizeEx(file.Get(), &size))
            return false;
        room = moved ? LogRoom::Append : RoomForLogWrite(static_cast<unsigned long long>(size.QuadPart), length, true);
    }
    if (room == LogRoom::Full)
        return false;
    DWORD written = 0;
    return WriteFile(file.Get(), lines, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

}  // namespace

bool ActivityLogPath(char* path, size_t size, bool createFolder)
{
    return LogFolderPath(path, size, createFolder) && AppendText(path, size, LogName);
}

bool AppendActivityLog(const char* lines, size_t length)
{
    if (!lines || length == 0 || length > ActivityLogLimit)
        return false;
    char folder[MAX_PATH];
    if (!LogFolderPath(folder, sizeof folder, true))
        return false;
    HANDLE shared = CreateMutexA(nullptr, FALSE, LogMutexName);
    // Made by a process of the user with more rights (a host run as administrator), it may grant
    // this one no more than waiting on it and releasing it, which is all a writer does.
    if (!shared && GetLastError() == ERROR_ACCESS_DENIED)
        shared = OpenMutexA(SYNCHRONIZE, FALSE, LogMutexName);
    ObjectHandle mutex(shared);
    if (!mutex)
        return false;
    DWORD waited = WaitForSingleObject(mutex.Get(), LogWaitMs);
    // Abandoned: its writer ended while holding it; the file is whole up to its last write.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return false;
    bool written = AppendHeld(folder, lines, length);
    ReleaseMutex(mutex.Get());
    return written;
}

LogStamp LocalLogStamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LogStamp{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void WriteActivityLogLine(const char* message)
{
    TextBuffer line;
    AppendLogLine(line, LocalLogStamp(), message);
    if (!line.Failed())
        AppendActivityLog(line.c_str(), line.size());
}

void LogClockAdjusted(const SntpOutcome& outcome, bool manual)
{
    TextBuffer message;
    SntpLogMessage(outcome, manual, message);
    if (!message.Failed())
        WriteActivityLogLine(message.c_str());
}

void PublishLogFailure(unsigned long error)
{
    RegKey key = OpenSettingsKey();
    if (!key)
        return;
    DWORD value = error;
    if (error)
        RegSetValueExA(key.Get(), "LogFailure", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    else
        RegDeleteValueA(key.Get(), "LogFailure");
}

unsigned long ReadLogFailure()
{
    RegKey key = OpenSettingsKey();
    DWORD value = 0, type = 0, size = sizeof value;
    if (!key || RegQueryValueExA(key.Get(), "LogFailure", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                    ERROR_SUCCESS || type != REG_DWORD)
        return 0;
    return value;
}
