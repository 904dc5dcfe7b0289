#pragma once

#include "Owned.h"

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
