#include "StoredValue.h"

#include "Allocation.h"

#include <cstring>

int32_t StoredNumber(int32_t preset, const unsigned char* bytes, size_t size)
{
    uint32_t value = static_cast<uint32_t>(preset);
    for (size_t i = 0; i < size && i < 4; ++i) {
        uint32_t shift = static_cast<uint32_t>(8 * i);
        value = (value & ~(0xFFu << shift)) | static_cast<uint32_t>(bytes[i]) << shift;
    }
    return static_cast<int32_t>(value);
}

char StoredLetter(char preset, const unsigned char* bytes, size_t size)
{
    return size > 0 ? static_cast<char>(bytes[0]) : preset;
}

OwnedText StoredText(const unsigned char* bytes, size_t size)
{
    if (size == static_cast<size_t>(-1))
        return OwnedText();  // no room for the terminator
    OwnedText text(new (NoThrow) char[size + 1]);
    if (!text)
        return text;
    if (size)
        std::memcpy(text.Get(), bytes, size);
    text.Get()[size] = '\0';
    return text;
}
