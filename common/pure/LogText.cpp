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
        if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
            // A double-byte character goes whole; a lead byte without its trail byte (0x40 to
            // 0xFC but 0x7F) would take the byte after it into one character.
            unsigned char trail = static_cast<unsigned char>(c[1]);
            if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
                out += *c;
                out += *++c;
            } else {
                out += ' ';
            }
            continue;
        }
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
