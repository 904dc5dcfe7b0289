#pragma once
// Lines of an outbox index ("Entry.lst"): entry name, "=", a Base64 data field whose first four
// decoded bytes are the entry's flag word, ":", further text. No platform code.

#include "../../contract/Quillpost.h"  // the flag word's bits

#include <cstddef>
#include <cstdint>

// Decodes data (length chars available) as standard Base64 as far as its first four bytes and
// returns them, least significant first. Decoding stops at a group whose first
// character is outside the alphabet; other outside characters count as zero bits; bytes the
// field does not reach read as zero.
uint32_t DecodeEntryFlags(const char* data, size_t length);

// Splits an index line. False for a line without "=" or with an empty data field, and for a name
// that does not fit nameSize bytes with its terminator.
bool ParseIndexLine(const char* line, char* name, size_t nameSize, uint32_t* flags);

// True for a name that stays inside its outbox folder: not empty, not "." or "..", not a device
// name (NUL, COM1, ...), and without path separators or a drive colon (Shift JIS trail bytes are
// not taken for separators).
bool IsPlainEntryName(const char* name);
