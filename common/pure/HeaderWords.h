#pragma once
// Encoded words in header text ("=?ISO-2022-JP?B?...?="), as mail programs write Japanese
// subjects and names, shown in Shift JIS. No platform code.

#include <cstddef>

// Copies text into out (size bytes, always ended), each encoded word in ISO-2022-JP or Shift JIS
// (B or Q encoding) decoded to Shift JIS, and the blanks between two encoded words dropped. Words
// in other character sets, and anything malformed, are copied as they stand. Cut at size - 1
// bytes, never inside a two-byte character.
void DecodeHeaderWords(const char* text, char* out, size_t size);
