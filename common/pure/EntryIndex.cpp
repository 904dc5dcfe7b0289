#include "EntryIndex.h"

#include "ShiftJis.h"

#include <cstring>

namespace {

// The value of each byte as a Base64 digit, -1 for a byte outside the alphabet.
struct Base64Table {
    signed char value[256];
    constexpr Base64Table() : value()
    {
        for (int c = 0; c < 256; ++c)
            value[c] = -1;
        for (int i = 0; i < 26; ++i) {
            value['A' + i] = static_cast<signed char>(i);
            value['a' + i] = static_cast<signed char>(26 + i);
        }
        for (int i = 0; i < 10; ++i)
            value['0' + i] = static_cast<signed char>(52 + i);
        value[static_cast<unsigned char>('+')] = 62;
        value[static_cast<unsigned char>('/')] = 63;
    }
};
constexpr Base64Table Base64;

// The flag word is the first four decoded bytes: the first two groups of four characters hold
// them (six bytes); later groups decode only bytes after them.
constexpr size_t FlagChars = 8;

}  // namespace

uint32_t DecodeEntryFlags(const char* data, size_t length)
{
    if (length > FlagChars)
        length = FlagChars;
    const unsigned char* chars = reinterpret_cast<const unsigned char*>(data);
    uint32_t groupBits[2] = {0, 0};  // 24 bits, three bytes, per group of four characters
    size_t decodedBits = 0;
    for (size_t group = 0; group * 4 < length; ++group) {
        const unsigned char* at = chars + group * 4;
        if (Base64.value[at[0]] < 0)
            break;
        size_t present = length - group * 4 < 4 ? length - group * 4 : 4;
        uint32_t bits = 0;
        for (size_t i = 0; i < 4; ++i) {
            int value = i < present ? Base64.value[at[i]] : -1;
            bits = (bits << 6) | static_cast<uint32_t>(value < 0 ? 0 : value);
        }
        groupBits[group] = bits;
        decodedBits += present * 6;
    }
    uint32_t flags = (groupBits[0] >> 16 & 0xFF) | (groupBits[0] >> 8 & 0xFF) << 8 | (groupBits[0] & 0xFF) << 16 |
                     (groupBits[1] >> 16 & 0xFF) << 24;
    // Only whole bytes are defined by the field.
    size_t wholeBytes = decodedBits / 8;
    if (wholeBytes < 4)
        flags &= wholeBytes ? 0xFFFFFFFFu >> (8 * (4 - wholeBytes)) : 0;
    return flags;
}

// The scan parses every line of every index twice a minute: one pass up to "=", then at most the
// characters of the field that can reach the flag word.
bool ParseIndexLine(const char* line, char* name, size_t nameSize, uint32_t* flags)
{
    size_t nameLength = 0;
    while (line[nameLength] && line[nameLength] != '=')
        ++nameLength;
    const char* data = line + nameLength + 1;
    if (line[nameLength] != '=' || data[0] == '\0')
        return false;
    if (nameLength >= nameSize)
        return false;
    size_t dataLength = 0;
    while (dataLength < FlagChars && data[dataLength] && data[dataLength] != ':')
        ++dataLength;
    if (dataLength == 0)
        return false;
    std::memcpy(name, line, nameLength);
    name[nameLength] = '\0';
    *flags = DecodeEntryFlags(data, dataLength);
    return true;
}

// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without an extension: Windows opens the
// device whatever the folder (a serial port would stall the host's thread), never a message file.
static bool IsDeviceName(const char* name)
{
    char base[5] = {};
    size_t length = 0;
    for (; name[length] && name[length] != '.' && name[length] != ' '; ++length) {
        if (length == 4)
            return false;
        base[length] = FoldAscii(name[length]);
    }
    if (length == 3)
        return !std::strcmp(base, "con") || !std::strcmp(base, "prn") || !std::strcmp(base, "aux") ||
               !std::strcmp(base, "nul");
    return length == 4 && (!std::strncmp(base, "com", 3) || !std::strncmp(base, "lpt", 3)) && base[3] >= '1' &&
           base[3] <= '9';
}

bool IsPlainEntryName(const char* name)
{
    if (name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || IsDeviceName(name))
        return false;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(name); *at; ++at) {
        if (IsShiftJisLeadByte(*at) && at[1]) {
            ++at;
            continue;
        }
        if (*at == '\\' || *at == '/' || *at == ':')
            return false;
    }
    return true;
}
