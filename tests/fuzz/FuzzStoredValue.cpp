// Bytes read back from the registry, of any type and size: a number over its preset, the ShortCut
// letter and the SNTP server text.
#include "../../common/pure/StoredValue.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t presets[] = {0, -1, 200, 600, INT32_MIN, INT32_MAX};
    for (int32_t preset : presets) {
        // On a little-endian machine, as the plug-in's: the stored bytes laid over the preset.
        int32_t expected = preset;
        std::memcpy(&expected, data, size < 4 ? size : 4);
        if (StoredNumber(preset, data, size) != expected)
            __builtin_trap();
    }
    if (StoredLetter('X', data, size) != (size ? static_cast<char>(data[0]) : 'X'))
        __builtin_trap();
    OwnedText text = StoredText(data, size);
    if (!text)
        __builtin_trap();
    size_t length = std::strlen(text.Get());
    if (length > size || std::memcmp(text.Get(), data, length) != 0 || (length < size && data[length] != 0))
        __builtin_trap();
    return 0;
}
