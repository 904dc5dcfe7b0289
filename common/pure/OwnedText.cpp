#include "OwnedText.h"

#include "Allocation.h"

#include <cstring>

OwnedText CopyText(const char* text)
{
    if (!text)
        return OwnedText();
    size_t size = std::strlen(text) + 1;
    OwnedText copy(new (NoThrow) char[size]);
    if (copy)
        std::memcpy(copy.Get(), text, size);
    return copy;
}
