#pragma once
// What the settings keep of the bytes a registry value holds, whatever type it was stored with.
// No platform code: the registry reading hands the bytes over, and this part is also built
// natively under the sanitizers and fuzzed.

#include "OwnedText.h"

#include <cstddef>
#include <cstdint>

// A number: the preset with its leading bytes (at most four, least significant first) replaced by
// the stored ones, so an empty value leaves the preset and a longer one gives its first four.
int32_t StoredNumber(int32_t preset, const unsigned char* bytes, size_t size);

// ShortCut: the first stored byte (a letter stored with its terminator gives the letter), or the
// preset for an empty value.
char StoredLetter(char preset, const unsigned char* bytes, size_t size);

// SNTPServer: a text of the stored bytes, ended after them (a stored terminator ends it where it
// stands); none when memory runs out.
OwnedText StoredText(const unsigned char* bytes, size_t size);
