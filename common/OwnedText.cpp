#include "OwnedText.h"

#include "Allocation.h"

#include <cstring>

char* CopyText(const char* text)
{
    if (!text)
        return nullptr;
    size_t size = std::strlen(text) + 1;
    char* copy = new (NoThrow) char[size];
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}
