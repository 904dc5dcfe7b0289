#include "Host.h"

#include <cstdarg>
#include <cstdio>

static FILE* LogFile;
static bool Echo;

void OpenEventLog(const char* path, bool echo)
{
    Echo = echo;
    if (path && *path)
        LogFile = std::fopen(path, "wb");
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
