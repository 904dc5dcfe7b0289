#pragma once
// Parsing of the editor's integer fields. Pure code: no Windows headers, tested natively.

#include <cstddef>
#include <cstdint>

// A decimal integer, optional minus sign, optionally surrounded by blanks or tabs, within the
// 32-bit signed range. False for anything else, the empty text included.
bool ParseSignedField(const char* text, int32_t* value);
// The same without a minus sign, within the 32-bit unsigned range.
bool ParseUnsignedField(const char* text, uint32_t* value);
