#include "EntryIndex.h"

#include <cstring>

static int Base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

uint32_t DecodeEntryFlags(const char* data, size_t length)
{
    if (length > 16)
        length = 16;
    unsigned char bytes[12] = {};
    size_t decodedBits = 0;
    for (size_t group = 0; group * 4 < length; ++group) {
        const unsigned char* chars = reinterpret_cast<const unsigned char*>(data) + group * 4;
        if (Base64Value(chars[0]) < 0)
            break;
        size_t present = length - group * 4 < 4 ? length - group * 4 : 4;
        uint32_t bits = 0;
        for (size_t i = 0; i < 4; ++i) {
            int value = i < present ? Base64Value(chars[i]) : -1;
            bits = (bits << 6) | static_cast<uint32_t>(value < 0 ? 0 : value);
        }
        bytes[group * 3] = static_cast<unsigned char>(bits >> 16);
        bytes[group * 3 + 1] = static_cast<unsigned char>(bits >> 8);
        bytes[group * 3 + 2] = static_cast<unsigned char>(bits);
        decodedBits += present * 6;
    }
    // Only whole bytes are defined by the field.
    for (size_t i = decodedBits / 8; i < 4; ++i)
        bytes[i] = 0;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ParseIndexLine(const char* line, char* name, size_t nameSize, uint32_t* flags)
{
    const char* equals = std::strchr(line, '=');
    if (!equals || equals[1] == '\0')
        return false;
    size_t nameLength = static_cast<size_t>(equals - line);
    if (nameLength >= nameSize)
        return false;
    std::memcpy(name, line, nameLength);
    name[nameLength] = '\0';
    const char* data = equals + 1;
    const char* colon = std::strchr(data, ':');
    size_t dataLength = colon ? static_cast<size_t>(colon - data) : std::strlen(data);
    if (dataLength == 0)
        return false;
    *flags = DecodeEntryFlags(data, dataLength);
    return true;
}

static bool IsShiftJisLead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

static char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
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
        base[length] = UpperAscii(name[length]);
    }
    if (length == 3)
        return !std::strcmp(base, "CON") || !std::strcmp(base, "PRN") || !std::strcmp(base, "AUX") ||
               !std::strcmp(base, "NUL");
    return length == 4 && (!std::strncmp(base, "COM", 3) || !std::strncmp(base, "LPT", 3)) && base[3] >= '1' &&
           base[3] <= '9';
}

bool IsPlainEntryName(const char* name)
{
    if (name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || IsDeviceName(name))
        return false;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(name); *at; ++at) {
        if (IsShiftJisLead(*at) && at[1]) {
            ++at;
            continue;
        }
        if (*at == '\\' || *at == '/' || *at == ':')
            return false;
    }
    return true;
}
