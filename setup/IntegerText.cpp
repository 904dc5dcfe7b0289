#include "IntegerText.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Digits between blanks, with an optional leading minus; magnitude up to limit.
bool ParseField(const char* text, bool allowMinus, uint64_t limitPositive, uint64_t limitNegative,
                bool* negative, uint64_t* magnitude)
{
    size_t i = 0;
    while (IsBlank(text[i]))
        ++i;
    *negative = false;
    if (allowMinus && text[i] == '-') {
        *negative = true;
        ++i;
    }
    size_t digits = i;
    uint64_t value = 0;
    uint64_t limit = *negative ? limitNegative : limitPositive;
    while (text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > limit)
            return false;
        ++i;
    }
    if (i == digits)
        return false;
    while (IsBlank(text[i]))
        ++i;
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
