#include "RegeditText.h"

#include "ShiftJis.h"

#include <cstdio>

namespace {

const char* const RootKey = "[HKEY_CURRENT_USER\\Software\\Quor";

void AddNumber(TextBuffer& out, const char* name, int32_t value)
{
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(static_cast<uint32_t>(value)));
    out += '"';
    out += name;
    out += "\"=dword:";
    out += hex;
    out += '\n';
}

// Strings are written whole and escaped, however long the text.
void AddString(TextBuffer& out, const char* name, const char* text)
{
    out += '"';
    out += name;
    out += "\"=";
    out += RegeditQuoted(text ? text : "");
    out += '\n';
}

// A path held in a TextBuffer is appended as one, so that a path cut short for want of memory
// fails the whole text.
template <typename Path>
void AddKey(TextBuffer& out, const Path& path)
{
    out += RootKey;
    out += path;
    out += "]\n";
}

void AddEntry(TextBuffer& out, const TextBuffer& dayPath, int n, const ScheduleEntry& entry)
{
    char name[24];
    std::snprintf(name, sizeof name, "\\data%d", n);
    TextBuffer path(dayPath);
    path += name;
    AddKey(out, path);
    for (const EntryValue& value : EntryValues)
        AddNumber(out, value.name, entry.*value.number);
    out += '\n';
}

// Every value of the table stored in one place.
void AddValues(TextBuffer& out, SettingPlace place, const Settings& s)
{
    for (const SettingValue& value : SettingValues) {
        if (value.place != place)
            continue;
        switch (value.kind) {
        case SettingKind::Number:
            AddNumber(out, value.name, s.*value.number);
            break;
        case SettingKind::Letter: {
            // Character code 0 (no letter chosen) is written as an empty text, not as a NUL byte.
            const char letter[2] = {s.ShortCut, '\0'};
            AddString(out, value.name, letter);
            break;
        }
        case SettingKind::Text:
            AddString(out, value.name, s.SNTPServer ? s.SNTPServer.Get() : "");
            break;
        }
    }
}

}  // namespace

// The registry editor decodes a line before it reads escapes: the trail byte of a double-byte
// character (0x5c in "表") is part of that character and must not be escaped.
TextBuffer RegeditQuoted(const char* text)
{
    TextBuffer out("\"");
    for (size_t i = 0; text[i]; ++i) {
        char c = text[i];
        if (IsShiftJisLeadByte(static_cast<unsigned char>(c)) && text[i + 1]) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

TextBuffer BuildRegeditText(const Settings& s)
{
    TextBuffer out("REGEDIT4\n\n");
    AddKey(out, "");
    out += '\n';

    AddKey(out, "\\ChronelPlug");
    AddValues(out, SettingPlace::Plug, s);
    out += '\n';

    AddKey(out, "\\ChronelPlug\\Schedule");
    out += '\n';
    for (int day = 0; day < 7; ++day) {
        const ScheduleList& list = s.Schedule[day];
        // A list never read from the store has no name of its own; its weekday's name is the same.
        TextBuffer dayPath("\\ChronelPlug\\Schedule\\");
        dayPath += list.DayName ? list.DayName.Get() : WeekdayNames[day];
        AddKey(out, dayPath);
        out += '\n';
        int n = 0;
        for (const ScheduleEntry* entry = list.Head; entry; entry = entry->Next)
            AddEntry(out, dayPath, n++, *entry);
    }

    AddKey(out, "\\ChronelPlug\\Server");
    AddValues(out, SettingPlace::Server, s);
    return out;
}
