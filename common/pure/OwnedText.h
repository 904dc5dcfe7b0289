#pragma once

#include "Owned.h"

#include <cstddef>

namespace OwnedFree {
inline void Text(char* text)
{
    delete[] text;
}
}  // namespace OwnedFree

// A text made with new[]; none is null.
using OwnedText = Owned<char*, OwnedFree::Text>;

// A copy of text; none for a null text or when memory runs out.
OwnedText CopyText(const char* text);

// text into out, cut to room - 1 bytes and always terminated (room > 0).
inline void CopyBounded(char* out, size_t room, const char* text)
{
    size_t n = 0;
    for (; n + 1 < room && text[n]; ++n)
        out[n] = text[n];
    out[n] = '\0';
}
