#include "HeaderText.h"

#include <cstdio>
#include <cstring>

const char ReserveHeaderName[] = "X-Reserve-Date:";
static_assert(sizeof ReserveHeaderName - 1 == ReserveHeaderChars, "name length");

static char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

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

// Copies text to out (which may be text itself) without the reservation text; true when some was
// dropped.
static bool DropReserveText(const char* text, char* out)
{
    bool dropped = false;
    while (*text) {
        if (StartsWithNoCase(text, ReserveHeaderName)) {
            dropped = true;
            const char* feed = std::strchr(text, '\n');
            if (!feed)
                break;
            text = feed + 1;
            continue;
        }
        *out++ = *text++;
    }
    *out = '\0';
    return dropped;
}

void SetReserveDate(const char* header, char* out, int32_t time)
{
    if (time != -1)
        out += std::sprintf(out, "%s %d\r\n", ReserveHeaderName, static_cast<int>(time));
    // Text around a dropped piece can join into a new "X-Reserve-Date:"; drop until none is left,
    // so a cancelled reservation cannot come back. Each pass shortens the text.
    if (DropReserveText(header ? header : "", out)) {
        while (DropReserveText(out, out)) {
        }
    }
}
