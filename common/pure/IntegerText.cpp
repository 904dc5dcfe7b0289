#include "IntegerText.h"

namespace {

// Shift JIS full-width forms: digits 0x824F-0x8258, the ideographic space 0x8140, the minus
// 0x817C. The second byte of each is a trail byte, so a match never starts inside another
// character when the scan moves one character at a time.
const unsigned char FullWidthLead = 0x82;
const unsigned char FullWidthDigitZero = 0x4f;
const unsigned char SymbolLead = 0x81;
const unsigned char FullWidthSpace = 0x40;
const unsigned char FullWidthMinus = 0x7c;

// The length of the blank at text (0 when there is none).
size_t BlankAt(const unsigned char* text)
{
    if (text[0] == ' ' || text[0] == '\t')
        return 1;
    return (text[0] == SymbolLead && text[1] == FullWidthSpace) ? 2 : 0;
}

size_t MinusAt(const unsigned char* text)
{
    if (text[0] == '-')
        return 1;
    return (text[0] == SymbolLead && text[1] == FullWidthMinus) ? 2 : 0;
}

// The length of the digit at text, its value in *digit (0 when there is no digit).
size_t DigitAt(const unsigned char* text, unsigned* digit)
{
    if (text[0] >= '0' && text[0] <= '9') {
        *digit = text[0] - '0';
        return 1;
    }
    if (text[0] == FullWidthLead && text[1] >= FullWidthDigitZero && text[1] <= FullWidthDigitZero + 9) {
        *digit = text[1] - FullWidthDigitZero;
        return 2;
    }
    return 0;
}

// Digits between blanks, with an optional leading minus; magnitude up to limit.
bool ParseField(const char* field, bool allowMinus, uint64_t limitPositive, uint64_t limitNegative,
                bool* negative, uint64_t* magnitude)
{
    const unsigned char* text = reinterpret_cast<const unsigned char*>(field);
    size_t i = 0;
    for (size_t n; (n = BlankAt(text + i)) != 0;)
        i += n;
    *negative = false;
    if (allowMinus) {
        size_t n = MinusAt(text + i);
        *negative = n != 0;
        i += n;
    }
    size_t digits = i;
    uint64_t value = 0;
    uint64_t limit = *negative ? limitNegative : limitPositive;
    unsigned digit = 0;
    for (size_t n; (n = DigitAt(text + i, &digit)) != 0;) {
        value = value * 10 + digit;
        if (value > limit)
            return false;
        i += n;
    }
    if (i == digits)
        return false;
    for (size_t n; (n = BlankAt(text + i)) != 0;)
        i += n;
    if (text[i])
        return false;
    *magnitude = value;
    return true;
}

}  // namespace

bool ParseSignedField(const char* text, int32_t* value)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseField(text, true, 2147483647u, 2147483648u, &negative, &magnitude))
        return false;
    *value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
    return true;
}

bool ParseUnsignedField(const char* text, uint32_t* value)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseField(text, false, 4294967295u, 0, &negative, &magnitude))
        return false;
    *value = static_cast<uint32_t>(magnitude);
    return true;
}
