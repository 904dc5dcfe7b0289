#include "HeaderText.h"

#include "../../common/ShiftJis.h"

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

int32_t FindReserveDate(const char* header)
{
    if (!header)
        return -1;
    for (const char* line = header; *line;) {
        if (StartsWithNoCase(line, ReserveHeaderName))
            return ReadDecimal(line + ReserveHeaderChars);
        const char* feed = std::strchr(line, '\n');
        if (!feed)
            break;
        line = feed + 1;
    }
    return -1;
}

void SetReserveDate(const char* header, char* out, int32_t time)
{
    if (time != -1)
        out += std::sprintf(out, "%s %d\r\n", ReserveHeaderName, static_cast<int>(time));
    // Only whole lines that begin with the name go; every other byte stays as it was, so a
    // subject that mentions the name keeps its line end and the next line stays a line.
    const char* text = header ? header : "";
    while (*text) {
        const char* feed = std::strchr(text, '\n');
        const char* next = feed ? feed + 1 : text + std::strlen(text);
        if (!StartsWithNoCase(text, ReserveHeaderName)) {
            std::memcpy(out, text, static_cast<size_t>(next - text));
            out += next - text;
        }
        text = next;
    }
    *out = '\0';
}
