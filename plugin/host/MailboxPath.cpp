#include "MailboxPath.h"

#include <cstring>

// Appends text at *used; false (and nothing written) when it would not fit with its terminator.
static bool AppendBounded(char* out, size_t size, size_t* used, const char* text)
{
    size_t length = std::strlen(text);
    if (length >= size - *used)
        return false;
    std::memcpy(out + *used, text, length + 1);
    *used += length;
    return true;
}

char* MailboxPath(const char* root, char* out, size_t size, const char* first, const char* second,
                  const char* third, const char* suffix)
{
    if (size == 0)
        return out;
    size_t used = 0;
    out[0] = '\0';
    bool fits = root && root[0] && AppendBounded(out, size, &used, root);
    if (fits && first)
        fits = AppendBounded(out, size, &used, first);
    if (fits && second)
        fits = (!first || AppendBounded(out, size, &used, "\\")) && AppendBounded(out, size, &used, second);
    if (fits && third)
        fits = (!(first || second) || AppendBounded(out, size, &used, "\\")) &&
               AppendBounded(out, size, &used, third);
    if (fits && suffix)
        fits = AppendBounded(out, size, &used, suffix);
    // A cut path would name another file: hand back an empty one, which opens nothing.
    if (!fits)
        out[0] = '\0';
    return out;
}
