#pragma once
// Parsing of the numbers a user types into a field (the editor's, the reservation dialog's).
// Pure code: no Windows headers, tested natively. Text is Shift JIS (code page 932): with the
// Japanese input method on, digits, the minus sign and blanks arrive full-width, and they read
// as their ASCII forms.

#include <cstddef>
#include <cstdint>

// A decimal integer, optional minus sign, optionally surrounded by blanks or tabs, within the
// 32-bit signed range. False for anything else, the empty text included.
bool ParseSignedField(const char* text, int32_t* value);
// The same without a minus sign, within the 32-bit unsigned range.
bool ParseUnsignedField(const char* text, uint32_t* value);
