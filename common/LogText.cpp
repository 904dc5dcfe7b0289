#include "LogText.h"

#include "TextBuffer.h"

void AppendDateTime(TextBuffer& out, int year, int month, int day, int hour, int minute, int second)
{
    const int fields[] = {year, month, day, hour, minute, second};
    const char before[] = {'\0', '/', '/', ' ', ':', ':'};
    for (int i = 0; i < 6; ++i) {
        if (before[i])
            out += before[i];
        AppendDecimal(out, static_cast<unsigned>(fields[i] < 0 ? 0 : fields[i]), i == 0 ? 4 : 2);
    }
}

void AppendLogLine(TextBuffer& out, const LogStamp& at, const char* message)
{
    AppendDateTime(out, at.year, at.month, at.day, at.hour, at.minute, at.second);
    out += ' ';
    for (const char* c = message ? message : ""; *c; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        // The trail byte of a double-byte character can be below 0x80 but never below 0x40.
        out += byte < 0x20 || byte == 0x7F ? ' ' : *c;
    }
    out += "\r\n";
}

LogRoom RoomForLogWrite(unsigned long long size, size_t adding, bool moveFailed)
{
    if (size + adding <= ActivityLogLimit || size == 0)
        return LogRoom::Append;
    if (!moveFailed)
        return LogRoom::MoveAsideFirst;
    return size + adding <= ActivityLogHardLimit ? LogRoom::Append : LogRoom::Full;
}
