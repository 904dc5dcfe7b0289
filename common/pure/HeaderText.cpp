#include "HeaderText.h"

#include "ShiftJis.h"

#include <cstdio>
#include <cstring>

const char ReserveHeaderName[] = "X-Reserve-Date:";
static_assert(sizeof ReserveHeaderName - 1 == ReserveHeaderChars, "name length");

bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix) {
        if (*text == '\0' || FoldAscii(*text) != FoldAscii(*prefix))
            return false;
    }
    return true;
}

int32_t ReadDecimal(const char* text)
{
    // Blanks only: the value never comes from the next line.
    while (*text == ' ' || *text == '\t' || *text == '\v' || *text == '\f')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= INT32_MAX)
            value = value * 10 + (*text - '0');
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

namespace {

// The start of the line after the one that begins at text: past its LF, CR LF or lone CR, or at
// the terminator when it has no line end.
const char* NextLine(const char* text)
{
    for (; *text; ++text) {
        if (*text == '\n')
            return text + 1;
        if (*text == '\r')
            return text + (text[1] == '\n' ? 2 : 1);
    }
    return text;
}

// A line that begins with a blank goes on with the field of the line before it (folding).
bool Continues(const char* line)
{
    return *line == ' ' || *line == '\t';
}

// Blanks, and the line ends of a folded field, up to its first other character.
const char* SkipFoldedBlanks(const char* text)
{
    for (;;) {
        while (*text == ' ' || *text == '\t')
            ++text;
        if (*text != '\r' && *text != '\n')
            return text;
        const char* next = NextLine(text);
        if (!Continues(next))
            return text;
        text = next;
    }
}

// The start of the next field after the one whose first line begins at line.
const char* NextField(const char* line)
{
    const char* next = NextLine(line);
    while (Continues(next))
        next = NextLine(next);
    return next;
}

}  // namespace

int32_t FindReserveDate(const char* header)
{
    if (!header)
        return -1;
    // The first field decides; a later one is never read, here or in the outbox.
    for (const char* field = header; *field; field = NextField(field)) {
        if (StartsWithNoCase(field, ReserveHeaderName))
            return ReadDecimal(SkipFoldedBlanks(field + ReserveHeaderChars));
    }
    return -1;
}

bool CopyLogSubject(const char* field, char* out)
{
    out[0] = '\0';
    if (!StartsWithNoCase(field, "Subject:"))
        return false;
    const char* end = NextField(field);
    size_t used = 0;
    bool blank = false;
    for (const char* c = field + 8; c < end && *c;) {
        auto byte = static_cast<unsigned char>(*c);
        auto trail = static_cast<unsigned char>(c[1]);
        size_t width = IsShiftJisLeadByte(byte) ? 2 : 1;
        if (byte <= ' ' || byte == 0x7F ||
            (width == 2 && (c + 1 >= end || trail < 0x40 || trail > 0xFC || trail == 0x7F))) {
            blank = used > 0;
            ++c;
            continue;
        }
        // Room kept for "…" (0x81 0x63) and the terminator.
        if (used + blank + width > LogSubjectSize - 3) {
            out[used++] = '\x81';
            out[used++] = '\x63';
            break;
        }
        if (blank)
            out[used++] = ' ';
        blank = false;
        for (size_t i = 0; i < width; ++i)
            out[used++] = *c++;
    }
    out[used] = '\0';
    return true;
}

void FindLogSubject(const char* header, char* out)
{
    out[0] = '\0';
    for (const char* field = header ? header : ""; *field; field = NextField(field)) {
        if (CopyLogSubject(field, out))
            return;
    }
}

int CountReserveFields(const char* header)
{
    int count = 0;
    for (const char* field = header ? header : ""; *field; field = NextField(field))
        count += StartsWithNoCase(field, ReserveHeaderName) ? 1 : 0;
    return count;
}

void SetReserveDate(const char* header, char* out, int32_t time)
{
    if (time != -1)
        out += std::sprintf(out, "%s %d\r\n", ReserveHeaderName, static_cast<int>(time));
    // Only whole fields that begin with the name go, with their folded lines; every other byte
    // stays as it was, so a subject that mentions the name keeps its line end and the next line
    // stays a line.
    for (const char* field = header ? header : ""; *field;) {
        const char* next = NextField(field);
        if (!StartsWithNoCase(field, ReserveHeaderName)) {
            std::memcpy(out, field, static_cast<size_t>(next - field));
            out += next - field;
        }
        field = next;
    }
    *out = '\0';
}
