#include "Host.h"

#include <cstdarg>
#include <cstdio>

static FILE* LogFile;
static std::string LogPath;
static bool Echo;

void OpenEventLog(const char* path, bool echo)
{
    Echo = echo;
    if (path && *path) {
        LogFile = std::fopen(path, "wb");
        LogPath = path;
    }
}

void CloseEventLog()
{
    if (LogFile)
        std::fclose(LogFile);
    LogFile = nullptr;
}

void LogEvent(const char* format, ...)
{
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::string line = SimClock::Stamp() + " " + text + "\n";
    if (LogFile) {
        std::fwrite(line.data(), 1, line.size(), LogFile);
        std::fflush(LogFile);
    }
    if (Echo) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
}

bool EventLogHas(const std::string& text)
{
    if (!LogFile)
        return false;
    FILE* file = std::fopen(LogPath.c_str(), "rb");
    if (!file)
        return false;
    std::string all;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        all.append(chunk, got);
    std::fclose(file);
    // Every line begins with the stamp and a blank; the wait's own lines quote what it waits for.
    const size_t stamp = SimClock::Stamp().size() + 1;
    for (size_t at = 0; at < all.size();) {
        size_t end = all.find('\n', at);
        if (end == std::string::npos)
            end = all.size();
        std::string line = all.substr(at, end - at);
        if (line.compare(stamp < line.size() ? stamp : line.size(), 5, "wait:") != 0 &&
            line.find(text) != std::string::npos)
            return true;
        at = end + 1;
    }
    return false;
}
